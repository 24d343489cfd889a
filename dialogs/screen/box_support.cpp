#include "box_support.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "dialogs/colours.h"

namespace zdlg {

void FirstShowPlacement::place(QWidget *window) {
  if (placed_) return;
  placed_ = true;
  QRect area;
  if (anchor_ && anchor_->isVisible()) {
    area = anchor_->frameGeometry();
  } else {
    QScreen *screen = anchor_ ? anchor_->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    area = screen->geometry();
  }
  QRect frame(QPoint(0, 0), window->frameGeometry().size());
  frame.moveCenter(area.center());
  window->move(frame.topLeft());
}

QFont pixelFont(const QString &family, int pixelSize, QFont::StyleHint hint) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixelSize);
  return font;
}

QString displayText(const QString &message) {
  QString text = message;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));  // a lone CR breaks the line as well
  return text;
}

QColor toQColor(quint32 rgb) {
  if (rgb == zcolour::BtnFace) return QApplication::palette().color(QPalette::Button);
  return QColor::fromRgb(rgb & 0xFFFFFFu);
}

}  // namespace zdlg
