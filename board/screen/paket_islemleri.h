#pragma once
#include <QDateEdit>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <vector>

#include "board/board.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QScrollArea;
class QTableWidget;
class QTimer;
class QToolButton;

namespace zboard {
class CourierCharts;
class PaymentGrid;
}

// The working-date picker: read-only, showing the long Turkish date.
class TurkishDatePicker : public QDateEdit {
  Q_OBJECT

 public:
  explicit TurkishDatePicker(QWidget *parent = nullptr);

 protected:
  QString textFromDateTime(const QDateTime &dateTime) const override;
};

// A list box that tells apart a selection by the operator from a change made by the program.
class SelectionListBox : public QListWidget {
  Q_OBJECT

 public:
  using QListWidget::QListWidget;
  // Shows the items and the selected index without announcing a selection.
  void showModel(const QStringList &items, int itemIndex);

 signals:
  void userSelected(int index);

 protected:
  void mousePressEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
};

// A push button whose caption wraps onto several lines.
class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent *event) override;
};

// The delivery-order board screen: renders the headless board's widget models and forwards the
// operator's taps to its commands. Leaving it ("TERK") ends a modal exec() with Accepted.
class TForm1 : public QDialog {
  Q_OBJECT

 public:
  static constexpr int DesignWidth = 1032;
  static constexpr int DesignHeight = 776;

  explicit TForm1(zboard::Board &board, QWidget *parent = nullptr);
  ~TForm1() override;

  zboard::Board &board() const { return board_; }
  // The start-up result of the last showing.
  zboard::StartupResult lastStartup() const { return lastStartup_; }

  zboard::PaymentGrid *nextGrid1() const { return NextGrid1; }
  QMenu *popupMenu1() const { return PopupMenu1; }
  QAction *hepsiniSec() const { return HepsiniSec; }
  QAction *tumSecimiIptal() const { return TumSecimiIptal; }
  QToolButton *speedButton1() const { return SpeedButton1; }
  QToolButton *speedButton2() const { return SpeedButton2; }
  QToolButton *speedButtonAsagi() const { return SpeedButtonAsagi; }
  QToolButton *speedButtonYukari() const { return SpeedButtonYukari; }
  QTableWidget *crdbGrid6() const { return CRDBGrid6; }
  QScrollArea *scrollBox1() const { return ScrollBox1; }
  QDateEdit *dtpBugun() const { return DTPBugun; }
  QLabel *label2() const { return Label2; }
  SelectionListBox *listBox1() const { return ListBox1; }
  SelectionListBox *listBox2() const { return ListBox2; }
  QPushButton *button1() const { return Button1; }
  QPushButton *bitBtn1() const { return BitBtn1; }
  QPushButton *button2() const { return Button2; }
  zboard::CourierCharts *pageControl1() const { return PageControl1; }
  // The summary panel's run-time labels of the last rebuild, in the model's order.
  const std::vector<QLabel *> &runtimeLabels() const { return runtimeLabels_; }

 public slots:
  // Escape does not leave the board; only "TERK" does.
  void reject() override {}

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  void buildSummaryPanel();
  void buildLinesGrid();
  void FormShow();
  void Button1Click();
  void BitBtn1Click();
  void Button2Click();
  void NextGrid1CellClick(const QModelIndex &index);
  void ScrollBox1Click();

  void renderAll();
  // Grid, summary and lines grid follow the board when it announces a change, or, while one of
  // its commands runs, in one go: when the command ends, before a box opens, and at most every
  // kRedrawInterval while a long command lets pending events run.
  void gridAnnounced();
  void gridRowsAnnounced(int first, int last);
  void summaryAnnounced();
  void linesAnnounced();
  void putOff();
  void redrawPutOff();
  void renderGrid();
  void renderLists();
  void renderCaptions();
  void renderSummary();
  void renderLines();  // CRDBGrid6 from QueryTemp

  zboard::Board &board_;
  zboard::StartupResult lastStartup_ = zboard::StartupResult::Ready;

  zboard::PaymentGrid *NextGrid1;
  QMenu *PopupMenu1;
  QAction *HepsiniSec;
  QAction *TumSecimiIptal;
  QToolButton *SpeedButton1, *SpeedButton2, *SpeedButtonAsagi, *SpeedButtonYukari;
  QTableWidget *CRDBGrid6;
  QScrollArea *ScrollBox1;
  QWidget *summaryContent_;
  QLabel *Label4, *Label5, *Label6;
  QLabel *Label7, *Label8, *Label9, *Label10, *Label11, *Label12, *Label13, *Label14, *Label15;
  QFrame *Shape1, *Shape2, *Shape3, *Shape4;
  TurkishDatePicker *DTPBugun;
  QLabel *Label2;
  SelectionListBox *ListBox1, *ListBox2;
  QPushButton *Button1, *BitBtn1;
  WrappingButton *Button2;
  zboard::CourierCharts *PageControl1;
  std::vector<QLabel *> runtimeLabels_;

  static constexpr int kRedrawInterval = 40;  // ms; fast enough for the eye
  bool inCommand_ = false;
  QTimer *redrawTimer_;
  // What is put off until the next redraw.
  bool gridDue_ = false;
  int firstRowDue_ = -1, lastRowDue_ = -1;
  bool summaryDue_ = false;
  bool linesDue_ = false;
};
