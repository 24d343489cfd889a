#include "db_fixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace ztest {

namespace {
QString readFile(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << path.toStdString();
    return {};
  }
  return QString::fromUtf8(f.readAll());
}

QStringList splitStatements(const QString &sql) {
  QStringList out;
  QString current;
  for (const QString &line : sql.split(QLatin1Char('\n'))) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1String("--")) && current.trimmed().isEmpty()) continue;
    current += line + QLatin1Char('\n');
    if (t.endsWith(QLatin1Char(';'))) {
      current = current.trimmed();
      current.chop(1);
      if (!current.trimmed().isEmpty()) out << current;
      current.clear();
    }
  }
  if (!current.trimmed().isEmpty()) out << current.trimmed();
  return out;
}

// The tables' engines, "name:engine|...".
QString engines() {
  QSqlQuery q(admin());
  q.exec(QStringLiteral("SELECT GROUP_CONCAT(CONCAT(TABLE_NAME, ':', IFNULL(ENGINE, '-')) ORDER BY TABLE_NAME "
                        "SEPARATOR '|') FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'zerdapos'"));
  q.next();
  return q.value(0).toString();
}

QString fingerprint() {
  QSqlQuery q(admin());
  q.exec(QStringLiteral(
      "SELECT GROUP_CONCAT(CONCAT_WS(':', TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, ORDINAL_POSITION, "
      "IFNULL(COLUMN_DEFAULT,'-'), IS_NULLABLE, EXTRA) ORDER BY TABLE_NAME, ORDINAL_POSITION "
      "SEPARATOR '|') FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = 'zerdapos'"));
  q.next();
  // A table of another engine is a layout change too.
  return QString::fromLatin1(
      QCryptographicHash::hash((q.value(0).toString() + engines()).toUtf8(), QCryptographicHash::Md5).toHex());
}

QString &pristineEngines() {
  static QString value;
  return value;
}

QString &pristineFingerprint() {
  static QString value;
  return value;
}

QStringList &pristineTables() {
  static QStringList value;
  return value;
}

QStringList tableNames() {
  QStringList tables;
  QSqlQuery q(admin());
  q.exec(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'zerdapos' ORDER BY 1"));
  while (q.next()) tables << q.value(0).toString();
  return tables;
}

// Undoes the layout changes that tests make on purpose (the column the board adds to setup4,
// scratch tables) without reloading the whole schema.
void undoKnownLayoutChanges() {
  QSqlQuery q(admin());
  for (const QString &t : tableNames()) {
    if (!pristineTables().contains(t)) q.exec(QStringLiteral("DROP TABLE zerdapos.`%1`").arg(t));
  }
  q.exec(QStringLiteral("SELECT 1 FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = 'zerdapos' AND "
                        "TABLE_NAME = 'setup4' AND COLUMN_NAME = 'KURYE_TAKIP_SISTEMI'"));
  if (q.next()) q.exec(QStringLiteral("ALTER TABLE zerdapos.setup4 DROP COLUMN KURYE_TAKIP_SISTEMI"));
  // Tables a test gave another engine get their own back.
  const QStringList now = engines().split(QLatin1Char('|'));
  for (const QString &table : pristineEngines().split(QLatin1Char('|'))) {
    const QStringList nameEngine = table.split(QLatin1Char(':'));
    if (nameEngine.size() == 2 && !now.contains(table))
      q.exec(QStringLiteral("ALTER TABLE zerdapos.`%1` ENGINE=%2").arg(nameEngine[0], nameEngine[1]));
  }
}

void reloadSchema() {
  QSqlQuery q(admin());
  q.exec(QStringLiteral("DROP DATABASE IF EXISTS zerdapos"));
  q.exec(QStringLiteral("CREATE DATABASE zerdapos CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci"));
  q.exec(QStringLiteral("USE zerdapos"));
  for (const QString &statement :
       splitStatements(readFile(QStringLiteral(ZTEST_SOURCE_DIR "/db/schema.sql")))) {
    if (!q.exec(statement))
      ADD_FAILURE() << "schema: " << q.lastError().text().toStdString() << "\n" << statement.toStdString();
  }
  pristineFingerprint() = fingerprint();
  pristineTables() = tableNames();
  pristineEngines() = engines();
}
}  // namespace

QString serverDir() { return qEnvironmentVariable("ZTEST_DB_DIR", QStringLiteral(ZTEST_DB_DIR)); }

int serverPort() {
  static int port = [] {
    QFile f(serverDir() + QStringLiteral("/port"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    return QString::fromLatin1(f.readAll()).trimmed().toInt();
  }();
  if (port == 0 || port == 3306) {
    ADD_FAILURE() << "the private test server is not running (" << serverDir().toStdString()
                  << "/port); run the tests through ctest or scripts/test.sh";
    std::abort();
  }
  return port;
}

void configure(zdb::Connection &connection) {
  connection.setDatabaseName(QStringLiteral("zerdapos"));
  connection.setPassword(QStringLiteral("73507350"));
  connection.setHostName(QStringLiteral("127.0.0.1"));
  connection.setUserName(QStringLiteral("root"));
  connection.setPort(serverPort());
}

std::unique_ptr<zdb::Connection> openConnection(const QString &name) {
  auto connection = std::make_unique<zdb::Connection>(name);
  configure(*connection);
  connection->open();
  return connection;
}

QSqlDatabase admin() {
  const QString name = QStringLiteral("ztest_admin");
  if (!QSqlDatabase::contains(name)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
    db.setHostName(QStringLiteral("127.0.0.1"));
    db.setPort(serverPort());
    db.setUserName(QStringLiteral("root"));
    db.setPassword(QStringLiteral("73507350"));
    db.setDatabaseName(QStringLiteral("zerdapos"));
  }
  QSqlDatabase db = QSqlDatabase::database(name, false);
  if (!db.isOpen() && !db.open()) {
    ADD_FAILURE() << "admin connection: " << db.lastError().text().toStdString();
  }
  return db;
}

void exec(const QString &sql) {
  QSqlQuery q(admin());
  for (const QString &statement : splitStatements(sql)) {
    if (!q.exec(statement))
      ADD_FAILURE() << q.lastError().text().toStdString() << "\nin: " << statement.toStdString();
  }
}

QVariant scalar(const QString &sql) {
  QSqlQuery q(admin());
  if (!q.exec(sql)) {
    ADD_FAILURE() << q.lastError().text().toStdString() << "\nin: " << sql.toStdString();
    return {};
  }
  return q.next() ? q.value(0) : QVariant();
}

int count(const QString &sql) {
  QSqlQuery q(admin());
  if (!q.exec(sql)) {
    ADD_FAILURE() << q.lastError().text().toStdString() << "\nin: " << sql.toStdString();
    return -1;
  }
  int n = 0;
  while (q.next()) ++n;
  return n;
}

void resetDatabase() {
  QSqlQuery q(admin());
  if (pristineFingerprint().isEmpty() || !q.exec(QStringLiteral("USE zerdapos"))) {
    reloadSchema();
    return;
  }
  if (fingerprint() != pristineFingerprint()) {
    undoKnownLayoutChanges();
    if (fingerprint() != pristineFingerprint()) {
      reloadSchema();
      return;
    }
  }
  QStringList triggers;
  q.exec(QStringLiteral("SELECT TRIGGER_NAME FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = 'zerdapos'"));
  while (q.next()) triggers << q.value(0).toString();
  for (const QString &t : triggers) q.exec(QStringLiteral("DROP TRIGGER zerdapos.`%1`").arg(t));
  QStringList tables;
  q.exec(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'zerdapos'"));
  while (q.next()) tables << q.value(0).toString();
  for (const QString &t : tables) q.exec(QStringLiteral("DELETE FROM zerdapos.`%1`").arg(t));
}

void setClosingTablesEngine(const QString &engine) {
  for (const char *table : {"genhar", "stokhar", "mainsip", "temp"})
    exec(QStringLiteral("ALTER TABLE zerdapos.`%1` ENGINE=%2;").arg(QLatin1String(table), engine));
}

bool closingTablesHaveTransactions() {
  return count(QStringLiteral("SELECT 1 FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'zerdapos' AND "
                              "TABLE_NAME IN ('genhar', 'stokhar', 'mainsip', 'temp') AND ENGINE = 'InnoDB'")) == 4;
}

bool serverHasInnoDb() {
  return count(QStringLiteral("SELECT 1 FROM information_schema.ENGINES WHERE ENGINE = 'InnoDB' AND "
                              "SUPPORT IN ('YES', 'DEFAULT')")) == 1;
}

GlobalSqlMode::GlobalSqlMode(const QString &mode) {
  saved_ = scalar(QStringLiteral("SELECT @@GLOBAL.sql_mode")).toString();
  exec(QStringLiteral("SET GLOBAL sql_mode = '%1';").arg(mode));
}

GlobalSqlMode::~GlobalSqlMode() { exec(QStringLiteral("SET GLOBAL sql_mode = '%1';").arg(saved_)); }

void loadScenario(const QString &fileName) {
  exec(readFile(QStringLiteral(ZTEST_SOURCE_DIR "/tests/data/") + fileName));
}

}  // namespace ztest
