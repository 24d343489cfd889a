// The demo restaurant (demo/demo_restaurant.sql) on the headless board: that it loads into the
// schema, shows what the README promises (every sign-in refusal, the couriers, the registers, the
// listing warnings, bars on every chart page) and that loading it again restores it exactly.
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include "board_fixture.h"
#include "signin/sign_in.h"

// Readable failure messages for Qt texts (internal linkage; found by argument-dependent lookup).
static void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QStringList &l, std::ostream *os) {
  *os << "{ ";
  for (const QString &s : l) *os << '"' << s.toStdString() << "\" ";
  *os << '}';
}

namespace {

QString utf(const char *s) { return QString::fromUtf8(s); }

using Outcome = zsignin::SignInResult::Outcome;

class DemoRestaurant : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    loadDemo();
  }

  // As scripts/demo.sh loads it, with the fixture board's host name as this terminal.
  static void loadDemo() {
    QFile f(QStringLiteral(ZTEST_SOURCE_DIR "/demo/demo_restaurant.sql"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ztest::exec("SET @istasyon = 'KASA-PC';\n" + QString::fromUtf8(f.readAll()));
  }

  void signInAndShow() {
    ASSERT_EQ(zsignin::signIn(*board, "1234").outcome, Outcome::SignedIn);
    ASSERT_EQ(board->FormShow(), zboard::StartupResult::Ready);
  }

  void list(const QString &section, const QString &courier) {
    const int s = int(board->ListBox1.items.indexOf(section));
    ASSERT_GE(s, 0) << section.toStdString();
    board->ListBox1.itemIndex = s;
    fake.informations.clear();
    listCourier(courier);
  }

  QStringList gridOrders() const {
    QStringList out;
    for (int r = 0; r < board->NextGrid1.rowCount(); ++r) out << board->NextGrid1.cell(0, r).text;
    return out;
  }

  // Row count and checksum of every table: equal fingerprints mean equal contents.
  static QString contents() {
    QStringList parts;
    for (const char *table : {"mainsip", "temp", "genhar", "stokhar", "kasa", "user", "userkisbol",
                              "kisimbolum", "cari", "stationid", "subeler", "setup", "setup4"}) {
      QSqlQuery q(ztest::admin());
      EXPECT_TRUE(q.exec(QString("CHECKSUM TABLE zerdapos.`%1`").arg(table))) << q.lastError().text().toStdString();
      q.next();
      parts << QString("%1:%2:%3").arg(table).arg(ztest::count(QString("SELECT 1 FROM `%1`").arg(table)))
                   .arg(q.value(1).toString());
    }
    return parts.join(' ');
  }
};

TEST_F(DemoRestaurant, StaffShowEverySignInOutcome) {
  struct Case {
    const char *password;
    Outcome outcome;
    const char *message;
  };
  const Case cases[] = {
      {"1234", Outcome::SignedIn, nullptr},
      {"2222", Outcome::Refused, "Kemal Öztürk Paket Sipariş için Yeterli Yetkiniz Yok  !!!"},
      {"3333", Outcome::Refused, "Zeynep Aksoy NAKIT kapama Yetkiniz Yok  !!!"},
      {"5555", Outcome::Refused, "Burcu Tan için Paket Gelir Noktası Atanmamış !!!"},
      {"7777", Outcome::Refused, "Geçersiz Şifre !!!"},  // Tuğba Kaya has left
      {"", Outcome::Refused, "Geçersiz Şifre !!!"},      // couriers have no password
  };
  for (const Case &c : cases) {
    fake.informations.clear();
    EXPECT_EQ(zsignin::signIn(*board, c.password).outcome, c.outcome) << c.password;
    if (c.message) {
      EXPECT_EQ(fake.informations, QStringList{utf(c.message)}) << c.password;
    } else {
      EXPECT_TRUE(fake.informations.isEmpty()) << fake.informations.join('\n').toStdString();
    }
  }
  ASSERT_EQ(zsignin::signIn(*board, "1234").outcome, Outcome::SignedIn);
  EXPECT_EQ(board->user.SignedInUserName, utf("Ayşe Demir"));
  EXPECT_EQ(board->ListBox1.items, QStringList({"Paket Servis", "Online Paket"}));
}

TEST_F(DemoRestaurant, BoardShowsCouriersRegistersAndBarsOnEveryChart) {
  signInAndShow();
  EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join('\n').toStdString();
  EXPECT_EQ(board->Label2Caption, utf("Kadıköy/Ayşe Demir"));
  EXPECT_EQ(board->DTPBugun, ztest::scalar("SELECT CURDATE()").toDate());
  // The tracking column is missing, so the board adds it and picks printed bills.
  EXPECT_EQ(board->ReadyOrderFilter, "AdisyonYazdimi = \"1\"");
  EXPECT_EQ(ztest::count("SHOW COLUMNS FROM setup4 LIKE 'KURYE_TAKIP_SISTEMI'"), 1);

  // Busiest courier first, everyone distinct, Serkan (nothing open) last, Kadir (left) absent.
  EXPECT_EQ(board->ListBox2.items, QStringList({"Mehmet", "Hasan", "Emre", "Murat", "Okan", "Serkan"}));

  // Ten registers: more than the 585-pixel grid shows, and "Fiş" / "Fatura" at columns 6 and 7,
  // which the summary's Fiş and Fatura rows read.
  ASSERT_EQ(board->NextGrid1.columnCount(), 13);
  EXPECT_EQ(board->NextGrid1.columns[3].caption, "Nakit");
  EXPECT_EQ(board->NextGrid1.columns[6].caption, utf("Fiş"));
  EXPECT_EQ(board->NextGrid1.columns[7].caption, "Fatura");
  int width = 12;  // row indicator
  for (const auto &c : board->NextGrid1.columns) width += c.width;
  EXPECT_GT(width, 585);

  // Chart data: closed bills of the working date for all six couriers, open orders for five.
  list("Paket Servis", "Mehmet");
  EXPECT_EQ(board->QueryGrafik.recordCount(), 5);
  EXPECT_EQ(board->QueryGrafikKapali.recordCount(), 6);
}

TEST_F(DemoRestaurant, ListingsShowTheirWarnings) {
  signInAndShow();

  // More orders than the grid shows at once, no warning.
  list("Paket Servis", "Mehmet");
  EXPECT_EQ(board->NextGrid1.rowCount(), 15);
  EXPECT_TRUE(fake.informations.isEmpty()) << fake.informations.join('\n').toStdString();
  EXPECT_TRUE(board->BoardErrorText.isEmpty());

  // Yesterday's order is listed first and not held; today's are.
  list("Paket Servis", "Hasan");
  EXPECT_EQ(gridOrders(), QStringList({"987", "1024", "1034", "1038", "1046", "1052", "1062"}));
  EXPECT_EQ(ztest::scalar("SELECT lockdurum FROM mainsip WHERE ADISYONNO = 987").toInt(), 0);
  EXPECT_EQ(ztest::scalar("SELECT lockdurum FROM mainsip WHERE ADISYONNO = 1024").toInt(), 1);
  EXPECT_EQ(board->NextGrid1.cell(2, 3).text, "460,00");

  // The order the second till holds.
  list("Online Paket", "Hasan");
  EXPECT_EQ(fake.informations,
            QStringList{utf("Kadıköy Emlak Ofisi cari isimli Pakete başka Kullanıcı işlem Yapıyor Lütfen Bekleyiniz..!")});
  EXPECT_FALSE(board->BoardErrorText.isEmpty());

  // The order whose lines are lost.
  list("Online Paket", "Emre");
  EXPECT_EQ(fake.informations, QStringList{utf("1045 Nolu Adisyona Ait ürün listelenemedi  ?")});

  // An amount above a thousand shows its thousands separator.
  list("Paket Servis", "Emre");
  EXPECT_TRUE(gridOrders().contains("1026"));
  EXPECT_EQ(board->NextGrid1.cell(2, int(gridOrders().indexOf("1026"))).text, "2.520,00");
}

TEST_F(DemoRestaurant, OrdersAddUpToTheirLines) {
  // Every open order but the one without lines, and every closed bill, is the sum of its lines
  // (less its discount), so stock movements of a closing add up to the bill.
  EXPECT_EQ(ztest::count("SELECT m.ADISYONNO FROM mainsip m LEFT JOIN temp t ON t.ADISYONNO = m.ADISYONNO "
                         "GROUP BY m.ADISYONNO, m.TUTAR, m.ISKORAN "
                         "HAVING ABS(m.TUTAR - IFNULL(SUM(t.FIYAT * t.ADET), 0) * (1 - m.ISKORAN / 100)) > 0.01"),
            1);
  EXPECT_EQ(ztest::count("SELECT 1 FROM mainsip m WHERE NOT EXISTS (SELECT 1 FROM temp t WHERE t.ADISYONNO = m.ADISYONNO)"),
            1);
  EXPECT_EQ(ztest::count("SELECT g.GENHARNO FROM genhar g JOIN stokhar s ON s.GENHARNO = g.GENHARNO "
                         "GROUP BY g.GENHARNO, g.CIKIS, g.ISKORAN "
                         "HAVING ABS(g.CIKIS - SUM(s.CIKISFIYAT * s.ADET) * (1 - g.ISKORAN / 100)) > 0.01"),
            0);
  // Lines count two to eight per order.
  EXPECT_EQ(ztest::count("SELECT ADISYONNO FROM temp GROUP BY ADISYONNO HAVING COUNT(*) < 2 OR COUNT(*) > 8"), 0);
  // Every order points at a customer and a section that exist.
  EXPECT_EQ(ztest::count("SELECT 1 FROM mainsip m WHERE NOT EXISTS (SELECT 1 FROM cari c WHERE c.CARINO = m.CariNo) "
                         "OR NOT EXISTS (SELECT 1 FROM kisimbolum k WHERE k.NO = m.kisimBolumNo AND k.Kisim = m.Kisim)"),
            0);
}

TEST_F(DemoRestaurant, LoadingAgainRestoresTheSameRestaurant) {
  const QString fresh = contents();

  // Work on it: the start-up adds its column, a closing run writes bills and removes orders.
  signInAndShow();
  list("Paket Servis", "Hasan");
  fake.answer(1);
  fake.answer(1);
  board->Button2Click();
  ASSERT_EQ(ztest::count("SELECT 1 FROM mainsip WHERE SevkYapanIsmi = 'Hasan' AND Kisim = 'Paket Servis'"), 0);
  ASSERT_NE(contents(), fresh);

  loadDemo();
  EXPECT_EQ(contents(), fresh);
  EXPECT_EQ(ztest::count("SHOW COLUMNS FROM setup4 LIKE 'KURYE_TAKIP_SISTEMI'"), 0);
}

}  // namespace
