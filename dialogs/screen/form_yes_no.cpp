#include "form_yes_no.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/dialog_values.h"

TFormYsNo::TFormYsNo(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormYsNo"));
  setWindowTitle(QStringLiteral("Mesaj Kutusu"));
  setFixedSize(481, 220);

  // Transparent until a caller gives it a colour, so the frame's lime shows through.
  Label1 = zdlg::addMessageFrame(this, QRect(3, 3, 477, 143), &ScrollBox1);

  Button1 = zdlg::addBoxButton(this, QStringLiteral("Button1"), QStringLiteral("Evet"), QRect(24, 152, 145, 65));
  connect(Button1, &QPushButton::clicked, this, &TFormYsNo::Button1Click);
  Button2 = zdlg::addBoxButton(this, QStringLiteral("Button2"), QStringLiteral("Hayır"), QRect(312, 152, 145, 65));
  connect(Button2, &QPushButton::clicked, this, &TFormYsNo::Button2Click);

  placement_ = new zdlg::BoxPlacement(this, size());
  placement_->widgets().addGeometry(ScrollBox1);
  placement_->widgets().add(Label1);
  placement_->widgets().add(Button1);
  placement_->widgets().add(Button2);
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
  placement_->place();
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
