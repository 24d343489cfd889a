#include "form_uyari.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/colours.h"
#include "dialogs/dialog_values.h"

TFormUyar::TFormUyar(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormUyar"));
  setWindowTitle(QStringLiteral("Bilgilendirme"));
  setFixedSize(481, 221);

  ScrollBox1 = new QFrame(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setGeometry(2, 3, 477, 137);
  ScrollBox1->setAutoFillBackground(true);
  QPalette framePalette = ScrollBox1->palette();
  framePalette.setColor(QPalette::Window, zdlg::toQColor(zcolour::Lime));
  ScrollBox1->setPalette(framePalette);

  // Fixed to the frame: a long text wraps and its end is cut off instead of growing the box.
  Label1 = new QLabel(ScrollBox1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(0, 0, 477, 137);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label1->setWordWrap(true);
  Label1->setFont(zdlg::pixelFont(QStringLiteral("Arial"), 29, QFont::SansSerif));
  Label1->setAutoFillBackground(true);
  Label1->setPalette(framePalette);

  Button1 = new QPushButton(QStringLiteral("Tamam"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(168, 144, 145, 65);
  Button1->setFont(zdlg::pixelFont(QStringLiteral("Times New Roman"), 33, QFont::Serif));
  connect(Button1, &QPushButton::clicked, this, &TFormUyar::Button1Click);
}

void TFormUyar::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // a window system re-show is not a new message
  placement_.place(this);
  FormShow();
}

void TFormUyar::FormShow() {
  Label1->setText(zdlg::displayText(zdlg::DialogMessage));
  Button1->setFocus();
}

void TFormUyar::Button1Click() { accept(); }
