#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantHash>
#include <optional>
#include <vector>

#include "db/db_error.h"
#include "db/query.h"

namespace zdb {

class Connection;

// The statement of a batch that failed. The statements before it ran; the server did not run
// those after it.
class BatchError : public DbError {
 public:
  BatchError(const QString &text, int statement) : DbError(text), statement_(statement) {}
  BatchError(const QSqlError &error, int statement) : DbError(error), statement_(statement) {}
  BatchError(const DbError &error, int statement) : DbError(error), statement_(statement) {}
  int statement() const { return statement_; }

 private:
  int statement_;
};

// Statements sent to the server in one request, which it runs one after the other (the driver
// opens every session with multi-statements on). Work whose statements follow each other anyway
// costs one network round trip instead of one per statement, which is most of what a long
// closing run waits for. Values stand in the texts as literal() made them, or are put there from
// ':name' placeholders when the batch is sent.
class Batch {
 public:
  explicit Batch(Connection &connection) : connection_(connection) {}

  // Adds a statement; returns its index in the batch. The rows of a statement added with
  // `keepRows` are kept for takeRows(), those of any other are dropped.
  int add(const QString &statement, bool keepRows = false);
  // Adds a statement with ':name' placeholders (`values` keyed by the lower-case name without
  // ':'; a name without a value is NULL). The server gets each value as literal() writes it; the
  // connection's statement observer sees the statement as written.
  int add(const QString &statement, const QVariantHash &values, bool keepRows = false);
  int size() const { return int(statements_.size()); }
  bool isEmpty() const { return statements_.isEmpty(); }
  const QString &statement(int index) const { return statements_.at(index); }

  // What send() does when a statement fails.
  enum class OnFailure {
    Throw,  // throw it at once
    Keep    // keep it for expectRan(), which a caller walking the answers in order meets at the
            // statement where it would have met it had it sent one statement at a time
  };
  // Sends the statements and reads every answer; the batch is empty afterwards. The server stops
  // at the first statement that fails: throws BatchError with its index (or keeps it).
  void send(OnFailure onFailure = OnFailure::Throw);
  // Of the last send: throws its kept failure when statement `index` did not run.
  void expectRan(int index) const;
  bool failed() const { return failure_.has_value(); }
  // Of the last send: the failure it kept, or nullptr.
  const BatchError *failure() const { return failure_ ? &*failure_ : nullptr; }
  // Of the last send: the rows of a statement added with `keepRows`, taken out of the batch.
  Query::Result takeRows(int index);
  // Of the last send: the insert id and the affected rows of each statement that ran.
  QVariant lastInsertId(int index) const { return index < int(ids_.size()) ? ids_[size_t(index)] : QVariant(); }
  int rowsAffected(int index) const { return index < int(affected_.size()) ? affected_[size_t(index)] : -1; }

 private:
  Connection &connection_;
  void sendStatements();

  QStringList statements_;  // as written
  QStringList sent_;        // as the server gets them
  std::vector<bool> keepRows_;
  std::optional<BatchError> failure_;
  std::vector<Query::Result> rows_;
  std::vector<QVariant> ids_;
  std::vector<int> affected_;
};

}  // namespace zdb
