#pragma once
#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

class QPainter;

namespace zdb {
class Query;
}

// A courier chart apart from its widget: what it shows, built from the rows of its query
// (ChartContent), and where everything lands at a given size and zoom (ChartPicture), which
// paintChart() draws on any paint device. No database and no widget is needed to build or check
// either; only Qt Gui, for colours and font metrics.
namespace zboard {

// Mark and legend texts, with Turkish separators whatever the machine's locale.
// "#,##0.### {unit}": 1234.5 -> «1.234,5 TL», 7 -> «7 Ad».
QString chartValueText(double value, const QString &unit);
// "##0.## %": 33.333 -> «33,33 %».
QString chartShareText(double share);
// Successive colours of the bars of a "one colour per bar" series (no white: the wall is white).
const QList<QColor> &chartPalette();

// One bar series of a chart: the result column it shows and how.
struct ChartSeriesSetup {
  QString name;    // component name, e.g. "Series1"
  QString column;  // result column, read by name with case ignored
  QString title;   // series title
  QString unit;    // "TL" or "Ad"
  QColor colour;   // series colour; unused by the bars when colourPerBar
  bool colourPerBar = false;
  bool percentMarks = false;  // marks show the bar's share instead of its value
};

// A chart: its title lines and its series. Several series stand side by side in a courier's slot.
struct ChartSetup {
  QStringList titleLines;
  std::vector<ChartSeriesSetup> series;
};

// The rows of a chart query as the chart reads them: each row's courier, and for each result
// column (upper-case name) each row's value; NULL, or a value that is not a finite number, is
// nullopt. A column the result lacks is absent and reads as NULL.
struct ChartRows {
  QStringList couriers;
  std::map<QString, std::vector<std::optional<double>>> columns;
};

// The rows of the query's current result (none while it is closed), the courier column
// SEVKYAPANISMI and the series' columns, read by name with case ignored.
ChartRows chartRows(const zdb::Query &query, const std::vector<ChartSeriesSetup> &series);

// One drawn point. A NULL value draws no bar and has none.
struct ChartBar {
  QString series;  // ChartSeriesSetup::name
  int lane = 0;    // index of the series: its place in the courier's slot
  int row = 0;     // row of the query (0-based): the courier's slot
  QString courier;
  double value = 0;
  QColor colour;
  QString mark;  // the text of its mark
  // Laid out (ChartPicture only): the front face in pixels, cut to the plot, and the depth of the
  // top and side faces receding up and to the right.
  QRectF rect;
  qreal depth = 0;
};

// A mark: its text in a box above the end of its bar (below, for a negative value), on a pointer
// from the bar's end to the box.
struct ChartMark {
  QString text;
  int bar = 0;     // index into ChartPicture::bars
  QPointF anchor;  // the bar's end, where the pointer starts
  QRectF box;      // the pointer ends on its near edge
};

struct ChartLegendEntry {
  QColor colour;
  QString text;
  QRectF rect;  // laid out (ChartPicture only): swatch and text
};

// What the chart shows whatever its size: the courier of each row (the slots of the courier
// axis, in row order), the bars in series order and then row order, the legend (one entry per
// bar, with its value) and the range of the values, 0 included.
struct ChartContent {
  QStringList titleLines;
  QStringList couriers;
  int lanes = 1;  // bars side by side in a slot
  std::vector<ChartBar> bars;
  std::vector<ChartLegendEntry> legend;
  double low = 0, high = 0;
};

ChartContent chartContent(const ChartSetup &setup, const ChartRows &rows);

// The part of the chart in view, in the chart's own units: slots across (courier i's slot runs
// from i to i + 1) and values up.
struct ChartWindow {
  double left = 0, right = 1, bottom = 0, top = 1;
  friend bool operator==(const ChartWindow &, const ChartWindow &) = default;
};

struct ChartTick {
  double value = 0;
  QString label;
  qreal y = 0;
};

struct ChartCategory {
  int row = 0;
  QString text;  // the courier's name, shortened to its slot when it does not fit
  QRectF rect;
};

// The chart laid out at one size and one window: everything paintChart() draws, in pixels.
struct ChartPicture {
  QSize size;
  QStringList titleLines;
  QRectF titleRect;
  QRectF plot;          // the back wall
  ChartWindow window;   // what the plot shows
  ChartWindow whole;    // the whole chart at this size, with round ends
  double step = 1;      // between two ticks of the value axis
  std::vector<ChartTick> ticks;
  std::vector<ChartCategory> categories;  // slots whose middle is in view
  std::vector<ChartBar> bars;             // bars at least partly in view, in drawing order
  std::vector<ChartMark> marks;           // for bars whose end is in view
  QRectF legendRect;
  std::vector<ChartLegendEntry> legend;

  bool zoomed() const { return !(window == whole); }
  qreal xAt(double slot) const;
  qreal yAt(double value) const;
  double slotAt(qreal x) const;
  double valueAt(qreal y) const;
  // The window shown by a rectangle of the plot (cut to the plot), e.g. a dragged one.
  ChartWindow windowOf(const QRectF &pixels) const;
};

// Lays the content out in a chart of `size` pixels showing `window`, or the whole chart.
ChartPicture chartPicture(const ChartContent &content, QSize size,
                          const std::optional<ChartWindow> &window = std::nullopt);

// Draws the picture from (0, 0): background, title, wall and grid, value and courier axes, the
// bars with their depth, the marks and the legend.
void paintChart(QPainter &painter, const ChartPicture &picture);

}  // namespace zboard
