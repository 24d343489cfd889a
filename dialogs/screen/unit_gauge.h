#pragma once
#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

#include "box_support.h"
#include "screen_fit.h"

class QTimer;

// A horizontal bar from 0 to a maximum with its percentage in the middle, the text drawn by
// inverting what lies beneath it so it stays readable on both the empty and the filled part.
class TGauge : public QWidget {
  Q_OBJECT

 public:
  explicit TGauge(QWidget *parent = nullptr);

  int minValue() const { return 0; }
  int maxValue() const { return maxValue_; }
  // A negative maximum is taken as 0; a progress above the new maximum drops to it.
  void setMaxValue(int maximum);
  int progress() const { return progress_; }
  // Kept within [0, maximum].
  void setProgress(int value);
  // The filled share as a whole percentage, rounded down; 0 with a maximum of 0.
  int percentDone() const;
  QString percentText() const;

  QColor foreColour() const { return foreColour_; }
  void setForeColour(const QColor &colour);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  int maxValue_ = 100;
  int progress_ = 0;
  QColor foreColour_ = Qt::black;
};

// Progress window of the closing run. It is not told about progress: every 100 ms it samples
// the current row numbers of the order query and the lines query, and it hides itself at the
// first tick that finds no current order.
class TFormgauge : public QWidget {
  Q_OBJECT

 public:
  explicit TFormgauge(QWidget *parent = nullptr);

  // 1-based current row numbers, 0 when the query is closed or empty. Unset sources read 0.
  void setRowSources(std::function<int()> orders, std::function<int()> lines);
  // The board: the window is centred on the work area of the board's screen.
  void setBoard(QWidget *board) { placement_->setBoard(board); }
  zdlg::BoxPlacement *placement() const { return placement_; }

  TGauge *gauge1() const { return Gauge1; }  // orders, lime
  TGauge *gauge2() const { return Gauge2; }  // lines of the current order, red
  QTimer *timer1() const { return Timer1; }

 public slots:
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void FormShow();

  TGauge *Gauge1;
  TGauge *Gauge2;
  QTimer *Timer1;
  std::function<int()> orderRow_;
  std::function<int()> lineRow_;
  zdlg::BoxPlacement *placement_;
};
