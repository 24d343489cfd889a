#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "board/screen/chart_picture.h"

class QAbstractButton;
class QButtonGroup;
class QStackedWidget;
class QVariantAnimation;

namespace zdb {
class Query;
}

namespace zboard {

// One courier chart (DBChart1 ... DBChart5), painted by the program itself: bound to its query
// component, it redraws from the query's rows whenever the query is opened again and keeps them
// while the query is closed. What it shows is a ChartContent built from the rows, laid out into a
// ChartPicture at the widget's size; the widget paints the picture and handles the zoom: a drag
// from upper left to lower right zooms into the dragged rectangle, a drag the other way or a
// right click goes back to the whole chart, both moving there in a short animation.
class CourierChart : public QWidget {
  Q_OBJECT

 public:
  static constexpr int ZoomMilliseconds = 300;

  CourierChart(const QString &objectName, const QStringList &titleLines,
               std::vector<ChartSeriesSetup> series, zdb::Query &query, QWidget *parent = nullptr);
  ~CourierChart() override;

  QString title() const { return setup_.titleLines.join(QLatin1Char('\n')); }
  const std::vector<ChartSeriesSetup> &seriesSetups() const { return setup_.series; }

  // What the chart shows. A chart out of sight (a page behind another) builds it only when it
  // comes into sight or is asked: building and laying out is most of what a listing costs here.
  const ChartContent &content() const;
  const std::vector<ChartBar> &bars() const { return content().bars; }
  QStringList couriers() const { return content().couriers; }
  const std::vector<ChartLegendEntry> &legendEntries() const { return content().legend; }
  // The picture at the widget's size and the zoom of this moment.
  const ChartPicture &picture() const;
  // Texts of the marks drawn on the chart.
  QStringList drawnMarks() const;
  // The picture that the last paint drew: what the operator saw.
  const ChartPicture &paintedPicture() const { return painted_; }
  // How often the content was built from new rows: a chart out of sight does not.
  int contentBuilds() const { return contentBuilds_; }

  // Shows these rows, as an opening of the query does: the whole chart, drawn when in sight.
  void showRows(ChartRows rows);

  // The board's factor: the chart is laid out at its design size (the widget's size divided by
  // the factor) and painted scaled, so that its letters, bars and margins keep their proportions.
  // Pictures, marks and the zoom are in design pixels.
  void setFactor(double factor);
  double factor() const { return factor_; }
  QSize designSize() const;

  bool zoomMoving() const;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  void queryChanged();
  // Moves the view to `target` (nullopt: the whole chart) in an animation.
  void zoomTo(std::optional<ChartWindow> target);
  void invalidatePicture();

  zdb::Query &query_;
  ChartSetup setup_;
  ChartRows rows_;
  mutable ChartContent content_;
  mutable bool contentStale_ = true;
  mutable ChartPicture picture_;
  mutable bool pictureStale_ = true;
  ChartPicture painted_;
  mutable int contentBuilds_ = 0;

  std::optional<ChartWindow> zoom_;     // where the view rests; nullopt: the whole chart
  std::optional<ChartWindow> showing_;  // the view of this moment while it moves
  ChartWindow moveFrom_, moveTo_;
  QVariantAnimation *zoomMove_;
  std::optional<QPoint> dragFrom_;
  QPoint dragTo_;
  double factor_ = 1.0;
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
  // The board's factor: tabs, their gaps and their lines scale with it; the tabs break into lines
  // where they do at the design size.
  void setFactor(double factor);

 signals:
  void currentChanged(int index);

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  std::vector<QRect> layoutFor(int width) const;
  std::vector<QAbstractButton *> buttons_;
  QButtonGroup *group_;
  double factor_ = 1.0;
  mutable std::vector<int> designWidths_;  // of the tabs at the design size
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
  // The board's factor, for the tabs and the charts.
  void setFactor(double factor);

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
