// Board start-up: terminal check, working date, ready-order filter, register columns, couriers.
#include "board_fixture.h"
#include "dialogs/colours.h"

using zboard::StartupResult;

namespace {

class BoardStartup : public ztest::BoardTest {};

TEST_F(BoardStartup, FirstShowingBuildsColumnsCouriersAndChartData) {
  ztest::seedRestaurant(2);
  ztest::exec("INSERT INTO `user` (USERNAME, USERNO, Isten_Ayrildi, Sevkiyatci) VALUES ('Cem', 23, 0, 1), ('Eski', 24, 1, 1);");
  for (int i = 0; i < 3; ++i) ztest::addOrder({.no = 100 + i, .courier = "Ali"});
  for (int i = 0; i < 5; ++i) ztest::addOrder({.no = 200 + i, .courier = "Veli", .date = ztest::workDate().addDays(-3)});
  ztest::addOrder({.no = 300, .courier = "Yabancı"});  // not an active courier: listed all the same
  ztest::addOrder({.no = 301, .courier = ""});        // never listed

  ASSERT_EQ(showBoard({"Paket Servis", "Gel Al"}), StartupResult::Ready);
  EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join("\n").toStdString();
  EXPECT_EQ(board->Label2Caption, "Merkez/KASA1");
  EXPECT_EQ(board->DTPBugun, ztest::workDate());
  EXPECT_EQ(board->ListBox1.itemIndex, 0);
  EXPECT_EQ(board->ReadyOrderFilter, "AdisyonYazdimi = \"1\"");
  EXPECT_TRUE(board->BoardInitialised);

  // Registers Nakit (kasano 1, default, lime) and Kredi Kartı; "Tutar" widened to 50.
  ASSERT_EQ(board->NextGrid1.columnCount(), 5);
  EXPECT_EQ(board->NextGrid1.columns[3].caption, "Nakit");
  EXPECT_EQ(board->NextGrid1.columns[3].colour, zcolour::Lime);
  EXPECT_EQ(board->NextGrid1.columns[3].headerColour, zcolour::Lime);
  EXPECT_EQ(board->NextGrid1.columns[4].caption, QString::fromUtf8("Kredi Kartı"));
  EXPECT_NE(board->NextGrid1.columns[4].colour, zcolour::Lime);
  EXPECT_EQ(board->NextGrid1.columns[3].width, 40);
  EXPECT_EQ(board->NextGrid1.columns[2].width, 50);
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);  // start-up lists no orders

  // Couriers by open-order count, then active couriers without orders, each once.
  EXPECT_EQ(board->ListBox2.items, QStringList({"Veli", "Ali", QString::fromUtf8("Yabancı"), "Cem"}));
  EXPECT_EQ(board->ListBox2.itemIndex, 0);
  EXPECT_TRUE(board->QueryGrafikKapali.isOpen());
  EXPECT_TRUE(statements.contains(
      "SELECT * FROM `user` wHERE Sevkiyatci = True and  isten_Ayrildi = false"));
  EXPECT_TRUE(statements.contains("select*from stationid Where Net_DirecTory =\"KASA-PC\""));
  EXPECT_TRUE(statements.contains(
      "select*from zerdapos.kasa Where toplamiartir = True and islemturno in(\"1\",\"0\",\"9\") order by kasano"));
  EXPECT_TRUE(statements.contains(
      "SELECT SevkYapanIsmi, Count(KisiSayisi)KisiSayisi, Sum(Cikis)Tutar, Sum(cikis)/sUM(KisiSayisi) AS tutarkdvsiz "
      "FROM zerdapos.Genhar wHERE Tarih =:0 and SevkYapanIsmi !=\"\" Group by SevkYapanIsmi"));
}

// The board learns the kind of the four tables a run writes with its session's settings, and
// again whenever it opens a new session: one table without transactions is enough for the way
// without them (a mixed database); another kind with transactions counts as having them.
TEST_F(BoardStartup, TheBoardKnowsWhetherTheTablesItWritesHaveTransactions) {
  ztest::seedRestaurant(2);
  ASSERT_EQ(showBoard(), StartupResult::Ready);
  if (!ztest::serverHasInnoDb()) {
    EXPECT_FALSE(board->tablesHaveTransactions());  // every table MyISAM
    return;
  }
  EXPECT_TRUE(board->tablesHaveTransactions());
  ztest::exec("ALTER TABLE temp ENGINE=Aria;");
  EXPECT_TRUE(board->tablesHaveTransactions());  // not before the next session
  board->Connect.reopen();
  EXPECT_FALSE(board->tablesHaveTransactions());
  ztest::exec("ALTER TABLE temp ENGINE=InnoDB;\nALTER TABLE mainsip ENGINE=MEMORY;");
  board->Connect.reopen();
  EXPECT_FALSE(board->tablesHaveTransactions());
  ztest::exec("ALTER TABLE mainsip ENGINE=InnoDB;");
  board->Connect.reopen();
  EXPECT_TRUE(board->tablesHaveTransactions());

  // A session lost and opened again by the next command.
  ztest::exec("ALTER TABLE genhar ENGINE=MyISAM;");
  ztest::exec(QString("KILL CONNECTION %1;").arg(board->Connect.serverThreadId()));
  board->Refresh();
  EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
  EXPECT_FALSE(board->tablesHaveTransactions());
}

TEST_F(BoardStartup, LaterShowingsRebuildNothingButTheOperatorAndDate) {
  ztest::seedRestaurant(2);
  ASSERT_EQ(showBoard(), StartupResult::Ready);
  ztest::exec("INSERT INTO kasa (KasaNo, KasaAdi, islemturno, toplamiartir) VALUES (9, 'Yeni', 1, 1);"
              "UPDATE setup SET ISLEMTARIHI = '2026-12-10';"
              "UPDATE stationid SET Subeadi = 'Kadıköy';");
  ztest::addOrder({.no = 1, .courier = "Zeki"});
  takeStatements();
  board->user.SignedInUserName = "KASA2";
  ASSERT_EQ(board->FormShow(), StartupResult::Ready);
  EXPECT_EQ(board->NextGrid1.columnCount(), 5);
  EXPECT_FALSE(board->ListBox2.items.contains("Zeki"));
  EXPECT_EQ(board->Label2Caption, QString::fromUtf8("Kadıköy/KASA2"));
  EXPECT_EQ(board->DTPBugun, QDate(2026, 12, 10));
  for (const QString &s : statements) EXPECT_FALSE(s.contains("kasa Where") || s.contains("Genhar")) << s.toStdString();
}

TEST_F(BoardStartup, OnlyAnExactEAdmitsTheTerminal) {
  ztest::seedRestaurant(1);
  for (const char *bthk : {"e", "E ", ""}) {
    ztest::exec(QString("UPDATE stationid SET BTHK = '%1';").arg(bthk));
    fake.informations.clear();
    EXPECT_EQ(showBoard(), StartupResult::TerminalRefused) << bthk;
    ASSERT_EQ(fake.informations.size(), 1);
    EXPECT_EQ(fake.informations[0], "KASA1 Bu Terminalden Hesap Kapatilamaz.       BIRDAHA SAKIN DENEME !!!(LG)");
    EXPECT_EQ(board->Label2Caption, QString::fromUtf8("Kurye Seçiniz"));
  }
  ztest::exec("DELETE FROM stationid;");  // no row at all refuses too
  EXPECT_EQ(showBoard(), StartupResult::TerminalRefused);
  EXPECT_EQ(ztest::count("SHOW COLUMNS FROM setup4 LIKE 'KURYE_TAKIP_SISTEMI'"), 0);  // nothing after the check ran
}

TEST_F(BoardStartup, CourierTrackingColumnDecidesTheFilterAndIsAddedWhenMissing) {
  ztest::seedRestaurant(1);
  ASSERT_EQ(showBoard(), StartupResult::Ready);
  EXPECT_TRUE(statements.contains("ALTER TABLE `zerdapos`.`setup4` ADD COLUMN `KURYE_TAKIP_SISTEMI` TINYINT(3) "
                                  "UNSIGNED DEFAULT 0 AFTER `KURYE_ADET_TUTAR`"));
  EXPECT_EQ(ztest::scalar("SELECT KURYE_TAKIP_SISTEMI FROM setup4").toInt(), 0);
  EXPECT_EQ(board->ReadyOrderFilter, "AdisyonYazdimi = \"1\"");
  EXPECT_TRUE(board->QuerySetup4.isOpen());

  const std::pair<const char *, const char *> cases[] = {{"1", "PaketciDurum =\"50\""},
                                                         {"0", "AdisyonYazdimi = \"1\""},
                                                         {"2", "AdisyonYazdimi = \"1\""},
                                                         {"NULL", "AdisyonYazdimi = \"1\""}};
  for (const auto &[value, filter] : cases) {
    ztest::exec(QString("UPDATE setup4 SET KURYE_TAKIP_SISTEMI = %1;").arg(value));
    ASSERT_EQ(board->FormShow(), StartupResult::Ready);
    EXPECT_EQ(board->ReadyOrderFilter, filter) << value;
  }
}

TEST_F(BoardStartup, DatabaseErrorsAreShownAndLeaveTheBoardUninitialised) {
  ztest::seedRestaurant(1);
  ztest::exec("ALTER TABLE setup4 DROP COLUMN KURYE_ADET_TUTAR;");  // the recovery's ALTER cannot work
  EXPECT_EQ(showBoard(), StartupResult::Failed);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors[0].contains("KURYE_ADET_TUTAR")) << fake.errors[0].toStdString();
  EXPECT_TRUE(fake.errors[0].endsWith('.'));
  EXPECT_FALSE(board->BoardInitialised);
  EXPECT_EQ(board->NextGrid1.columnCount(), 3);
  EXPECT_TRUE(board->Terk());  // leaving still works

  // No host name on a first showing: the terminal row cannot be read, which is an error.
  ztest::resetDatabase();
  ztest::seedRestaurant(1);
  zboard::Board fresh(fake, "Other");
  ztest::configure(fresh.Connect);
  fresh.Connect.open();
  fresh.setHostName([] { return std::nullopt; });
  fake.errors.clear();
  EXPECT_EQ(fresh.FormShow(), StartupResult::Failed);
  EXPECT_EQ(fake.errors.size(), 1);
}

TEST_F(BoardStartup, NoQualifyingRegisterKeepsTheOrderColumnsAsDesigned) {
  ztest::seedRestaurant(0);
  ztest::exec("INSERT INTO kasa (KasaNo, KasaAdi, islemturno, toplamiartir) VALUES (1, 'Kapalı', 5, 1), (2, 'Pasif', 1, 0);");
  ztest::addOrder({.no = 5});
  ASSERT_EQ(showBoard(), StartupResult::Ready);
  EXPECT_EQ(board->NextGrid1.columnCount(), 3);
  EXPECT_EQ(board->NextGrid1.columns[2].width, 42);
  // Orders are listed unmarked; nothing is written outside the grid.
  listCourier("Ali");
  ASSERT_EQ(board->NextGrid1.rowCount(), 1);
  EXPECT_EQ(board->NextGrid1.rows[0].size(), 3u);
  EXPECT_EQ(board->Summary.Label7.caption, "0");
  EXPECT_TRUE(fake.errors.isEmpty());
}

}  // namespace
