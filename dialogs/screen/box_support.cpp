#include "box_support.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "dialogs/colours.h"

namespace zdlg {

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

QLabel *addMessageFrame(QWidget *box, const QRect &frame, QFrame **scrollBox) {
  auto *frameWidget = new QFrame(box);
  frameWidget->setObjectName(QStringLiteral("ScrollBox1"));
  frameWidget->setGeometry(frame);
  frameWidget->setAutoFillBackground(true);
  QPalette palette = frameWidget->palette();
  palette.setColor(QPalette::Window, toQColor(zcolour::Lime));
  frameWidget->setPalette(palette);

  auto *label = new QLabel(frameWidget);
  label->setObjectName(QStringLiteral("Label1"));
  label->setGeometry(0, 0, frame.width(), frame.height());
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setWordWrap(true);
  label->setFont(pixelFont(QStringLiteral("Arial"), 29, QFont::SansSerif));
  if (scrollBox) *scrollBox = frameWidget;
  return label;
}

QPushButton *addBoxButton(QWidget *box, const QString &objectName, const QString &caption, const QRect &geometry) {
  auto *button = new QPushButton(caption, box);
  button->setObjectName(objectName);
  button->setGeometry(geometry);
  button->setFont(pixelFont(QStringLiteral("Times New Roman"), 33, QFont::Serif));
  return button;
}

}  // namespace zdlg
