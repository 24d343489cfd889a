#include "query.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>
#include <optional>
#include <cmath>

#include "connection.h"
#include "db_error.h"
#include "quoting.h"
#include "turkish_format.h"

namespace zdb {

namespace {
bool isRealType(const QVariant &v) {
  const int id = v.typeId();
  return id == QMetaType::Double || id == QMetaType::Float;
}
bool isIntegerType(const QVariant &v) {
  switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Char: case QMetaType::UChar:
    case QMetaType::SChar: case QMetaType::Bool: case QMetaType::Long: case QMetaType::ULong:
      return true;
    default:
      return false;
  }
}
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
QString paramKey(const QString &name) {
  QString key = name.startsWith(QLatin1Char(':')) ? name.mid(1) : name;
  return key.toLower();
}
}  // namespace

// ---------------------------------------------------------------- Field

bool Field::isNull() const { return value_.isNull() || !value_.isValid(); }

QString Field::asString() const {
  if (isNull() || isZeroDateTime(value_)) return QString();
  if (isRealType(value_)) return zfmt::general(value_.toDouble());
  switch (value_.typeId()) {
    case QMetaType::QDate:
      return value_.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
      const QDateTime dt = value_.toDateTime();
      if (dt.time() == QTime(0, 0)) return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
      return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    case QMetaType::QTime:
      return value_.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QByteArray:
      return QString::fromUtf8(value_.toByteArray());
    default:
      return value_.toString();
  }
}

qint64 Field::asInteger() const {
  if (isNull()) return 0;
  if (isIntegerType(value_)) return value_.toLongLong();
  if (isRealType(value_)) return qRound64(value_.toDouble());
  const QString text = asString();
  bool ok = false;
  const qint64 v = text.trimmed().toLongLong(&ok);
  if (!ok) throw DbError(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return v;
}

double Field::asFloat() const {
  if (isNull()) return 0;
  if (isRealType(value_) || isIntegerType(value_)) return value_.toDouble();
  const QString text = asString().trimmed();
  bool ok = false;
  double v = text.toDouble(&ok);
  if (!ok) v = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
  if (!ok) throw DbError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  return v;
}

QDateTime Field::asDateTime() const {
  if (isNull() || isZeroDateTime(value_)) return QDateTime();
  switch (value_.typeId()) {
    case QMetaType::QDate: return QDateTime(value_.toDate(), QTime(0, 0));
    case QMetaType::QDateTime: return value_.toDateTime();
    case QMetaType::QTime: return QDateTime(QDate(1899, 12, 30), value_.toTime());
    default: break;
  }
  const QString text = asString();
  QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
  if (!dt.isValid()) dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  if (!dt.isValid()) {
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
  }
  if (!dt.isValid()) throw DbError(QStringLiteral("'%1' is not a valid date and time").arg(text));
  return dt;
}

// ---------------------------------------------------------------- statement parsing

QString positionalStatement(const QString &statement, QStringList *names) {
  return replacePlaceholders(statement, [names](const QString &name) {
    if (names) names->append(name);
    return QStringLiteral("?");
  });
}

QString replacePlaceholders(const QString &statement, const std::function<QString(const QString &)> &replacement) {
  QString out;
  out.reserve(statement.size());
  const qsizetype n = statement.size();
  QChar quote;  // non-null while inside a quoted literal or identifier
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = statement.at(i);
    if (!quote.isNull()) {
      out += ch;
      if (ch == QLatin1Char('\\') && quote != QLatin1Char('`') && i + 1 < n) {
        out += statement.at(++i);  // escaped character stays inside the literal
      } else if (ch == quote) {
        if (i + 1 < n && statement.at(i + 1) == quote) {
          out += statement.at(++i);  // doubled quote stays inside the literal
        } else {
          quote = QChar();
        }
      }
      continue;
    }
    if (ch == QLatin1Char('"') || ch == QLatin1Char('\'') || ch == QLatin1Char('`')) {
      quote = ch;
      out += ch;
      continue;
    }
    if (ch == QLatin1Char(':') && i + 1 < n && isNameChar(statement.at(i + 1)) &&
        (i == 0 || statement.at(i - 1) != QLatin1Char(':'))) {
      qsizetype j = i + 1;
      while (j < n && isNameChar(statement.at(j))) ++j;
      out += replacement(statement.mid(i + 1, j - i - 1).toLower());
      i = j - 1;
      continue;
    }
    out += ch;
  }
  return out;
}

// ---------------------------------------------------------------- Query

Query::Query(Connection &connection, QString name) : connection_(&connection), name_(std::move(name)) {}

Query::~Query() = default;

void Query::setText(const QString &statement) {
  close();
  text_ = statement;
  // Forgotten values are sent as NULL, like names never bound; the names stay for the next
  // statement, which is most often the same one again.
  for (QVariant &value : params_) value = QVariant();
}

void Query::close() {
  const bool wasOpen = open_;
  open_ = false;
  rows_.clear();
  names_.clear();
  index_.clear();
  current_ = 0;
  eof_ = true;
  if (wasOpen && changed_) changed_();
}

const QString &Query::parameterKey(const QString &name) {
  auto known = paramKeys_.constFind(name);
  if (known == paramKeys_.constEnd()) known = paramKeys_.insert(name, paramKey(name));
  return known.value();
}

void Query::setParam(const QString &name, const QVariant &value) { params_.insert(parameterKey(name), value); }

void Query::setParamDate(const QString &name, const QDate &date) { setParam(name, QVariant(date)); }

void Query::setParamNull(const QString &name) { params_.insert(parameterKey(name), QVariant()); }

void Query::open() { run(true); }

void Query::execute() { run(false); }

Query::Prepared *Query::prepared(const QString &positional, const QStringList &names) {
  const int generation = connection_->generation();
  for (auto it = prepared_.begin(); it != prepared_.end(); ++it) {
    if (it->text != text_) continue;
    if (it->generation != generation) {  // prepared on an earlier opening: gone with it
      prepared_.erase(it);
      break;
    }
    std::rotate(it, it + 1, prepared_.end());
    return &prepared_.back();
  }
  Prepared p;
  p.query = std::make_unique<QSqlQuery>(connection_->database());
  p.query->setForwardOnly(true);
  if (!p.query->prepare(positional)) throw DbError(p.query->lastError());
  p.text = text_;
  p.generation = generation;
  p.placeholders = names;
  constexpr size_t kKept = 16;
  if (prepared_.size() >= kKept) prepared_.erase(prepared_.begin());
  prepared_.push_back(std::move(p));
  return &prepared_.back();
}

void Query::run(bool wantRows) {
  close();
  connection_->notify(text_);
  QSqlDatabase db = connection_->database();
  if (!db.isOpen()) throw DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));

  QSqlQuery *q = nullptr;
  std::optional<QSqlQuery> plain;
  Prepared *p = nullptr;
  // A text prepared before is known to carry parameters; any other text is looked at first.
  const int generation = connection_->generation();
  for (Prepared &candidate : prepared_)
    if (candidate.text == text_ && candidate.generation == generation) p = &candidate;
  QStringList names;
  QString positional;
  if (!p) positional = positionalStatement(text_, &names);
  if (!p && names.isEmpty()) {
    // No parameters: sent as text, so statements the server cannot prepare (DDL) work too.
    plain.emplace(db);
    plain->setForwardOnly(true);
    if (!plain->exec(text_)) throw DbError(plain->lastError());
    q = &*plain;
  } else {
    p = prepared(positional, names);
    const QStringList &placeholders = p->placeholders;
    for (int i = 0; i < placeholders.size(); ++i) p->query->bindValue(i, boundValue(params_.value(placeholders.at(i))));
    if (p->query->boundValues().size() != placeholders.size())
      throw DbError(QStringLiteral("Parametre sayısı uyuşmuyor: %1").arg(text_));
    if (!p->query->exec()) {
      const DbError error(p->query->lastError());
      // A lost connection leaves the prepared statement unusable.
      prepared_.erase(prepared_.begin() + (p - prepared_.data()));
      throw DbError(error);
    }
    q = p->query.get();
  }

  rowsAffected_ = q->numRowsAffected();
  lastInsertId_ = q->lastInsertId();
  if (wantRows && q->isSelect()) {
    // Results of one statement shape come again and again (an order's lines, order after order):
    // their column names are looked up once, not for every result.
    const Result kept{QString(), layoutNames_, layoutIndex_, {}};
    Result result = Result::read(*q, text_, {&kept});
    takeLayout(result);
    rows_ = std::move(result.rows);
    checkDeclared();
    open_ = true;
    current_ = 0;
    eof_ = rows_.empty();
  }
  q->finish();
  if (changed_) changed_();
}

void Query::checkDeclared() {
  if (layoutChecked_) return;
  for (const QString &column : declared_) {
    if (!index_.contains(column.toLower())) {
      close();
      throw DbError(QStringLiteral("%1: Field '%2' not found").arg(name_, column));
    }
  }
  layoutChecked_ = true;
}

Query::Result Query::Result::read(QSqlQuery &query, const QString &text, const std::vector<const Result *> &shapes) {
  Result result;
  result.text = text;
  const QSqlRecord record = query.record();
  const int columns = record.count();
  // Results of one statement shape (an order's lines, order after order) share their names.
  const Result *shape = nullptr;
  for (const Result *candidate : shapes) {
    bool same = candidate->names.size() == columns;
    for (int c = 0; same && c < columns; ++c) same = record.fieldName(c) == candidate->names.at(c);
    if (same) {
      shape = candidate;
      break;
    }
  }
  if (shape) {
    result.names = shape->names;
    result.index = shape->index;
  } else {
    for (int c = 0; c < columns; ++c) {
      result.names << record.fieldName(c);
      result.index.insert(record.fieldName(c).toLower(), c);
    }
  }
  // The driver reads a zero date or date-time as an invalid value, which would go back to the
  // server as NULL; it is kept as the zero it is. NULL stays a null value.
  std::vector<int> dateColumns;
  for (int c = 0; c < columns; ++c) {
    const int type = record.field(c).metaType().id();
    if (type == QMetaType::QDate || type == QMetaType::QDateTime) dateColumns.push_back(c);
  }
  while (query.next()) {
    std::vector<QVariant> row(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) row[size_t(c)] = query.value(c);
    for (const int c : dateColumns) {
      QVariant &v = row[size_t(c)];
      if (v.isNull()) continue;
      const bool zero = v.typeId() == QMetaType::QDate ? !v.toDate().isValid()
                        : v.typeId() == QMetaType::QDateTime ? !v.toDateTime().isValid() : false;
      if (zero) v = QVariant::fromValue(ZeroDateTime{v.typeId() == QMetaType::QDate});
    }
    result.rows.push_back(std::move(row));
  }
  if (query.lastError().isValid()) throw DbError(query.lastError());
  return result;
}

Query::Result Query::result() const {
  if (!open_) return Result{text_, {}, {}, {}};
  return Result{text_, names_, index_, rows_};
}

void Query::takeLayout(const Result &result) {
  if (result.names != layoutNames_) {
    layoutNames_ = result.names;
    layoutIndex_ = result.index;
    layoutChecked_ = false;
    fieldMemo_.clear();
  }
  names_ = layoutNames_;
  index_ = layoutIndex_;
}

void Query::noteExecuted(const QString &statement, int rowsAffected, const QVariant &lastInsertId) {
  setText(statement);
  rowsAffected_ = rowsAffected;
  lastInsertId_ = lastInsertId;
  if (changed_) changed_();
}

void Query::restore(const Result &result) { restore(Result(result)); }

void Query::restore(Result &&result) {
  setText(result.text);
  takeLayout(result);
  checkDeclared();
  rows_ = std::move(result.rows);
  open_ = true;
  current_ = 0;
  eof_ = rows_.empty();
  if (changed_) changed_();
}

int Query::recNo() const {
  if (!open_ || rows_.empty()) return 0;
  return current_ + 1;
}

void Query::first() {
  current_ = 0;
  eof_ = rows_.empty();
}

void Query::next() {
  if (current_ + 1 < int(rows_.size())) {
    ++current_;
  } else {
    eof_ = true;
  }
}

void Query::moveTo(int recNo) {
  if (rows_.empty()) return;
  current_ = std::clamp(recNo - 1, 0, int(rows_.size()) - 1);
  eof_ = false;
}

bool Query::eof() const { return !open_ || eof_; }

int Query::columnIndex(const QString &name) const {
  // index_ is either empty (closed) or the kept layout, which the memo belongs to.
  if (!index_.isEmpty()) {
    const auto memo = fieldMemo_.constFind(name);
    if (memo != fieldMemo_.constEnd()) return memo.value();
  }
  const auto it = index_.constFind(name.toLower());
  if (it == index_.constEnd()) throw DbError(QStringLiteral("%1: Field '%2' not found").arg(name_, name));
  fieldMemo_.insert(name, it.value());
  return it.value();
}

bool Query::hasField(const QString &name) const { return index_.contains(name.toLower()); }

Field Query::field(const QString &name) const {
  if (!open_) throw DbError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(name_));
  const int c = columnIndex(name);
  if (rows_.empty()) return Field(names_.at(c), QVariant());
  return Field(names_.at(c), rows_[size_t(current_)][size_t(c)]);
}

QVariant Query::fieldValue(const QString &name) const {
  if (!open_) throw DbError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(name_));
  const int c = columnIndex(name);
  if (rows_.empty()) return QVariant();
  return rows_[size_t(current_)][size_t(c)];
}

QVariant Query::value(int row, const QString &name) const {
  const int c = columnIndex(name);
  if (row < 0 || row >= int(rows_.size())) return QVariant();
  return rows_[size_t(row)][size_t(c)];
}

}  // namespace zdb
