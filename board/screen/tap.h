#pragma once
#include <QObject>
#include <functional>

class QWidget;

namespace zboard {

// Calls `tapped` when the operator taps `area` (a press and release of the left button, or of a
// finger, inside it), also on a child that passes its taps on, such as a label. `context` owns
// the handler.
void onTap(QWidget *area, QObject *context, std::function<void()> tapped);

}  // namespace zboard
