// The records of a closing run: the closed bill in Genhar and the stock movements in Stokhar,
// column by column as the server stores them.
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>
#include <optional>

#include "board_fixture.h"
#include "db/table_columns.h"

namespace {

using Row = QMap<QString, QString>;

QString utf(const char *s) { return QString::fromUtf8(s); }

// The stored values as the server prints them ("NULL" for NULL), column by column.
std::vector<Row> rowsAsText(const QString &table, const QStringList &columns, const QString &where,
                            const QString &orderBy) {
  QStringList casts;
  for (const QString &c : columns) casts << QStringLiteral("CAST(`%1` AS CHAR) AS `%1`").arg(c);
  QSqlQuery q(ztest::admin());
  const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4").arg(casts.join(", "), table, where, orderBy);
  if (!q.exec(sql)) ADD_FAILURE() << q.lastError().text().toStdString();
  std::vector<Row> rows;
  while (q.next()) {
    Row row;
    for (int i = 0; i < columns.size(); ++i)
      row[columns[i]] = q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString();
    rows.push_back(row);
  }
  return rows;
}

void expectRow(const Row &actual, const Row &expected, const QStringList &columns) {
  ASSERT_EQ(expected.size(), columns.size()) << "the expectation names every column";
  for (const QString &c : columns) {
    EXPECT_EQ(actual.value(c).toStdString(), expected.value(c).toStdString()) << "column " << c.toStdString();
  }
}

class ClosingRecords : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
    ztest::loadScenario("closing_known_orders.sql");
    ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
    listCourier("Ali");
    ASSERT_TRUE(board->BoardErrorText.isEmpty()) << board->BoardErrorText.toStdString();
    ASSERT_EQ(board->NextGrid1.rowCount(), 2);
  }

  // A clock that moves one second per reading, from 14:59:58 of the board's day: the run's start
  // falls in hour 14 and minute 59, every later reading after it.
  void startTickingClock() {
    auto tick = std::make_shared<int>(0);
    board->setClock([tick] { return QDateTime(ztest::workDate(), QTime(14, 59, 58)).addSecs((*tick)++); });
  }

  void closeAll() {
    fake.answer(1);
    fake.answer(1);
    board->Button2Click();
    ASSERT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
  }

  QVariant billOf(int order) {
    return ztest::scalar(QStringLiteral("SELECT GENHARNO FROM genhar WHERE ADISYONNO = %1").arg(order));
  }
};

TEST_F(ClosingRecords, KnownOrdersGiveTheExpectedBillsAndStockRows) {
  // The run reads the working date anew; today's clock is a different day.
  ztest::exec("UPDATE setup SET ISLEMTARIHI = '2026-11-30 00:00:00';");
  startTickingClock();
  closeAll();

  QStringList genharColumns = zdb::genharInsertColumns();
  genharColumns.removeOne("GENHARNO");
  const std::vector<Row> bills = rowsAsText("genhar", genharColumns, "1", "ADISYONNO");
  ASSERT_EQ(bills.size(), 2u);

  // Clock readings: 14:59:58 the run's start, then the bill's SAAT, SAATSIPBIT, A_MARSSAATI and
  // one per stock line, in the order they are bound.
  const Row bill501 = {
      {"KISIMBOLUMNO", "4"}, {"MASANO", "PK12"}, {"KISISAYISI", "1"}, {"TUTAR", "0"}, {"DOVIZTIPI", "TL"},
      {"DURUM", "2"}, {"ISKORAN", "5"}, {"ISKTUTAR", "61.73"}, {"KDVDAHILHARIC", "1"}, {"KDVTUTAR", "91.44"},
      {"GARSON", "KASA1"}, {"DURUM1", "3"}, {"KISIM", "Paket Servis"}, {"TARIH", "2026-11-30 00:00:00"},
      {"SAAT", "2026-12-09 14:59:59"}, {"ADISYONNO", "501"}, {"HARTIP", "1"}, {"GIRIS", "0"}, {"CIKIS", "1234.5"},
      {"CARINO", "77"}, {"KAPATIPNO", "1"}, {"KAPATIPISMI", "Nakit"}, {"TARIHSIPBIT", "2026-11-30 00:00:00"},
      {"SAATSIPBIT", "2026-12-09 15:00:00"}, {"ADISYONYAZDIMI", "1"}, {"FATURAYAZDIMI", "0"},
      {"HESABAYAZDIMI", "0"}, {"ACIKLAMA", "NULL"}, {"HAREKETTURU", "NULL"}, {"PRICEMALIYET", "400.25"},
      {"PRICEMALIYETYUZDE", "32.5"}, {"PRICEKAR", "834.25"}, {"PRICENET", "1143.06"}, {"STOKDUSTUMU", "1"},
      {"ISKONTOSUZTOPLAM", "1296.23"}, {"SERVISTUTARI", "15"}, {"SERVISORAN", "1.2"},
      {"SERVISKDVTUTARI", "91.44"}, {"SERVISKDVSIZ", "1"}, {"IADELER", "0.5"}, {"SERVISUCRETIINDIRIMI", "2.5"},
      {"TUTARKDVSIZ", "1143.07"}, {"FISYAZDIMI", "1"}, {"KAPATANISMI", "KASA1"}, {"KAPATANTERMINAL", "3"},
      {"SAATANALIZ", "14"}, {"FIRAMISMI", utf("Ayşe \"Yılmaz\"")}, {"TELEFON1", "0532 111 22 33"},
      {"SEVKYAPANISMI", "Ali"}, {"SUBEADI", "Merkez"}, {"KOLTUK", ""}, {"SENT", "0"}, {"YUVARLAMALAR", "0.01"},
      {"DOVIZTUTARI", "1234.5"}, {"ADISYONNO2", ""}, {"ISLEMTURNO", "1"}, {"TOPLAMIARTIR", "1"},
      {"TOPLAMIEKSILT", "0"}, {"TOPLAMAGIRME", "0"}, {"IKRAM_SATIRLARI_TOPLAMI", "0"}, {"MUSTERITIPI", "VIP"},
      {"RAPORSIRANO", "10"}, {"KASANO", "1"}, {"FATSERI_NO_TUT", "NULL"}, {"SIPKAPATIPI", "NULL"},
      {"YIL", "2026"}, {"AY", "11"}, {"GUN", "30"}, {"SAAT2", "14"}, {"DAKIKA", "59"}, {"ADISYONYAZADET", "2"},
      {"SAHISNO", "NULL"}, {"ADISOYADI", "NULL"}, {"PARAUSTU", "NULL"}, {"PUANHARAYAZDIMI", "0"},
      {"A_MARSSAATI", "2026-12-09 15:00:01"}, {"A_URETIMSAATI", "0000-00-00 00:00:00"},
      {"A_SEVKBASLAMASAATI", "0000-00-00 00:00:00"}, {"A_SEVKBITISSAATI", "0000-00-00 00:00:00"}, {"A_ASCIADI", "NULL"}, {"A_EMIRSAATI", "2026-12-09 13:05:00"},
      {"REPORT", "NULL"}, {"EXPORT", "0"}, {"BAHSIS", "NULL"}};
  expectRow(bills[0], bill501, genharColumns);

  // Order 502: no customer row, no section row, no MasaNo, NULL in every copied field it lacks.
  // Its bill follows 501's four lines on the clock.
  Row bill502 = bill501;
  for (const char *copiedNull :
       {"KISIMBOLUMNO", "DURUM", "ISKORAN", "ISKTUTAR", "KDVDAHILHARIC", "KDVTUTAR", "DURUM1", "HESABAYAZDIMI",
        "PRICEMALIYET", "PRICEMALIYETYUZDE", "PRICEKAR", "PRICENET", "STOKDUSTUMU", "ISKONTOSUZTOPLAM",
        "SERVISTUTARI", "SERVISORAN", "SERVISKDVTUTARI", "SERVISKDVSIZ", "IADELER", "SERVISUCRETIINDIRIMI",
        "TUTARKDVSIZ", "TELEFON1", "YUVARLAMALAR", "ADISYONYAZADET", "A_EMIRSAATI"})
    bill502[copiedNull] = "NULL";
  bill502["MASANO"] = "PK";
  bill502["MUSTERITIPI"] = "";
  bill502["ADISYONNO"] = "502";
  bill502["CIKIS"] = bill502["DOVIZTUTARI"] = "20";
  bill502["CARINO"] = "999";
  bill502["FIRAMISMI"] = utf("Kapıda Ödeme");
  bill502["SAAT"] = "2026-12-09 15:00:06";
  bill502["SAATSIPBIT"] = "2026-12-09 15:00:07";
  bill502["A_MARSSAATI"] = "2026-12-09 15:00:08";
  expectRow(bills[1], bill502, genharColumns);

  QStringList stokharColumns = zdb::stokharInsertColumns();
  stokharColumns.removeOne("GENHARNO");
  const std::vector<Row> lines = rowsAsText("stokhar", stokharColumns, "1", "STOKHARNO");
  ASSERT_EQ(lines.size(), 6u);
  const Row lahmacun = {
      {"ADISYONNO", "501"}, {"PRN_NO", "1"}, {"STOKADI", "Lahmacun"}, {"GRUPADI", "Pide"}, {"ADET", "2"},
      {"SAAT", "2026-12-09 15:00:02"}, {"ACIKLAMA", utf("acısız")}, {"KDVTUTAR", "14.4"}, {"YAZDIMIEH", "1"},
      {"SILINDIMIEH", "0"}, {"CIKISFIYAT", "90"}, {"GIRISFIYAT", "0"}, {"CARINO", "77"},
      {"CIKISKDVSIZ", "166.67"}, {"GIRISKDVSIZ", "0"}, {"TARIH", "2026-11-30 00:00:00"}, {"BIRIM", "Adet"},
      {"PORSIYON", "1.5"}, {"GARSONNO", "7"}, {"DEPOADI", "Ana Depo"}, {"HAMSTOKGRUP", "Hamur"},
      {"HAMGRUP", "Un"}, {"HAMANAGRUP", "Kuru"}, {"SATISNOKTASI", "Bar"}, {"STOKDUSTUMU", "0"},
      {"ISKORAN", "10"}, {"ISKTUTAR", "18"}, {"SAATANALIZ", "14"}, {"KISIMSUBE", utf("Merkez Şube")},
      {"MASAISMI", "Paket"}, {"AMBALAJAGIRLIGI", "0"}, {"SENT", "0"}, {"HAMSTOKNO", "3001"},
      {"DEPOGELIRNOKTASINDAN", "E"}, {"SATISSTOKKONTROLUYAP", "H"}, {"TOPLAMMIKTAR", "1.5"},
      {"GARSON", "Mehmet"}, {"ISLEMTURNO", "1"}, {"KAPATIPISMI", "Nakit"}, {"URUNTASINDI", "0"},
      {"TASIYAN", "Kemal"}, {"KAPATANISMI", "KASA1"}, {"YIL", "2026"}, {"AY", "11"}, {"GUN", "30"},
      {"SAAT2", "14"}, {"DAKIKA", "59"}, {"IKRAM_SATIRLARI_TOPLAMI", "NULL"}, {"SAHISNO", "NULL"},
      {"REPORT", "NULL"}, {"EXPORT", "NULL"}};
  expectRow(lines[0], lahmacun, stokharColumns);

  // A line of 502 with nothing but a name: its copies are NULL, the order's customer number stays.
  Row kola = lahmacun;
  for (const char *copiedNull : {"GRUPADI", "ADET", "ACIKLAMA", "KDVTUTAR", "CIKISFIYAT", "CIKISKDVSIZ", "BIRIM",
                                 "PORSIYON", "DEPOADI", "HAMSTOKGRUP", "HAMGRUP", "HAMANAGRUP", "ISKORAN",
                                 "ISKTUTAR", "MASAISMI", "HAMSTOKNO", "DEPOGELIRNOKTASINDAN",
                                 "SATISSTOKKONTROLUYAP", "TOPLAMMIKTAR", "GARSON", "URUNTASINDI", "TASIYAN"})
    kola[copiedNull] = "NULL";
  kola["ADISYONNO"] = "502";
  kola["STOKADI"] = "Kola";
  kola["CARINO"] = "999";
  kola["SATISNOKTASI"] = "";
  kola["SAAT"] = "2026-12-09 15:00:09";
  expectRow(lines[4], kola, stokharColumns);

  // Sales points A, none, B, none carry within the order; the next order starts from nothing.
  QStringList salesPoints, clocks;
  for (const Row &r : lines) {
    salesPoints << r["SATISNOKTASI"];
    clocks << r["SAAT"].mid(11);
  }
  EXPECT_EQ(salesPoints, QStringList({"Bar", "Bar", "Mutfak", "Mutfak", "", "Paket"}));
  EXPECT_EQ(clocks, QStringList({"15:00:02", "15:00:03", "15:00:04", "15:00:05", "15:00:09", "15:00:10"}));
  for (const Row &r : lines) {
    EXPECT_EQ(r["TOPLAMMIKTAR"], r["PORSIYON"]);
    EXPECT_EQ(r["SAATANALIZ"], "14");
    EXPECT_EQ(r["DAKIKA"], "59");
  }

  // Every line carries its own order's bill.
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO AND "
                         "g.ADISYONNO = s.ADISYONNO"),
            6);
  EXPECT_EQ(ztest::count("SELECT DISTINCT GENHARNO FROM stokhar"), 2);
}

TEST_F(ClosingRecords, RegisterWithoutKasaRowWritesNullRegisterColumns) {
  // The register was renamed after the listing: the grid's caption finds no Kasa row.
  ztest::exec(utf("UPDATE kasa SET KasaAdi = 'Nakit (eski)' WHERE KasaNo = 1;"));
  closeAll();
  const QStringList registerColumns = {"KAPATIPNO", "KAPATIPISMI", "ISLEMTURNO", "RAPORSIRANO", "KASANO"};
  for (const Row &bill : rowsAsText("genhar", registerColumns, "1", "ADISYONNO"))
    for (const QString &c : registerColumns) EXPECT_EQ(bill[c], "NULL") << c.toStdString();
  const std::vector<Row> lines = rowsAsText("stokhar", {"ISLEMTURNO", "KAPATIPISMI"}, "1", "STOKHARNO");
  ASSERT_EQ(lines.size(), 6u);  // the lines are written all the same
  for (const Row &line : lines) {
    EXPECT_EQ(line["ISLEMTURNO"], "NULL");
    EXPECT_EQ(line["KAPATIPISMI"], "NULL");
  }
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 0);
}

TEST_F(ClosingRecords, StockRowsKeepTheirBillWhileAnotherTerminalInsertsBills) {
  // Another terminal books a bill after each of our bills has reached the server and before our
  // stock rows do: our session pauses inside its bill's insert (a trigger sleeps), and the rival
  // commits its bill meanwhile, so the highest number is then never ours. The bill and its lines
  // travel in one request, so only the server can hold them apart.
  // The pause is told by a named lock, which the rival sees at once without waiting on it.
  ztest::exec("CREATE TRIGGER zt_pause_after_bill AFTER INSERT ON genhar FOR EACH ROW\n"
              "BEGIN IF NEW.KAPATANISMI = 'KASA1' THEN DO GET_LOCK(CONCAT('zt_bill_', NEW.ADISYONNO), 0); "
              "DO SLEEP(0.4); DO RELEASE_LOCK(CONCAT('zt_bill_', NEW.ADISYONNO)); END IF; END;");
  std::atomic<bool> done{false}, ready{false};
  std::atomic<int> booked{0};
  std::thread rival([&] {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", "rival_terminal");
      db.setHostName("127.0.0.1");
      db.setPort(ztest::serverPort());
      db.setUserName("root");
      db.setPassword("73507350");
      db.setDatabaseName("zerdapos");
      const bool opened = db.open();
      ready = true;
      if (!opened) return;
      QSqlQuery q(db);
      int pauses = 0;
      while (!done && pauses < 2) {
        if (q.exec(QString("SELECT IS_USED_LOCK('zt_bill_%1')").arg(501 + pauses)) && q.next() && !q.value(0).isNull()) {
          ++pauses;
          if (q.exec("INSERT INTO genhar (ADISYONNO, KAPATANISMI) VALUES (9000, 'KASA2')")) ++booked;
        }
        QThread::msleep(5);
      }
    }
    QSqlDatabase::removeDatabase("rival_terminal");
  });
  while (!ready) QThread::msleep(5);
  closeAll();
  done = true;
  rival.join();
  ztest::exec("DROP TRIGGER zt_pause_after_bill;");

  const QVariant bill501 = billOf(501), bill502 = billOf(502);
  ASSERT_TRUE(bill501.isValid() && bill502.isValid());
  EXPECT_EQ(ztest::count(QString("SELECT * FROM stokhar WHERE ADISYONNO = 501 AND GENHARNO = %1").arg(bill501.toInt())), 4);
  EXPECT_EQ(ztest::count(QString("SELECT * FROM stokhar WHERE ADISYONNO = 502 AND GENHARNO = %1").arg(bill502.toInt())), 2);
  EXPECT_EQ(booked, 2);  // a rival bill inside each of our two bills' requests
  // The rivals were numbered after our bills, before our lines were written.
  EXPECT_EQ(ztest::count(QString("SELECT * FROM genhar WHERE ADISYONNO = 9000 AND GENHARNO > %1 AND GENHARNO < %2")
                             .arg(bill501.toInt())
                             .arg(bill502.toInt())),
            1);
  EXPECT_EQ(ztest::count(QString("SELECT * FROM genhar WHERE ADISYONNO = 9000 AND GENHARNO > %1").arg(bill502.toInt())), 1);
}

// The double-quoted literals of a statement, quotes included, as the server reads them: a
// backslash escapes the next character, a doubled quote stays inside.
QStringList quotedLiterals(const QString &statement) {
  QStringList out;
  for (qsizetype i = 0; i < statement.size(); ++i) {
    if (statement[i] != '"') continue;
    const qsizetype start = i++;
    for (; i < statement.size(); ++i) {
      if (statement[i] == '\\') {
        ++i;
      } else if (statement[i] == '"') {
        if (i + 1 < statement.size() && statement[i + 1] == '"') ++i;
        else break;
      }
    }
    out << statement.mid(start, i - start + 1);
  }
  return out;
}

// The values of a one-row "INSERT INTO t (...) VALUES (...)", column by column as written.
Row insertedValues(const QString &statement, const QStringList &columns) {
  const qsizetype open = statement.indexOf(") VALUES (") + 10;
  QStringList values;
  QString current;
  bool quoted = false;
  for (qsizetype i = open; i < statement.size() - 1; ++i) {
    const QChar ch = statement[i];
    if (quoted && ch == '\\') {
      current += ch;
      current += statement[++i];
      continue;
    }
    if (ch == '"') quoted = !quoted;  // a doubled quote closes and opens again
    if (!quoted && statement.mid(i, 2) == ", ") {
      values << current;
      current.clear();
      ++i;
      continue;
    }
    current += ch;
  }
  values << current;
  Row row;
  EXPECT_EQ(values.size(), columns.size()) << statement.toStdString();
  for (int c = 0; c < columns.size() && c < values.size(); ++c) row[columns[c]] = values[c];
  return row;
}

// On a server set up as a restaurant's MySQL 8 is: strict, without zero dates unless the session
// allows them, rounding a fraction of a second when it stores a date-time.
class ClosingRecordsOnMySql : public ClosingRecords {
 protected:
  void SetUp() override {
    mode_.emplace(QString::fromLatin1(ztest::kMySqlServerMode));
    ClosingRecords::SetUp();
  }
  void TearDown() override {
    ClosingRecords::TearDown();
    mode_.reset();
  }

 private:
  std::optional<ztest::GlobalSqlMode> mode_;
};

TEST_F(ClosingRecordsOnMySql, DateTimesAreStoredAsTheClockAndTheOrderGaveThem) {
  for (const char *column : {"TARIH", "SAAT", "TARIHSIPBIT", "SAATSIPBIT", "A_MARSSAATI", "A_URETIMSAATI",
                             "A_SEVKBASLAMASAATI", "A_SEVKBITISSAATI", "A_EMIRSAATI"})
    EXPECT_EQ(ztest::scalar(QString("SELECT DATA_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                                    "'zerdapos' AND TABLE_NAME = 'genhar' AND COLUMN_NAME = '%1'").arg(column))
                  .toString().toStdString(), "datetime") << column;
  for (const char *column : {"SAAT", "TARIH"})
    EXPECT_EQ(ztest::scalar(QString("SELECT DATA_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                                    "'zerdapos' AND TABLE_NAME = 'stokhar' AND COLUMN_NAME = '%1'").arg(column))
                  .toString().toStdString(), "datetime") << column;

  // Order 501 was taken by a program that leaves the order time at zero; 502 has none (NULL).
  ztest::exec("UPDATE mainsip SET A_EMIRSAATI = '0000-00-00 00:00:00' WHERE ADISYONNO = 501;");
  listCourier("Ali");
  // Every reading of the clock is the last moment of the day, with a fraction that rounds up.
  board->setClock([] { return QDateTime(ztest::workDate(), QTime(23, 59, 59, 600)); });
  takeStatements();
  closeAll();

  const QStringList billColumns = {"TARIH", "SAAT", "SAATSIPBIT", "A_MARSSAATI", "SAATANALIZ", "SAAT2", "DAKIKA",
                                   "A_URETIMSAATI", "A_SEVKBASLAMASAATI", "A_SEVKBITISSAATI", "A_EMIRSAATI"};
  const std::vector<Row> bills = rowsAsText("genhar", billColumns, "1", "ADISYONNO");
  ASSERT_EQ(bills.size(), 2u);
  Row bill501 = {{"TARIH", "2026-12-09 00:00:00"}, {"SAAT", "2026-12-09 23:59:59"},
                 {"SAATSIPBIT", "2026-12-09 23:59:59"}, {"A_MARSSAATI", "2026-12-09 23:59:59"},
                 {"SAATANALIZ", "23"}, {"SAAT2", "23"}, {"DAKIKA", "59"},
                 {"A_URETIMSAATI", "0000-00-00 00:00:00"}, {"A_SEVKBASLAMASAATI", "0000-00-00 00:00:00"},
                 {"A_SEVKBITISSAATI", "0000-00-00 00:00:00"}, {"A_EMIRSAATI", "0000-00-00 00:00:00"}};
  expectRow(bills[0], bill501, billColumns);
  Row bill502 = bill501;
  bill502["A_EMIRSAATI"] = "NULL";
  expectRow(bills[1], bill502, billColumns);

  const QStringList lineColumns = {"TARIH", "SAAT", "SAATANALIZ", "SAAT2", "DAKIKA"};
  const std::vector<Row> lines = rowsAsText("stokhar", lineColumns, "1", "STOKHARNO");
  ASSERT_EQ(lines.size(), 6u);
  for (const Row &line : lines)
    expectRow(line, {{"TARIH", "2026-12-09 00:00:00"}, {"SAAT", "2026-12-09 23:59:59"}, {"SAATANALIZ", "23"},
                     {"SAAT2", "23"}, {"DAKIKA", "59"}}, lineColumns);

  // The statements carry dates and times in no other form than these three.
  const QRegularExpression dateLike(R"re(^"\d{2,4}[-:])re");
  const QRegularExpression wellFormed(R"re(^"\d{4}-\d\d-\d\d( \d\d:\d\d:\d\d)?"$)re");
  QStringList billStatements;
  for (const QString &statement : takeStatements()) {
    if (statement.startsWith("INSERT INTO Genhar")) billStatements << statement;
    for (const QString &literal : quotedLiterals(statement)) {
      if (dateLike.match(literal).hasMatch()) {
        EXPECT_TRUE(wellFormed.match(literal).hasMatch()) << literal.toStdString() << " in " << statement.left(60).toStdString();
      }
    }
  }
  ASSERT_EQ(billStatements.size(), 2);
  // As written into the bills' statements: the stored forms between quotes, NULL bare.
  std::vector<Row> written = {bill501, bill502};
  for (Row &bill : written)
    for (const QString &c : billColumns)
      if (bill[c].contains('-')) bill[c] = '"' + bill[c] + '"';
  for (size_t b = 0; b < written.size(); ++b) {
    const Row sent = insertedValues(billStatements[qsizetype(b)], zdb::genharInsertColumns());
    for (const QString &c : billColumns)
      EXPECT_EQ(sent.value(c).toStdString(), written[b].value(c).toStdString()) << "bill " << b << " column " << c.toStdString();
  }
}

}  // namespace

// The records' times come from the board's own clock: the local wall clock, also in a zone whose
// offset is not whole hours. (No other test of this program reads the real clock, so the zone set
// here is the one the clock first meets.)
TEST(BoardClock, ReadsTheLocalWallClock) {
  qputenv("TZ", "America/St_Johns");
  tzset();
  ztest::FakeMessenger fake;
  zboard::Board board(fake, QStringLiteral("clock_test"));
  for (int reading = 0; reading < 3; ++reading) {
    const QDateTime expected = QDateTime::currentDateTime();
    const QDateTime read = board.now();
    EXPECT_LE(qAbs(expected.msecsTo(read)), 1000);
    EXPECT_EQ(read.offsetFromUtc(), expected.offsetFromUtc());
    // Date and time as the records write them: the local ones.
    EXPECT_LE(qAbs(QDateTime(expected.date(), expected.time(), Qt::UTC)
                       .msecsTo(QDateTime(read.date(), read.time(), Qt::UTC))),
              1000);
  }
  qunsetenv("TZ");
  tzset();
}
