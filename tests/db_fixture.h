#pragma once
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include "db/connection.h"

// Access to the private MariaDB server that the test run started (never port 3306, never a
// server the run did not start) and a quick way back to a known database state.
namespace ztest {

// The private server's directory: the build's testdb, or the one ZTEST_DB_DIR names (the second
// server, without InnoDB, for the tests that run on both).
QString serverDir();
int serverPort();
// Points a program connection at the private server (127.0.0.1, its port, root, zerdapos).
void configure(zdb::Connection &connection);
// A fresh open program connection with the given Qt connection name.
std::unique_ptr<zdb::Connection> openConnection(const QString &name = QStringLiteral("Connect"));

// The fixture's own administration connection (not the program's), for arranging and checking.
QSqlDatabase admin();
// Runs statements separated by ';' at line ends; fails the test on an error.
void exec(const QString &sql);
// First column of the first row (an invalid QVariant when there is no row).
QVariant scalar(const QString &sql);
// Number of rows the statement returns.
int count(const QString &sql);
// Empties every table and drops triggers; reloads the schema when a test changed the layout.
void resetDatabase();
// Runs a scenario file from tests/data (statements separated by ';').
void loadScenario(const QString &fileName);

// Gives genhar, stokhar, mainsip and temp another engine ("MyISAM": an older restaurant's
// database); the next test's reset gives them theirs back.
void setClosingTablesEngine(const QString &engine);
// Whether those four tables are InnoDB tables.
bool closingTablesHaveTransactions();
// Whether the server runs with InnoDB (the second test server runs without).
bool serverHasInnoDb();

// The server's global sql_mode, which connections opened while this lives start from; the mode
// before comes back at the end. The fixture's own connection keeps the mode it opened with.
class GlobalSqlMode {
 public:
  explicit GlobalSqlMode(const QString &mode);
  ~GlobalSqlMode();
  GlobalSqlMode(const GlobalSqlMode &) = delete;
  GlobalSqlMode &operator=(const GlobalSqlMode &) = delete;

 private:
  QString saved_;
};
// A restaurant's MySQL 8 server: its default modes (strict, no zero dates) and its rounding of a
// fraction of a second where MariaDB would cut it off.
inline constexpr const char *kMySqlServerMode =
    "ONLY_FULL_GROUP_BY,STRICT_TRANS_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO,"
    "NO_ENGINE_SUBSTITUTION,TIME_ROUND_FRACTIONAL";

// Base for database tests: a clean database before every test.
class DbTest : public ::testing::Test {
 protected:
  void SetUp() override { resetDatabase(); }
};

}  // namespace ztest
