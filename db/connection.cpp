#include "connection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <map>

#include "db_error.h"

namespace zdb {

namespace {
// Runs `statements` in one request, one after the other; the server stops at the first that fails.
// Returns -1 when all ran, else the index of the one that failed, with its error. The rows of the
// statements in `keep` (those that ran) go where it points.
int runTogether(QSqlDatabase &db, const QStringList &statements, const std::map<int, Query::Result *> &keep,
                QSqlError *error) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  if (!q.exec(statements.join(QStringLiteral(";\n")))) {
    *error = q.lastError();
    return 0;
  }
  for (int i = 0;; ++i) {
    const auto rows = keep.find(i);
    if (rows != keep.end() && q.isSelect()) *rows->second = Query::Result::read(q, statements.at(i));
    if (i + 1 == statements.size()) break;
    if (!q.nextResult()) {
      *error = q.lastError();
      return i + 1;
    }
  }
  while (q.nextResult()) {
  }
  return -1;
}
}  // namespace

Connection::Connection(const QString &connectionName) : name_(connectionName) {
  if (QSqlDatabase::contains(name_)) QSqlDatabase::removeDatabase(name_);
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name_);
  if (!db.isValid()) throw DbError(QStringLiteral("MySQL sürücüsü yüklenemedi"));
}

Connection::~Connection() {
  {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) db.close();
  }
  QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

void Connection::setDatabaseName(const QString &name) { database().setDatabaseName(name); }
void Connection::setPassword(const QString &password) { database().setPassword(password); }
void Connection::setHostName(const QString &host) { database().setHostName(host); }
void Connection::setUserName(const QString &user) { database().setUserName(user); }
void Connection::setPort(int port) { database().setPort(port); }

void Connection::open() {
  QSqlDatabase db = database();
  // A server that vanishes without closing the connection (power, cable) must not hang the board
  // inside a statement for ever; the read limit stays well above the server's lock wait.
  db.setConnectOptions(QStringLiteral(
      "MYSQL_OPT_CONNECT_TIMEOUT=10;MYSQL_OPT_READ_TIMEOUT=120;MYSQL_OPT_WRITE_TIMEOUT=120"));
  if (!db.open()) throw DbError(db.lastError());
  inTransaction_ = false;
  ++generation_;
  // The statements quote their literals with double quotes and values are escaped with
  // backslashes: a session with ANSI_QUOTES or NO_BACKSLASH_ESCAPES would misread both. A closed
  // bill carries the zero date-time, which NO_ZERO_DATE in strict mode rejects. The server's
  // other modes, strict mode among them, stay; a combined mode (ANSI, TRADITIONAL) is read back
  // spelled out, so its name goes and its other parts stay.
  QSqlQuery mode(db);
  if (!mode.exec(QStringLiteral("SELECT @@SESSION.sql_mode, CONNECTION_ID()")) || !mode.next())
    throw DbError(mode.lastError());
  sessionId_ = mode.value(1).toLongLong();
  sessionHost_.clear();
  static const QStringList dropped = {QStringLiteral("ANSI_QUOTES"), QStringLiteral("NO_BACKSLASH_ESCAPES"),
                                      QStringLiteral("ANSI"), QStringLiteral("NO_ZERO_DATE"),
                                      QStringLiteral("TRADITIONAL")};
  QStringList kept;
  for (const QString &item : mode.value(0).toString().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    if (!dropped.contains(item.trimmed(), Qt::CaseInsensitive)) kept << item.trimmed();
  }
  // Strict for tables with transactions only, the server adjusts a bad value in the second or a
  // later row of a multi-row insert into a table without (MyISAM) instead of refusing it, to spare
  // the rows before it: a stock row would be booked mangled where an InnoDB table refuses it.
  // Strict for all tables refuses it there too (the rows before it stay, and are taken back).
  if (kept.contains(QStringLiteral("STRICT_TRANS_TABLES"), Qt::CaseInsensitive) &&
      !kept.contains(QStringLiteral("STRICT_ALL_TABLES"), Qt::CaseInsensitive))
    kept << QStringLiteral("STRICT_ALL_TABLES");
  // A board waits on another terminal's locks for at most kLockWaitSeconds, not the server's
  // default (50 s for rows, a day for tables); the wait's end is reported like a conflict with that
  // terminal. Then, in the same request, the session's client address (with its id it names the
  // session at the server, for whoever must end it should the connection be lost while the server
  // still runs it) and the owner's opening read.
  QStringList statements = {QStringLiteral("SET SESSION sql_mode = '%1'").arg(kept.join(QLatin1Char(',')))};
  const int firstLockWait = int(statements.size());
  statements << lockWaitSettings_;
  Query::Result host;
  std::map<int, Query::Result *> reads;
  reads[int(statements.size())] = &host;
  statements << QStringLiteral("SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = CONNECTION_ID()");
  openingRows_ = Query::Result{};
  if (!openingRead_.isEmpty()) {
    reads[int(statements.size())] = &openingRows_;
    statements << openingRead_;
  }
  settingsLeftOut_.clear();
  int from = 0;
  while (from < statements.size()) {
    QSqlError error;
    std::map<int, Query::Result *> keep;
    for (const auto &[index, rows] : reads)
      if (index >= from) keep[index - from] = rows;
    const int failed = runTogether(db, statements.mid(from), keep, &error);
    if (failed < 0) break;
    const int statement = from + failed;
    const int code = error.nativeErrorCode().toInt();
    // A read refused by the server: the opening stands without its answer. A lost connection (the
    // client library's own errors) fails it.
    const bool clientError = code >= 2000 && code < 3000;
    if (reads.count(statement) && !clientError) {
      from = statement + 1;
      continue;
    }
    constexpr int kUnknownVariable = 1193;  // ER_UNKNOWN_SYSTEM_VARIABLE
    constexpr int kGlobalOnly = 1229;       // ER_GLOBAL_VARIABLE
    constexpr int kReadOnly = 1238;         // ER_INCORRECT_GLOBAL_LOCAL_VAR
    if (statement < firstLockWait || (code != kUnknownVariable && code != kGlobalOnly && code != kReadOnly))
      throw DbError(error);
    settingsLeftOut_ << statements.at(statement);
    from = statement + 1;
  }
  if (!host.rows.empty() && !host.rows.front().empty()) sessionHost_ = host.rows.front().front().toString();
}

bool Connection::isOpen() const { return database().isOpen(); }

void Connection::close() {
  QSqlDatabase db = database();
  if (db.isOpen()) db.close();
  inTransaction_ = false;
}

void Connection::reopen() {
  close();
  open();
}

bool Connection::ping() {
  QSqlDatabase db = database();
  if (!db.isOpen()) return false;
  QSqlQuery q(db);
  return q.exec(QStringLiteral("SELECT 1")) && q.next();
}

void Connection::execute(const QString &statement) {
  notify(statement);
  QSqlDatabase db = database();
  if (!db.isOpen()) throw DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
  QSqlQuery q(db);
  if (!q.exec(statement)) throw DbError(q.lastError());
}

qint64 Connection::serverThreadId() {
  QSqlQuery q(database());
  if (!q.exec(QStringLiteral("SELECT CONNECTION_ID()")) || !q.next())
    throw DbError(q.lastError());
  return q.value(0).toLongLong();
}

void Connection::begin() {
  execute(beginStatement());
  inTransaction_ = true;
}

void Connection::commit() {
  execute(QStringLiteral("COMMIT"));
  inTransaction_ = false;
}

void Connection::rollback() {
  inTransaction_ = false;
  execute(QStringLiteral("ROLLBACK"));
}

void Connection::savepoint(const QString &name) { execute(QStringLiteral("SAVEPOINT ") + name); }
void Connection::rollbackToSavepoint(const QString &name) {
  execute(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name);
}
void Connection::releaseSavepoint(const QString &name) {
  execute(QStringLiteral("RELEASE SAVEPOINT ") + name);
}

}  // namespace zdb
