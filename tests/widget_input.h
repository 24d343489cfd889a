#pragma once
#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>

class QWidget;

// Operator input and waiting for the widget tests: events sent the way the window system
// delivers them, without a real pointer or keyboard.
namespace ztest {

// Lets events run until `done` holds or `timeoutMs` passes; returns whether it held.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 15000);
// Lets events run for `ms` milliseconds.
void spin(int ms);
// A press and a release of `button` at `at` inside `target`.
void click(QWidget *target, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// A press at `from`, moves on the way and a release at `to`, with `button` held.
void drag(QWidget *target, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);
// One tap in the middle of the widget.
void tap(QWidget *widget);
// A key press and release.
void pressKey(QWidget *target, int key, const QString &text = {},
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The colour of one pixel as 0xRRGGBB.
inline quint32 rgbAt(const QImage &image, QPoint at) { return image.pixel(at) & 0xFFFFFFu; }

}  // namespace ztest
