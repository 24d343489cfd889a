// The closing run: entry checks, the two questions, the walk over the grid and the end
// statements, and its all-or-nothing behaviour under faults and a second terminal. On the test
// server with InnoDB and on the one without (every table MyISAM).
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <latch>
#include <memory>

#include "board/closing_transaction.h"
#include "board_fixture.h"
#include "dialogs/colours.h"

// Texts in failures as text.
static void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QStringList &l, std::ostream *os) {
  *os << '{';
  for (const QString &s : l) *os << "\n  \"" << s.toStdString() << '"';
  *os << '}';
}

namespace {

QString utf(const char *s) { return QString::fromUtf8(s); }

// Below the server's text when nothing of the run was booked.
const char *kNotBooked = "\nHiçbir hesap tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız";

const char *kChangedElsewhere =
    "Bu adisyonlar başka bir terminalde değiştirilmiş veya kapatılmış. Hiçbir hesap tahsil edilmedi. "
    "Lütfen Güncelle Butonuna Tıklayınız";

// Without transactions a run waits this long at most for another terminal's run, then says so.
const char *kBusy =
    "Başka bir terminalde tahsilat yapılıyor. Hiçbir hesap tahsil edilmedi. Lütfen biraz sonra tekrar deneyiniz";

void adminExec(const QString &sql) {
  QSqlQuery q(ztest::admin());
  if (!q.exec(sql)) ADD_FAILURE() << q.lastError().text().toStdString() << "\nin: " << sql.toStdString();
}

bool isWrite(const QString &statement) {
  const QString s = statement.trimmed();
  return !s.startsWith("select", Qt::CaseInsensitive) && !s.startsWith("show", Qt::CaseInsensitive);
}

QString success(const QString &count, const QString &amount) {
  return utf("Ali Adına Kayıtlı ") + count + " Adet " + amount + utf(" Tutarındaki Hesap \r\n>>> Başarı İle Tahsil edilmiştir");
}

class ClosingRun : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
  }

  // Ali's orders in the grid, every one marked for the default register.
  void listOrders(const std::vector<ztest::OrderRow> &orders) {
    for (const ztest::OrderRow &o : orders) ztest::addOrder(o);
    ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
    listCourier("Ali");
    ASSERT_EQ(board->NextGrid1.rowCount(), int(orders.size()));
    takeStatements();
  }

  static int lock(int order) {
    return ztest::scalar(QString("SELECT lockdurum FROM mainsip WHERE adisyonno = %1").arg(order)).toInt();
  }
  static int bills(int order) { return ztest::count(QString("SELECT * FROM genhar WHERE ADISYONNO = %1").arg(order)); }
  static int stockRows(int order) {
    return ztest::count(QString("SELECT * FROM stokhar WHERE ADISYONNO = %1").arg(order));
  }
  static int openLines(int order) { return ztest::count(QString("SELECT * FROM temp WHERE ADISYONNO = %1").arg(order)); }
  static bool isOpen(int order) { return ztest::count(QString("SELECT * FROM mainsip WHERE ADISYONNO = %1").arg(order)) == 1; }

  bool rowIsGrey(int row) const {
    for (const zboard::GridCell &cell : board->NextGrid1.rows.at(size_t(row)))
      if (cell.colour != zcolour::BtnFace) return false;
    return true;
  }

  // Nothing of a run is left: no bills or lines, every order open and still held by the board.
  void expectNothingWritten(const std::vector<int> &orders, const QString &clauseBefore) {
    EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
    EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 0);
    for (int o : orders) {
      EXPECT_TRUE(isOpen(o)) << o;
      EXPECT_GT(openLines(o), 0) << o;
      EXPECT_EQ(lock(o), 1) << o;
    }
    EXPECT_EQ(board->HeldOrderClause, clauseBefore);
  }
};

// ------------------------------------------------------------------ refusals and questions

TEST_F(ClosingRun, EntryChecksEndTheRunSilently) {
  listOrders({{.no = 101}, {.no = 102}});
  fake.answer(1);
  fake.answer(1);
  auto expectRefusedSilently = [&](const char *why) {
    board->Button2Click();
    EXPECT_TRUE(fake.questions.isEmpty()) << why;
    EXPECT_TRUE(fake.informations.isEmpty()) << why;
    EXPECT_TRUE(takeStatements().isEmpty()) << why;
    EXPECT_FALSE(fake.progressShown) << why;
  };

  // Nothing marked: the summary's total count is "0".
  board->NextGrid1CellClick(3, 0);
  board->NextGrid1CellClick(3, 1);
  ASSERT_EQ(board->Summary.Label7.caption, "0");
  takeStatements();
  expectRefusedSilently("Label7 0");
  board->NextGrid1CellClick(3, 0);
  board->NextGrid1CellClick(3, 1);
  ASSERT_EQ(board->Summary.Label7.caption, "2");
  takeStatements();

  const QStringList couriers = board->ListBox2.items;
  board->ListBox2.items.clear();
  expectRefusedSilently("no courier");
  board->ListBox2.items = couriers;

  const QString clause = board->HeldOrderClause;
  board->HeldOrderClause.clear();
  expectRefusedSilently("nothing held");
  board->HeldOrderClause = clause;

  board->QueryMainSip.close();
  expectRefusedSilently("no listed order");

  EXPECT_EQ(fake.answers.size(), 2u);  // no question consumed an answer
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 2);
}

TEST_F(ClosingRun, ListingWarningShowsOnlyTheHataMessage) {
  ztest::addOrder({.no = 101, .lines = 0});
  ztest::addOrder({.no = 102});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  ASSERT_FALSE(board->BoardErrorText.isEmpty());
  fake.informations.clear();
  takeStatements();

  confirmAndRun();
  EXPECT_EQ(fake.informations,
            QStringList({utf("Hata: 101 Nolu Adisyona Ait ürün listelenemedi  ? Lütfen Güncelle Butonuna Tıklayınız")}));
  EXPECT_TRUE(fake.questions.isEmpty());
  EXPECT_TRUE(takeStatements().isEmpty());
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
}

TEST_F(ClosingRun, HayirToEitherQuestionWritesNothing) {
  listOrders({{.no = 101, .amount = 1234.5}, {.no = 102, .amount = 10}});
  const QString clause = board->HeldOrderClause;
  const QString question =
      utf("Ali Adına Kayıtlı 2 Adet 1.244,50 Tutarındaki Hesabı \r\n tahsil ediyorsunuz..!!!");

  fake.answer(0);
  board->Button2Click();
  EXPECT_EQ(fake.questions, QStringList({"Dikkat 1; " + question}));
  EXPECT_EQ(fake.questionColoursShown, QList<quint32>({0xFF0080}));
  EXPECT_EQ(fake.questionColour, zcolour::Lime);
  EXPECT_EQ(takeStatements(), QStringList({"SELECT * FROM setup ISLEMTARIHI"}));

  fake.events.clear();
  fake.answer(1);
  fake.answer(0);
  board->Button2Click();
  // Each question in its own colour, the label set back to lime after each.
  EXPECT_EQ(fake.events.join("|").toLower(),
            QStringList({"colour:FF0080", "question:Dikkat 1; " + question, "colour:00FF00", "colour:FF0000",
                         "question:Dikkat 2; " + question, "colour:00FF00"})
                .join("|")
                .toLower());
  const QStringList sent = takeStatements();
  EXPECT_EQ(sent, QStringList({"SELECT * FROM setup ISLEMTARIHI"}));

  EXPECT_TRUE(fake.informations.isEmpty());
  EXPECT_FALSE(fake.progressShown);
  EXPECT_TRUE(board->enabled);
  EXPECT_EQ(board->NextGrid1.cell(3, 0).colour, zcolour::Lime);  // the rows were not walked
  expectNothingWritten({101, 102}, clause);
}

// ------------------------------------------------------------------ the run as specified

TEST_F(ClosingRun, AllMarkedOrdersAreClosedAndRemoved) {
  listOrders({{.no = 101, .amount = 1234.5, .lines = 2}, {.no = 102, .amount = 20, .lines = 1},
              {.no = 103, .amount = 30, .lines = 3}});
  // The rows turn grey one by one while the run goes on.
  std::vector<std::vector<bool>> greyRows;
  fake.onProcessEvents = [&] {
    std::vector<bool> grey;
    for (int r = 0; r < board->NextGrid1.rowCount(); ++r) grey.push_back(rowIsGrey(r));
    greyRows.push_back(grey);
  };
  bool enabledAtMessage = false;
  fake.onInformation = [&] { enabledAtMessage = board->enabled && !fake.progressShown; };

  confirmAndRun();

  EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
  EXPECT_EQ(fake.informations, QStringList({success("3", "1.284,50")}));
  EXPECT_TRUE(enabledAtMessage);
  ASSERT_FALSE(greyRows.empty());
  EXPECT_EQ(greyRows.front(), std::vector<bool>({false, false, false}));
  EXPECT_NE(std::find(greyRows.begin(), greyRows.end(), std::vector<bool>({true, false, false})), greyRows.end());
  EXPECT_EQ(greyRows.back(), std::vector<bool>({true, true, true}));

  const QStringList sent = takeStatements();
  const QString clause = " Adisyonno = 101 or  Adisyonno = 102 or  Adisyonno = 103 ";
  // With transactions the run is one; without, runs follow one another under a named lock and the
  // tables are locked from the check before the deletes to the deletes. Either way the run's
  // session is bounded from its first statement to its last.
  const bool transactional = ztest::closingTablesHaveTransactions();
  auto firstStarting = [&](const QString &prefix) {
    for (qsizetype i = 0; i < sent.size(); ++i)
      if (sent[i].startsWith(prefix)) return i;
    return qsizetype(-1);
  };
  const qsizetype bound = firstStarting("SET @zerda_wait_timeout = IFNULL(");
  const qsizetype begin =
      transactional ? sent.indexOf("START TRANSACTION") : firstStarting("SELECT GET_LOCK('zerdapos_paket_kapanis', ");
  const qsizetype deleteTemp = sent.indexOf("delete From temp Where " + clause);
  const qsizetype deleteMainSip = sent.indexOf("delete From mainsip Where " + clause);
  ASSERT_GE(bound, 0);
  ASSERT_GT(begin, bound);
  ASSERT_GT(deleteTemp, begin);
  // All marked: no release statement.
  QStringList after;
  if (transactional) {
    EXPECT_EQ(deleteMainSip, deleteTemp + 2);  // what each delete removed is kept for the check
    after = {"SET @zerda_silinen_adisyon = ROW_COUNT()", "SET @zerda_kontrol", "SET SESSION wait_timeout = CAST(",
             "COMMIT"};
  } else {
    EXPECT_EQ(sent.at(deleteTemp - 2), "LOCK TABLES temp WRITE, mainsip WRITE");
    EXPECT_TRUE(sent.at(deleteTemp - 1).startsWith("SET @zerda_kontrol")) << sent.at(deleteTemp - 1).toStdString();
    EXPECT_EQ(deleteMainSip, deleteTemp + 1);
    after = {"UNLOCK TABLES", "DO RELEASE_LOCK('zerdapos_paket_kapanis')", "SET SESSION wait_timeout = CAST("};
  }
  for (qsizetype i = 0; i < after.size(); ++i)
    EXPECT_TRUE(sent.value(deleteMainSip + 1 + i).startsWith(after[i])) << sent.value(deleteMainSip + 1 + i).toStdString();
  for (qsizetype i = 0; i < bound; ++i) EXPECT_FALSE(isWrite(sent[i])) << sent[i].toStdString();
  for (qsizetype i = bound + 1; i < begin; ++i) EXPECT_FALSE(isWrite(sent[i])) << sent[i].toStdString();
  EXPECT_TRUE(sent.contains(utf("Select*From Kasa Where KasaAdi = \"Nakit\"")));
  EXPECT_TRUE(sent.contains("Select * From Temp Where Adisyonno =\"102\""));
  EXPECT_TRUE(sent.contains("select * from cari Where Carino = \"5\""));
  EXPECT_TRUE(sent.contains("select*from KisimBolum Where No = \"2\""));
  EXPECT_EQ(sent.filter("INSERT INTO Genhar (GENHARNO, KISIMBOLUMNO, MASANO, KISISAYISI, TUTAR, DOVIZTIPI, ").size(), 3);
  // One insert per order carries all of its lines.
  EXPECT_EQ(sent.filter("INSERT INTO Stokhar (GENHARNO, ADISYONNO, PRN_NO, STOKADI, ").size(), 3);
  EXPECT_TRUE(sent.filter("update Mainsip set lockdurum =\"0\" where").isEmpty());

  for (int o : {101, 102, 103}) {
    EXPECT_EQ(bills(o), 1) << o;
    EXPECT_FALSE(isOpen(o)) << o;
    EXPECT_EQ(openLines(o), 0) << o;
  }
  EXPECT_EQ(stockRows(101) + stockRows(102) + stockRows(103), 6);

  // Progress: orders bar set once, lines bar per order.
  EXPECT_EQ(fake.ordersMaximum, 3);
  EXPECT_EQ(fake.events.filter("lines:"), QStringList({"lines:2", "lines:1", "lines:3"}));
  // The reload found nothing left for the courier.
  expectBoardGivenBack();
  EXPECT_TRUE(board->HeldOrderClause.isEmpty());
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);
  EXPECT_EQ(board->Summary.Label7.caption, "0");
}

TEST_F(ClosingRun, UnmarkedOrdersAreReleasedAndStayOpen) {
  listOrders({{.no = 101, .amount = 10}, {.no = 102, .amount = 20}, {.no = 103, .amount = 30},
              {.no = 104, .amount = 40}});
  board->NextGrid1CellClick(3, 1);
  board->NextGrid1CellClick(3, 3);
  ASSERT_EQ(board->Summary.Label7.caption, "2");
  takeStatements();
  std::vector<int> locksAtMessage;
  bool allGreyAtMessage = false;
  fake.onInformation = [&] {
    locksAtMessage = {lock(102), lock(104)};
    allGreyAtMessage = rowIsGrey(0) && rowIsGrey(1) && rowIsGrey(2) && rowIsGrey(3);
  };

  confirmAndRun();

  EXPECT_EQ(fake.informations, QStringList({success("2", "40,00")}));
  const QStringList sent = takeStatements();
  EXPECT_TRUE(sent.contains("delete From mainsip Where  Adisyonno = 101 or  Adisyonno = 103 "));
  EXPECT_TRUE(sent.contains("update Mainsip set lockdurum =\"0\" where adisyonno in (102, 104)"));
  EXPECT_EQ(locksAtMessage, std::vector<int>({0, 0}));
  EXPECT_TRUE(allGreyAtMessage);  // unmarked rows are walked too
  EXPECT_EQ(bills(101), 1);
  EXPECT_EQ(bills(103), 1);
  EXPECT_EQ(bills(102) + bills(104), 0);
  EXPECT_TRUE(isOpen(102) && isOpen(104));
  EXPECT_EQ(openLines(102), 2);
  EXPECT_EQ(openLines(104), 2);
  // The reload lists the released orders as this board's own, without a warning.
  EXPECT_TRUE(board->BoardErrorText.isEmpty());
  EXPECT_EQ(board->HeldOrderClause, " Adisyonno =\"102\" or Adisyonno =\"104\"");
  EXPECT_EQ(board->NextGrid1.rowCount(), 2);
  expectBoardGivenBack();
}

TEST_F(ClosingRun, RightmostMarkDecidesTheRegister) {
  listOrders({{.no = 101}, {.no = 102}});
  board->NextGrid1.cell(5, 0).text = "Ok";  // row 0: "Ok" under Nakit and under Yemek Kartı
  board->NextGrid1CellClick(4, 1);          // row 1: Kredi Kartı
  ASSERT_EQ(board->Summary.Label7.caption, "3");  // the summary counts every mark
  takeStatements();

  confirmAndRun();

  const QStringList sent = takeStatements();
  EXPECT_EQ(sent.filter("Select*From Kasa").mid(0, 3),
            QStringList({utf("Select*From Kasa Where KasaAdi = \"Nakit\""),
                         utf("Select*From Kasa Where KasaAdi = \"Yemek Kartı\""),
                         utf("Select*From Kasa Where KasaAdi = \"Kredi Kartı\"")}));
  EXPECT_EQ(bills(101), 1);
  EXPECT_EQ(fake.informations, QStringList({success("2", "20,00")}));  // two bills, not three
  EXPECT_EQ(ztest::scalar("SELECT KAPATIPISMI FROM genhar WHERE ADISYONNO = 101").toString(), utf("Yemek Kartı"));
  EXPECT_EQ(ztest::scalar("SELECT KASANO FROM genhar WHERE ADISYONNO = 101").toInt(), 3);
  EXPECT_EQ(ztest::scalar("SELECT KAPATIPISMI FROM genhar WHERE ADISYONNO = 102").toString(), utf("Kredi Kartı"));
  EXPECT_EQ(ztest::scalar("SELECT KAPATIPISMI FROM stokhar WHERE ADISYONNO = 101 LIMIT 1").toString(), utf("Yemek Kartı"));
}

TEST_F(ClosingRun, MarkedOrderWithoutLinesIsClosedWithoutStockRows) {
  listOrders({{.no = 101, .lines = 2}, {.no = 102, .lines = 1}});
  ztest::exec("DELETE FROM temp WHERE ADISYONNO = 102;");  // its lines went after the listing

  confirmAndRun();

  EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
  EXPECT_EQ(fake.informations.size(), 1);
  EXPECT_EQ(bills(102), 1);
  EXPECT_EQ(stockRows(102), 0);
  EXPECT_FALSE(isOpen(102));
  EXPECT_EQ(stockRows(101), 2);
  EXPECT_FALSE(isOpen(101));
}

TEST_F(ClosingRun, ALongListingClosesInGroupsAndEachRejectedLineGivesUpOnlyItsOrder) {
  // More orders than one request carries; tricky customer names travel inside the statements.
  const QString tricky = utf("Ali \"Baba\" O'Neil \\ %100; -- Şık");
  std::vector<ztest::OrderRow> orders;
  for (int no = 101; no <= 175; ++no) orders.push_back({.no = no, .amount = 10, .customer = no % 10 == 0 ? tricky : QString()});
  listOrders(orders);
  board->NextGrid1CellClick(3, 19);  // 120 stays open
  adminExec(utf("CREATE TRIGGER zt_stok BEFORE INSERT ON stokhar FOR EACH ROW BEGIN "
                "IF NEW.STOKADI IN ('Ürün 103-2', 'Ürün 140-1') THEN "
                "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Stok karti kilitli'; END IF; END"));
  int locksAtMessage = -1;
  fake.onInformation = [&] { locksAtMessage = lock(103) + lock(120) + lock(140); };

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList({"Stok karti kilitli.", "Stok karti kilitli."}));
  EXPECT_EQ(fake.informations, QStringList({success("72", "720,00")}));
  for (int no = 101; no <= 175; ++no) {
    const bool left = no == 103 || no == 120 || no == 140;
    EXPECT_EQ(bills(no), left ? 0 : 1) << no;
    EXPECT_EQ(isOpen(no), left) << no;
    EXPECT_EQ(openLines(no), left ? 2 : 0) << no;
  }
  // Every stock row carries its own order's bill.
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO AND g.ADISYONNO = s.ADISYONNO"),
            2 * 72);
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 2 * 72);
  EXPECT_EQ(ztest::count("SELECT * FROM genhar WHERE FIRAMISMI = '" + QString(tricky).replace("\\", "\\\\").replace("'", "''") + "'"), 5);
  EXPECT_EQ(locksAtMessage, 0);  // released, before the reload holds them again

  // The server sees the orders one after the other: each bill right after its own savepoint (in
  // a transaction; without one there is none).
  const QStringList sent = takeStatements();
  const bool transactional = ztest::closingTablesHaveTransactions();
  int billInserts = 0;
  for (qsizetype i = 0; i < sent.size(); ++i) {
    if (!sent[i].startsWith("INSERT INTO Genhar")) continue;
    ++billInserts;
    ASSERT_GT(i, 0);
    if (transactional) {
      EXPECT_EQ(sent[i - 1], "SAVEPOINT kapanan_adisyon");
    }
  }
  if (!transactional) {
    EXPECT_EQ(sent.filter("SAVEPOINT").size(), 0);
  }
  EXPECT_GE(billInserts, 74);  // the orders after a rejected one in its request are sent again
  EXPECT_EQ(board->NextGrid1.rowCount(), 3);
  EXPECT_TRUE(board->BoardErrorText.isEmpty());
  expectBoardGivenBack();
}

// ------------------------------------------------------------------ faults

TEST_F(ClosingRun, RejectedStockLineGivesUpOnlyItsOrder) {
  listOrders({{.no = 101, .amount = 10}, {.no = 102, .amount = 20}, {.no = 103, .amount = 1234.5}});
  adminExec(utf("CREATE TRIGGER zt_stok BEFORE INSERT ON stokhar FOR EACH ROW BEGIN "
                "IF NEW.STOKADI = 'Ürün 102-2' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Stok karti kilitli'; "
                "END IF; END"));
  int lockAtMessage = -1;
  fake.onInformation = [&] { lockAtMessage = lock(102); };

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList({"Stok karti kilitli."}));
  // Only what was really closed is claimed.
  EXPECT_EQ(fake.informations, QStringList({success("2", "1.244,50")}));
  EXPECT_EQ(bills(101), 1);
  EXPECT_EQ(bills(103), 1);
  EXPECT_EQ(bills(102), 0);
  EXPECT_EQ(stockRows(102), 0);  // its first line went with the order
  EXPECT_TRUE(isOpen(102));
  EXPECT_EQ(openLines(102), 2);
  EXPECT_FALSE(isOpen(101) || isOpen(103));
  EXPECT_TRUE(takeStatements().contains("update Mainsip set lockdurum =\"0\" where adisyonno in (102)"));
  EXPECT_EQ(lockAtMessage, 0);
  EXPECT_EQ(board->HeldOrderClause, "Adisyonno =\"102\"");
  EXPECT_TRUE(board->BoardErrorText.isEmpty());
  expectBoardGivenBack();
}

TEST_F(ClosingRun, AnOrderLongerThanOneInsertIsStillAllOrNothing) {
  // 1000 lines take 16 inserts and more than one request; the rejected line is in the last.
  listOrders({{.no = 101, .lines = 1000}, {.no = 102, .lines = 3}});
  adminExec(utf("CREATE TRIGGER zt_stok BEFORE INSERT ON stokhar FOR EACH ROW BEGIN "
                "IF NEW.STOKADI = 'Ürün 101-990' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Stok karti kilitli'; "
                "END IF; END"));

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList({"Stok karti kilitli."}));
  EXPECT_EQ(bills(101), 0);
  EXPECT_EQ(stockRows(101), 0);  // the earlier inserts' lines went with the order
  EXPECT_EQ(openLines(101), 1000);
  EXPECT_EQ(bills(102), 1);
  EXPECT_EQ(stockRows(102), 3);

  adminExec("DROP TRIGGER zt_stok");
  ASSERT_EQ(board->NextGrid1.rowCount(), 1);
  confirmAndRun();
  EXPECT_EQ(fake.errors.size(), 1);
  EXPECT_FALSE(isOpen(101));
  // Every line once, each carrying the order's own bill.
  EXPECT_EQ(ztest::count("SELECT DISTINCT s.STOKADI FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO "
                         "AND g.ADISYONNO = s.ADISYONNO WHERE s.ADISYONNO = 101"),
            1000);
  EXPECT_EQ(stockRows(101), 1000);
}

TEST_F(ClosingRun, WhenEveryOrderIsGivenUpNothingIsClaimed) {
  listOrders({{.no = 101}, {.no = 102}});
  adminExec("CREATE TRIGGER zt_stok BEFORE INSERT ON stokhar FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Depo kapali'");

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList({"Depo kapali.", "Depo kapali."}));
  EXPECT_TRUE(fake.informations.isEmpty());
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
  EXPECT_TRUE(isOpen(101) && isOpen(102));
  EXPECT_TRUE(takeStatements().contains("update Mainsip set lockdurum =\"0\" where adisyonno in (101, 102)"));
  EXPECT_TRUE(board->BoardErrorText.isEmpty());  // listed again as this board's own
  EXPECT_EQ(board->NextGrid1.rowCount(), 2);
  expectBoardGivenBack();
}

TEST_F(ClosingRun, RejectedBillRollsTheWholeRunBack) {
  listOrders({{.no = 101}, {.no = 102}, {.no = 103}});
  const QString clause = board->HeldOrderClause;
  adminExec(utf("CREATE TRIGGER zt_bill BEFORE INSERT ON genhar FOR EACH ROW BEGIN "
                "IF NEW.ADISYONNO = 103 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Kapanis reddedildi'; "
                "END IF; END"));

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList({"Kapanis reddedildi." + utf(kNotBooked)}));
  EXPECT_TRUE(fake.informations.isEmpty());
  expectNothingWritten({101, 102, 103}, clause);
  expectBoardGivenBack();

  // The same listing can be closed once the fault is gone.
  adminExec("DROP TRIGGER zt_bill");
  confirmAndRun();
  EXPECT_EQ(fake.informations.size(), 1);
  for (int o : {101, 102, 103}) EXPECT_EQ(bills(o), 1) << o;
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 6);
}

TEST_F(ClosingRun, KilledConnectionLeavesNothingHalfWritten) {
  listOrders({{.no = 101}, {.no = 102}, {.no = 103}});
  const QString clause = board->HeldOrderClause;
  const qint64 session = board->Connect.serverThreadId();
  takeStatements();
  // After the first order is fully written (start, two lines, the order).
  fake.onProcessEvents = [&] {
    if (fake.processed == 4) adminExec(QString("KILL CONNECTION %1").arg(session));
  };

  confirmAndRun();
  fake.onProcessEvents = nullptr;

  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().endsWith(utf(kNotBooked))) << fake.errors.front().toStdString();
  EXPECT_TRUE(fake.informations.isEmpty());
  expectNothingWritten({101, 102, 103}, clause);
  expectBoardGivenBack();

  // The board works on: a refresh lists the same orders as its own and they close once.
  board->Refresh();
  EXPECT_EQ(fake.errors.size(), 1) << fake.errors.join("\n").toStdString();
  EXPECT_TRUE(board->BoardErrorText.isEmpty());
  ASSERT_EQ(board->NextGrid1.rowCount(), 3);
  confirmAndRun();
  EXPECT_EQ(fake.errors.size(), 1) << fake.errors.join("\n").toStdString();
  for (int o : {101, 102, 103}) EXPECT_EQ(bills(o), 1) << o;
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 0);
}

TEST_F(ClosingRun, LinesAddedElsewhereDuringTheRunRollItBack) {
  listOrders({{.no = 101}, {.no = 102}});
  const QString clause = board->HeldOrderClause;
  fake.onProcessEvents = [&] {
    if (fake.processed == 2) adminExec("INSERT INTO temp (ADISYONNO, STOKADI) VALUES (101, 'Sonradan')");
  };

  confirmAndRun();

  // Deleting 101's lines would remove one that has no stock row.
  EXPECT_EQ(fake.informations, QStringList({utf(kChangedElsewhere)}));
  EXPECT_TRUE(fake.errors.isEmpty());
  EXPECT_EQ(openLines(101), 3);
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 0);
  EXPECT_TRUE(isOpen(101) && isOpen(102));
  EXPECT_EQ(board->HeldOrderClause, clause);
  expectBoardGivenBack();
}

// ------------------------------------------------------------------ what a failure leaves held

// The closing lock is got in the run's first request, and a read after it in the same request
// fails: another program holds temp for longer than the board waits (on tables without
// transactions). The run knows it holds the lock and lets it go; the next run closes.
TEST_F(ClosingRun, ALockGotInARequestThatFailedIsLetGo) {
  if (ztest::closingTablesHaveTransactions()) ztest::setClosingTablesEngine("MyISAM");
  board->Connect.setLockWaitSettings({"SET SESSION lock_wait_timeout = 1"});
  board->Connect.reopen();
  ASSERT_FALSE(board->tablesHaveTransactions());
  listOrders({{.no = 101}, {.no = 102}});
  auto other = ztest::openConnection("other_program");
  other->execute("LOCK TABLES temp WRITE");

  confirmAndRun();
  other->execute("UNLOCK TABLES");

  // A lock wait that ran out is told as another terminal working on the orders.
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({utf(kChangedElsewhere)}));
  EXPECT_EQ(ztest::scalar("SELECT IS_FREE_LOCK('zerdapos_paket_kapanis')").toInt(), 1);
  expectNothingWritten({101, 102}, " Adisyonno =\"101\" or Adisyonno =\"102\"");
  expectBoardGivenBack();

  fake.informations.clear();
  confirmAndRun();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({success("2", "20,00")}));
}

// The closing lock held by a session asleep for longer than any run pauses: an older program's,
// or a stopped till's on a server that keeps sessions long. The next run ends that session and
// closes; a holder that is awake is waited for as before.
TEST_F(ClosingRun, AClosingLockHeldByASessionAsleepTooLongIsTakenFromIt) {
  if (ztest::closingTablesHaveTransactions()) ztest::setClosingTablesEngine("MyISAM");
  board->Connect.reopen();
  board->closingSilenceSeconds = 1;
  board->closingLockWaitSeconds = 1;
  listOrders({{.no = 101}, {.no = 102}});
  auto stopped = ztest::openConnection("stopped_till");
  QSqlQuery take(stopped->database());
  ASSERT_TRUE(take.exec("SELECT GET_LOCK('zerdapos_paket_kapanis', 0)") && take.next() && take.value(0).toInt() == 1);

  confirmAndRun();  // asleep for less than a run may pause: another terminal's run
  EXPECT_EQ(fake.informations, QStringList({utf(kBusy)}));
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);

  QThread::msleep(1500);
  fake.informations.clear();
  confirmAndRun();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({success("2", "20,00")}));
  EXPECT_FALSE(stopped->ping());  // its session was ended
}

// A delete the server refuses in the middle of the run's end (a trigger here; on a restaurant's
// server a crashed MyISAM table refuses the same way): the operator is not told it was booked,
// nothing stays locked (the restaurant's programs write temp at once, the technician's DROP
// TRIGGER does not wait), every order is open with all its lines or closed once, and the board's
// next commands work. Without transactions the orders whose lines the delete had removed before
// it was refused are finished, the others taken back: a part booked.
TEST_F(ClosingRun, ADeleteTheServerRefusesLeavesNothingLocked) {
  listOrders({{.no = 101}, {.no = 102}, {.no = 103}, {.no = 104}});
  const bool transactional = ztest::closingTablesHaveTransactions();
  adminExec("CREATE TRIGGER zt_bozuk BEFORE DELETE ON temp FOR EACH ROW BEGIN "
            "IF OLD.ADISYONNO = 103 THEN SIGNAL SQLSTATE 'HY000' SET MESSAGE_TEXT = 'Tablo bozuk'; END IF; END");

  confirmAndRun();

  ASSERT_EQ(fake.errors.size(), 1);
  const QString note = utf(transactional ? kNotBooked
                                         : "\nHesapların bir kısmı tahsil edildi, kalanı tahsil edilmedi. "
                                           "Lütfen Güncelle Butonuna Tıklayınız");
  EXPECT_EQ(fake.errors.front(), "Tablo bozuk." + note);
  EXPECT_EQ(fake.informations, QStringList());
  expectBoardGivenBack();
  // The restaurant's order-taking program and the technician do not wait.
  auto other = ztest::openConnection("order_taking");
  other->execute("SET SESSION lock_wait_timeout = 2");
  if (ztest::serverHasInnoDb()) other->execute("SET SESSION innodb_lock_wait_timeout = 2");
  QElapsedTimer waited;
  waited.start();
  other->execute("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI) VALUES (1, 999, 'Yeni')");
  other->execute("DELETE FROM temp WHERE ADISYONNO = 999");
  other->execute("DROP TRIGGER zt_bozuk");
  EXPECT_LT(waited.elapsed(), 1000);
  EXPECT_EQ(ztest::scalar("SELECT IS_FREE_LOCK('zerdapos_paket_kapanis')").toInt(), 1);
  for (int o : {101, 102, 103, 104}) {
    if (isOpen(o)) {
      EXPECT_EQ(openLines(o), 2) << o;
      EXPECT_EQ(bills(o), 0) << o;
    } else {
      EXPECT_EQ(bills(o), 1) << o;
      EXPECT_EQ(stockRows(o), 2) << o;
      EXPECT_EQ(openLines(o), 0) << o;
    }
  }
  // The delete ran through the orders in their order: those before 103 had lost their lines.
  EXPECT_EQ(isOpen(101), transactional);
  EXPECT_EQ(isOpen(102), transactional);
  EXPECT_TRUE(isOpen(103) && isOpen(104));

  fake.errors.clear();
  board->Refresh();
  EXPECT_EQ(fake.errors, QStringList());
  ASSERT_EQ(board->NextGrid1.rowCount(), transactional ? 4 : 2);
  confirmAndRun();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations.filter(utf("Başarı İle Tahsil")).size(), 1);
  for (int o : {101, 102, 103, 104}) EXPECT_EQ(bills(o), 1) << o;
}

// A bill of another day on an order that is still open: the order was closed, or is being
// closed, by another program. The run writes no second bill, whatever the working date.
TEST_F(ClosingRun, AnOrderWithABillOfAnotherDayGetsNoSecond) {
  listOrders({{.no = 101}, {.no = 102}, {.no = 103}});
  ztest::exec("INSERT INTO genhar (GENHARNO, ADISYONNO, TARIH, HARTIP, CIKIS) VALUES (9001, 102, '2026-12-08', '2', 10);");

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({utf(kChangedElsewhere)}));
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 1);
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 0);
  for (int o : {101, 102, 103}) EXPECT_TRUE(isOpen(o)) << o;
  expectBoardGivenBack();
}

// A value a stock row cannot hold, in the second line of an order: refused on every engine (also
// where the server would rather adjust it in a later row of a MyISAM insert), so its order is
// given up as any refused line gives it up, and the others close.
TEST_F(ClosingRun, AValueAStockRowCannotHoldGivesItsOrderUpOnEveryEngine) {
  listOrders({{.no = 101, .amount = 10}, {.no = 102, .amount = 20, .lines = 3}, {.no = 103, .amount = 30}});
  // The restaurant's stock table takes shorter product names than its order lines carry.
  ztest::exec(utf("ALTER TABLE stokhar MODIFY STOKADI VARCHAR(12);\n"
                  "UPDATE temp SET STOKADI = 'Izgara köfte porsiyon' WHERE ADISYONNO = 102 AND SIRANO = 2;"));

  confirmAndRun();

  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_EQ(fake.errors.front(), "Data too long for column 'STOKADI' at row 2.");
  EXPECT_EQ(fake.informations, QStringList({success("2", "40,00")}));
  EXPECT_EQ(bills(102), 0);
  EXPECT_EQ(stockRows(102), 0);
  EXPECT_TRUE(isOpen(102));
  EXPECT_EQ(openLines(102), 3);
  EXPECT_EQ(bills(101) + bills(103), 2);
  EXPECT_EQ(stockRows(101) + stockRows(103), 4);
}

// After a fault a run counts as booked only when all of its bills exist and the orders they
// closed are gone; a bill on an order still open is no answer yet; bills taken back while others
// closed their orders: a part was booked.
TEST_F(ClosingRun, AfterAFaultBookedMeansTheBillsThereAndTheirOrdersGone) {
  listOrders({{.no = 101}, {.no = 102}});
  ztest::exec("INSERT INTO genhar (GENHARNO, ADISYONNO) VALUES (9001, 101), (9002, 102);");
  const zboard::RunBills bills{{9001, 101}, {9002, 102}};
  using zboard::RunTruth;
  EXPECT_EQ(zboard::lookUpRun(board->Connect, bills), RunTruth::CannotTell);  // bills, orders open
  ztest::exec("DELETE FROM mainsip WHERE ADISYONNO = 101;");
  EXPECT_EQ(zboard::lookUpRun(board->Connect, bills), RunTruth::CannotTell);  // one still open
  ztest::exec("DELETE FROM mainsip WHERE ADISYONNO = 102;");
  EXPECT_EQ(zboard::lookUpRun(board->Connect, bills), RunTruth::Booked);
  ztest::exec("DELETE FROM genhar WHERE GENHARNO = 9002;");
  std::vector<qint64> booked;
  EXPECT_EQ(zboard::lookUpRun(board->Connect, bills, {}, &booked), RunTruth::Partly);  // one bill taken back
  EXPECT_EQ(booked, std::vector<qint64>({101}));  // the order the run closed
  ztest::exec("DELETE FROM genhar;");
  EXPECT_EQ(zboard::lookUpRun(board->Connect, bills), RunTruth::ChangedElsewhere);  // gone, not by it
  ztest::addOrder({.no = 101});
  ztest::addOrder({.no = 102});
  EXPECT_EQ(zboard::lookUpRun(board->Connect, bills), RunTruth::NotBooked);
}

// ------------------------------------------------------------------ two terminals

class TwoTerminals : public ClosingRun {
 protected:
  void SetUp() override {
    ClosingRun::SetUp();
    for (int no : {101, 102, 103}) ztest::addOrder({.no = no});
    ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
    listCourier("Ali");
    // The second terminal finds the orders free (the hold is advisory) and lists them too.
    ztest::exec("UPDATE mainsip SET lockdurum = 0;");
    other = std::make_unique<zboard::Board>(otherFake, "Connect2");
    ztest::setUpTerminal(*other, QTime(14, 31), "KASA2", 8);
    ASSERT_EQ(ztest::listAli(*other), zboard::StartupResult::Ready);
    ASSERT_TRUE(other->BoardErrorText.isEmpty());
    ASSERT_EQ(other->NextGrid1.rowCount(), 3);
    takeStatements();
  }
  void TearDown() override {
    other.reset();
    ClosingRun::TearDown();
  }
  void otherCloses() {
    otherFake.answer(1);
    otherFake.answer(1);
    other->Button2Click();
  }
  static void expectEachOrderClosedOnce() {
    EXPECT_EQ(ztest::count("SELECT ADISYONNO FROM genhar GROUP BY ADISYONNO HAVING COUNT(*) > 1"), 0);
    EXPECT_EQ(ztest::count("SELECT ADISYONNO, COUNT(*) FROM stokhar GROUP BY ADISYONNO, STOKADI HAVING COUNT(*) > 1"), 0);
    EXPECT_EQ(ztest::count("SELECT * FROM stokhar s LEFT JOIN genhar g ON g.GENHARNO = s.GENHARNO "
                           "WHERE g.ADISYONNO IS NULL OR g.ADISYONNO <> s.ADISYONNO"),
              0);
  }

  ztest::FakeMessenger otherFake;
  std::unique_ptr<zboard::Board> other;
};

TEST_F(TwoTerminals, TheLaterRunRollsBackWhenTheOtherClosedFirst) {
  const QString clause = board->HeldOrderClause;
  const QString otherClause = other->HeldOrderClause;
  other->closingLockWaitSeconds = 1;
  // The other terminal closes everything while this one is in the middle of its first order.
  fake.onProcessEvents = [&] {
    if (fake.processed == 2) otherCloses();
  };

  confirmAndRun();

  EXPECT_TRUE(fake.errors.isEmpty());
  EXPECT_TRUE(otherFake.errors.isEmpty());
  if (ztest::closingTablesHaveTransactions()) {
    EXPECT_EQ(otherFake.informations, QStringList({success("3", "30,00")}));
    EXPECT_EQ(fake.informations, QStringList({utf(kChangedElsewhere)}));
    EXPECT_EQ(ztest::scalar("SELECT COUNT(*) FROM genhar WHERE KAPATANISMI = 'KASA2'").toInt(), 3);
    EXPECT_EQ(board->HeldOrderClause, clause);
  } else {
    // This run holds the closing lock from its first request: the other waits, writes nothing
    // and says so, and this one closes.
    EXPECT_EQ(otherFake.informations, QStringList({utf(kBusy)}));
    EXPECT_EQ(other->HeldOrderClause, otherClause);
    EXPECT_EQ(fake.informations, QStringList({success("3", "30,00")}));
    EXPECT_EQ(ztest::scalar("SELECT COUNT(*) FROM genhar WHERE KAPATANISMI = 'KASA1'").toInt(), 3);
  }
  for (int o : {101, 102, 103}) EXPECT_EQ(bills(o), 1) << o;
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 6);
  expectEachOrderClosedOnce();
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 0);
  expectBoardGivenBack();
}

// The run's end (its deletes, their check, the release and the COMMIT) travels in one request, so
// another terminal meets its deleted rows only while that request runs at the server: made slow
// here by a trigger that sleeps after this terminal's deletes. The other waits for the rows and
// gives up (without transactions: for the closing lock), is told so in Turkish, and writes
// nothing; this run closes what it marked.
TEST_F(TwoTerminals, ARunThatMeetsTheOthersDeletesFailsAndLeavesThemIntact) {
  board->NextGrid1CellClick(3, 2);  // this terminal leaves 103 open, so it releases after deleting
  const bool transactional = ztest::closingTablesHaveTransactions();
  adminExec("CREATE TRIGGER zt_slow_end AFTER DELETE ON mainsip FOR EACH ROW BEGIN "
            "IF @zt_slow_end = 1 THEN SET @zt_slow_end = 0; DO SLEEP(3); END IF; END");
  board->Connect.execute("SET @zt_slow_end = 1");
  other.reset();  // the other terminal works in a thread of its own, as on its own till
  ztest::exec("UPDATE mainsip SET lockdurum = 0;");
  std::latch listed(1), endSent(1);
  QStringList otherInformations, otherErrors;
  bool otherEnabled = false, otherKeepsItsOrders = false;
  QThread *terminal = QThread::create([&] {
    ztest::FakeMessenger messenger;
    zboard::Board second(messenger, "Connect2");
    ztest::setUpTerminal(second, QTime(14, 31), "KASA2", 8);
    if (transactional) second.Connect.execute("SET SESSION innodb_lock_wait_timeout = 1");
    second.closingLockWaitSeconds = 1;
    ztest::listAli(second);
    const QString clause = second.HeldOrderClause;
    listed.count_down();
    endSent.wait();
    QThread::msleep(500);  // the end is at the server, asleep after its deletes
    messenger.answer(1);
    messenger.answer(1);
    second.Button2Click();
    otherInformations = messenger.informations;
    otherErrors = messenger.errors;
    otherEnabled = second.enabled;
    otherKeepsItsOrders = !clause.isEmpty() && second.HeldOrderClause == clause;
  });
  terminal->start();
  listed.wait();
  bool sent = false;
  board->Connect.setObserver([&](const QString &statement) {
    if (!sent && statement.startsWith("delete From mainsip Where")) {
      sent = true;
      endSent.count_down();
    }
  });

  confirmAndRun();
  terminal->wait();
  delete terminal;

  ASSERT_TRUE(sent);
  // Its wait ran out: told as a change elsewhere (or, waiting for the closing lock, as another
  // terminal's run), not with the server's text.
  EXPECT_TRUE(otherErrors.isEmpty()) << otherErrors.join("\n").toStdString();
  EXPECT_EQ(otherInformations, QStringList({utf(transactional ? kChangedElsewhere : kBusy)}));
  EXPECT_TRUE(otherKeepsItsOrders);
  EXPECT_TRUE(otherEnabled);
  EXPECT_EQ(fake.informations, QStringList({success("2", "20,00")}));
  EXPECT_EQ(bills(101), 1);
  EXPECT_EQ(bills(102), 1);
  EXPECT_EQ(bills(103), 0);
  EXPECT_EQ(ztest::scalar("SELECT COUNT(*) FROM genhar WHERE KAPATANISMI = 'KASA1'").toInt(), 2);
  expectEachOrderClosedOnce();
  EXPECT_TRUE(isOpen(103));
  adminExec("DROP TRIGGER zt_slow_end");
}

}  // namespace
