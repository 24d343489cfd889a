#include "form_uyari.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/dialog_values.h"

TFormUyar::TFormUyar(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormUyar"));
  setWindowTitle(QStringLiteral("Bilgilendirme"));
  setFixedSize(481, 221);

  // Filled lime itself, so the frame's colour shows under the text whatever the style does.
  Label1 = zdlg::addMessageFrame(this, QRect(2, 3, 477, 137), &ScrollBox1);
  Label1->setAutoFillBackground(true);
  Label1->setPalette(ScrollBox1->palette());

  Button1 = zdlg::addBoxButton(this, QStringLiteral("Button1"), QStringLiteral("Tamam"), QRect(168, 144, 145, 65));
  connect(Button1, &QPushButton::clicked, this, &TFormUyar::Button1Click);

  placement_ = new zdlg::BoxPlacement(this, size());
  placement_->widgets().addGeometry(ScrollBox1);
  placement_->widgets().add(Label1);
  placement_->widgets().add(Button1);
}

void TFormUyar::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // a window system re-show is not a new message
  placement_->place();
  FormShow();
}

void TFormUyar::FormShow() {
  Label1->setText(zdlg::displayText(zdlg::DialogMessage));
  Button1->setFocus();
}

void TFormUyar::Button1Click() { accept(); }
