#include "connection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "db_error.h"

namespace zdb {

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
  if (!mode.exec(QStringLiteral("SELECT @@SESSION.sql_mode")) || !mode.next())
    throw DbError(mode.lastError());
  static const QStringList dropped = {QStringLiteral("ANSI_QUOTES"), QStringLiteral("NO_BACKSLASH_ESCAPES"),
                                      QStringLiteral("ANSI"), QStringLiteral("NO_ZERO_DATE"),
                                      QStringLiteral("TRADITIONAL")};
  QStringList kept;
  for (const QString &item : mode.value(0).toString().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    if (!dropped.contains(item.trimmed(), Qt::CaseInsensitive)) kept << item.trimmed();
  }
  // A board waits on another terminal's row locks for at most kLockWaitSeconds, not the server's
  // default of 50 s; the wait's end is reported like a conflict with that terminal.
  QSqlQuery set(db);
  if (!set.exec(QStringLiteral("SET SESSION sql_mode = '%1', SESSION innodb_lock_wait_timeout = %2")
                    .arg(kept.join(QLatin1Char(',')))
                    .arg(kLockWaitSeconds)))
    throw DbError(set.lastError());
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
