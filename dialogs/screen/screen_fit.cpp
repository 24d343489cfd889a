#include "screen_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace zdlg {

int scaledLength(int design, double factor) {
  if (design == 0) return 0;
  const int v = qRound(design * factor);
  if (v == 0) return design > 0 ? 1 : -1;
  return v;
}

int scaledSpan(int start, int length, double factor) {
  if (length <= 0) return 0;
  return std::max(1, qRound((start + length) * factor) - qRound(start * factor));
}

QRect scaledRect(const QRect &design, double factor, QPoint origin) {
  return QRect(origin.x() + qRound(design.x() * factor), origin.y() + qRound(design.y() * factor),
               scaledSpan(design.x(), design.width(), factor), scaledSpan(design.y(), design.height(), factor));
}

QFont scaledFont(const QFont &design, double factor) {
  QFont font = design;
  if (factor == 1.0) return font;
  if (design.pixelSize() > 0) {
    font.setPixelSize(std::max(1, qRound(design.pixelSize() * factor)));
  } else if (design.pointSizeF() > 0) {
    font.setPointSizeF(std::max(1.0, design.pointSizeF() * factor));
  }
  return font;
}

// ------------------------------------------------------------------------------ ScaledWidgets

void ScaledWidgets::add(QWidget *widget) { items_.push_back({widget, widget->geometry(), widget->font()}); }

void ScaledWidgets::addGeometry(QWidget *widget) { items_.push_back({widget, widget->geometry(), std::nullopt}); }

void ScaledWidgets::addFont(QWidget *widget) { items_.push_back({widget, std::nullopt, widget->font()}); }

void ScaledWidgets::apply(double factor, QPoint origin) const {
  for (const Item &item : items_) {
    if (!item.widget) continue;
    if (item.font) item.widget->setFont(scaledFont(*item.font, factor));
    if (item.geometry) item.widget->setGeometry(scaledRect(*item.geometry, factor, origin));
  }
}

// ------------------------------------------------------------------------------ frame margins

namespace {

// A Windows 10/11 window at 100 %: the sizing border, and the caption above.
const QMargins kWindowsFrame(8, 31, 8, 8);

QMargins &seenFrame(bool tool) {
  static QMargins titled, toolWindow;
  return tool ? toolWindow : titled;
}

}  // namespace

QMargins expectedFrameMargins(const QWidget *window) {
  if (window->windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
  const bool tool = window->windowType() == Qt::Tool;
  if (const QWindow *handle = window->windowHandle()) {
    const QMargins m = handle->frameMargins();
    if (!m.isNull()) {
      seenFrame(tool) = m;
      return m;
    }
    // Windows knows a window's frame as soon as the window exists; X11 only once the window
    // manager has framed it on the screen. Until then it reads as none.
    const bool toldLate = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!toldLate || handle->isVisible()) return m;
  }
  if (!seenFrame(tool).isNull()) return seenFrame(tool);
  if (!seenFrame(!tool).isNull()) return seenFrame(!tool);
  return kWindowsFrame;
}

double fitDownFactor(QSize design, const QMargins &frame, const QRect &workArea) {
  if (design.isEmpty() || workArea.isEmpty()) return 1.0;
  const double w = workArea.width() - frame.left() - frame.right();
  const double h = workArea.height() - frame.top() - frame.bottom();
  const double f = std::min({1.0, w / design.width(), h / design.height()});
  return std::max(f, 0.1);  // a window smaller than that is no use; it stays readable at least
}

// ----------------------------------------------------------------------------- ScreenFollower

ScreenFollower::ScreenFollower(QWidget *window, std::function<void()> changed)
    : QObject(window), window_(window), changed_(std::move(changed)) {}

void ScreenFollower::watch(QScreen *screen) {
  // A native window is made again at times (a change of its flags): each one is watched once.
  if (QWindow *handle = window_->windowHandle(); handle && !handle->property("zdlgFollowed").toBool()) {
    handle->setProperty("zdlgFollowed", true);
    connect(handle, &QWindow::screenChanged, this, [this](QScreen *s) {
      watch(s);
      later();
    });
  }
  if (!screen || screen == watched_) return;
  if (watched_) disconnect(watched_, nullptr, this, nullptr);
  watched_ = screen;
  connect(screen, &QScreen::availableGeometryChanged, this, &ScreenFollower::later);
  connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ScreenFollower::later);
}

void ScreenFollower::later() {
  QMetaObject::invokeMethod(this, [this] { changed_(); }, Qt::QueuedConnection);
}

// ------------------------------------------------------------------------------- BoxPlacement

BoxPlacement::BoxPlacement(QWidget *window, QSize design)
    : QObject(window), window_(window), design_(design), screens_(new ScreenFollower(window, [this] { follow(); })) {
  window_->installEventFilter(this);
}

QScreen *BoxPlacement::targetScreen() const {
  for (const QWidget *w : {board_.data(), anchor_.data()})
    if (w && w->isVisible() && w->screen()) return w->screen();
  if (QScreen *s = window_->screen()) return s;
  return QGuiApplication::primaryScreen();
}

void BoxPlacement::applyFactor(double factor) {
  factor = std::min(factor, 1.0);
  if (factor == factor_) return;
  factor_ = factor;
  window_->setFixedSize(scaledLength(design_.width(), factor), scaledLength(design_.height(), factor));
  widgets_.apply(factor);
}

void BoxPlacement::place() {
  QScreen *screen = targetScreen();
  if (!screen) return;
  const QRect work = screen->availableGeometry();
  const QMargins frame = expectedFrameMargins(window_);
  applyFactor(fitDownFactor(design_, frame, work));

  QRect outer(window_->pos(), window_->size().grownBy(frame));
  if (placed_ && work.contains(outer)) return;  // a later showing keeps its place where it fits
  QRect area = work;
  if (!centreOnScreen_) {
    for (const QWidget *w : {board_.data(), anchor_.data()}) {
      if (!w || !w->isVisible()) continue;
      area = w->frameGeometry();  // the anchor's screen is the target screen
      break;
    }
  }
  outer.moveCenter(area.center());
  // Wholly in the work area, even when the anchor is near its edge.
  outer.moveLeft(std::clamp(outer.left(), work.left(), std::max(work.left(), work.right() + 1 - outer.width())));
  outer.moveTop(std::clamp(outer.top(), work.top(), std::max(work.top(), work.bottom() + 1 - outer.height())));
  window_->move(outer.topLeft());  // a top-level window's position is its frame's
  placed_ = true;
  screens_->watch(screen);
}

void BoxPlacement::follow() {
  if (following_ || !placed_ || !window_->isVisible()) return;
  following_ = true;
  QScreen *screen = targetScreen();
  if (screen) {
    const QRect work = screen->availableGeometry();
    const QMargins frame = expectedFrameMargins(window_);
    const double f = fitDownFactor(design_, frame, work);
    const QRect outer(window_->pos(), window_->size().grownBy(frame));
    if (f != factor_ || !work.contains(outer)) {
      placed_ = false;  // centred again where it no longer fits
      place();
    }
  }
  following_ = false;
}

bool BoxPlacement::eventFilter(QObject *watched, QEvent *event) {
  if (watched == window_) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
        // The window system tells the real frame only once the window is on the screen.
        if (placed_ && window_->isVisible() && !following_)
          QMetaObject::invokeMethod(this, &BoxPlacement::follow, Qt::QueuedConnection);
        break;
      default: break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace zdlg
