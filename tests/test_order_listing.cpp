// Listing a courier's ready orders: checks, the hold protocol on lockdurum, the grid fill.
#include "board_fixture.h"
#include "dialogs/colours.h"

namespace {

class OrderListing : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
  }
  int lock(int order) { return ztest::scalar(QString("SELECT lockdurum FROM mainsip WHERE adisyonno = %1").arg(order)).toInt(); }
};

TEST_F(OrderListing, OneOrderIsHeldListedAndMarked) {
  ztest::addOrder({.no = 101, .amount = 1234.5});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  takeStatements();
  listCourier("Ali");
  EXPECT_EQ(board->HeldOrderClause, "Adisyonno =\"101\"");
  const QStringList sent = takeStatements();
  EXPECT_TRUE(sent.contains("update Mainsip set lockdurum =\"1\" Where Tarih =:0 and AdisyonYazdimi = \"1\" And "
                            "SevkYapanIsmi =\"Ali\" and Kisim = \"Paket Servis\" and (Adisyonno =\"101\")"));
  EXPECT_TRUE(sent.contains("Select*From MainSip Where AdisyonYazdimi = \"1\" And SevkYapanIsmi =\"Ali\" and "
                            "Kisim = \"Paket Servis\""));
  EXPECT_TRUE(sent.contains("Select*From Subeler"));
  EXPECT_TRUE(sent.contains("Select * From Temp Where Adisyonno =\"101\""));
  EXPECT_EQ(lock(101), 1);
  EXPECT_EQ(board->Button2Caption, QString::fromUtf8(" (Ali) nın Paketlerini TAHSIL ET..!"));
  ASSERT_EQ(board->NextGrid1.rowCount(), 1);
  EXPECT_EQ(board->NextGrid1.cell(0, 0).text, "101");
  EXPECT_EQ(board->NextGrid1.cell(1, 0).text, QString::fromUtf8("Müşteri 101"));
  EXPECT_EQ(board->NextGrid1.cell(2, 0).text, "1.234,50");
  EXPECT_EQ(board->NextGrid1.columns[2].align, zboard::Align::Right);
  EXPECT_EQ(board->NextGrid1.cell(3, 0).text, "Ok");
  EXPECT_EQ(board->NextGrid1.cell(3, 0).colour, zcolour::Lime);
  EXPECT_EQ(board->NextGrid1.cell(4, 0).text, "");
  EXPECT_TRUE(board->BoardErrorText.isEmpty());
  EXPECT_TRUE(board->QueryGrafik.isOpen());
  // The lines grid shows the last order's lines; the order query stays on its final list.
  EXPECT_EQ(board->QueryTemp.recordCount(), 2);
  EXPECT_EQ(board->QueryMainSip.recordCount(), 1);
}

TEST_F(OrderListing, ThreeOrdersGiveTheExactClauseAndReleaseOnTheNextLoad) {
  for (int no : {101, 102, 103}) ztest::addOrder({.no = no});
  ztest::addOrder({.no = 104, .ready = 0});                        // not ready
  ztest::addOrder({.no = 105, .section = "Gel Al"});               // other section
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  EXPECT_EQ(board->HeldOrderClause, " Adisyonno =\"101\" or  Adisyonno =\"102\" or Adisyonno =\"103\"");
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip WHERE lockdurum = 1"), 3);
  takeStatements();
  board->Refresh();
  EXPECT_EQ(takeStatements().at(2),
            "update Mainsip set lockdurum =\"0\" Where AdisyonYazdimi = \"1\" And ( Adisyonno =\"101\" or  "
            "Adisyonno =\"102\" or Adisyonno =\"103\")");
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip WHERE lockdurum = 1"), 3);  // held again by the reload
  EXPECT_EQ(board->NextGrid1.rowCount(), 3);
}

TEST_F(OrderListing, YesterdaysOrderIsListedButNotHeld) {
  ztest::addOrder({.no = 90, .date = ztest::workDate().addDays(-1)});
  ztest::addOrder({.no = 91});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  EXPECT_EQ(board->NextGrid1.rowCount(), 2);
  EXPECT_EQ(lock(90), 0);
  EXPECT_EQ(lock(91), 1);
  EXPECT_TRUE(board->HeldOrderClause.contains("\"90\""));
}

TEST_F(OrderListing, WarningsForHeldAndLinelessOrdersBlockClosingUntilACleanLoad) {
  ztest::addOrder({.no = 101, .lockdurum = 1, .customer = "Ayşe Yılmaz"});
  ztest::addOrder({.no = 102, .lines = 0});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  ASSERT_EQ(fake.informations.size(), 2);
  EXPECT_EQ(fake.informations[0],
            QString::fromUtf8("Ayşe Yılmaz cari isimli Pakete başka Kullanıcı işlem Yapıyor Lütfen Bekleyiniz..!"));
  EXPECT_EQ(fake.informations[1], QString::fromUtf8("102 Nolu Adisyona Ait ürün listelenemedi  ?"));
  EXPECT_EQ(board->BoardErrorText, fake.informations[1]);
  EXPECT_EQ(board->NextGrid1.rowCount(), 2);  // both still listed and held
  EXPECT_EQ(lock(101), 1);
  EXPECT_EQ(lock(102), 1);

  // GÜNCELLE releases first, so the order held by this board is now free; the lineless one still warns.
  fake.informations.clear();
  board->Refresh();
  EXPECT_EQ(fake.informations, QStringList({QString::fromUtf8("102 Nolu Adisyona Ait ürün listelenemedi  ?")}));
  ztest::exec("INSERT INTO temp (ADISYONNO, STOKADI) VALUES (102, 'Çorba');");
  board->Refresh();
  EXPECT_TRUE(board->BoardErrorText.isEmpty());
}

TEST_F(OrderListing, SwitchingToACourierWithoutOrdersReleasesEverything) {
  ztest::addOrder({.no = 101});
  ztest::addOrder({.no = 102});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  listCourier("Veli");
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip WHERE lockdurum = 1"), 0);
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);
  EXPECT_TRUE(board->HeldOrderClause.isEmpty());
  EXPECT_FALSE(board->QueryTemp.isOpen());
  takeStatements();
  EXPECT_TRUE(board->Terk());
  EXPECT_TRUE(takeStatements().isEmpty());  // nothing held, nothing sent
}

TEST_F(OrderListing, TerkReleasesOnlyHeldOrdersOfTheWorkingDateThatAreStillReady) {
  for (int no : {101, 102, 103}) ztest::addOrder({.no = no});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  ztest::exec("UPDATE mainsip SET tarih = '2026-12-08' WHERE adisyonno = 102;"
              "UPDATE mainsip SET adisyonyazdimi = 0 WHERE adisyonno = 103;");
  takeStatements();
  EXPECT_TRUE(board->Terk());
  EXPECT_EQ(takeStatements(), QStringList({"update Mainsip set lockdurum =\"0\" Where Tarih =:0 and AdisyonYazdimi = "
                                           "\"1\" And ( Adisyonno =\"101\" or  Adisyonno =\"102\" or Adisyonno =\"103\")"}));
  EXPECT_EQ(lock(101), 0);
  EXPECT_EQ(lock(102), 1);
  EXPECT_EQ(lock(103), 1);
  EXPECT_TRUE(board->HeldOrderClause.isEmpty());
}

TEST_F(OrderListing, NamesWithQuoteCharactersListHoldAndRelease) {
  const QString courier = QString::fromUtf8("Ali \"Hızlı\" O'Brien \\");
  const QString section = QString::fromUtf8("Paket \"A\" 'B'");
  ztest::exec("INSERT INTO `user` (USERNAME, USERNO, Isten_Ayrildi, Sevkiyatci) VALUES ('x', 30, 0, 0);");
  ztest::addOrder({.no = 501, .courier = courier, .section = section});
  ztest::addOrder({.no = 502, .courier = courier, .section = section});
  ASSERT_EQ(showBoard({section}), zboard::StartupResult::Ready);
  listCourier(courier);
  EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
  EXPECT_EQ(board->NextGrid1.rowCount(), 2);
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip WHERE lockdurum = 1"), 2);
  EXPECT_TRUE(board->Terk());
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip WHERE lockdurum = 1"), 0);
}

TEST_F(OrderListing, AServerErrorEndsTheLoadAndIsShown) {
  ztest::addOrder({.no = 101});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  ztest::exec("ALTER TABLE subeler RENAME TO subeler_old;");
  listCourier("Ali");
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors[0].contains("subeler", Qt::CaseInsensitive));
  EXPECT_EQ(lock(101), 0);  // the load stopped before holding
  ztest::exec("ALTER TABLE subeler_old RENAME TO subeler;");
  board->Refresh();
  EXPECT_EQ(lock(101), 1);
}

TEST_F(OrderListing, AFailingLinesCheckEndsTheLoadBeforeItsWarningsAndTheHold) {
  ztest::addOrder({.no = 101});
  ztest::addOrder({.no = 102, .lockdurum = 1});  // would warn, after 101's check
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  ztest::exec("ALTER TABLE temp RENAME TO temp_old;");
  listCourier("Ali");
  ztest::exec("ALTER TABLE temp_old RENAME TO temp;");
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors[0].contains("temp", Qt::CaseInsensitive));
  EXPECT_TRUE(fake.informations.isEmpty());  // the first check failed: no order was checked
  EXPECT_EQ(lock(101), 0);
  EXPECT_TRUE(board->HeldOrderClause.isEmpty());
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);
}

TEST_F(OrderListing, TimerGivesTheBoardBackOnlyWhenTheOrderQueryHoldsNoRow) {
  ztest::addOrder({.no = 101});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  bool enabled = true;
  QObject::connect(board.get(), &zboard::Board::enabledChanged, [&](bool on) { enabled = on; });
  board->enabled = false;
  board->Timer1.start();
  board->Timer1Timer();  // the order query still holds the listed order
  EXPECT_FALSE(board->enabled);
  EXPECT_TRUE(board->Timer1.isActive());
  board->QueryMainSip.close();  // a closed query counts as holding no row
  board->Timer1Timer();
  EXPECT_TRUE(board->enabled);
  EXPECT_TRUE(enabled);
  EXPECT_FALSE(board->Timer1.isActive());
}

TEST_F(OrderListing, TheNextCommandAfterALostConnectionOpensItAgain) {
  ztest::addOrder({.no = 101});
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  ztest::exec(QString("KILL CONNECTION %1;").arg(board->Connect.serverThreadId()));
  board->Refresh();  // GÜNCELLE works again with the start-up's parameters
  EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
  EXPECT_EQ(board->NextGrid1.rowCount(), 1);
  EXPECT_EQ(lock(101), 1);
  // A server that cannot be reached is reported, and tried again at the following command.
  board->Connect.setPort(1);
  ztest::exec(QString("KILL CONNECTION %1;").arg(board->Connect.serverThreadId()));
  board->Refresh();
  EXPECT_EQ(fake.errors.size(), 1);
  ztest::configure(board->Connect);
  board->Refresh();
  EXPECT_EQ(fake.errors.size(), 1);
  EXPECT_EQ(board->NextGrid1.rowCount(), 1);
}

}  // namespace
