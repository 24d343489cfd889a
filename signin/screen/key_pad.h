#pragma once
#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "signin/connection_startup.h"

class QComboBox;
class QFrame;
class QPushButton;

namespace zboard {
class Board;
}
namespace zdlg {
class BoxPlacement;
}

// The password field: typing stops at the typing limit while the keypad buttons append freely,
// a click selects the whole text, and Enter signs in.
class TPasswordEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TPasswordEdit(QWidget *parent = nullptr);

  int typingLimit() const { return typingLimit_; }
  void setTypingLimit(int limit) { typingLimit_ = limit; }

 signals:
  void clicked();
  void enterPressed();

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  int typingLimit_ = 10;
};

// The keypad sign-in screen and the program's main window: closing it ends the program. On its
// first showing it connects to the database; a signed-in operator is handed to the board.
class TFormKeyPad : public QWidget {
  Q_OBJECT

 public:
  explicit TFormKeyPad(zboard::Board &board, QWidget *parent = nullptr);

  // Where the settings file lies and which port the connection uses (tests point them elsewhere).
  void setStartupOptions(zsignin::StartupOptions options) { startupOptions_ = std::move(options); }
  // Shows the board modally and returns when it closes.
  void setShowBoard(std::function<void()> showBoard) { showBoard_ = std::move(showBoard); }

  // True once the connection start-up has run, with its result.
  bool startupDone() const { return startupDone_; }
  zsignin::StartupResult startupResult() const { return startupResult_; }

  QFrame *panel1() const { return Panel1; }
  TPasswordEdit *edit1() const { return Edit1; }
  QComboBox *comboBox1() const { return ComboBox1; }
  QPushButton *bitBtnOk() const { return BitBtnOk; }
  // Keeps the keypad at its design size where it fits, scaled down where it does not, and wholly
  // in its screen's work area.
  zdlg::BoxPlacement *placement() const { return placement_; }

 public slots:
  void BitBtnOkClick();
  void BitBtn10Click();  // "TERK"

 signals:
  // The keypad was closed: the program ends.
  void closed();

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private slots:
  void FormShow();
  void Edit1Click();
  void BitBtn11Click();          // "<"
  void BitBtnTumunuSilClick();   // "<<<<"

 private:
  QPushButton *addButton(const char *name, const QString &caption, int left, int top, int pixelSize,
                         int height = 68);
  void appendCaption(QPushButton *button);
  QString hostFromLines(const QStringList &lines);

  zboard::Board &board_;
  zsignin::StartupOptions startupOptions_;
  std::function<void()> showBoard_;
  bool shownOnce_ = false;
  bool startupDone_ = false;
  zsignin::StartupResult startupResult_ = zsignin::StartupResult::ProgramEnds;
  bool signingIn_ = false;

  zdlg::BoxPlacement *placement_;
  QFrame *Panel1;
  TPasswordEdit *Edit1;
  QComboBox *ComboBox1;
  QPushButton *BitBtn10, *BitBtnTumunuSil, *BitBtn11, *BitBtnOk, *BitBtn12, *BitBtn13;
  QPushButton *BitBtn0, *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6, *BitBtn7,
      *BitBtn8, *BitBtn9;
};
