#pragma once
#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QRect;
class QWidget;

namespace zdlg {

// A font of the given face and pixel size; a missing face falls back to the nearest of the hint.
QFont pixelFont(const QString &family, int pixelSize, QFont::StyleHint hint);

// Message texts carry CR LF line breaks; labels break lines on "\n" only.
QString displayText(const QString &message);

// A 0xRRGGBB value of zcolour, the button-face marker resolved from the platform palette.
QColor toQColor(quint32 rgb);

// The lime message frame `ScrollBox1` of a message box at `frame`, and its `Label1` filling it:
// plain text, Arial 29 px, centred, from the top, wrapped at word boundaries and cut off at the
// frame's bottom (the box never grows).
QLabel *addMessageFrame(QWidget *box, const QRect &frame, QFrame **scrollBox);

// A message box button: caption in Times New Roman 33 px.
QPushButton *addBoxButton(QWidget *box, const QString &objectName, const QString &caption, const QRect &geometry);

}  // namespace zdlg
