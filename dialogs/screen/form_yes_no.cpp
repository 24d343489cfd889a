#include "form_yes_no.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/colours.h"
#include "dialogs/dialog_values.h"

TFormYsNo::TFormYsNo(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormYsNo"));
  setWindowTitle(QStringLiteral("Mesaj Kutusu"));
  setFixedSize(481, 220);

  ScrollBox1 = new QFrame(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setGeometry(3, 3, 477, 143);
  ScrollBox1->setAutoFillBackground(true);
  QPalette framePalette = ScrollBox1->palette();
  framePalette.setColor(QPalette::Window, zdlg::toQColor(zcolour::Lime));
  ScrollBox1->setPalette(framePalette);

  // Transparent until a caller gives it a colour, so the frame's lime shows through.
  Label1 = new QLabel(ScrollBox1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(0, 0, 477, 143);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label1->setWordWrap(true);
  Label1->setFont(zdlg::pixelFont(QStringLiteral("Arial"), 29, QFont::SansSerif));

  const QFont buttonFont = zdlg::pixelFont(QStringLiteral("Times New Roman"), 33, QFont::Serif);
  Button1 = new QPushButton(QStringLiteral("Evet"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(24, 152, 145, 65);
  Button1->setFont(buttonFont);
  connect(Button1, &QPushButton::clicked, this, &TFormYsNo::Button1Click);

  Button2 = new QPushButton(QStringLiteral("Hayır"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(312, 152, 145, 65);
  Button2->setFont(buttonFont);
  connect(Button2, &QPushButton::clicked, this, &TFormYsNo::Button2Click);
}

void TFormYsNo::setLabel1Colour(quint32 rgb) {
  QPalette palette = Label1->palette();
  palette.setColor(QPalette::Window, zdlg::toQColor(rgb));
  Label1->setPalette(palette);
  Label1->setAutoFillBackground(true);
}

quint32 TFormYsNo::label1Colour() const {
  const QWidget *filled = Label1->autoFillBackground() ? static_cast<const QWidget *>(Label1)
                                                        : ScrollBox1;
  return filled->palette().color(QPalette::Window).rgb() & 0xFFFFFFu;
}

void TFormYsNo::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // a window system re-show is not a new question
  placement_.place(this);
  FormShow();
}

void TFormYsNo::FormShow() {
  Label1->setText(zdlg::displayText(zdlg::DialogMessage));
  // "Hayır" holds the focus, so a hasty Enter never confirms.
  Button2->setFocus();
}

void TFormYsNo::Button1Click() {
  zdlg::DialogAnswer = 1;
  accept();
}

void TFormYsNo::Button2Click() {
  zdlg::DialogAnswer = 0;
  accept();
}
