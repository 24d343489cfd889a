#include "chart_picture.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "db/query.h"
#include "db/turkish_format.h"
#include "dialogs/colours.h"
#include "dialogs/screen/box_support.h"

namespace zboard {

namespace {

constexpr qreal kPointerLength = 20;
constexpr double kBarShare = 0.6;   // share of a courier's slot taken by its bar(s)
constexpr double kDepthShare = 0.5;  // depth of a bar's faces, as a share of its width
constexpr qreal kMaxDepth = 14;     // on the whole chart; deeper as the zoom widens the bars
constexpr qreal kMaxZoomedDepth = 40;
constexpr double kHeadroom = 0.35;  // above the longest bar, for its pointer and mark
constexpr qreal kTickSpacing = 40;  // least pixels between two value ticks
constexpr qreal kMarginLeft = 4, kMarginTop = 4, kMarginRight = 16;
constexpr qreal kSwatch = 10, kLegendPad = 4, kEntryGap = 12;

const QColor kWallEdge(0x808080);
const QColor kGridLine(0xD0D0D0);
const QColor kMarkBack(0xFFFFE1);  // info-tip yellow

struct Fonts {
  QFont title;
  QFont text;
};

const Fonts &fonts() {
  static const Fonts f = [] {
    Fonts made{zdlg::pixelFont(QStringLiteral("Arial"), 13, QFont::SansSerif),
               zdlg::pixelFont(QStringLiteral("Arial"), 11, QFont::SansSerif)};
    made.title.setBold(true);
    return made;
  }();
  return f;
}

// 1, 2 or 5 times a power of ten, the first at least `raw`: steps a person reads at a glance.
double roundStep(double raw) {
  if (!(raw > 0) || !std::isfinite(raw)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / power;
  const double nice = f <= 1 + 1e-9 ? 1 : f <= 2 + 1e-9 ? 2 : f <= 5 + 1e-9 ? 5 : 10;
  return nice * power;
}

// Decimals that the labels of a step need: 0.25 -> 2, 5 -> 0.
int decimalsOf(double step) {
  for (int d = 0; d < 6; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) return d;
  }
  return 6;
}

int intervalsFor(qreal plotHeight) { return std::max(2, int(plotHeight / kTickSpacing)); }

ChartWindow wholeWindow(const ChartContent &content, int intervals) {
  double lo = content.low, hi = content.high;
  if (hi - lo <= 0) hi = lo + 1;  // no bars, or all of them 0
  const double pad = (hi - lo) * kHeadroom;
  double top = hi > 0 ? hi + pad : 0;
  double bottom = lo < 0 ? lo - pad : 0;
  const double step = roundStep((top - bottom) / intervals);
  top = std::ceil(top / step - 1e-9) * step;
  bottom = std::floor(bottom / step + 1e-9) * step;
  return {0, double(std::max<qsizetype>(content.couriers.size(), 1)), bottom, top};
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

// ------------------------------------------------------------------------------------ rows

ChartRows chartRows(const zdb::Query &query, const std::vector<ChartSeriesSetup> &series) {
  ChartRows rows;
  if (!query.isOpen()) return rows;
  const QStringList names = query.fieldNames();
  auto column = [&](const QString &wanted) {
    for (const QString &n : names)
      if (n.compare(wanted, Qt::CaseInsensitive) == 0) return n;
    return QString();
  };
  const int count = query.recordCount();
  const QString courierColumn = column(QStringLiteral("SEVKYAPANISMI"));
  for (int r = 0; r < count; ++r)
    rows.couriers << (courierColumn.isEmpty() ? QString() : query.value(r, courierColumn).toString());
  for (const ChartSeriesSetup &s : series) {
    const QString name = column(s.column);
    const QString key = s.column.toUpper();
    if (name.isEmpty() || rows.columns.count(key)) continue;
    auto &values = rows.columns[key];
    for (int r = 0; r < count; ++r) {
      const QVariant v = query.value(r, name);
      bool ok = false;
      const double d = v.isNull() ? 0 : v.toDouble(&ok);
      values.push_back(ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt);
    }
  }
  return rows;
}

// --------------------------------------------------------------------------------- content

ChartContent chartContent(const ChartSetup &setup, const ChartRows &rows) {
  ChartContent content;
  content.titleLines = setup.titleLines;
  content.couriers = rows.couriers;
  content.lanes = std::max(1, int(setup.series.size()));
  const int count = int(rows.couriers.size());
  for (size_t s = 0; s < setup.series.size(); ++s) {
    const ChartSeriesSetup &series = setup.series[s];
    const auto found = rows.columns.find(series.column.toUpper());
    auto valueAt = [&](int r) -> std::optional<double> {
      if (found == rows.columns.end() || r >= int(found->second.size())) return std::nullopt;
      return found->second[size_t(r)];
    };
    double total = 0;
    for (int r = 0; r < count; ++r)
      if (const auto v = valueAt(r)) total += std::abs(*v);
    for (int r = 0; r < count; ++r) {
      const auto v = valueAt(r);
      if (!v) continue;
      ChartBar bar;
      bar.series = series.name;
      bar.lane = int(s);
      bar.row = r;
      bar.courier = rows.couriers.at(r);
      bar.value = *v;
      bar.colour = series.colourPerBar ? chartPalette().at(r % chartPalette().size()) : series.colour;
      const QString shown = series.percentMarks ? chartShareText(total > 0 ? std::abs(*v) * 100 / total : 0)
                                                : chartValueText(*v, series.unit);
      bar.mark = bar.courier + QLatin1Char(' ') + shown;
      content.legend.push_back({bar.colour, bar.courier + QLatin1Char(' ') + chartValueText(*v, series.unit), {}});
      content.low = std::min(content.low, *v);
      content.high = std::max(content.high, *v);
      content.bars.push_back(std::move(bar));
    }
  }
  return content;
}

// --------------------------------------------------------------------------------- picture

qreal ChartPicture::xAt(double slot) const {
  return plot.left() + (slot - window.left) / (window.right - window.left) * plot.width();
}

qreal ChartPicture::yAt(double value) const {
  return plot.bottom() - (value - window.bottom) / (window.top - window.bottom) * plot.height();
}

double ChartPicture::slotAt(qreal x) const {
  return window.left + (x - plot.left()) / plot.width() * (window.right - window.left);
}

double ChartPicture::valueAt(qreal y) const {
  return window.bottom + (plot.bottom() - y) / plot.height() * (window.top - window.bottom);
}

ChartWindow ChartPicture::windowOf(const QRectF &pixels) const {
  const QRectF r = pixels.normalized().intersected(plot);
  return {slotAt(r.left()), slotAt(r.right()), valueAt(r.bottom()), valueAt(r.top())};
}

ChartPicture chartPicture(const ChartContent &content, QSize size, const std::optional<ChartWindow> &window) {
  ChartPicture pic;
  pic.size = size;
  pic.titleLines = content.titleLines;
  const qreal w = std::max(size.width(), 1), h = std::max(size.height(), 1);
  const QFontMetricsF tm(fonts().title), fm(fonts().text);

  // The legend along the bottom: one entry per point, wrapped onto as many lines as it needs.
  const qreal lineHeight = std::max(fm.height(), kSwatch) + 2;
  qreal x = kLegendPad, y = kLegendPad;
  for (const ChartLegendEntry &e : content.legend) {
    const qreal width = kSwatch + 4 + fm.horizontalAdvance(e.text);
    if (x > kLegendPad && x + width > w - kLegendPad) {
      x = kLegendPad;
      y += lineHeight;
    }
    pic.legend.push_back({e.colour, e.text, QRectF(x, y, width, lineHeight)});
    x += width + kEntryGap;
  }
  const qreal legendHeight = pic.legend.empty() ? 0 : std::ceil(y + lineHeight + kLegendPad);
  pic.legendRect = QRectF(0, h - legendHeight, w, legendHeight);
  for (ChartLegendEntry &e : pic.legend) e.rect.translate(0, pic.legendRect.top());

  pic.titleRect = QRectF(0, kMarginTop, w, std::ceil(tm.height() * std::max<qsizetype>(1, pic.titleLines.size())));
  const qreal plotTop = std::round(pic.titleRect.bottom() + 6 + fm.height() / 2);
  const qreal plotBottom = std::round(std::max(plotTop + 1, pic.legendRect.top() - fm.height() - 8));

  const int intervals = intervalsFor(plotBottom - plotTop);
  pic.whole = wholeWindow(content, intervals);
  pic.window = window.value_or(pic.whole);
  if (!(pic.window.right > pic.window.left)) pic.window.right = pic.window.left + 1e-6;
  if (!(pic.window.top > pic.window.bottom)) pic.window.top = pic.window.bottom + 1e-9;

  // The value axis: round steps, the labels' width decides where the wall begins.
  pic.step = roundStep((pic.window.top - pic.window.bottom) / intervals);
  const int decimals = decimalsOf(pic.step);
  qreal labelWidth = 0;
  const double first = std::ceil(pic.window.bottom / pic.step - 1e-6);
  const double last = std::floor(pic.window.top / pic.step + 1e-6);
  for (double k = first; k <= last && pic.ticks.size() < 100; ++k) {
    const double value = k * pic.step;
    ChartTick tick{value, zfmt::number(value, decimals, true), 0};
    labelWidth = std::max(labelWidth, fm.horizontalAdvance(tick.label));
    pic.ticks.push_back(tick);
  }
  const qreal plotLeft = std::round(kMarginLeft + labelWidth + 6);
  const qreal plotRight = std::round(std::max(plotLeft + 1, w - kMarginRight));
  pic.plot = QRectF(QPointF(plotLeft, plotTop), QPointF(plotRight, plotBottom));
  for (ChartTick &tick : pic.ticks) tick.y = pic.yAt(tick.value);

  // The courier axis: a label under the middle of each slot in view.
  const qreal slotWidth = pic.plot.width() / (pic.window.right - pic.window.left);
  for (int r = 0; r < int(content.couriers.size()); ++r) {
    const double middle = r + 0.5;
    if (middle < pic.window.left || middle > pic.window.right) continue;
    pic.categories.push_back({r, fm.elidedText(content.couriers.at(r), Qt::ElideRight, std::max<qreal>(slotWidth - 2, 8)),
                              QRectF(pic.xAt(r), pic.plot.bottom() + 3, slotWidth, fm.height())});
  }

  // Bars: the slot's lanes side by side; only what reaches into the window is drawn, cut to it.
  const qreal across = (pic.whole.right - pic.whole.left) / (pic.window.right - pic.window.left);
  const qreal maxDepth = std::min(kMaxZoomedDepth, kMaxDepth * std::max<qreal>(1, across));
  const double lane = kBarShare / content.lanes;
  std::vector<QRectF> placed;
  for (const ChartBar &source : content.bars) {
    const double left = source.row + (1 - kBarShare) / 2 + source.lane * lane, right = left + lane;
    const double low = std::min(0.0, source.value), high = std::max(0.0, source.value);
    if (right <= pic.window.left || left >= pic.window.right || high < pic.window.bottom || low > pic.window.top)
      continue;
    const QRectF whole(QPointF(std::round(pic.xAt(left)), std::round(pic.yAt(high))),
                       QPointF(std::round(pic.xAt(right)), std::round(pic.yAt(low))));
    ChartBar bar = source;
    bar.rect = QRectF(QPointF(std::max(whole.left(), pic.plot.left()), std::max(whole.top(), pic.plot.top())),
                      QPointF(std::min(whole.right(), pic.plot.right()), std::min(whole.bottom(), pic.plot.bottom())));
    bar.depth = std::min(maxDepth, whole.width() * kDepthShare);
    pic.bars.push_back(bar);

    // The mark, on a pointer from the bar's end, lifted clear of the marks placed before it.
    const bool up = source.value >= 0;
    const double end = source.value;
    if (end < pic.window.bottom || end > pic.window.top || whole.center().x() < pic.plot.left() ||
        whole.center().x() > pic.plot.right())
      continue;
    ChartMark mark;
    mark.text = source.mark;
    mark.bar = int(pic.bars.size()) - 1;
    mark.anchor = QPointF(std::round(whole.center().x() + bar.depth / 2), up ? whole.top() - bar.depth / 2 : whole.bottom());
    QRectF box(0, 0, std::ceil(fm.horizontalAdvance(mark.text)) + 6, std::ceil(fm.height()) + 2);
    box.moveLeft(std::round(mark.anchor.x() + 0.5 - box.width() / 2));
    if (up) box.moveBottom(mark.anchor.y() - kPointerLength);
    else box.moveTop(mark.anchor.y() + kPointerLength);
    if (box.right() > w - 1) box.moveRight(w - 1);
    if (box.left() < 1) box.moveLeft(1);
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
    mark.box = box;
    pic.marks.push_back(mark);
  }
  return pic;
}

// ----------------------------------------------------------------------------------- paint

void paintChart(QPainter &p, const ChartPicture &pic) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const QRectF all(QPointF(0, 0), QSizeF(pic.size));
  p.fillRect(all, zdlg::toQColor(zcolour::BtnFace));
  p.setPen(Qt::black);
  p.setFont(fonts().title);
  p.drawText(pic.titleRect, Qt::AlignHCenter | Qt::AlignTop, pic.titleLines.join(QLatin1Char('\n')));

  // The white back wall, its grid lines and the value axis' labels.
  const QRectF &plot = pic.plot;
  p.fillRect(plot, Qt::white);
  p.setFont(fonts().text);
  const qreal textHeight = QFontMetricsF(fonts().text).height();
  for (const ChartTick &tick : pic.ticks) {
    const qreal y = std::round(tick.y) - 0.5;
    p.setPen(QPen(tick.value == 0 && pic.window.bottom < 0 ? kWallEdge : kGridLine, 1));
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(Qt::black);
    p.drawText(QRectF(0, tick.y - textHeight / 2, plot.left() - 6, textHeight), Qt::AlignRight | Qt::AlignVCenter,
               tick.label);
  }
  p.setPen(QPen(kWallEdge, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot.adjusted(0.5, 0.5, -0.5, -0.5));

  // Bars slot by slot, the lanes of a slot from left to right, so that a bar's front face covers
  // the side face of the bar on its left.
  std::vector<size_t> order(pic.bars.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::pair(pic.bars[a].row, pic.bars[a].lane) < std::pair(pic.bars[b].row, pic.bars[b].lane);
  });
  p.save();
  p.setClipRect(plot);
  for (size_t i : order) {
    const ChartBar &bar = pic.bars[i];
    const QRectF &f = bar.rect;
    const QPointF back(bar.depth, -bar.depth);
    const QPen edge(bar.colour.darker(250), 1);
    p.setPen(edge);
    p.setBrush(bar.colour.lighter(130));
    p.drawPolygon(QPolygonF({f.topLeft(), f.topRight(), f.topRight() + back, f.topLeft() + back}));
    p.setBrush(bar.colour.darker(160));
    p.drawPolygon(QPolygonF({f.topRight(), f.topRight() + back, f.bottomRight() + back, f.bottomRight()}));
    p.fillRect(f, bar.colour);
    p.setBrush(Qt::NoBrush);
    if (f.width() >= 1 && f.height() >= 1) p.drawRect(f.adjusted(0.5, 0.5, -0.5, -0.5));
  }
  p.restore();

  p.setPen(Qt::black);
  for (const ChartCategory &c : pic.categories) p.drawText(c.rect, Qt::AlignHCenter | Qt::AlignTop, c.text);

  // Pointers first: one that passes behind another mark (lifted over it) does not cross its text.
  p.setPen(QPen(Qt::black, 1));
  for (const ChartMark &mark : pic.marks) {
    const bool up = mark.box.bottom() <= mark.anchor.y();
    const qreal x = mark.anchor.x() + 0.5;  // the middle of the anchor's pixel column
    p.drawLine(QPointF(x, mark.anchor.y()), QPointF(x, up ? mark.box.bottom() : mark.box.top()));
  }
  p.setBrush(kMarkBack);
  for (const ChartMark &mark : pic.marks) {
    p.drawRect(mark.box.adjusted(0.5, 0.5, -0.5, -0.5));
    p.drawText(mark.box, Qt::AlignCenter, mark.text);
  }

  if (!pic.legend.empty()) {
    p.fillRect(pic.legendRect, Qt::white);
    p.setPen(QPen(kWallEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pic.legendRect.adjusted(0.5, 0.5, -0.5, -0.5));
    for (const ChartLegendEntry &e : pic.legend) {
      const QRectF swatch(e.rect.left(), std::round(e.rect.center().y() - kSwatch / 2), kSwatch, kSwatch);
      p.fillRect(swatch, e.colour);
      p.setPen(QPen(Qt::black, 1));
      p.drawRect(swatch.adjusted(0.5, 0.5, -0.5, -0.5));
      p.drawText(e.rect.adjusted(kSwatch + 4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, e.text);
    }
  }
  p.restore();
}

}  // namespace zboard
