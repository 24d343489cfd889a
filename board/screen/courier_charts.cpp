#include "courier_charts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

#include "board/screen/query_binding.h"
#include "db/query.h"
#include "dialogs/screen/screen_fit.h"

namespace zboard {

namespace {
// Pointer travel below which a press and release is a tap, not a drag.
constexpr int kDragThreshold = 4;
}  // namespace

// ------------------------------------------------------------------------------- CourierChart

CourierChart::CourierChart(const QString &objectName, const QStringList &titleLines,
                           std::vector<ChartSeriesSetup> series, zdb::Query &query, QWidget *parent)
    : QWidget(parent), query_(query), setup_{titleLines, std::move(series)} {
  setObjectName(objectName);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the picture covers every pixel

  zoomMove_ = new QVariantAnimation(this);
  zoomMove_->setDuration(ZoomMilliseconds);
  zoomMove_->setEasingCurve(QEasingCurve::OutCubic);
  zoomMove_->setStartValue(0.0);
  zoomMove_->setEndValue(1.0);
  connect(zoomMove_, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
    if (!showing_) return;
    const double t = value.toDouble();
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    showing_ = ChartWindow{mix(moveFrom_.left, moveTo_.left), mix(moveFrom_.right, moveTo_.right),
                           mix(moveFrom_.bottom, moveTo_.bottom), mix(moveFrom_.top, moveTo_.top)};
    invalidatePicture();
  });
  connect(zoomMove_, &QVariantAnimation::finished, this, [this] {
    showing_.reset();
    invalidatePicture();
  });

  bindQuery(query_, this, [this] { queryChanged(); });
  rows_ = chartRows(query_, setup_.series);
}

CourierChart::~CourierChart() { unbindQuery(query_, this); }

void CourierChart::queryChanged() {
  // A closed query keeps the chart as it is: the rows stay until the next opening.
  if (query_.isOpen()) showRows(chartRows(query_, setup_.series));
}

void CourierChart::showRows(ChartRows rows) {
  rows_ = std::move(rows);
  contentStale_ = true;
  // New rows show the whole chart.
  zoomMove_->stop();
  zoom_.reset();
  showing_.reset();
  invalidatePicture();
}

void CourierChart::invalidatePicture() {
  pictureStale_ = true;
  update();  // nothing is built or painted while the chart is out of sight
}

const ChartContent &CourierChart::content() const {
  if (contentStale_) {
    content_ = chartContent(setup_, rows_);
    contentStale_ = false;
    ++contentBuilds_;
  }
  return content_;
}

void CourierChart::setFactor(double factor) {
  if (factor == factor_) return;
  factor_ = factor;
  dragFrom_.reset();
  invalidatePicture();
}

QSize CourierChart::designSize() const {
  if (factor_ == 1.0) return size();
  // Painted scaled, the design covers every pixel of the widget.
  return QSize(int(std::ceil(width() / factor_)), int(std::ceil(height() / factor_)));
}

const ChartPicture &CourierChart::picture() const {
  if (pictureStale_ || contentStale_) {
    picture_ = chartPicture(content(), designSize(), showing_ ? showing_ : zoom_);
    pictureStale_ = false;
  }
  return picture_;
}

QStringList CourierChart::drawnMarks() const {
  QStringList marks;
  for (const ChartMark &mark : picture().marks) marks << mark.text;
  return marks;
}

bool CourierChart::zoomMoving() const { return zoomMove_->state() == QAbstractAnimation::Running; }

void CourierChart::zoomTo(std::optional<ChartWindow> target) {
  const ChartPicture &now = picture();
  moveFrom_ = now.window;
  moveTo_ = target.value_or(now.whole);
  zoomMove_->stop();
  zoom_ = target;
  showing_ = moveFrom_;
  zoomMove_->start();
  invalidatePicture();
}

void CourierChart::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (factor_ != 1.0) painter.scale(factor_, factor_);
  painted_ = picture();
  paintChart(painter, painted_);
  if (dragFrom_) {
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(QColor(0, 0, 255, 40));
    painter.drawRect(QRect(*dragFrom_, dragTo_).normalized());
  }
}

void CourierChart::resizeEvent(QResizeEvent *) { invalidatePicture(); }

void CourierChart::mousePressEvent(QMouseEvent *event) {
  const QPoint at = (event->position() / factor_).toPoint();
  if (event->button() == Qt::RightButton) {
    zoomTo(std::nullopt);
  } else if (event->button() == Qt::LeftButton && picture().plot.contains(at)) {
    dragFrom_ = at;
    dragTo_ = at;
  }
}

void CourierChart::mouseMoveEvent(QMouseEvent *event) {
  if (!dragFrom_) return;
  dragTo_ = (event->position() / factor_).toPoint();
  update();
}

void CourierChart::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || !dragFrom_) return;
  const QPoint from = *dragFrom_;
  dragTo_ = (event->position() / factor_).toPoint();
  dragFrom_.reset();
  update();
  const QPoint moved = dragTo_ - from;
  if (moved.x() > 0 && moved.y() > 0) {
    // Down and to the right: into the dragged rectangle, as far as it lies on the plot.
    const QRectF dragged = QRectF(QPointF(from), QPointF(dragTo_)).intersected(picture().plot);
    if (dragged.width() >= kDragThreshold && dragged.height() >= kDragThreshold)
      zoomTo(picture().windowOf(dragged));
  } else if (moved.x() <= -kDragThreshold || moved.y() <= -kDragThreshold) {
    zoomTo(std::nullopt);  // any drag the other way: the whole chart again
  }
}

// ----------------------------------------------------------------------------- ButtonTabStrip

namespace {
constexpr int kTabHeight = 24;
constexpr int kTabGap = 2;
}  // namespace

ButtonTabStrip::ButtonTabStrip(QWidget *parent) : QWidget(parent), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
  connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on) emit currentChanged(id);
  });
}

QAbstractButton *ButtonTabStrip::addTab(const QString &caption) {
  auto *b = new QPushButton(caption, this);
  b->setCheckable(true);
  b->setFocusPolicy(Qt::NoFocus);
  group_->addButton(b, int(buttons_.size()));
  buttons_.push_back(b);
  if (buttons_.size() == 1) b->setChecked(true);
  updateGeometry();
  resizeEvent(nullptr);
  return b;
}

QAbstractButton *ButtonTabStrip::button(int index) const { return buttons_.at(size_t(index)); }

void ButtonTabStrip::setCurrentIndex(int index) {
  if (index >= 0 && index < count()) buttons_[size_t(index)]->setChecked(true);
}

int ButtonTabStrip::currentIndex() const { return group_->checkedId(); }

std::vector<QRect> ButtonTabStrip::layoutFor(int width) const {
  // Laid out in design pixels, at the design size of the letters, then scaled.
  if (factor_ == 1.0 || designWidths_.size() != buttons_.size()) {
    designWidths_.clear();
    for (QAbstractButton *b : buttons_) designWidths_.push_back(b->fontMetrics().horizontalAdvance(b->text()) + 16);
  }
  const int designWidth = factor_ == 1.0 ? width : qRound(width / factor_);
  std::vector<QRect> rects;
  int x = 0, y = 0;
  for (const int w : designWidths_) {
    if (x > 0 && x + w > designWidth) {
      x = 0;
      y += kTabHeight + kTabGap;
    }
    rects.push_back(zdlg::scaledRect(QRect(x, y, w, kTabHeight), factor_));
    x += w + kTabGap;
  }
  return rects;
}

int ButtonTabStrip::heightForWidth(int width) const {
  if (buttons_.empty()) return 0;
  return layoutFor(width).back().bottom() + 1 + zdlg::scaledLength(kTabGap, factor_);
}

void ButtonTabStrip::setFactor(double factor) {
  if (factor == factor_) return;
  if (factor_ == 1.0) layoutFor(width());  // the design widths, measured at the design size
  factor_ = factor;
  updateGeometry();
  resizeEvent(nullptr);
}

QSize ButtonTabStrip::sizeHint() const { return {width(), heightForWidth(width())}; }

void ButtonTabStrip::resizeEvent(QResizeEvent *) {
  const std::vector<QRect> rects = layoutFor(width());
  for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setGeometry(rects[i]);
}

// ------------------------------------------------------------------------------ CourierCharts

namespace {

ChartSeriesSetup setup(const char *name, const char *column, const char *title, const char *unit,
                     quint32 colour, bool perBar, bool percent) {
  return {QString::fromUtf8(name), QString::fromUtf8(column), QString::fromUtf8(title),
          QString::fromUtf8(unit), QColor::fromRgb(colour), perBar, percent};
}

}  // namespace

CourierCharts::CourierCharts(zdb::Query &openOrders, zdb::Query &closedBills, QWidget *parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("PageControl1"));
  tabs_ = new ButtonTabStrip(this);
  tabs_->setObjectName(QStringLiteral("PageControl1Tabs"));
  stack_ = new QStackedWidget(this);
  stack_->setObjectName(QStringLiteral("PageControl1Pages"));
  connect(tabs_, &ButtonTabStrip::currentChanged, stack_, &QStackedWidget::setCurrentIndex);

  const char *performance = "Sevkiyatçı Performans Grafiği";
  const char *count = "Sevkiyatçı Ürün Adedi";
  addPage(QStringLiteral("TabSheet1"), QStringLiteral("Adet Tutar Grafiği"),
          new CourierChart(QStringLiteral("DBChart1"), {QStringLiteral("Kurye bazında Adet Tutar Grafiği")},
                           {setup("Series1", "TUTAR", performance, "TL", 0xFF0000, false, false),
                            setup("Series2", "KISISAYISI", count, "Ad", 0x00FFFF, false, false)},
                           openOrders));
  addPage(QStringLiteral("TabSheet2"), QStringLiteral("Yüzde Grafiği"),
          new CourierChart(QStringLiteral("DBChart2"),
                           {QStringLiteral("Kurye Bazında Yüzde Dağılım Grafiği")},
                           {setup("BarSeries1", "TUTAR", performance, "TL", 0xFF0000, true, true)},
                           openOrders));
  addPage(QStringLiteral("TabSheet3"), QStringLiteral("Ortalama Adisyon Grafiği"),
          new CourierChart(QStringLiteral("DBChart3"),
                           {QStringLiteral("Kurye Ortalama Adisyon Tutar Grafiği")},
                           {setup("BarSeries4", "TUTARKDVSIZ", "Kurye Ortlama Adisyon Tutarı", "TL",
                                 0x0000FF, true, false)},
                           openOrders));
  addPage(QStringLiteral("TabSheet4"), QStringLiteral("Yüzde Grafiği Kapalı Ads."),
          new CourierChart(QStringLiteral("DBChart4"),
                           {QStringLiteral("Kurye Bazında Yüzde Dağılım Grafiği"),
                            QStringLiteral("(Kapalı Paketler)")},
                           {setup("BarSeries2", "TUTAR", performance, "TL", 0xFF0000, true, true)},
                           closedBills));
  addPage(QStringLiteral("TabSheet5"), QStringLiteral("Genel Grafik Kapalı Ads."),
          new CourierChart(QStringLiteral("DBChart5"),
                           {QStringLiteral("Kurye bazında Genel Grafik (Kapalı Adisyonlar)")},
                           {setup("BarSeries3", "TUTAR", performance, "TL", 0xFF0000, false, false),
                            setup("BarSeries5", "KISISAYISI", count, "Ad", 0x00FFFF, false, false)},
                           closedBills));
  setCurrentIndex(2);  // TabSheet3 is in front when the board opens
}

void CourierCharts::addPage(const QString &sheetName, const QString &caption, CourierChart *chart) {
  auto *page = new QWidget;
  page->setObjectName(sheetName);
  page->setWindowTitle(caption);
  chart->setParent(page);
  stack_->addWidget(page);
  pages_.push_back(page);
  charts_.push_back(chart);
  tabs_->addTab(caption)->setObjectName(sheetName + QStringLiteral("Tab"));
  // The chart fills its page.
  struct Filler : QObject {
    QWidget *child;
    explicit Filler(QWidget *page, QWidget *c) : QObject(page), child(c) {}
    bool eventFilter(QObject *watched, QEvent *event) override {
      if (event->type() == QEvent::Resize) child->setGeometry(static_cast<QWidget *>(watched)->rect());
      return false;
    }
  };
  page->installEventFilter(new Filler(page, chart));
}

QString CourierCharts::tabCaption(int index) const { return tabs_->button(index)->text(); }

int CourierCharts::currentIndex() const { return stack_->currentIndex(); }

void CourierCharts::setCurrentIndex(int index) {
  tabs_->setCurrentIndex(index);
  stack_->setCurrentIndex(index);
}

void CourierCharts::setFactor(double factor) {
  tabs_->setFactor(factor);
  for (CourierChart *chart : charts_) chart->setFactor(factor);
  resizeEvent(nullptr);
}

void CourierCharts::resizeEvent(QResizeEvent *) {
  const int sh = tabs_->heightForWidth(width());
  tabs_->setGeometry(0, 0, width(), sh);
  stack_->setGeometry(0, sh, width(), std::max(0, height() - sh));
}

}  // namespace zboard
