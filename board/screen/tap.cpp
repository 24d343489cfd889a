#include "tap.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QWidget>

namespace zboard {

namespace {

class TapFilter : public QObject {
 public:
  TapFilter(QWidget *area, QObject *context, std::function<void()> tapped)
      : QObject(context), area_(area), tapped_(std::move(tapped)) {}

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      pressed_ = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    } else if (event->type() == QEvent::MouseButtonRelease && pressed_) {
      pressed_ = false;
      auto *w = static_cast<QWidget *>(watched);
      const QPoint at = w->mapTo(area_->window(), static_cast<QMouseEvent *>(event)->position().toPoint());
      const QRect inside(area_->mapTo(area_->window(), QPoint(0, 0)), area_->size());
      if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && inside.contains(at)) tapped_();
    }
    return false;
  }

 private:
  QWidget *area_;
  std::function<void()> tapped_;
  bool pressed_ = false;
};

}  // namespace

void onTap(QWidget *area, QObject *context, std::function<void()> tapped) {
  auto *filter = new TapFilter(area, context, std::move(tapped));
  // A scroll area's taps land on what it shows and on its viewport, not on the area itself.
  area->installEventFilter(filter);
  if (auto *scroll = qobject_cast<QScrollArea *>(area)) {
    scroll->viewport()->installEventFilter(filter);
    if (scroll->widget()) scroll->widget()->installEventFilter(filter);
  }
}

}  // namespace zboard
