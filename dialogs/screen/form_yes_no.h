#pragma once
#include <QDialog>

#include "box_support.h"
#include "screen_fit.h"

class QFrame;
class QLabel;
class QPushButton;

// Yes/no box: shows DialogMessage modally; "Evet" leaves DialogAnswer 1, "Hayır" 0.
class TFormYsNo : public QDialog {
  Q_OBJECT

 public:
  explicit TFormYsNo(QWidget *parent = nullptr);

  // The main window the box is centred over on its first showing (screen centre without one).
  void setAnchor(QWidget *mainWindow) { placement_->setAnchor(mainWindow); }
  // The board: while it is up, the box belongs to its screen.
  void setBoard(QWidget *board) { placement_->setBoard(board); }
  zdlg::BoxPlacement *placement() const { return placement_; }

  // Gives Label1 a background of its own (0xRRGGBB or zcolour::BtnFace); kept until the next call.
  void setLabel1Colour(quint32 rgb);
  // The label's background as 0xRRGGBB: its own colour, or the frame's while it has none.
  quint32 label1Colour() const;

  QFrame *scrollBox1() const { return ScrollBox1; }
  QLabel *label1() const { return Label1; }
  QPushButton *button1() const { return Button1; }
  QPushButton *button2() const { return Button2; }

 public slots:
  // Escape and the window manager's close land here; only "Evet" and "Hayır" close the box,
  // so DialogAnswer always comes from a button.
  void reject() override {}

 protected:
  void showEvent(QShowEvent *event) override;

 private slots:
  void Button1Click();
  void Button2Click();

 private:
  void FormShow();

  QFrame *ScrollBox1;
  QLabel *Label1;
  QPushButton *Button1;
  QPushButton *Button2;
  zdlg::BoxPlacement *placement_;
};
