#pragma once
#include <QDateEdit>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <vector>

#include "board/board.h"
#include "dialogs/screen/screen_fit.h"

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
  // Rows are 16 design pixels high; this is their height at the board's factor.
  void setRowHeight(int pixels);
  int rowHeight() const { return rowHeight_; }

 signals:
  void userSelected(int index);

 protected:
  void mousePressEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

 private:
  int rowHeight_ = 16;
};

// A push button whose caption wraps onto several lines.
class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;
  // The board's factor: the caption's margins scale with it.
  void setFactor(double factor) {
    factor_ = factor;
    update();
  }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  double factor_ = 1.0;
};

// The delivery-order board screen: renders the headless board's widget models and forwards the
// operator's taps to its commands. Leaving it ("TERK") ends a modal exec() with Accepted.
//
// The board is designed in pixels and asks to be maximized. Whatever client size its
// window gets (from the window manager, the operator, a test; on any screen and at any display
// scaling), its whole design is scaled by one factor, the largest with which the design's client
// area fits, and stands in the middle of the window: positions, sizes, fonts, the grids' rows,
// columns and headers, the summary panel and the charts alike. At the design's client size the
// factor is 1 and the board is exactly as designed.
class TForm1 : public QDialog {
  Q_OBJECT

 public:
  // The form as designed, its frame included.
  static constexpr int DesignWidth = 1032;
  static constexpr int DesignHeight = 776;
  // Its client area: the form less the frame of a Windows window at 100 % (8 pixels at the sides
  // and the bottom, 31 at the top with the caption). The widgets lie within 1011 x 731 of it.
  static constexpr int DesignClientWidth = 1016;
  static constexpr int DesignClientHeight = 737;
  static constexpr QSize designClientSize() { return {DesignClientWidth, DesignClientHeight}; }
  // The factor for a window of this client size, and where the scaled design then lies in it.
  static double factorFor(QSize clientSize);
  static QRect designRectFor(QSize clientSize);

  // The factor the board is laid out at now, and where its scaled design lies in the window.
  double factor() const { return factor_; }
  QRect designRect() const;
  // A point of the design (in design pixels) where it lies in the window now.
  QPoint scaledPoint(QPoint design) const;

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
  void setVisible(bool visible) override;

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  // Lays the board out at the factor of its size now.
  void refit();
  // Lays the board out at `factor` with the design's origin at `origin`.
  void applyFactor(double factor, QPoint origin);
  void scaleLinesGrid();
  void placeHeadings();
  // Moved to another screen, or its screen changed (size, task bar, scaling): fit it again.
  void followScreen();
  // Maximizes the window with its normal geometry the work area of its screen, less the frame.
  void fitNormalGeometry();
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

  double factor_ = 1.0;
  QPoint origin_;
  zdlg::ScaledWidgets designed_;  // the board's own widgets, as designed
  QFont designMenuFont_;
  int designLinesHeader_ = -1;     // CRDBGrid6's title row at the design size, once measured
  zdlg::ScreenFollower *screens_;  // calls followScreen()

  static constexpr int kRedrawInterval = 40;  // ms; fast enough for the eye
  bool inCommand_ = false;
  QTimer *redrawTimer_;
  // What is put off until the next redraw.
  bool gridDue_ = false;
  int firstRowDue_ = -1, lastRowDue_ = -1;
  bool summaryDue_ = false;
  bool linesDue_ = false;
};
