#include "courier_charts.h"

#include <QAbstractButton>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QFontMetrics>
#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStackedBarSeries>
#include <QStackedWidget>
#include <QValueAxis>
#include <QVariant>
#include <algorithm>
#include <cmath>

#include "board/screen/query_binding.h"
#include "db/query.h"
#include "db/turkish_format.h"
#include "dialogs/colours.h"
#include "dialogs/screen/box_support.h"

namespace zboard {

namespace {

constexpr int kPointerLength = 20;
constexpr qreal kBarWidth = 0.6;  // share of a courier's slot taken by its bar(s)
constexpr qreal kDepthShare = 0.5;  // depth of a bar's faces, as a share of its width
constexpr int kMaxDepth = 14;

QFont arial(int pixels, bool bold = false) {
  QFont f = zdlg::pixelFont(QStringLiteral("Arial"), pixels, QFont::SansSerif);
  f.setBold(bold);
  return f;
}

// Categories of a bar axis must differ; the server's grouping may still return names that the
// axis would take for equal, so later ones get an invisible suffix.
QStringList distinctCategories(const QStringList &names) {
  QStringList out;
  for (QString name : names) {
    while (out.contains(name)) name += QChar(0x200B);
    out << name;
  }
  return out;
}

}  // namespace

QString chartValueText(double value, const QString &unit) {
  return zfmt::number(value, 3, true) + QLatin1Char(' ') + unit;
}

QString chartShareText(double share) { return zfmt::number(share, 2, false) + QStringLiteral(" %"); }

const QList<QColor> &chartPalette() {
  static const QList<QColor> palette = {
      QColor(0xFF0000), QColor(0x008000), QColor(0xFFFF00), QColor(0x0000FF), QColor(0xFF00FF),
      QColor(0x008080), QColor(0x000080), QColor(0x800000), QColor(0x00FF00), QColor(0x808000),
      QColor(0x800080), QColor(0xC0C0C0), QColor(0x00FFFF), QColor(0x808080), QColor(0xFF8000)};
  return palette;
}

// ------------------------------------------------------------------------------- CourierChart

CourierChart::CourierChart(const QString &objectName, const QStringList &titleLines,
                           std::vector<ChartSeriesSetup> series, zdb::Query &query, QWidget *parent)
    : QWidget(parent), query_(query), titleLines_(titleLines), setups_(std::move(series)) {
  setObjectName(objectName);

  chart_ = new QChart;
  chart_->setObjectName(objectName + QStringLiteral("Chart"));
  chart_->setAnimationOptions(QChart::NoAnimation);  // the marks are placed on the final bars
  chart_->setBackgroundRoundness(0);
  chart_->setMargins(QMargins(4, 4, 8, 4));
  chart_->setBackgroundBrush(zdlg::toQColor(zcolour::BtnFace));
  chart_->setPlotAreaBackgroundBrush(Qt::white);  // the back wall
  chart_->setPlotAreaBackgroundPen(QPen(QColor(0x808080)));
  chart_->setPlotAreaBackgroundVisible(true);
  chart_->legend()->hide();  // the legend lists points, drawn by ChartLegend below the plot
  QStringList escaped;
  for (const QString &line : titleLines_) escaped << line.toHtmlEscaped();
  chart_->setTitle(titleLines_.size() > 1 ? QStringLiteral("<center>%1</center>").arg(escaped.join(QStringLiteral("<br>")))
                                           : escaped.join(QString()));
  chart_->setTitleFont(arial(13, true));

  auto *axisX = new QBarCategoryAxis;
  axisX->setLabelsFont(arial(11));
  axisX->setGridLineVisible(false);
  auto *axisY = new QValueAxis;
  axisY->setLabelsFont(arial(11));
  axisY->setLabelFormat(QStringLiteral("%.0f"));
  axisY->setGridLinePen(QPen(QColor(0xD0D0D0)));
  axisY->setRange(0, 1);
  chart_->addAxis(axisX, Qt::AlignBottom);
  chart_->addAxis(axisY, Qt::AlignLeft);

  view_ = new QChartView(chart_, this);
  view_->setObjectName(objectName + QStringLiteral("View"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setFrameShape(QFrame::NoFrame);

  legend_ = new ChartLegend(this);
  legend_->setObjectName(objectName + QStringLiteral("Legend"));

  // Zoom by dragging a rectangle (a right click zooms out); the drawn faces and marks follow the
  // plot area and the axes. Without animation: the marks are placed on the bars' final places.
  view_->setRubberBand(QChartView::RectangleRubberBand);
  connect(chart_, &QChart::plotAreaChanged, this, [this] { redrawOverlay(); });
  // Queued: the series' domain takes the new range after this handler would have run.
  connect(axisX, &QBarCategoryAxis::rangeChanged, this, [this] { redrawOverlay(); }, Qt::QueuedConnection);
  connect(axisY, &QValueAxis::rangeChanged, this, [this] { redrawOverlay(); }, Qt::QueuedConnection);

  bindQuery(query_, this, [this] { queryChanged(); });
  if (query_.isOpen()) reload();
  else seriesChanged();
}

CourierChart::~CourierChart() { unbindQuery(query_, this); }

void CourierChart::queryChanged() {
  // A closed query keeps the chart as it is: the rows stay until the next opening.
  if (query_.isOpen()) reload();
}

void CourierChart::reload() {
  const QStringList names = query_.fieldNames();
  auto column = [&](const QString &wanted) {
    for (const QString &n : names)
      if (n.compare(wanted, Qt::CaseInsensitive) == 0) return n;
    return QString();
  };
  const QString courierColumn = column(QStringLiteral("SEVKYAPANISMI"));
  couriers_.clear();
  values_.assign(setups_.size(), {});
  const int rows = query_.recordCount();
  for (int r = 0; r < rows; ++r)
    couriers_ << (courierColumn.isEmpty() ? QString() : query_.value(r, courierColumn).toString());
  for (size_t s = 0; s < setups_.size(); ++s) {
    const QString valueColumn = column(setups_[s].column);
    for (int r = 0; r < rows; ++r) {
      const QVariant v = valueColumn.isEmpty() ? QVariant() : query_.value(r, valueColumn);
      bool ok = false;
      const double d = v.isNull() ? 0 : v.toDouble(&ok);
      values_[s].push_back(ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt);
    }
  }

  bars_.clear();
  for (size_t s = 0; s < setups_.size(); ++s) {
    const ChartSeriesSetup &setup = setups_[s];
    double total = 0;
    for (const auto &v : values_[s])
      if (v) total += std::abs(*v);
    for (int r = 0; r < rows; ++r) {
      const auto &v = values_[s][size_t(r)];
      if (!v) continue;
      ChartBar bar;
      bar.series = setup.name;
      bar.row = r;
      bar.courier = couriers_.at(r);
      bar.value = *v;
      bar.colour = setup.colourPerBar ? chartPalette().at(r % chartPalette().size()) : setup.colour;
      const QString shown = setup.percentMarks
                                ? chartShareText(total > 0 ? std::abs(*v) * 100 / total : 0)
                                : chartValueText(*v, setup.unit);
      bar.mark = bar.courier + QLatin1Char(' ') + shown;
      bars_.push_back(bar);
    }
  }
  seriesChanged();
}

void CourierChart::seriesChanged() {
  if (isVisible()) {
    rebuildSeries();
  } else {
    seriesStale_ = true;
  }
}

void CourierChart::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  ensureSeries();
}

std::vector<ChartLegendEntry> CourierChart::legendEntries() const {
  std::vector<ChartLegendEntry> entries;
  for (const ChartBar &bar : bars_) {
    const auto setup = std::find_if(setups_.begin(), setups_.end(),
                                   [&](const ChartSeriesSetup &s) { return s.name == bar.series; });
    entries.push_back({bar.colour, bar.courier + QLatin1Char(' ') + chartValueText(bar.value, setup->unit)});
  }
  return entries;
}

void CourierChart::rebuildSeries() {
  seriesStale_ = false;
  clearOverlay();
  chart_->removeAllSeries();
  auto *axisX = qobject_cast<QBarCategoryAxis *>(chart_->axes(Qt::Horizontal).value(0));
  auto *axisY = qobject_cast<QValueAxis *>(chart_->axes(Qt::Vertical).value(0));
  axisX->clear();
  const QStringList categories = distinctCategories(couriers_);
  axisX->append(categories);

  const int rows = int(couriers_.size());
  const bool perBar = std::any_of(setups_.begin(), setups_.end(),
                                  [](const ChartSeriesSetup &s) { return s.colourPerBar; });
  QAbstractBarSeries *series = nullptr;
  if (perBar) {
    // One set per point, holding a value in its own slot only: each bar gets its own colour.
    auto *stacked = new QStackedBarSeries;
    const auto &values = values_.empty() ? std::vector<std::optional<double>>() : values_.front();
    for (int r = 0; r < rows; ++r) {
      auto *set = new QBarSet(couriers_.at(r));
      for (int c = 0; c < rows; ++c) set->append(c == r && values[size_t(c)] ? *values[size_t(c)] : 0.0);
      set->setColor(chartPalette().at(r % chartPalette().size()));
      set->setPen(Qt::NoPen);  // the outline is drawn with the faces, so empty slots stay blank
      stacked->append(set);
    }
    stacked->setName(setups_.front().title);
    series = stacked;
  } else {
    auto *side = new QBarSeries;  // the series stand side by side per courier
    for (size_t s = 0; s < setups_.size(); ++s) {
      auto *set = new QBarSet(setups_[s].title);
      for (int r = 0; r < rows; ++r) set->append(values_[s][size_t(r)].value_or(0.0));
      set->setColor(setups_[s].colour);
      set->setPen(Qt::NoPen);
      side->append(set);
    }
    series = side;
  }
  series->setBarWidth(kBarWidth);
  series->setLabelsVisible(false);
  chart_->addSeries(series);
  series->attachAxis(axisX);
  series->attachAxis(axisY);

  double lo = 0, hi = 0;
  for (const ChartBar &bar : bars_) {
    lo = std::min(lo, bar.value);
    hi = std::max(hi, bar.value);
  }
  if (hi == lo) hi = 1;
  // Headroom for the pointers and marks beyond the longest bars.
  const double pad = (hi - lo) * 0.35;
  axisY->setRange(lo < 0 ? lo - pad : 0, hi > 0 ? hi + pad : 0);
  axisY->applyNiceNumbers();
  axisY->setLabelFormat(axisY->max() - axisY->min() < 5 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));

  legend_->setEntries(legendEntries());
  resizeEvent(nullptr);
  redrawOverlay();
}

void CourierChart::clearOverlay() {
  for (QGraphicsItem *item : overlay_) delete item;
  overlay_.clear();
}

QStringList CourierChart::drawnMarks() const {
  ensureSeries();
  QStringList marks;
  for (QGraphicsItem *item : overlay_)
    if (auto *text = dynamic_cast<QGraphicsSimpleTextItem *>(item)) marks << text->text();
  return marks;
}

void CourierChart::redrawOverlay() {
  clearOverlay();
  const QList<QAbstractSeries *> all = chart_->series();
  if (all.isEmpty() || bars_.empty()) return;
  QAbstractSeries *series = all.front();
  const bool perBar = qobject_cast<QStackedBarSeries *>(series) != nullptr;
  const int setCount = perBar ? 1 : int(setups_.size());

  // Front rectangle of a bar, in chart coordinates.
  auto barRect = [&](const ChartBar &bar) {
    const size_t s = size_t(std::find_if(setups_.begin(), setups_.end(),
                                         [&](const ChartSeriesSetup &x) { return x.name == bar.series; }) -
                            setups_.begin());
    const qreal left = bar.row - kBarWidth / 2 + qreal(perBar ? 0 : s) * kBarWidth / setCount;
    const qreal right = left + kBarWidth / setCount;
    const QPointF a = chart_->mapToPosition(QPointF(left, bar.value), series);
    const QPointF b = chart_->mapToPosition(QPointF(right, 0), series);
    return QRectF(a, b).normalized();
  };

  const QFont markFont = arial(11);
  const QFontMetricsF metrics(markFont);
  std::vector<QRectF> placed;
  auto add = [&](QGraphicsItem *item, qreal z) {
    item->setParentItem(chart_);
    item->setZValue(z);
    overlay_.push_back(item);
  };

  for (const ChartBar &bar : bars_) {
    const QRectF front = barRect(bar);
    const qreal depth = std::min<qreal>(kMaxDepth, front.width() * kDepthShare);
    // Depth: a lighter top face and a darker side face, receding up and to the right.
    const QPolygonF top({front.topLeft(), front.topRight(), front.topRight() + QPointF(depth, -depth),
                         front.topLeft() + QPointF(depth, -depth)});
    const QPolygonF side({front.topRight(), front.topRight() + QPointF(depth, -depth),
                          front.bottomRight() + QPointF(depth, -depth), front.bottomRight()});
    const QPen edge(bar.colour.darker(250), 1);
    auto *topItem = new QGraphicsPolygonItem(top);
    topItem->setBrush(bar.colour.lighter(130));
    topItem->setPen(edge);
    add(topItem, 100);
    auto *sideItem = new QGraphicsPolygonItem(side);
    sideItem->setBrush(bar.colour.darker(160));
    sideItem->setPen(edge);
    add(sideItem, 100);
    auto *outline = new QGraphicsRectItem(front);
    outline->setPen(edge);
    outline->setBrush(Qt::NoBrush);
    add(outline, 101);

    // Mark: on a pointer beyond the end of the bar, lifted above any mark it would cover.
    const bool up = bar.value >= 0;
    const QPointF anchor(front.center().x() + depth / 2, up ? front.top() - depth / 2 : front.bottom());
    const QSizeF textSize = metrics.size(Qt::TextSingleLine, bar.mark);
    QRectF box(0, 0, textSize.width() + 6, textSize.height() + 2);
    qreal tip = up ? anchor.y() - kPointerLength : anchor.y() + kPointerLength;
    box.moveCenter(QPointF(anchor.x(), up ? tip - box.height() / 2 : tip + box.height() / 2));
    if (box.left() < 1) box.moveLeft(1);
    if (box.right() > chart_->size().width() - 1) box.moveRight(chart_->size().width() - 1);
    for (bool moved = true; moved;) {
      moved = false;
      for (const QRectF &other : placed) {
        if (box.intersects(other)) {
          if (up) box.moveBottom(other.top() - 2);
          else box.moveTop(other.bottom() + 2);
          moved = true;
        }
      }
    }
    placed.push_back(box);
    tip = up ? box.bottom() : box.top();
    auto *pointer = new QGraphicsLineItem(QLineF(anchor, QPointF(anchor.x(), tip)));
    pointer->setPen(QPen(Qt::black, 1));
    add(pointer, 102);
    auto *frame = new QGraphicsRectItem(box);
    frame->setBrush(QColor(0xFFFFE1));  // info-tip yellow
    frame->setPen(QPen(Qt::black, 1));
    add(frame, 103);
    auto *text = new QGraphicsSimpleTextItem(bar.mark);
    text->setFont(markFont);
    text->setPos(box.left() + 3, box.top() + 1);
    add(text, 104);
  }
}

void CourierChart::resizeEvent(QResizeEvent *) {
  const int w = width();
  const int lh = legend_->heightForWidth(w);
  view_->setGeometry(0, 0, w, std::max(0, height() - lh));
  legend_->setGeometry(0, height() - lh, w, lh);
}

// -------------------------------------------------------------------------------- ChartLegend

namespace {
constexpr int kSwatch = 10;
constexpr int kLegendPad = 4;
constexpr int kEntryGap = 12;
}  // namespace

ChartLegend::ChartLegend(QWidget *parent) : QWidget(parent) {
  setFont(arial(11));
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void ChartLegend::setEntries(std::vector<ChartLegendEntry> entries) {
  entries_ = std::move(entries);
  updateGeometry();
  update();
}

std::vector<QRect> ChartLegend::layoutFor(int width) const {
  std::vector<QRect> rects;
  const QFontMetrics fm(font());
  const int lineHeight = std::max(fm.height(), kSwatch) + 2;
  int x = kLegendPad, y = kLegendPad;
  for (const ChartLegendEntry &e : entries_) {
    const int w = kSwatch + 4 + fm.horizontalAdvance(e.text);
    if (x > kLegendPad && x + w > width - kLegendPad) {
      x = kLegendPad;
      y += lineHeight;
    }
    rects.emplace_back(x, y, w, lineHeight);
    x += w + kEntryGap;
  }
  return rects;
}

int ChartLegend::heightForWidth(int width) const {
  if (entries_.empty()) return 0;
  const std::vector<QRect> rects = layoutFor(width);
  return rects.back().bottom() + 1 + kLegendPad;
}

QSize ChartLegend::sizeHint() const { return {200, heightForWidth(200)}; }

void ChartLegend::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setPen(QColor(0x808080));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const std::vector<QRect> rects = layoutFor(width());
  for (size_t i = 0; i < entries_.size(); ++i) {
    const QRect r = rects[i];
    const QRect swatch(r.left(), r.center().y() - kSwatch / 2, kSwatch, kSwatch);
    p.fillRect(swatch, entries_[i].colour);
    p.setPen(Qt::black);
    p.drawRect(swatch);
    p.drawText(QRect(r.left() + kSwatch + 4, r.top(), r.width() - kSwatch - 4, r.height()),
               Qt::AlignVCenter | Qt::AlignLeft, entries_[i].text);
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
  std::vector<QRect> rects;
  int x = 0, y = 0;
  for (QAbstractButton *b : buttons_) {
    const int w = b->fontMetrics().horizontalAdvance(b->text()) + 16;
    if (x > 0 && x + w > width) {
      x = 0;
      y += kTabHeight + kTabGap;
    }
    rects.emplace_back(x, y, w, kTabHeight);
    x += w + kTabGap;
  }
  return rects;
}

int ButtonTabStrip::heightForWidth(int width) const {
  if (buttons_.empty()) return 0;
  return layoutFor(width).back().bottom() + 1 + kTabGap;
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

void CourierCharts::resizeEvent(QResizeEvent *) {
  const int sh = tabs_->heightForWidth(width());
  tabs_->setGeometry(0, 0, width(), sh);
  stack_->setGeometry(0, sh, width(), std::max(0, height() - sh));
}

}  // namespace zboard
