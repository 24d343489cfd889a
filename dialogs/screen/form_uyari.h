#pragma once
#include <QDialog>

#include "box_support.h"
#include "screen_fit.h"

class QFrame;
class QLabel;
class QPushButton;

// Information box: shows DialogMessage modally until the operator taps "Tamam".
class TFormUyar : public QDialog {
  Q_OBJECT

 public:
  explicit TFormUyar(QWidget *parent = nullptr);

  // The main window the box is centred over on its first showing (screen centre without one).
  void setAnchor(QWidget *mainWindow) { placement_->setAnchor(mainWindow); }
  // The board: while it is up, the box belongs to its screen.
  void setBoard(QWidget *board) { placement_->setBoard(board); }
  zdlg::BoxPlacement *placement() const { return placement_; }

  QFrame *scrollBox1() const { return ScrollBox1; }
  QLabel *label1() const { return Label1; }
  QPushButton *button1() const { return Button1; }

 public slots:
  // Escape and the window manager's close land here; only "Tamam" closes the box.
  void reject() override {}

 protected:
  void showEvent(QShowEvent *event) override;

 private slots:
  void Button1Click();

 private:
  void FormShow();

  QFrame *ScrollBox1;
  QLabel *Label1;
  QPushButton *Button1;
  zdlg::BoxPlacement *placement_;
};
