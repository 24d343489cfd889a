#pragma once
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QChart;
class QChartView;
class QGraphicsItem;
class QStackedWidget;

namespace zdb {
class Query;
}

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

// A drawn bar: what the operator sees of one point. A NULL value draws no bar and is absent.
struct ChartBar {
  QString series;  // ChartSeriesSetup::name
  int row = 0;     // row of the query (0-based)
  QString courier;
  double value = 0;
  QColor colour;
  QString mark;
};

struct ChartLegendEntry {
  QColor colour;
  QString text;
};

class ChartLegend;

// One courier chart (DBChart1 ... DBChart5): bound to its query component, it redraws from the
// query's rows whenever the query is opened again and keeps them while the query is closed.
// Qt Charts draws flat bars; the depth of the bars is drawn here as a top and a side face, and
// the marks (text above each bar on a 20-pixel pointer) are drawn here too, because a bar
// series' own labels cannot carry a per-bar text.
class CourierChart : public QWidget {
  Q_OBJECT

 public:
  CourierChart(const QString &objectName, const QStringList &titleLines,
               std::vector<ChartSeriesSetup> series, zdb::Query &query, QWidget *parent = nullptr);
  ~CourierChart() override;

  // A chart out of sight (a page behind another) builds its series only when it comes into
  // sight or is looked at: building them is most of what a listing costs the screens.
  QChart *chart() const {
    ensureSeries();
    return chart_;
  }
  QChartView *view() const {
    ensureSeries();
    return view_;
  }
  ChartLegend *legend() const {
    ensureSeries();
    return legend_;
  }
  QString title() const { return titleLines_.join(QLatin1Char('\n')); }
  const std::vector<ChartSeriesSetup> &seriesSetups() const { return setups_; }

  // What is drawn now: bars in series order, then row order; categories in row order.
  const std::vector<ChartBar> &bars() const { return bars_; }
  QStringList couriers() const { return couriers_; }
  std::vector<ChartLegendEntry> legendEntries() const;
  // Texts of the marks drawn on the chart (for tests of the drawing itself).
  QStringList drawnMarks() const;

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void showEvent(QShowEvent *event) override;

 private:
  void queryChanged();
  void reload();
  // Builds the series now when the chart is in sight, else when it comes into sight.
  void seriesChanged();
  void ensureSeries() const {
    if (seriesStale_) const_cast<CourierChart *>(this)->rebuildSeries();
  }
  void rebuildSeries();
  void redrawOverlay();
  void clearOverlay();

  zdb::Query &query_;
  bool seriesStale_ = false;
  QStringList titleLines_;
  std::vector<ChartSeriesSetup> setups_;
  QChart *chart_;
  QChartView *view_;
  ChartLegend *legend_;

  QStringList couriers_;
  std::vector<std::vector<std::optional<double>>> values_;  // [series][row]
  std::vector<ChartBar> bars_;
  std::vector<QGraphicsItem *> overlay_;
};

// Legend under the plot: one entry per drawn point, colour and text, wrapped onto lines.
class ChartLegend : public QWidget {
  Q_OBJECT

 public:
  explicit ChartLegend(QWidget *parent = nullptr);
  void setEntries(std::vector<ChartLegendEntry> entries);
  const std::vector<ChartLegendEntry> &entries() const { return entries_; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  std::vector<QRect> layoutFor(int width) const;
  std::vector<ChartLegendEntry> entries_;
};

// Tab strip whose tabs are buttons wrapped onto as many lines as the width needs.
class ButtonTabStrip : public QWidget {
  Q_OBJECT

 public:
  explicit ButtonTabStrip(QWidget *parent = nullptr);
  QAbstractButton *addTab(const QString &caption);
  QAbstractButton *button(int index) const;
  int count() const { return int(buttons_.size()); }
  void setCurrentIndex(int index);
  int currentIndex() const;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 signals:
  void currentChanged(int index);

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  std::vector<QRect> layoutFor(int width) const;
  std::vector<QAbstractButton *> buttons_;
  QButtonGroup *group_;
};

// PageControl1: the five chart pages behind a wrapping strip of button tabs. Pages 1 to 3 follow
// the open-orders query, pages 4 and 5 the closed-bills query.
class CourierCharts : public QWidget {
  Q_OBJECT

 public:
  CourierCharts(zdb::Query &openOrders, zdb::Query &closedBills, QWidget *parent = nullptr);

  int count() const { return int(pages_.size()); }
  QString tabCaption(int index) const;
  QAbstractButton *tabButton(int index) const { return tabs_->button(index); }
  ButtonTabStrip *tabStrip() const { return tabs_; }
  QWidget *page(int index) const { return pages_.at(size_t(index)); }        // TabSheet1..5
  CourierChart *chart(int index) const { return charts_.at(size_t(index)); }  // DBChart1..5
  int currentIndex() const;
  void setCurrentIndex(int index);

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void addPage(const QString &sheetName, const QString &caption, CourierChart *chart);

  ButtonTabStrip *tabs_;
  QStackedWidget *stack_;
  std::vector<QWidget *> pages_;
  std::vector<CourierChart *> charts_;
};

}  // namespace zboard
