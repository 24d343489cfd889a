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

void tap(QWidget *widget) { click(widget, widget->rect().center()); }

void pressKey(QWidget *target, int key, const QString &text, Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  QCoreApplication::sendEvent(target, &release);
}

}  // namespace ztest
