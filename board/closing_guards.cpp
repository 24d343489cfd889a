#include "closing_guards.h"

#include "db/batch.h"

namespace zboard::guard {

namespace {
// The limits a bounded session keeps: idle between requests, and the wait inside one for the
// rest of a request or for the till to take an answer (a stopped till's session would otherwise
// sit inside a read of temp, holding its table lock, for the server's default minute).
const char *const kLimits[] = {"wait_timeout", "net_read_timeout", "net_write_timeout"};
}  // namespace

QString boundSession(int seconds) {
  QStringList saves, sets;
  for (const char *limit : kLimits) {
    const QString name = QString::fromLatin1(limit);
    // Saved once: a second bounding (a settle after the run) keeps the session's own value.
    saves << QStringLiteral("@zerda_%1 = IFNULL(@zerda_%1, @@SESSION.%1)").arg(name);
    sets << QStringLiteral("SESSION %1 = %2").arg(name).arg(seconds);
  }
  return QStringLiteral("SET ") + (saves + sets).join(QStringLiteral(", "));
}

QString unboundSession() {
  QStringList puts, forgets;
  for (const char *limit : kLimits) {
    const QString name = QString::fromLatin1(limit);
    // A user variable comes back untyped: cast, or the server refuses it for a number.
    puts << QStringLiteral("SESSION %1 = CAST(IFNULL(@zerda_%1, @@SESSION.%1) AS UNSIGNED)").arg(name);
    forgets << QStringLiteral("@zerda_%1 = NULL").arg(name);
  }
  return QStringLiteral("SET ") + (puts + forgets).join(QStringLiteral(", "));
}

QString stopUnless(const QString &condition) {
  // A scalar subquery of two rows is an error wherever it is evaluated; SET evaluates it (DO may
  // not). IS NOT TRUE: a condition that comes out NULL stops too.
  return QStringLiteral("SET @zerda_kontrol = (SELECT 1 FROM (SELECT 1 UNION ALL SELECT 2) AS iki WHERE (") +
         condition + QStringLiteral(") IS NOT TRUE)");
}

bool stoppedAt(const zdb::BatchError &error, int index) {
  constexpr int kSubqueryRows = 1242;  // ER_SUBQUERY_NO_1_ROW
  return error.statement() == index && error.serverCode() == kSubqueryRows;
}

QString lockName() { return QStringLiteral("'zerdapos_paket_kapanis'"); }

QString staleHolder(int staleSeconds) {
  return QStringLiteral(
             "SELECT p.ID FROM information_schema.PROCESSLIST p WHERE p.ID = IS_USED_LOCK(%1) AND "
             "p.COMMAND = 'Sleep' AND p.TIME >= %2")
      .arg(lockName())
      .arg(staleSeconds);
}

QString takeLock(int waitSeconds, int staleSeconds) {
  if (staleSeconds <= 0) return QStringLiteral("SELECT GET_LOCK(%1, %2)").arg(lockName()).arg(waitSeconds);
  return QStringLiteral(
             "SELECT GET_LOCK(%1, IF(EXISTS(SELECT * FROM information_schema.PROCESSLIST p WHERE p.ID = "
             "IS_USED_LOCK(%1) AND p.COMMAND = 'Sleep' AND p.TIME >= %3), 0, %2))")
      .arg(lockName())
      .arg(waitSeconds)
      .arg(staleSeconds);
}

QString releaseLock() { return QStringLiteral("DO RELEASE_LOCK(%1)").arg(lockName()); }

QString holdsLock() { return QStringLiteral("IS_USED_LOCK(%1) = CONNECTION_ID()").arg(lockName()); }

}  // namespace zboard::guard
