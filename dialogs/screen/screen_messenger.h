#pragma once
#include "dialogs/messenger.h"

class QScreen;
class TFormgauge;
class TFormUyar;
class TFormYsNo;

// The messenger of the running program: the information box, the yes/no box and the progress
// window, which the caller creates (in the program's order of screens) and keeps alive.
class ScreenMessenger : public zdlg::Messenger {
 public:
  ScreenMessenger(TFormgauge &gauge, TFormYsNo &yesNo, TFormUyar &information);

  void showInformation() override;
  void showQuestion() override;
  void setQuestionLabelColour(quint32 rgb) override;
  void showPlainMessage(const QString &text) override;
  void showError(const QString &text) override;
  void showErrorAndNote(const QString &text, const QString &note) override;
  void processEvents() override;

  void setOrdersMaximum(int maximum) override;
  void setLinesMaximum(int maximum) override;
  void showProgress() override;
  void closeProgress() override;

 private:
  // Where the boxes stand: the board's screen while it is up, else the keypad's.
  QScreen *boxScreen() const;

  TFormgauge &gauge_;
  TFormYsNo &yesNo_;
  TFormUyar &information_;
};
