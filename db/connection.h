#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

#include "db/query.h"

namespace zdb {

// The one database connection of a board (`Connect`). Production sets the fixed target
// (host from the settings file, port 3306, user root, schema zerdapos); tests point the same
// code at their private server. A connection is used only from the thread that opened it.
class Connection {
 public:
  explicit Connection(const QString &connectionName = QStringLiteral("Connect"));
  ~Connection();
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;

  // Connection parameters, each may throw DbError when the driver refuses them.
  void setDatabaseName(const QString &name);
  void setPassword(const QString &password);
  void setHostName(const QString &host);
  void setUserName(const QString &user);
  void setPort(int port);

  // Longest wait of this session for another session's row, table or metadata locks.
  static constexpr int kLockWaitSeconds = 10;

  // Opens with the parameters set; throws DbError with the driver's text on failure. The session
  // is then made to read double-quoted literals as strings and backslashes as escapes, and to
  // wait at most kLockWaitSeconds for locks. A lock-wait setting the server does not know (1193,
  // a server without InnoDB or an old one) or keeps only globally (1229, 1238: MySQL 5.1's
  // built-in InnoDB) is left out: the session then waits as the server decides.
  void open();
  bool isOpen() const;
  void close();
  // Opens again with the same parameters (after the server went away).
  void reopen();
  // True when the server answers a trivial statement on this connection.
  bool ping();

  QSqlDatabase database() const;
  const QString &name() const { return name_; }
  // Counts the openings: statements prepared on an earlier opening are prepared again.
  int generation() const { return generation_; }

  // A read sent with the session's settings at every opening, in the same request: what the
  // owner must know afresh whenever the session is new. Its answer is kept until the next
  // opening; a read the server refuses leaves no rows and does not fail the opening.
  void setOpeningRead(const QString &statement) { openingRead_ = statement; }
  const Query::Result &openingRows() const { return openingRows_; }
  // Session settings left out at the last opening, as sent.
  const QStringList &settingsLeftOut() const { return settingsLeftOut_; }
  // The lock-wait settings sent at every opening (tests put a setting of their own here).
  void setLockWaitSettings(const QStringList &statements) { lockWaitSettings_ = statements; }

  // Runs a statement that returns no rows and needs no parameters (session settings,
  // transaction control); throws DbError.
  void execute(const QString &statement);
  // Server-side id of this session (for tests that kill it).
  qint64 serverThreadId();
  // The session's id and its client's address ("host:port") at the server, as read when it opened
  // (the address empty when the server would not tell it).
  qint64 sessionId() const { return sessionId_; }
  const QString &sessionHost() const { return sessionHost_; }

  // Transactions and savepoints for work that must be all or nothing.
  void begin();
  // The statement that begins a transaction, for a caller that sends it with other statements;
  // it calls beganInBatch() before sending it.
  static QString beginStatement() { return QStringLiteral("START TRANSACTION"); }
  void beganInBatch() { inTransaction_ = true; }
  // A COMMIT or ROLLBACK that ran inside a caller's batch.
  void endedInBatch() { inTransaction_ = false; }
  void commit();
  void rollback();
  void savepoint(const QString &name);
  void rollbackToSavepoint(const QString &name);
  void releaseSavepoint(const QString &name);
  bool inTransaction() const { return inTransaction_; }

  // Optional observer that sees the text of every statement sent (off in production).
  using Observer = std::function<void(const QString &)>;
  void setObserver(Observer observer) { observer_ = std::move(observer); }
  // Optional observer that sees every request sent: a statement, or the statements of a batch
  // together (off in production; the benchmark replays what a closing run sent).
  using RequestObserver = std::function<void(const QStringList &)>;
  void setRequestObserver(RequestObserver observer) { requestObserver_ = std::move(observer); }
  void notify(const QString &statement) const {
    if (observer_) observer_(statement);
    if (requestObserver_) requestObserver_(QStringList{statement});
  }
  // Statements that go to the server in one request: as written (with their placeholders), and
  // as sent (values in the text).
  void notifyRequest(const QStringList &written, const QStringList &sent) const {
    if (observer_)
      for (const QString &statement : written) observer_(statement);
    if (requestObserver_) requestObserver_(sent);
  }

 private:
  QString name_;
  Observer observer_;
  RequestObserver requestObserver_;
  bool inTransaction_ = false;
  int generation_ = 0;
  qint64 sessionId_ = 0;
  QString sessionHost_;
  QString openingRead_;
  Query::Result openingRows_;
  QStringList settingsLeftOut_;
  QStringList lockWaitSettings_ = {
      QStringLiteral("SET SESSION innodb_lock_wait_timeout = %1").arg(kLockWaitSeconds),
      QStringLiteral("SET SESSION lock_wait_timeout = %1").arg(kLockWaitSeconds)};
};

}  // namespace zdb
