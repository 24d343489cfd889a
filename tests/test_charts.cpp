// The five courier charts, fed by the two chart queries of a real board on the private server.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>

#include "board/screen/courier_charts.h"
#include "board_fixture.h"

// Orders are described by naming only the fields a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using zboard::ChartBar;
using zboard::CourierChart;

// A bar as "series|courier|value|mark", which reads well in a failure message.
QStringList barsOf(const CourierChart *chart) {
  QStringList out;
  for (const ChartBar &b : chart->bars())
    out << QStringLiteral("%1|%2|%3|%4").arg(b.series, b.courier, QString::number(b.value), b.mark);
  return out;
}

QStringList legendOf(const CourierChart *chart) {
  QStringList out;
  for (const auto &e : chart->legendEntries()) out << e.text;
  return out;
}

class Charts : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
    charts = std::make_unique<zboard::CourierCharts>(board->QueryGrafik, board->QueryGrafikKapali);
  }
  void TearDown() override {
    charts.reset();
    BoardTest::TearDown();
  }
  CourierChart *chart(int n) const { return charts->chart(n - 1); }
  static void addClosedBill(const char *courier, double amount, const char *people,
                            const char *date = "2026-12-09 00:00:00") {
    ztest::exec(QString::fromUtf8("INSERT INTO genhar (SEVKYAPANISMI, CIKIS, KISISAYISI, TARIH) "
                                  "VALUES ('%1', %2, %3, '%4');")
                    .arg(QString::fromUtf8(courier))
                    .arg(amount)
                    .arg(QString::fromLatin1(people), QString::fromLatin1(date)));
  }

  std::unique_ptr<zboard::CourierCharts> charts;
};

TEST(ChartTexts, ValuesAndSharesUseTurkishSeparators) {
  EXPECT_EQ(zboard::chartValueText(1234.5, "TL"), QString::fromUtf8("1.234,5 TL"));
  EXPECT_EQ(zboard::chartValueText(7, "Ad"), "7 Ad");
  EXPECT_EQ(zboard::chartValueText(0, "Ad"), "0 Ad");
  EXPECT_EQ(zboard::chartValueText(1234567.25, "TL"), "1.234.567,25 TL");
  EXPECT_EQ(zboard::chartValueText(0.0004, "TL"), "0 TL");   // at most three decimals
  EXPECT_EQ(zboard::chartValueText(2.0005, "TL"), "2,001 TL");
  EXPECT_EQ(zboard::chartValueText(-1234.5, "TL"), "-1.234,5 TL");
  EXPECT_EQ(zboard::chartValueText(-0.0001, "TL"), "0 TL");  // no "-0"
  EXPECT_EQ(zboard::chartShareText(100.0 / 3), "33,33 %");
  EXPECT_EQ(zboard::chartShareText(200.0 / 3), "66,67 %");
  EXPECT_EQ(zboard::chartShareText(100), "100 %");
  EXPECT_EQ(zboard::chartShareText(12.5), "12,5 %");
  EXPECT_EQ(zboard::chartShareText(1234.5), "1234,5 %");  // no grouping in "##0.## %"
}

TEST_F(Charts, PagesCaptionsTitlesAndSeries) {
  ASSERT_EQ(charts->count(), 5);
  EXPECT_EQ(charts->objectName(), "PageControl1");
  const char *captions[] = {"Adet Tutar Grafiği", "Yüzde Grafiği", "Ortalama Adisyon Grafiği",
                            "Yüzde Grafiği Kapalı Ads.", "Genel Grafik Kapalı Ads."};
  const char *titles[] = {"Kurye bazında Adet Tutar Grafiği", "Kurye Bazında Yüzde Dağılım Grafiği",
                          "Kurye Ortalama Adisyon Tutar Grafiği",
                          "Kurye Bazında Yüzde Dağılım Grafiği\n(Kapalı Paketler)",
                          "Kurye bazında Genel Grafik (Kapalı Adisyonlar)"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(charts->tabCaption(i), QString::fromUtf8(captions[i]));
    EXPECT_EQ(charts->page(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
    EXPECT_EQ(charts->chart(i)->objectName(), QStringLiteral("DBChart%1").arg(i + 1));
    EXPECT_EQ(charts->chart(i)->title(), QString::fromUtf8(titles[i]));
  }
  EXPECT_EQ(charts->currentIndex(), 2);  // TabSheet3 in front
  EXPECT_TRUE(charts->tabButton(2)->isChecked());
  charts->tabButton(4)->click();
  EXPECT_EQ(charts->currentIndex(), 4);
  EXPECT_FALSE(charts->tabButton(2)->isChecked());

  // Series: names, value columns, titles, colours, mark kinds.
  auto setups = [&](int n) {
    QStringList out;
    for (const auto &s : chart(n)->seriesSetups())
      out << QStringLiteral("%1 %2 %3 %4 %5%6")
                 .arg(s.name, s.column, s.title, s.colourPerBar ? "each" : s.colour.name(), s.unit,
                      s.percentMarks ? " %" : "");
    return out;
  };
  const QString perf = QString::fromUtf8("Sevkiyatçı Performans Grafiği");
  const QString count = QString::fromUtf8("Sevkiyatçı Ürün Adedi");
  EXPECT_EQ(setups(1), QStringList({"Series1 TUTAR " + perf + " #ff0000 TL", "Series2 KISISAYISI " + count + " #00ffff Ad"}));
  EXPECT_EQ(setups(2), QStringList({"BarSeries1 TUTAR " + perf + " each TL %"}));
  EXPECT_EQ(setups(3), QStringList({"BarSeries4 TUTARKDVSIZ " + QString::fromUtf8("Kurye Ortlama Adisyon Tutarı") + " each TL"}));
  EXPECT_EQ(setups(4), QStringList({"BarSeries2 TUTAR " + perf + " each TL %"}));
  EXPECT_EQ(setups(5), QStringList({"BarSeries3 TUTAR " + perf + " #ff0000 TL", "BarSeries5 KISISAYISI " + count + " #00ffff Ad"}));
}

TEST_F(Charts, OpenAndClosedPagesFollowTheirQueries) {
  ztest::addOrder({.no = 101, .amount = 1234.5});
  ztest::addOrder({.no = 102, .amount = 100});
  ztest::addOrder({.no = 103, .courier = "Veli", .amount = 50});
  ztest::addOrder({.no = 104, .courier = "Veli", .amount = 999, .date = ztest::workDate().addDays(-1)});
  addClosedBill("Ali", 200, "1");
  addClosedBill("Can", 250, "1");
  addClosedBill("Can", 50, "1");
  addClosedBill("Can", 70, "1", "2026-12-08 00:00:00");  // another day

  // The start-up opens the closed-bills data only: pages 1 to 3 wait for the first listing.
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(chart(n)->bars().empty()) << n;
  EXPECT_EQ(barsOf(chart(4)), QStringList({"BarSeries2|Ali|200|Ali 40 %", "BarSeries2|Can|300|Can 60 %"}));

  listCourier("Ali");
  EXPECT_EQ(barsOf(chart(1)), QStringList({"Series1|Ali|1334.5|Ali 1.334,5 TL", "Series1|Veli|50|Veli 50 TL",
                                           "Series2|Ali|2|Ali 2 Ad", "Series2|Veli|1|Veli 1 Ad"}));
  EXPECT_EQ(chart(1)->couriers(), QStringList({"Ali", "Veli"}));
  EXPECT_EQ(barsOf(chart(2)), QStringList({"BarSeries1|Ali|1334.5|Ali 96,39 %", "BarSeries1|Veli|50|Veli 3,61 %"}));
  EXPECT_EQ(barsOf(chart(3)), QStringList({"BarSeries4|Ali|667.25|Ali 667,25 TL", "BarSeries4|Veli|50|Veli 50 TL"}));
  EXPECT_EQ(barsOf(chart(5)), QStringList({"BarSeries3|Ali|200|Ali 200 TL", "BarSeries3|Can|300|Can 300 TL",
                                           "BarSeries5|Ali|1|Ali 1 Ad", "BarSeries5|Can|2|Can 2 Ad"}));
  // A courier only in closed bills is on pages 4 and 5 only.
  for (int n = 1; n <= 3; ++n) EXPECT_FALSE(chart(n)->couriers().contains("Can")) << n;
  EXPECT_TRUE(chart(4)->couriers().contains("Can"));

  // Colours: the series colour on pages 1 and 5, successive palette colours elsewhere.
  EXPECT_EQ(chart(1)->bars()[0].colour, QColor(0xFF0000));
  EXPECT_EQ(chart(1)->bars()[2].colour, QColor(0x00FFFF));
  EXPECT_EQ(chart(2)->bars()[0].colour, zboard::chartPalette()[0]);
  EXPECT_EQ(chart(2)->bars()[1].colour, zboard::chartPalette()[1]);
  EXPECT_NE(chart(2)->bars()[0].colour, chart(2)->bars()[1].colour);

  // The legend lists the points with their values; the marks drawn are the bars' marks.
  EXPECT_EQ(legendOf(chart(2)), QStringList({"Ali 1.334,5 TL", "Veli 50 TL"}));
  EXPECT_EQ(legendOf(chart(1)), QStringList({"Ali 1.334,5 TL", "Veli 50 TL", "Ali 2 Ad", "Veli 1 Ad"}));
  for (int n = 1; n <= 5; ++n) {
    QStringList marks;
    for (const ChartBar &b : chart(n)->bars()) marks << b.mark;
    EXPECT_EQ(chart(n)->drawnMarks(), marks) << n;
  }

  // Laid out on a page: side by side in each courier's slot on page 1, one bar per slot in its
  // own colour on page 2.
  const zboard::ChartPicture sideBySide = zboard::chartPicture(chart(1)->content(), QSize(425, 375));
  ASSERT_EQ(sideBySide.bars.size(), 4u);
  EXPECT_EQ(sideBySide.bars[0].rect.right(), sideBySide.bars[2].rect.left());  // Ali: amount, count
  EXPECT_EQ(sideBySide.bars[1].rect.right(), sideBySide.bars[3].rect.left());  // Veli
  EXPECT_LT(sideBySide.bars[2].rect.right(), sideBySide.bars[1].rect.left());
  const zboard::ChartPicture each = zboard::chartPicture(chart(2)->content(), QSize(425, 375));
  ASSERT_EQ(each.bars.size(), 2u);
  EXPECT_EQ(each.bars[1].value, 50);
  EXPECT_EQ(each.bars[1].colour, zboard::chartPalette()[1]);
  EXPECT_LT(each.bars[0].rect.right(), each.bars[1].rect.left());
}

TEST_F(Charts, SharesUseAbsoluteValues) {
  ztest::addOrder({.no = 101, .amount = 100});
  ztest::addOrder({.no = 102, .courier = "Veli", .amount = -100});
  ztest::addOrder({.no = 103, .courier = "Can", .amount = 100});
  addClosedBill("Ali", 300, "1");
  addClosedBill("Veli", -100, "1");
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  EXPECT_EQ(barsOf(chart(2)), QStringList({"BarSeries1|Ali|100|Ali 33,33 %", "BarSeries1|Can|100|Can 33,33 %",
                                           "BarSeries1|Veli|-100|Veli 33,33 %"}));
  EXPECT_EQ(barsOf(chart(4)), QStringList({"BarSeries2|Ali|300|Ali 75 %", "BarSeries2|Veli|-100|Veli 25 %"}));
  EXPECT_TRUE(chart(1)->drawnMarks().contains("Veli -100 TL"));
}

TEST_F(Charts, NullPeopleCountsAreLeftOutOfCountsAndAverages) {
  ztest::addOrder({.no = 101, .amount = 100});
  ztest::addOrder({.no = 102, .amount = 50});
  ztest::addOrder({.no = 103, .courier = "Veli", .amount = 40});
  ztest::exec("UPDATE mainsip SET KisiSayisi = NULL WHERE adisyonno IN (101, 103);");
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  // Ali: both amounts count, one person; Veli: no person at all, so no average.
  EXPECT_EQ(barsOf(chart(1)), QStringList({"Series1|Ali|150|Ali 150 TL", "Series1|Veli|40|Veli 40 TL",
                                           "Series2|Ali|1|Ali 1 Ad", "Series2|Veli|0|Veli 0 Ad"}));
  EXPECT_EQ(barsOf(chart(3)), QStringList({"BarSeries4|Ali|150|Ali 150 TL"}));
  EXPECT_EQ(chart(3)->drawnMarks(), QStringList({"Ali 150 TL"}));
  EXPECT_EQ(legendOf(chart(3)), QStringList({"Ali 150 TL"}));
  // Veli keeps his slot, empty; Ali's bar keeps the first palette colour.
  EXPECT_EQ(chart(3)->couriers(), QStringList({"Ali", "Veli"}));
  EXPECT_EQ(chart(3)->bars()[0].colour, zboard::chartPalette()[0]);
  const zboard::ChartPicture picture = zboard::chartPicture(chart(3)->content(), QSize(425, 375));
  ASSERT_EQ(picture.bars.size(), 1u);
  ASSERT_EQ(picture.categories.size(), 2u);
  EXPECT_EQ(picture.categories[1].text, "Veli");
  EXPECT_LT(picture.bars[0].rect.right(), picture.categories[1].rect.left());  // Veli's slot stays empty
}

TEST_F(Charts, ChartsKeepTheirRowsUntilTheQueryIsOpenedAgain) {
  ztest::addOrder({.no = 90, .date = ztest::workDate().addDays(-1)});  // listed, but not in the charts
  addClosedBill("Ali", 200, "1");
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  EXPECT_EQ(board->NextGrid1.rowCount(), 1);
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(chart(n)->bars().empty()) << n;  // nothing on the working date
  EXPECT_EQ(chart(5)->bars().size(), 2u);

  ztest::addOrder({.no = 101, .amount = 30});
  EXPECT_TRUE(chart(1)->bars().empty());  // the database alone changes nothing
  board->Refresh();
  EXPECT_EQ(barsOf(chart(3)), QStringList({"BarSeries4|Ali|30|Ali 30 TL"}));

  ztest::exec("DELETE FROM mainsip; DELETE FROM genhar;");
  board->QueryGrafik.close();
  board->QueryGrafikKapali.close();
  EXPECT_EQ(barsOf(chart(3)), QStringList({"BarSeries4|Ali|30|Ali 30 TL"}));  // closed: kept
  EXPECT_EQ(chart(5)->bars().size(), 2u);
  board->Refresh();
  for (int n = 1; n <= 5; ++n) EXPECT_TRUE(chart(n)->bars().empty()) << n;
  for (int n = 1; n <= 5; ++n) EXPECT_TRUE(chart(n)->drawnMarks().isEmpty()) << n;
}

TEST_F(Charts, AnotherSectionRefreshesWithoutChangingTheContent) {
  ztest::addOrder({.no = 101, .amount = 10});
  ztest::addOrder({.no = 102, .section = "Gel Al", .amount = 20});
  ztest::addOrder({.no = 103, .courier = "Veli", .amount = 5, .ready = 0});  // not ready: counted anyway
  ASSERT_EQ(showBoard({"Paket Servis", "Gel Al"}), zboard::StartupResult::Ready);
  listCourier("Ali");
  const QStringList before = barsOf(chart(1));
  EXPECT_EQ(before, QStringList({"Series1|Ali|30|Ali 30 TL", "Series1|Veli|5|Veli 5 TL", "Series2|Ali|2|Ali 2 Ad",
                                 "Series2|Veli|1|Veli 1 Ad"}));
  takeStatements();
  board->selectSection(1);
  const QStringList sent = takeStatements();
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const QString &s) { return s.contains("FROM zerdapos.mainsip"); }));
  EXPECT_EQ(barsOf(chart(1)), before);
  EXPECT_EQ(board->NextGrid1.rowCount(), 1);  // the grid did change to the other section
}

// Renders every page offscreen into <build>/chart_pages/TabSheetN.png for a person to look at.
TEST_F(Charts, RendersEveryPageToAPicture) {
  ztest::addOrder({.no = 101, .amount = 1234.5});
  ztest::addOrder({.no = 102, .amount = 310.75});
  ztest::addOrder({.no = 103, .courier = "Veli", .amount = 640});
  ztest::addOrder({.no = 104, .courier = "Mehmet Yılmaz", .amount = 95});
  ztest::exec("UPDATE mainsip SET KisiSayisi = NULL WHERE adisyonno = 104;");
  addClosedBill("Ali", 820, "2");
  addClosedBill("Veli", 455.5, "1");
  addClosedBill("Can", 1270, "3");
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");

  const QString dir = QStringLiteral(ZTEST_BINARY_DIR "/chart_pages");
  QDir().mkpath(dir);
  charts->resize(425, 427);
  charts->show();
  for (int i = 0; i < 5; ++i) {
    charts->setCurrentIndex(i);
    for (int k = 0; k < 5; ++k) QApplication::processEvents();
    const QImage picture = charts->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(425, 427));
    const QString path = dir + QStringLiteral("/TabSheet%1.png").arg(i + 1);
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
    // The first bar's colour is on the picture.
    const QColor want = charts->chart(i)->bars().front().colour;
    bool found = false;
    for (int y = 0; y < picture.height() && !found; ++y)
      for (int x = 0; x < picture.width() && !found; ++x) found = picture.pixelColor(x, y) == want;
    EXPECT_TRUE(found) << i + 1;
  }
}

}  // namespace
