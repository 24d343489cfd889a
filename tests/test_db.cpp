// The data layer against the real server: reads, formats, parameters, errors, quoting.
#include <QSqlQuery>

#include "db/batch.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"
#include "db/quoting.h"
#include "db/turkish_format.h"
#include "db_fixture.h"

using zdb::DbError;
using zdb::Query;

namespace {

class DataLayer : public ztest::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ztest::exec(
        "DROP TABLE IF EXISTS zt_values;\n"
        "CREATE TABLE zt_values (id INT PRIMARY KEY, r DOUBLE NULL, t VARCHAR(40) NULL, i INT NULL, "
        "d DATE NULL, dt DATETIME NULL, tm TIME NULL, b TINYINT(1) NULL) ENGINE=InnoDB;\n"
        "INSERT INTO zt_values VALUES (1, 1234.5, '42', 7, '2026-12-09', '2026-12-09 14:05:00', '10:20:30', 1);\n"
        "INSERT INTO zt_values VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL);\n"
        "INSERT INTO zt_values VALUES (3, 12, 'abc', -3, '2026-12-08', '2026-12-08 00:00:00', '00:00:00', 0);\n"
        "INSERT INTO zt_values VALUES (4, -0.25, '', 0, NULL, NULL, NULL, NULL);");
    db = ztest::openConnection();
  }
  void TearDown() override { ztest::exec("DROP TABLE IF EXISTS zt_values;"); }
  std::unique_ptr<zdb::Connection> db;
};

TEST_F(DataLayer, NavigationAndRowNumbers) {
  Query q(*db, "Q");
  EXPECT_EQ(q.recNo(), 0);
  EXPECT_TRUE(q.eof());
  q.setText("select * from zt_values order by id");
  q.open();
  EXPECT_EQ(q.recordCount(), 4);
  EXPECT_EQ(q.recNo(), 1);
  q.next();
  q.next();
  EXPECT_EQ(q.recNo(), 3);
  q.next();
  EXPECT_FALSE(q.eof());
  q.next();
  EXPECT_TRUE(q.eof());
  EXPECT_EQ(q.recNo(), 4);  // past the last row the last row stays current
  q.first();
  EXPECT_FALSE(q.eof());
  EXPECT_EQ(q.field("ID").asInteger(), 1);

  q.setText("select * from zt_values where id = 99");  // replacing the text closes
  EXPECT_FALSE(q.isOpen());
  q.open();
  EXPECT_EQ(q.recordCount(), 0);
  EXPECT_EQ(q.recNo(), 0);
  EXPECT_TRUE(q.eof());
  EXPECT_EQ(q.field("t").asString(), "");  // an empty result reads as NULL

  q.setText("update zt_values set i = 8 where id = 1");
  q.execute();
  EXPECT_FALSE(q.isOpen());
  EXPECT_EQ(q.recNo(), 0);
  EXPECT_EQ(q.rowsAffected(), 1);
}

TEST_F(DataLayer, FieldReadsFollowTheNullAndTextRules) {
  Query q(*db, "Q");
  q.setText("select * from zt_values order by id");
  q.open();
  // Row 1: values, read case-insensitively.
  EXPECT_EQ(q.field("R").asString(), "1234,5");
  EXPECT_DOUBLE_EQ(q.field("r").asFloat(), 1234.5);
  EXPECT_EQ(q.field("T").asInteger(), 42);  // text converted from its text
  EXPECT_EQ(q.field("I").asString(), "7");
  EXPECT_EQ(q.field("dt").asDateTime(), QDateTime(QDate(2026, 12, 9), QTime(14, 5)));
  EXPECT_EQ(q.field("d").asDateTime().date(), QDate(2026, 12, 9));
  EXPECT_NE(q.field("b").asInteger(), 0);
  // Row 2: NULLs.
  q.next();
  EXPECT_TRUE(q.field("r").isNull());
  EXPECT_EQ(q.field("r").asFloat(), 0);
  EXPECT_EQ(q.field("i").asInteger(), 0);
  EXPECT_EQ(q.field("t").asString(), "");
  EXPECT_EQ(q.field("t").asInteger(), 0);
  EXPECT_FALSE(q.field("dt").asDateTime().isValid());
  // Row 3: a whole real shows no decimals; a non-numeric text is no integer.
  q.next();
  EXPECT_EQ(q.field("r").asString(), "12");
  EXPECT_THROW(q.field("t").asInteger(), DbError);
  q.next();
  EXPECT_EQ(q.field("r").asString(), "-0,25");
  EXPECT_THROW(q.field("t").asInteger(), DbError);  // empty text is no integer either
  EXPECT_THROW(q.field("nosuchcolumn"), DbError);
}

TEST_F(DataLayer, ParametersBindByNameWithTypesAndNull) {
  Query ins(*db, "Ins");
  ins.setText("insert into zt_values (id, r, t, i, d, dt, b) values (:ID, :R, :T, :i, :D, :Dt, :B)");
  ins.setParam(":id", 10);
  ins.setParam("R", 2.5);
  ins.setParam("T", QString("x:y ?"));
  ins.setParamNull("I");
  ins.setParam("D", QDate(2026, 1, 2));
  ins.setParam("DT", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
  ins.setParam("B", true);
  ins.execute();
  // Reused with new values; a parameter never bound is NULL.
  ins.setParam("ID", 11);
  ins.setParam("T", QString("ikinci"));
  ins.setParamNull("R");
  ins.execute();
  EXPECT_EQ(ins.rowsAffected(), 1);

  Query q(*db, "Q");
  q.setText("select * from zt_values where d =:0 order by id");
  q.setParamDate(":0", QDate(2026, 1, 2));
  q.open();
  ASSERT_EQ(q.recordCount(), 2);
  EXPECT_EQ(q.field("r").asString(), "2,5");
  EXPECT_EQ(q.field("t").asString(), "x:y ?");
  EXPECT_TRUE(q.field("i").isNull());
  EXPECT_EQ(q.field("dt").asDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
  EXPECT_EQ(q.field("b").asInteger(), 1);
  q.next();
  EXPECT_EQ(q.field("t").asString(), "ikinci");
  EXPECT_TRUE(q.field("r").isNull());
}

TEST_F(DataLayer, ErrorsCarryTheServerText) {
  Query q(*db, "Q");
  q.setText("select * from no_such_table");
  try {
    q.open();
    FAIL() << "no error";
  } catch (const DbError &e) {
    EXPECT_TRUE(e.text().contains("no_such_table")) << e.text().toStdString();
  }
  q.setText("insert into zt_values (id) values (1)");
  EXPECT_THROW(q.execute(), DbError);  // duplicate key

  // Turkish text in the server's message reads correctly, from plain and prepared statements.
  ztest::exec("CREATE TRIGGER zt_refuse BEFORE INSERT ON zt_values FOR EACH ROW "
              "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Kredi kartı kapalı';");
  for (const QString &statement : {QString("insert into zt_values (id) values (50)"),
                                   QString("insert into zt_values (id) values (:ID)")}) {
    q.setText(statement);
    q.setParam("ID", 51);
    try {
      q.execute();
      ADD_FAILURE() << "no error";
    } catch (const DbError &e) {
      EXPECT_EQ(e.text(), QString::fromUtf8("Kredi kartı kapalı")) << statement.toStdString();
    }
  }

  // A connection killed from outside surfaces as an error, not as an empty result.
  const qint64 id = db->serverThreadId();
  ztest::exec(QString("KILL CONNECTION %1;").arg(id));
  q.setText("select * from zt_values");
  EXPECT_THROW(q.open(), DbError);
}

TEST_F(DataLayer, DeclaredColumnsMustBeInTheResult) {
  Query q(*db, "QueryTemp");
  q.setDeclaredColumns({"ID", "R", "T"});
  q.setText("select id, r, t from zt_values");
  EXPECT_NO_THROW(q.open());
  q.setText("select id, r from zt_values");
  EXPECT_THROW(q.open(), DbError);
  EXPECT_FALSE(q.isOpen());
}

TEST_F(DataLayer, ObserverSeesEveryStatementText) {
  QStringList seen;
  db->setObserver([&](const QString &s) { seen << s; });
  Query q(*db, "Q");
  q.setText("select * from zt_values Where t =\"42\"");
  q.open();
  q.setText("update zt_values set i = 1 where d =:0");
  q.setParamDate(":0", QDate(2026, 12, 9));
  q.execute();
  EXPECT_EQ(seen, QStringList({"select * from zt_values Where t =\"42\"",
                               "update zt_values set i = 1 where d =:0"}));
}

TEST_F(DataLayer, QuotedValuesSurviveARoundTrip) {
  const QString nasty = QString::fromUtf8("Ali \"Baba\" O'Neil \\ yol\nikinci satır; DROP TABLE zt_values; -- :x ?");
  Query q(*db, "Q");
  // Placed between the double quotes of a text statement.
  q.setText("insert into zt_values (id, t) values (20, \"" + zdb::quoted(nasty.left(40)) + "\")");
  q.execute();
  // And in a statement that also carries a bound parameter.
  q.setText("update zt_values set d =:0 where t = \"" + zdb::quoted(nasty.left(40)) + "\"");
  q.setParamDate(":0", QDate(2026, 5, 6));
  q.execute();
  EXPECT_EQ(q.rowsAffected(), 1);
  q.setText("select t, d from zt_values where id = 20");
  q.open();
  EXPECT_EQ(q.field("t").asString(), nasty.left(40));
  EXPECT_EQ(q.field("d").asDateTime().date(), QDate(2026, 5, 6));
  EXPECT_EQ(ztest::count("select * from zt_values"), 5);
}

TEST_F(DataLayer, LiteralsStoreWhatBindingStores) {
  ztest::exec(
      "DROP TABLE IF EXISTS zt_lit;\n"
      "CREATE TABLE zt_lit (id INT PRIMARY KEY, r DOUBLE NULL, t VARCHAR(80) NULL, i BIGINT NULL, d DATE NULL, "
      "dt DATETIME NULL, dt3 DATETIME(3) NULL, tm TIME NULL, b TINYINT(1) NULL, v VARBINARY(8) NULL, "
      "n DECIMAL(12,2) NULL) ENGINE=InnoDB;");
  const QString nasty = QString::fromUtf8("Ali \"Baba\" O'Neil \\ yol\n\tŞık; DROP TABLE zt_lit; -- \x1a");
  const std::vector<std::pair<const char *, QVariant>> values = {
      {"r", 0.1}, {"r", 1.0 / 3.0}, {"r", 1234.5}, {"r", 2550.0}, {"r", -0.0}, {"r", -7.0}, {"r", -3.25e-7}, {"r", 1e20}, {"r", 42},
      {"t", nasty}, {"t", QString("")}, {"t", QString()}, {"t", 12.5}, {"t", qint64(7)},
      {"i", qint64(-9007199254740993LL)}, {"i", true}, {"i", 3.0},
      {"d", QDate(2026, 12, 9)}, {"dt", QDateTime(QDate(2026, 12, 9), QTime(23, 59, 58, 999))},
      {"dt3", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 60))}, {"tm", QTime(0, 0)}, {"tm", QTime(14, 5, 9, 500)},
      {"b", false}, {"v", QByteArray("\0\x01'\"\\", 5)}, {"n", 1234.56}, {"r", QVariant()}};
  Query bound(*db, "Bound");
  Query literal(*db, "Literal");
  for (size_t k = 0; k < values.size(); ++k) {
    const QString column = QString::fromLatin1(values[k].first);
    bound.setText("insert into zt_lit (id, " + column + ") values (:id, :v)");
    bound.setParam("id", int(k));
    bound.setParam("v", values[k].second);
    bound.execute();
    literal.setText("insert into zt_lit (id, " + column + ") values (" + QString::number(1000 + k) + ", " +
                    zdb::literal(values[k].second) + ")");
    literal.execute();
    const QString stored = "SELECT IFNULL(HEX(CAST(%1 AS BINARY)), 'NULL') FROM zt_lit WHERE id = %2";
    EXPECT_EQ(ztest::scalar(stored.arg(column).arg(k)).toString(), ztest::scalar(stored.arg(column).arg(1000 + k)).toString())
        << "value " << k << " in " << column.toStdString();
  }
  EXPECT_EQ(ztest::scalar("SELECT t FROM zt_lit WHERE id = 1009").toString(), nasty);
  EXPECT_TRUE(ztest::scalar("SELECT t FROM zt_lit WHERE id = 1011").isNull());  // a null text is NULL
  EXPECT_EQ(ztest::scalar("SELECT t FROM zt_lit WHERE id = 1010").toString(), "");
  ztest::exec("DROP TABLE zt_lit;");
}

// On a server that rounds fractions and rejects zero dates in strict mode, as a restaurant's
// MySQL does: the clock's fraction never reaches it, a zero date-time read is written back as
// zero and a NULL as NULL, by literal and by bound parameter alike.
TEST_F(DataLayer, DateTimesAreStoredAsWrittenOnAStrictRoundingServer) {
  EXPECT_EQ(zdb::literal(QDate(2026, 12, 9)).toStdString(), "\"2026-12-09\"");
  EXPECT_EQ(zdb::literal(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 600))).toStdString(), "\"2026-12-09 23:59:59\"");
  EXPECT_EQ(zdb::literal(QTime(14, 5, 9, 500)).toStdString(), "\"14:05:09\"");
  EXPECT_EQ(zdb::literal(zdb::zeroDateTime()).toStdString(), "\"0000-00-00 00:00:00\"");

  ztest::exec("INSERT INTO zt_values (id, d, dt) VALUES (5, '0000-00-00', '0000-00-00 00:00:00');");
  ztest::GlobalSqlMode mode(ztest::kMySqlServerMode);
  auto strict = ztest::openConnection("Strict");
  Query session(*strict, "Session");
  session.setText("SELECT @@SESSION.sql_mode m");
  session.open();
  const QStringList modes = session.field("m").asString().split(',');
  EXPECT_TRUE(modes.contains("STRICT_TRANS_TABLES") && modes.contains("TIME_ROUND_FRACTIONAL"))
      << session.field("m").asString().toStdString();
  EXPECT_FALSE(modes.contains("NO_ZERO_DATE"));

  Query write(*strict, "Write");
  const QDateTime late(QDate(2026, 12, 9), QTime(23, 59, 59, 600));
  write.setText("insert into zt_values (id, dt) values (10, :dt)");
  write.setParam("dt", late);
  write.execute();
  write.setText("insert into zt_values (id, dt) values (11, " + zdb::literal(late) + ")");
  write.execute();
  const QString stored = "SELECT IFNULL(CAST(%1 AS CHAR), 'NULL') FROM zt_values WHERE id = %2";
  EXPECT_EQ(ztest::scalar(stored.arg("dt").arg(10)).toString().toStdString(), "2026-12-09 23:59:59");
  EXPECT_EQ(ztest::scalar(stored.arg("dt").arg(11)).toString().toStdString(), "2026-12-09 23:59:59");

  // Read as text (no parameter) and through a prepared statement (a parameter), copied both ways.
  int id = 20;
  for (const bool prepared : {false, true}) {
    for (const int source : {5, 2}) {
      Query read(*strict, "Read");
      read.setText(prepared ? QString("select d, dt from zt_values where id = :id")
                            : QString("select d, dt from zt_values where id = %1").arg(source));
      if (prepared) read.setParam("id", source);
      read.open();
      ASSERT_EQ(read.recordCount(), 1);
      EXPECT_EQ(read.field("dt").isNull(), source == 2);
      EXPECT_TRUE(read.field("dt").asString().isEmpty());
      EXPECT_FALSE(read.field("dt").asDateTime().isValid());
      write.setText("insert into zt_values (id, d, dt) values (:id, :d, :dt)");
      write.setParam("id", id);
      write.setParam("d", read.field("d").asVariant());
      write.setParam("dt", read.field("dt").asVariant());
      write.execute();
      write.setText(QString("insert into zt_values (id, d, dt) values (%1, ").arg(id + 1) +
                    zdb::literal(read.field("d").asVariant()) + ", " + zdb::literal(read.field("dt").asVariant()) + ")");
      write.execute();
      for (const int copy : {id, id + 1}) {
        EXPECT_EQ(ztest::scalar(stored.arg("d").arg(copy)).toString().toStdString(), source == 5 ? "0000-00-00" : "NULL")
            << (prepared ? "prepared" : "text") << " copy " << copy;
        EXPECT_EQ(ztest::scalar(stored.arg("dt").arg(copy)).toString().toStdString(), source == 5 ? "0000-00-00 00:00:00" : "NULL")
            << (prepared ? "prepared" : "text") << " copy " << copy;
      }
      id += 2;
    }
  }

  // The session is still strict: a date that does not exist is refused.
  write.setText("insert into zt_values (id, d) values (40, \"2026-02-30\")");
  EXPECT_THROW(write.execute(), DbError);
}

TEST_F(DataLayer, ABatchRunsInOrderAndStopsAtItsFailingStatement) {
  QStringList seen;
  db->setObserver([&](const QString &s) { seen << s; });
  std::vector<QStringList> requests;
  db->setRequestObserver([&](const QStringList &r) { requests.push_back(r); });
  zdb::Batch batch(*db);
  batch.add("insert into zt_values (id, t) values (10, \"a;b\")");
  const int read = batch.add("select id, t from zt_values where id >= 3 order by id", true);
  batch.add("insert into zt_values (id) values (10)");  // the same key again
  batch.add("insert into zt_values (id) values (11)");
  try {
    batch.send();
    ADD_FAILURE() << "the duplicate key went through";
  } catch (const zdb::BatchError &e) {
    EXPECT_EQ(e.statement(), 2);
    EXPECT_TRUE(e.text().contains("Duplicate")) << e.text().toStdString();
  }
  EXPECT_EQ(seen.size(), 4);  // one statement at a time, as sent one by one
  ASSERT_EQ(requests.size(), 1u);  // but in one request
  EXPECT_EQ(requests.front(), seen);
  EXPECT_EQ(seen.first(), "insert into zt_values (id, t) values (10, \"a;b\")");
  EXPECT_EQ(ztest::scalar("select t from zt_values where id = 10").toString(), "a;b");
  EXPECT_EQ(ztest::count("select * from zt_values where id = 11"), 0);  // not run after the failure

  // The rows read before the failure are there, and the session goes on.
  Query q(*db, "Q");
  q.restore(batch.takeRows(read));
  EXPECT_EQ(q.recordCount(), 3);
  EXPECT_EQ(q.field("t").asString(), "abc");
  batch.add("insert into zt_values (id) values (11)");
  batch.add("update zt_values set i = 5 where id >= 10");
  batch.send();
  EXPECT_EQ(batch.rowsAffected(1), 2);
  EXPECT_EQ(ztest::count("select * from zt_values where i = 5"), 2);
}

TEST_F(DataLayer, ABatchPutsPlaceholderValuesInAsLiteralsAndKeepsItsFailureWhereItStruck) {
  QStringList seen;
  db->setObserver([&](const QString &s) { seen << s; });
  std::vector<QStringList> requests;
  db->setRequestObserver([&](const QStringList &r) { requests.push_back(r); });
  zdb::Batch batch(*db);
  const QString tricky = QStringLiteral("O'Neil \"Baba\" \\ :0 ?");
  const QString update = "update zt_values set t = :text, d = :0 where id = 1";
  const int updated = batch.add(update, {{"text", tricky}, {"0", QDate(2026, 12, 10)}});
  const int read = batch.add("select t, d from zt_values where id = 1 and d = :0", {{"0", QDate(2026, 12, 10)}}, true);
  const int failing = batch.add("select * from zt_no_such_table");
  const int after = batch.add("update zt_values set i = 99 where id = 2");
  batch.send(zdb::Batch::OnFailure::Keep);

  // The observer sees the statements as written, the server gets the values in the text.
  EXPECT_EQ(seen.first(), update);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests.front().first().contains(":text"));
  EXPECT_TRUE(requests.front().first().contains("\"2026-12-10\""));
  // Walked in order, the failure comes at the statement that met it and at every later one.
  EXPECT_TRUE(batch.failed());
  EXPECT_NO_THROW(batch.expectRan(updated));
  EXPECT_EQ(batch.rowsAffected(updated), 1);
  EXPECT_NO_THROW(batch.expectRan(read));
  Query q(*db, "Q");
  q.restore(batch.takeRows(read));
  ASSERT_EQ(q.recordCount(), 1);
  EXPECT_EQ(q.field("t").asString(), tricky);  // quotes, backslash, ':0' and '?' arrive as they are
  EXPECT_THROW(batch.expectRan(failing), zdb::BatchError);
  EXPECT_THROW(batch.expectRan(after), zdb::BatchError);
  EXPECT_EQ(ztest::scalar("select i from zt_values where id = 2").isNull(), true);  // never ran
}

TEST_F(DataLayer, SessionIgnoresAnsiQuotesAndNoBackslashEscapesFromTheServer) {
  // A text with one backslash: escaped as the program escapes it, it matches only while the
  // session reads backslashes as escapes (under NO_BACKSLASH_ESCAPES the literal holds two).
  QSqlQuery insert(ztest::admin());
  insert.prepare("INSERT INTO zt_values (id, t) VALUES (20, ?)");
  insert.addBindValue(QString("a\\b"));
  ASSERT_TRUE(insert.exec());
  const QString saved = ztest::scalar("SELECT @@GLOBAL.sql_mode").toString();
  ztest::exec("SET GLOBAL sql_mode = CONCAT(@@GLOBAL.sql_mode, ',ANSI_QUOTES,NO_BACKSLASH_ESCAPES');");
  auto other = ztest::openConnection("Other");
  ztest::exec(QString("SET GLOBAL sql_mode = '%1';").arg(saved));
  ASSERT_EQ(ztest::scalar("SELECT @@GLOBAL.sql_mode").toString(), saved);
  Query q(*other, "Q");
  // Under ANSI_QUOTES "42" would name a column; under NO_BACKSLASH_ESCAPES row 20 would not match.
  q.setText("select * from zt_values where t = \"" + zdb::quoted("a\\b") + "\" or t = \"42\" order by id");
  q.open();
  ASSERT_EQ(q.recordCount(), 2);
  q.next();
  EXPECT_EQ(q.field("id").asInteger(), 20);
}

// An older server knows fewer session settings: one it does not know (1193), keeps only globally
// (1229) or only reads (1238) is left out and the session opens all the same, with its sql_mode
// and the settings the server took; any other refusal fails the opening. The opening read comes
// back with the same request, and a read the server refuses leaves the opening standing.
TEST_F(DataLayer, AnOlderServersMissingSessionSettingsAreLeftOut) {
  zdb::Connection c(QStringLiteral("older"));
  ztest::configure(c);
  const QStringList lacking = {"SET SESSION no_such_wait_timeout = 10", "SET SESSION key_buffer_size = 10",
                               "SET SESSION version = 10"};
  c.setLockWaitSettings({lacking[0], "SET SESSION net_read_timeout = 33", lacking[1], lacking[2],
                         "SET SESSION lock_wait_timeout = 9"});
  c.setOpeningRead("SELECT @@SESSION.net_read_timeout, @@SESSION.lock_wait_timeout, @@SESSION.sql_mode");
  ztest::GlobalSqlMode ansi(QStringLiteral("ANSI_QUOTES,STRICT_TRANS_TABLES"));
  c.open();
  EXPECT_EQ(c.settingsLeftOut(), lacking);
  ASSERT_EQ(c.openingRows().rows.size(), 1u);
  EXPECT_EQ(c.openingRows().rows[0][0].toInt(), 33);
  EXPECT_EQ(c.openingRows().rows[0][1].toInt(), 9);
  // Strict for tables with transactions is strict for all tables too (MyISAM's multi-row inserts).
  EXPECT_EQ(c.openingRows().rows[0][2].toString(), "STRICT_TRANS_TABLES,STRICT_ALL_TABLES");

  c.setOpeningRead("SELECT * FROM no_such_table");
  c.reopen();
  EXPECT_TRUE(c.isOpen());
  EXPECT_TRUE(c.openingRows().rows.empty());
  EXPECT_TRUE(c.ping());

  c.setLockWaitSettings({"SET SESSION lock_wait_timeout = 'lang'"});  // a wrong value is no old server
  EXPECT_THROW(c.reopen(), DbError);
}

// The production settings on this server: none left out.
TEST_F(DataLayer, TheSessionWaitsAtMostTenSecondsForLocks) {
  if (!ztest::serverHasInnoDb()) {
    // Without InnoDB the row-lock wait is unknown; the table-lock wait stays.
    EXPECT_EQ(db->settingsLeftOut(), QStringList({"SET SESSION innodb_lock_wait_timeout = 10"}));
  } else {
    EXPECT_EQ(db->settingsLeftOut(), QStringList());
    EXPECT_EQ(db->openingRows().rows.size(), 0u);
    Query q(*db, "Q");
    q.setText("SELECT @@SESSION.innodb_lock_wait_timeout");
    q.open();
    EXPECT_EQ(q.field("@@SESSION.innodb_lock_wait_timeout").asInteger(), 10);
  }
  Query q(*db, "Q");
  q.setText("SELECT @@SESSION.lock_wait_timeout");
  q.open();
  EXPECT_EQ(q.field("@@SESSION.lock_wait_timeout").asInteger(), 10);
}

TEST(TurkishFormat, AmountsAndGeneralNumbers) {
  EXPECT_EQ(zfmt::amount(1234.5), "1.234,50");
  EXPECT_EQ(zfmt::amount(12), "12,00");
  EXPECT_EQ(zfmt::amount(-5), "-5,00");
  EXPECT_EQ(zfmt::amount(1234567.891), "1.234.567,89");
  EXPECT_EQ(zfmt::amount(0.005), "0,01");
  EXPECT_EQ(zfmt::amount(-0.001), "0,00");
  bool ok = false;
  EXPECT_DOUBLE_EQ(zfmt::parseAmount("1.234,50", &ok), 1234.5);
  EXPECT_TRUE(ok);
  zfmt::parseAmount("12a", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(zfmt::general(1234.5), "1234,5");
  EXPECT_EQ(zfmt::general(3), "3");
  EXPECT_EQ(zfmt::general(0), "0");
  EXPECT_EQ(zfmt::longDate(QDate(2026, 12, 9)), QString::fromUtf8("9 Aralık 2026 Çarşamba"));
}

TEST(StatementParsing, PlaceholdersOutsideLiteralsOnly) {
  QStringList names;
  const QString s = zdb::positionalStatement(
      "update Mainsip set x =\"a:b \"\" :c\" Where Tarih =:0 and y = 'it\\'s :d' and z = :Name", &names);
  EXPECT_EQ(names, QStringList({"0", "name"}));
  EXPECT_EQ(s, "update Mainsip set x =\"a:b \"\" :c\" Where Tarih =? and y = 'it\\'s :d' and z = ?");
}

}  // namespace
