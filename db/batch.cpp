#include "batch.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <utility>

#include "connection.h"
#include "quoting.h"

namespace zdb {

int Batch::add(const QString &statement, bool keepRows) {
  statements_ << statement;
  sent_ << statement;
  keepRows_.push_back(keepRows);
  return int(statements_.size()) - 1;
}

int Batch::add(const QString &statement, const QVariantHash &values, bool keepRows) {
  const int index = add(statement, keepRows);
  sent_.last() = replacePlaceholders(statement, [&](const QString &name) { return literal(values.value(name)); });
  return index;
}

void Batch::send(OnFailure onFailure) {
  failure_.reset();
  try {
    sendStatements();
  } catch (const BatchError &e) {
    if (onFailure == OnFailure::Throw) throw;
    failure_ = e;
  }
}

void Batch::expectRan(int index) const {
  if (failure_ && index >= failure_->statement()) throw *failure_;
}

Query::Result Batch::takeRows(int index) {
  if (index < 0 || index >= int(rows_.size())) return Query::Result{};
  return std::move(rows_[size_t(index)]);
}

void Batch::sendStatements() {
  const QStringList written = std::exchange(statements_, {});
  const QStringList statements = std::exchange(sent_, {});
  const std::vector<bool> keepRows = std::exchange(keepRows_, {});
  ids_.clear();
  affected_.clear();
  rows_.assign(size_t(statements.size()), Query::Result{});
  if (statements.isEmpty()) return;
  connection_.notifyRequest(written, statements);
  QSqlDatabase db = connection_.database();
  if (!db.isOpen()) throw BatchError(QStringLiteral("Veritabanı bağlantısı açık değil"), 0);

  QSqlQuery q(db);
  q.setForwardOnly(true);
  if (!q.exec(statements.join(QStringLiteral(";\n")))) throw BatchError(q.lastError(), 0);
  std::vector<const Query::Result *> shapes;  // results read so far, whose names the next may share
  for (int i = 0;; ++i) {
    ids_.push_back(q.lastInsertId());
    affected_.push_back(q.numRowsAffected());
    if (keepRows[size_t(i)] && q.isSelect()) {
      try {
        rows_[size_t(i)] = Query::Result::read(q, written.at(i), shapes);
        const Query::Result &read = rows_[size_t(i)];
        if (std::none_of(shapes.begin(), shapes.end(), [&](const Query::Result *s) { return s->names == read.names; }))
          shapes.push_back(&read);
      } catch (const DbError &e) {
        throw BatchError(e, i);
      }
    }
    if (i + 1 == statements.size()) break;
    if (!q.nextResult()) {
      if (q.lastError().isValid()) throw BatchError(q.lastError(), i + 1);
      throw BatchError(QStringLiteral("Sunucu toplu komutun %1. deyimine cevap vermedi").arg(i + 2), i + 1);
    }
  }
  // Nothing may stay unread on the session, or its next statement fails out of sync.
  while (q.nextResult()) {
  }
}

}  // namespace zdb
