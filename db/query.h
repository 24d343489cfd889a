#pragma once
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace zdb {

class Connection;

// One field of a query's current row, read the way the program reads it.
class Field {
 public:
  Field(QString name, QVariant value) : name_(std::move(name)), value_(std::move(value)) {}
  bool isNull() const;
  // NULL and the zero date-time read "", a real reads in Turkish form (decimal comma, no decimals
  // for a whole number).
  QString asString() const;
  // NULL reads 0; a text is converted from its text, and an empty or non-numeric text throws.
  qint64 asInteger() const;
  // NULL reads 0.
  double asFloat() const;
  // NULL and the zero date-time read an invalid date-time.
  QDateTime asDateTime() const;
  // The value with the type the server gave it; a NULL is a null QVariant, a zero date or
  // date-time a ZeroDateTime.
  const QVariant &asVariant() const { return value_; }
  const QString &name() const { return name_; }

 private:
  QString name_;
  QVariant value_;
};

// A named statement holder on the connection (TQuery-like): it holds one statement, its
// parameters and, once opened, the whole result with a current row. The result stays readable
// until the component's next statement.
class Query {
 public:
  Query(Connection &connection, QString name);
  ~Query();
  Query(const Query &) = delete;
  Query &operator=(const Query &) = delete;

  const QString &name() const { return name_; }
  Connection &connection() const { return *connection_; }

  // Replaces the statement; closes the component and forgets bound parameters.
  void setText(const QString &statement);
  const QString &text() const { return text_; }

  // Sends a SELECT and fetches its whole result; the current row is the first. Throws DbError.
  void open();
  // Sends an INSERT/UPDATE/DELETE/ALTER; the component has no rows afterwards. Throws DbError.
  void execute();
  void close();
  bool isOpen() const { return open_; }

  int recordCount() const { return open_ ? int(rows_.size()) : 0; }
  // 1-based number of the current row; 0 when closed or empty. Moving past the last row sets
  // eof and leaves the last row current, as a dataset cursor does.
  int recNo() const;
  void first();
  void next();
  // Moves to row number recNo (1-based).
  void moveTo(int recNo);
  bool eof() const;
  bool isEmpty() const { return recordCount() == 0; }

  bool hasField(const QString &name) const;
  // Field of the current row, by name without regard to case. Throws DbError on an unknown
  // field, or when there is no current row.
  Field field(const QString &name) const;
  QStringList fieldNames() const { return names_; }
  // The value of a field of the current row as field(name).asVariant() gives it, without
  // making a Field.
  QVariant fieldValue(const QString &name) const;
  // Value of any row (0-based) without moving the current row.
  QVariant value(int row, const QString &name) const;

  // Parameters, by name with or without the leading ':' (case ignored). A parameter that the
  // statement names but that was never bound is sent as NULL.
  void setParam(const QString &name, const QVariant &value);
  void setParamDate(const QString &name, const QDate &date);
  void setParamNull(const QString &name);
  void clearParams() { params_.clear(); }

  // Columns that a result must carry: opening on a result that lacks one throws DbError.
  void setDeclaredColumns(const QStringList &columns) {
    declared_ = columns;
    layoutChecked_ = false;
  }

  // Called whenever the component's result changes (opened, closed, executed), so that a data-bound
  // widget (the lines grid, a chart) can follow the component without anyone pushing data to it.
  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  // As if `statement` had just been executed here, for a write that went to the server in a batch:
  // the component is closed on that text with the rows it affected.
  void noteExecuted(const QString &statement, int rowsAffected, const QVariant &lastInsertId = QVariant());

  int rowsAffected() const { return rowsAffected_; }
  QVariant lastInsertId() const { return lastInsertId_; }

  // A fetched result kept apart from the component, to be put back without asking the server
  // again where the answer cannot have changed (the same statement inside one transaction).
  struct Result {
    QString text;
    QStringList names;
    QHash<QString, int> index;
    std::vector<std::vector<QVariant>> rows;

    // Reads the whole current result of `query`, which ran `text`; takes the names of one of
    // `shapes` when they are the result's.
    static Result read(QSqlQuery &query, const QString &text, const std::vector<const Result *> &shapes = {});
  };
  // The open result (empty when the component is closed).
  Result result() const;
  // As if `result.text` had been opened and answered with `result`'s rows; nothing is sent.
  // Throws DbError, as opening would, when the rows lack a declared column.
  void restore(const Result &result);
  void restore(Result &&result);

 private:
  struct Prepared {
    std::unique_ptr<QSqlQuery> query;
    QString text;
    int generation = -1;
    QStringList placeholders;  // in order of appearance, lower case
  };

  void run(bool wantRows);
  Prepared *prepared(const QString &positional, const QStringList &names);
  void takeLayout(const Result &result);
  void checkDeclared();
  int columnIndex(const QString &name) const;
  const QString &parameterKey(const QString &name);

  Connection *connection_;
  QString name_;
  QString text_;
  QHash<QString, QVariant> params_;  // key: lower-case name without ':'
  QStringList declared_;
  std::function<void()> changed_;

  // Result.
  bool open_ = false;
  QStringList names_;
  QHash<QString, int> index_;  // lower-case name -> column
  std::vector<std::vector<QVariant>> rows_;
  int current_ = 0;  // 0-based, always a valid row while there are rows
  bool eof_ = true;
  int rowsAffected_ = 0;
  QVariant lastInsertId_;
  // Column names of the last result read, kept for the next result of the same shape.
  QStringList layoutNames_;
  QHash<QString, int> layoutIndex_;
  bool layoutChecked_ = false;  // the declared columns were found in that shape
  // Names as callers spell them -> column of the kept layout, and -> parameter key: looked up
  // without making a lower-case copy each time.
  mutable QHash<QString, int> fieldMemo_;
  QHash<QString, QString> paramKeys_;

  // Statements prepared on the server are kept and reused while their text comes again: the last
  // few texts, so a statement whose text varies with the number of rows is not prepared anew for
  // every change of that number.
  std::vector<Prepared> prepared_;  // most recently used last
};

// Splits a statement into text with positional '?' markers and the names of its ':name'
// placeholders, in order. Quoted literals and identifiers are skipped, with backslash escapes and
// doubled quotes honoured, so a value that holds ':' or '?' is never mistaken for a placeholder.
QString positionalStatement(const QString &statement, QStringList *names);
// The same walk, with each ':name' placeholder replaced by what `replacement` gives for its
// lower-case name.
QString replacePlaceholders(const QString &statement, const std::function<QString(const QString &)> &replacement);

}  // namespace zdb
