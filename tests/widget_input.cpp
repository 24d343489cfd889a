#include "widget_input.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace ztest {

bool waitFor(const std::function<bool()> &done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QTimer pulse;  // keeps WaitForMoreEvents from sleeping past the deadline
  pulse.start(5);
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void spin(int ms) { waitFor([] { return false; }, ms); }

void click(QWidget *target, QPoint at, Qt::MouseButton button) {
  const QPointF local(at), global(target->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &press);
  QCoreApplication::sendEvent(target, &release);
}

void drag(QWidget *target, QPoint from, QPoint to, Qt::MouseButton button) {
  auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), type == QEvent::MouseMove ? Qt::NoButton : button,
                      held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
  };
  send(QEvent::MouseButtonPress, from, button);
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) send(QEvent::MouseMove, from + (to - from) * i / kSteps, button);
  send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void tap(QWidget *widget) { click(widget, widget->rect().center()); }

void pressKey(QWidget *target, int key, const QString &text, Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  QCoreApplication::sendEvent(target, &release);
}

}  // namespace ztest
