#include "unit_gauge.h"

#include <QImage>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

#include "dialogs/colours.h"

TGauge::TGauge(QWidget *parent) : QWidget(parent) {
  // Antialiased glyph edges would invert to stray colours; whole pixels invert cleanly.
  // The widget's own font, so that the progress window scales it with the rest.
  QFont textFont = zdlg::pixelFont(QStringLiteral("MS Sans Serif"), 11, QFont::SansSerif);
  textFont.setStyleStrategy(QFont::NoAntialias);
  setFont(textFont);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGauge::setMaxValue(int maximum) {
  maximum = std::max(maximum, 0);
  if (maximum == maxValue_) return;
  maxValue_ = maximum;
  progress_ = std::min(progress_, maxValue_);
  update();
}

void TGauge::setProgress(int value) {
  value = std::clamp(value, 0, maxValue_);
  if (value == progress_) return;
  progress_ = value;
  update();
}

int TGauge::percentDone() const {
  if (maxValue_ <= 0) return 0;
  return int(qint64(progress_) * 100 / maxValue_);
}

QString TGauge::percentText() const { return QString::number(percentDone()) + QLatin1Char('%'); }

void TGauge::setForeColour(const QColor &colour) {
  foreColour_ = colour;
  update();
}

void TGauge::paintEvent(QPaintEvent *) {
  // Composed in an image: XOR raster operations are only guaranteed on a raster image.
  const qreal ratio = devicePixelRatioF();
  QImage image(size() * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  {
    QPainter p(&image);
    const QRect all = rect();
    p.fillRect(all, Qt::black);  // thin single-line border
    const QRect inner = all.adjusted(1, 1, -1, -1);
    p.fillRect(inner, Qt::white);
    if (maxValue_ > 0 && progress_ > 0) {
      const int width = int(qint64(inner.width()) * progress_ / maxValue_);
      p.fillRect(QRect(inner.topLeft(), QSize(width, inner.height())), foreColour_);
    }
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(inner, Qt::AlignCenter, percentText());
  }
  QPainter(this).drawImage(0, 0, image);
}

TFormgauge::TFormgauge(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool) {
  setObjectName(QStringLiteral("Formgauge"));
  setFixedSize(567, 36);

  Gauge2 = new TGauge(this);
  Gauge2->setObjectName(QStringLiteral("Gauge2"));
  Gauge2->setGeometry(0, 0, 567, 11);
  Gauge2->setForeColour(zdlg::toQColor(zcolour::Red));

  Gauge1 = new TGauge(this);
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setGeometry(0, 13, 567, 23);
  Gauge1->setForeColour(zdlg::toQColor(zcolour::Lime));

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &TFormgauge::Timer1Timer);

  placement_ = new zdlg::BoxPlacement(this, size());
  placement_->setCentreOnScreen(true);
  placement_->widgets().add(Gauge2);
  placement_->widgets().add(Gauge1);
}

void TFormgauge::setRowSources(std::function<int()> orders, std::function<int()> lines) {
  orderRow_ = std::move(orders);
  lineRow_ = std::move(lines);
}

void TFormgauge::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  placement_->place();
  FormShow();
}

void TFormgauge::FormShow() { Timer1->start(); }

void TFormgauge::Timer1Timer() {
  const int orderRow = orderRow_ ? orderRow_() : 0;
  Gauge1->setProgress(orderRow);
  Gauge2->setProgress(lineRow_ ? lineRow_() : 0);
  if (orderRow < 1) {
    Timer1->stop();
    hide();
  }
}
