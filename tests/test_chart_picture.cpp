// What a courier chart draws for given rows, without a database server: the bars, marks,
// legend and value axis of the picture, its pixels, and the zoom of the chart widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <set>

#include "board/screen/chart_picture.h"
#include "board/screen/courier_charts.h"
#include "db/connection.h"
#include "db/query.h"
#include "widget_input.h"

namespace {

using namespace zboard;
using ztest::rgbAt;

const QSize kPage(425, 375);  // a chart's page on the board, under two lines of tabs

ChartSeriesSetup series(const char *name, const char *column, const char *unit, quint32 colour, bool perBar,
                        bool percent) {
  return {QString::fromLatin1(name), QString::fromLatin1(column), QStringLiteral("Seri"), QString::fromLatin1(unit),
          QColor::fromRgb(colour), perBar, percent};
}

// The amounts and counts side by side, as on the first page.
ChartSetup amountsAndCounts() {
  return {{QStringLiteral("Kurye bazında Adet Tutar Grafiği")},
          {series("Series1", "TUTAR", "TL", 0xFF0000, false, false),
           series("Series2", "KISISAYISI", "Ad", 0x00FFFF, false, false)}};
}

// Shares of the amounts, one colour per bar, as on the second page.
ChartSetup shares() {
  return {{QStringLiteral("Kurye Bazında Yüzde Dağılım Grafiği"), QStringLiteral("(Kapalı Paketler)")},
          {series("BarSeries1", "TUTAR", "TL", 0xFF0000, true, true)}};
}

ChartRows threeCouriers() {
  return {{"Ali", "Veli", "Can"},
          {{"TUTAR", {1234.5, 640, std::nullopt}}, {"KISISAYISI", {2, 1, 0}}}};
}

QStringList barsOf(const std::vector<ChartBar> &bars) {
  QStringList out;
  for (const ChartBar &b : bars)
    out << QStringLiteral("%1|%2|%3|%4|%5").arg(b.series, b.courier, QString::number(b.value), b.colour.name(), b.mark);
  return out;
}

QImage render(const ChartPicture &picture) {
  QImage image(picture.size, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  paintChart(painter, picture);
  return image;
}

bool isRoundStep(double step) {
  const double f = step / std::pow(10.0, std::floor(std::log10(step)));
  return std::abs(f - 1) < 1e-9 || std::abs(f - 2) < 1e-9 || std::abs(f - 5) < 1e-9;
}

TEST(ChartPictures, BarsStandInTheirCouriersSlotsSideBySideWithTheirValuesAndColours) {
  const ChartContent content = chartContent(amountsAndCounts(), threeCouriers());
  // Can's NULL amount has no bar; his count of 0 has one, flat, with its mark.
  EXPECT_EQ(barsOf(content.bars), QStringList({"Series1|Ali|1234.5|#ff0000|Ali 1.234,5 TL",
                                               "Series1|Veli|640|#ff0000|Veli 640 TL",
                                               "Series2|Ali|2|#00ffff|Ali 2 Ad", "Series2|Veli|1|#00ffff|Veli 1 Ad",
                                               "Series2|Can|0|#00ffff|Can 0 Ad"}));
  const ChartPicture picture = chartPicture(content, kPage);
  EXPECT_FALSE(picture.zoomed());
  EXPECT_EQ(picture.titleLines, QStringList({"Kurye bazında Adet Tutar Grafiği"}));
  ASSERT_EQ(picture.bars.size(), 5u);
  for (const ChartBar &bar : picture.bars) {
    const QString what = bar.mark;
    // Inside the wall, inside the courier's slot, standing on 0 up to the value.
    EXPECT_TRUE(picture.plot.contains(bar.rect) || bar.rect.height() == 0) << what.toStdString();
    EXPECT_GE(bar.rect.left(), picture.xAt(bar.row)) << what.toStdString();
    EXPECT_LE(bar.rect.right(), picture.xAt(bar.row + 1)) << what.toStdString();
    EXPECT_EQ(bar.rect.bottom(), std::round(picture.yAt(0))) << what.toStdString();
    EXPECT_EQ(bar.rect.top(), std::round(picture.yAt(bar.value))) << what.toStdString();
    EXPECT_GT(bar.depth, 0) << what.toStdString();
    EXPECT_LE(bar.depth, bar.rect.width() / 2) << what.toStdString();
  }
  EXPECT_EQ(picture.bars[0].rect.bottom(), picture.plot.bottom());  // the axis begins at 0
  // The amount on the left of the count, touching; Ali's slot before Veli's.
  EXPECT_EQ(picture.bars[0].rect.right(), picture.bars[2].rect.left());
  EXPECT_EQ(picture.bars[1].rect.right(), picture.bars[3].rect.left());
  EXPECT_NEAR(picture.bars[0].rect.width(), picture.bars[2].rect.width(), 1);
  EXPECT_LT(picture.bars[2].rect.right(), picture.bars[1].rect.left());
  EXPECT_NEAR(picture.bars[0].rect.height() / picture.bars[1].rect.height(), 1234.5 / 640, 0.03);
  EXPECT_EQ(picture.bars[4].rect.height(), 0);

  // The couriers under their slots, in the order of the rows.
  ASSERT_EQ(picture.categories.size(), 3u);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(picture.categories[size_t(r)].text, threeCouriers().couriers[r]);
    EXPECT_NEAR(picture.categories[size_t(r)].rect.center().x(), picture.xAt(r + 0.5), 1e-6);
    EXPECT_GT(picture.categories[size_t(r)].rect.top(), picture.plot.bottom());
  }

  // One colour per bar: the palette in row order; a NULL keeps its slot empty.
  const ChartContent each = chartContent(shares(), {{"Ali", "Veli", "Can"}, {{"TUTAR", {100, std::nullopt, 300}}}});
  EXPECT_EQ(barsOf(each.bars), QStringList({"BarSeries1|Ali|100|#ff0000|Ali 25 %", "BarSeries1|Can|300|#ffff00|Can 75 %"}));
  const ChartPicture eachPicture = chartPicture(each, kPage);
  ASSERT_EQ(eachPicture.bars.size(), 2u);
  EXPECT_GE(eachPicture.bars[1].rect.left(), eachPicture.xAt(2));
  EXPECT_EQ(eachPicture.titleLines.size(), 2);
  EXPECT_GT(eachPicture.titleRect.height(), picture.titleRect.height());  // two lines of title
}

TEST(ChartPictures, MarksStandOnTwentyPixelPointersAboveTheirBarsWithoutCoveringEachOther) {
  const ChartPicture picture = chartPicture(chartContent(amountsAndCounts(), threeCouriers()), kPage);
  ASSERT_EQ(picture.marks.size(), picture.bars.size());
  std::set<int> marked;
  for (size_t i = 0; i < picture.marks.size(); ++i) {
    const ChartMark &mark = picture.marks[i];
    const ChartBar &bar = picture.bars[size_t(mark.bar)];
    const std::string what = mark.text.toStdString();
    marked.insert(mark.bar);
    EXPECT_EQ(mark.text, bar.mark) << what;
    // The pointer starts on the bar's top face and runs 20 pixels up, or further when the mark
    // had to be lifted over another one.
    EXPECT_NEAR(mark.anchor.x(), bar.rect.center().x() + bar.depth / 2, 0.5) << what;
    EXPECT_DOUBLE_EQ(mark.anchor.y(), bar.rect.top() - bar.depth / 2) << what;
    EXPECT_LE(mark.box.bottom(), mark.anchor.y() - 20) << what;
    EXPECT_GE(mark.box.width(), 20) << what;
    EXPECT_GE(mark.box.left(), 0) << what;
    EXPECT_LE(mark.box.right(), kPage.width()) << what;
    for (size_t j = 0; j < i; ++j) EXPECT_FALSE(mark.box.intersects(picture.marks[j].box)) << what;
  }
  EXPECT_EQ(marked.size(), picture.bars.size());
  // The first mark has nothing to avoid: exactly on its pointer, centred over it.
  EXPECT_DOUBLE_EQ(picture.marks[0].box.bottom(), picture.marks[0].anchor.y() - 20);
  EXPECT_NEAR(picture.marks[0].box.center().x(), picture.marks[0].anchor.x(), 1);
  // The headroom of the axis keeps the longest bar's mark on the chart, below the title.
  EXPECT_GT(picture.marks[0].box.top(), picture.titleRect.bottom() - 10);

  // A negative value hangs from 0, its mark below it.
  const ChartPicture negative =
      chartPicture(chartContent(shares(), {{"Ali", "Veli"}, {{"TUTAR", {300, -100}}}}), kPage);
  EXPECT_LT(negative.window.bottom, 0);
  ASSERT_EQ(negative.bars.size(), 2u);
  const ChartBar &hanging = negative.bars[1];
  EXPECT_EQ(hanging.rect.top(), std::round(negative.yAt(0)));
  EXPECT_EQ(hanging.rect.bottom(), std::round(negative.yAt(-100)));
  ASSERT_EQ(negative.marks.size(), 2u);
  EXPECT_EQ(negative.marks[1].text, "Veli 25 %");
  EXPECT_GE(negative.marks[1].box.top(), hanging.rect.bottom() + 20);
}

TEST(ChartPictures, LegendListsEveryPointWithItsValueBelowThePlot) {
  const ChartContent content = chartContent(amountsAndCounts(), threeCouriers());
  const ChartPicture picture = chartPicture(content, kPage);
  QStringList texts;
  for (const ChartLegendEntry &e : picture.legend) texts << e.text;
  EXPECT_EQ(texts, QStringList({"Ali 1.234,5 TL", "Veli 640 TL", "Ali 2 Ad", "Veli 1 Ad", "Can 0 Ad"}));
  ASSERT_EQ(picture.legend.size(), picture.bars.size());
  for (size_t i = 0; i < picture.legend.size(); ++i) {
    EXPECT_EQ(picture.legend[i].colour, picture.bars[i].colour) << i;
    EXPECT_TRUE(picture.legendRect.contains(picture.legend[i].rect)) << i;
    for (size_t j = 0; j < i; ++j) EXPECT_FALSE(picture.legend[i].rect.intersects(picture.legend[j].rect)) << i;
  }
  // Percent marks, values in the legend.
  const ChartPicture each = chartPicture(chartContent(shares(), {{"Ali", "Veli"}, {{"TUTAR", {1000, 3000}}}}), kPage);
  ASSERT_EQ(each.legend.size(), 2u);
  EXPECT_EQ(each.legend[1].text, "Veli 3.000 TL");
  EXPECT_EQ(each.marks[1].text, "Veli 75 %");

  // At the bottom, under the courier names; a narrower chart wraps it onto more lines.
  EXPECT_EQ(picture.legendRect.bottom(), kPage.height());
  EXPECT_EQ(picture.legendRect.width(), kPage.width());
  EXPECT_GT(picture.legendRect.top(), picture.categories.front().rect.bottom());
  const ChartPicture narrow = chartPicture(content, QSize(200, 375));
  EXPECT_GT(narrow.legendRect.height(), picture.legendRect.height());
  EXPECT_LT(narrow.plot.bottom(), picture.plot.bottom());
  for (const ChartLegendEntry &e : narrow.legend) EXPECT_LE(e.rect.right(), 200);

  // No rows: no bars, marks, legend or couriers, and still an axis.
  const ChartPicture empty = chartPicture(chartContent(amountsAndCounts(), {}), kPage);
  EXPECT_TRUE(empty.bars.empty() && empty.marks.empty() && empty.legend.empty() && empty.categories.empty());
  EXPECT_EQ(empty.legendRect.height(), 0);
  EXPECT_GE(empty.ticks.size(), 2u);
}

TEST(ChartPictures, TheValueAxisHasRoundStepsGridLinesAndRoomForTheMarks) {
  const ChartPicture picture = chartPicture(chartContent(amountsAndCounts(), threeCouriers()), kPage);
  EXPECT_TRUE(isRoundStep(picture.step)) << picture.step;
  ASSERT_GE(picture.ticks.size(), 3u);
  EXPECT_EQ(picture.window.bottom, 0);
  EXPECT_GE(picture.window.top, 1234.5 * 1.35);
  EXPECT_DOUBLE_EQ(picture.ticks.front().value, picture.window.bottom);
  EXPECT_DOUBLE_EQ(picture.ticks.back().value, picture.window.top);
  EXPECT_DOUBLE_EQ(picture.ticks.front().y, picture.plot.bottom());
  EXPECT_DOUBLE_EQ(picture.ticks.back().y, picture.plot.top());
  for (size_t i = 1; i < picture.ticks.size(); ++i) {
    EXPECT_NEAR(picture.ticks[i].value - picture.ticks[i - 1].value, picture.step, 1e-9);
    EXPECT_GE(picture.ticks[i - 1].y - picture.ticks[i].y, 40);  // readable, not crowded
  }
  // At most one more step than the headroom needs.
  EXPECT_LT(picture.window.top - picture.step, 1234.5 * 1.35 + 1e-9);
  // Labels in Turkish form; small values get their decimals.
  const auto label = [](const ChartPicture &p, double value) {
    for (const ChartTick &t : p.ticks)
      if (std::abs(t.value - value) < 1e-9) return t.label;
    return QStringLiteral("(none)");
  };
  EXPECT_EQ(label(picture, 1000), "1.000");
  EXPECT_EQ(label(picture, 0), "0");
  const ChartPicture small = chartPicture(chartContent(shares(), {{"Ali"}, {{"TUTAR", {0.3}}}}), kPage);
  EXPECT_TRUE(isRoundStep(small.step)) << small.step;
  EXPECT_LT(small.step, 0.3);
  EXPECT_EQ(label(small, 0.1), "0,1");
  // The value axis' labels stand left of the wall, the wall ends where the chart leaves room.
  EXPECT_GT(picture.plot.left(), 20);
  EXPECT_LT(picture.plot.right(), kPage.width());
}

TEST(ChartPictures, PaintedPixelsShowTheBarsFacesTheWhiteWallTheMarksAndTheLegend) {
  const ChartPicture picture = chartPicture(chartContent(shares(), {{"Ali", "Veli", "Can"}, {{"TUTAR", {1000, 600, 300}}}}), kPage);
  const QImage image = render(picture);
  ASSERT_EQ(picture.bars.size(), 3u);
  for (const ChartBar &bar : picture.bars) {
    const QRectF &f = bar.rect;
    const std::string what = bar.courier.toStdString();
    EXPECT_EQ(rgbAt(image, f.center().toPoint()), bar.colour.rgb() & 0xFFFFFFu) << what;
    // The top face lighter, the side face darker, receding up and to the right.
    const QPoint top(int(f.center().x() + bar.depth / 2 - 4), int(f.top() - bar.depth / 2));
    const QPoint side(int(f.right() + bar.depth / 2), int(f.center().y()));
    EXPECT_EQ(rgbAt(image, top), bar.colour.lighter(130).rgb() & 0xFFFFFFu) << what;
    EXPECT_EQ(rgbAt(image, side), bar.colour.darker(160).rgb() & 0xFFFFFFu) << what;
  }
  // The wall: white left of the first bar, half way between two grid lines.
  const QPoint wall(int(picture.plot.left() + 5), int((picture.ticks[0].y + picture.ticks[1].y) / 2));
  EXPECT_LT(wall.x(), picture.bars[0].rect.left());
  EXPECT_EQ(rgbAt(image, wall), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(image, QPoint(wall.x(), int(std::round(picture.ticks[1].y)) - 1)), 0xD0D0D0u);  // a grid line
  // A mark's box in info-tip yellow, its pointer black; a legend swatch in its bar's colour.
  const ChartMark &mark = picture.marks[0];
  EXPECT_EQ(rgbAt(image, mark.box.topLeft().toPoint() + QPoint(2, 2)), 0xFFFFE1u);
  EXPECT_EQ(rgbAt(image, QPoint(int(mark.anchor.x()), int(mark.anchor.y()) - 10)), 0x000000u);
  const ChartLegendEntry &entry = picture.legend[2];
  EXPECT_EQ(rgbAt(image, QPoint(int(entry.rect.left()) + 5, int(entry.rect.center().y()))), 0xFFFF00u);
}

// ------------------------------------------------------------------------------------ zoom

class ChartZoom : public ::testing::Test {
 protected:
  void SetUp() override {
    chart = std::make_unique<CourierChart>(QStringLiteral("DBChart1"), QStringList{QStringLiteral("Grafik")},
                                           amountsAndCounts().series, query);
    chart->resize(kPage);
    chart->showRows({{"Ali", "Veli", "Can", "Okan"},
                     {{"TUTAR", {1200, 900, 400, 150}}, {"KISISAYISI", {4, 3, 2, 1}}}});
    chart->show();
    ASSERT_TRUE(ztest::waitFor([&] { return chart->paintedPicture().size == kPage; }));
  }
  void TearDown() override { chart.reset(); }
  void settleZoom() {
    EXPECT_TRUE(chart->zoomMoving());  // it moves there, it does not jump
    EXPECT_TRUE(ztest::waitFor([&] { return !chart->zoomMoving(); }, 5000));
    ztest::spin(20);
  }
  static std::set<int> rowsOf(const std::vector<ChartBar> &bars) {
    std::set<int> rows;
    for (const ChartBar &b : bars) rows.insert(b.row);
    return rows;
  }

  zdb::Connection connection{QStringLiteral("ChartZoom")};
  zdb::Query query{connection, QStringLiteral("QueryGrafik")};  // never opened
  std::unique_ptr<CourierChart> chart;
};

TEST_F(ChartZoom, ADragDownAndRightZoomsIntoTheDraggedRectangleAndADragBackShowsTheWholeChart) {
  const ChartPicture whole = chart->picture();
  ASSERT_EQ(whole.bars.size(), 8u);
  // From over Ali's slot to Veli's, between 300 and 1000 on the value axis.
  const QPoint from(int(whole.xAt(0.1)), int(whole.yAt(1000)));
  const QPoint to(int(whole.xAt(1.9)), int(whole.yAt(300)));
  ztest::drag(chart.get(), from, to);
  settleZoom();
  const ChartPicture &zoomed = chart->picture();
  const ChartWindow dragged = whole.windowOf(QRectF(QPointF(from), QPointF(to)));
  EXPECT_TRUE(zoomed.zoomed());
  EXPECT_NEAR(zoomed.window.left, dragged.left, 1e-9);
  EXPECT_NEAR(zoomed.window.right, dragged.right, 1e-9);
  EXPECT_NEAR(zoomed.window.bottom, dragged.bottom, 1e-9);
  EXPECT_NEAR(zoomed.window.top, dragged.top, 1e-9);
  EXPECT_NEAR(zoomed.window.top, 1000, whole.step / 10);
  EXPECT_NEAR(zoomed.window.bottom, 300, whole.step / 10);
  for (const ChartTick &t : zoomed.ticks) {
    EXPECT_GE(t.value, zoomed.window.bottom);
    EXPECT_LE(t.value, zoomed.window.top);
  }
  EXPECT_TRUE(isRoundStep(zoomed.step));
  EXPECT_LT(zoomed.step, whole.step);
  // Only Ali's and Veli's amounts reach into it (their counts stay under 300); Can and Okan are
  // out of it altogether.
  EXPECT_EQ(rowsOf(zoomed.bars), std::set<int>({0, 1}));
  EXPECT_EQ(zoomed.bars.size(), 2u);
  ASSERT_EQ(zoomed.categories.size(), 2u);
  EXPECT_EQ(zoomed.categories[1].text, "Veli");
  // Ali's bar goes beyond the top: cut to the wall, no mark. Veli's ends in view, deeper than
  // before, its mark on its pointer above it.
  EXPECT_EQ(zoomed.bars[0].rect.top(), zoomed.plot.top());
  EXPECT_EQ(zoomed.bars[0].rect.bottom(), zoomed.plot.bottom());
  ASSERT_EQ(zoomed.marks.size(), 1u);
  const ChartBar &veli = zoomed.bars[size_t(zoomed.marks[0].bar)];
  EXPECT_EQ(veli.courier, "Veli");
  EXPECT_EQ(veli.rect.top(), std::round(zoomed.yAt(900)));
  EXPECT_GT(veli.rect.width(), whole.bars[1].rect.width());
  EXPECT_GT(veli.depth, whole.bars[1].depth);
  EXPECT_NEAR(zoomed.marks[0].anchor.x(), veli.rect.center().x() + veli.depth / 2, 0.5);
  EXPECT_LE(zoomed.marks[0].box.bottom(), veli.rect.top() - veli.depth / 2 - 20);
  // What is on the screen is the zoomed picture.
  EXPECT_EQ(chart->paintedPicture().window, zoomed.window);
  const QImage shown = chart->grab().toImage();
  EXPECT_EQ(rgbAt(shown, veli.rect.center().toPoint()), 0xFF0000u);

  // The other way: the whole chart again.
  ztest::drag(chart.get(), to, from);
  settleZoom();
  EXPECT_FALSE(chart->picture().zoomed());
  EXPECT_EQ(chart->picture().window, whole.window);
  EXPECT_EQ(chart->picture().bars.size(), whole.bars.size());
  EXPECT_EQ(chart->picture().marks.size(), whole.marks.size());
}

TEST_F(ChartZoom, ARightClickOrNewRowsShowTheWholeChartAndATapChangesNothing) {
  const ChartPicture whole = chart->picture();
  const QPoint from(int(whole.xAt(1.1)), int(whole.yAt(700)));
  const QPoint to(int(whole.xAt(3.9)), int(whole.yAt(0)) - 1);
  ztest::click(chart.get(), from);  // a tap is no drag
  EXPECT_FALSE(chart->zoomMoving());
  EXPECT_FALSE(chart->picture().zoomed());

  ztest::drag(chart.get(), from, to);
  settleZoom();
  EXPECT_EQ(rowsOf(chart->picture().bars), std::set<int>({1, 2, 3}));
  ztest::click(chart.get(), chart->rect().center(), Qt::RightButton);
  settleZoom();
  EXPECT_EQ(chart->picture().window, whole.window);

  ztest::drag(chart.get(), from, to);
  settleZoom();
  ASSERT_TRUE(chart->picture().zoomed());
  chart->showRows({{"Ali"}, {{"TUTAR", {50}}, {"KISISAYISI", {1}}}});
  EXPECT_FALSE(chart->zoomMoving());
  EXPECT_FALSE(chart->picture().zoomed());
  EXPECT_EQ(chart->picture().bars.size(), 2u);
}

}  // namespace
