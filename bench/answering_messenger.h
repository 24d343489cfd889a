#pragma once
#include <QCoreApplication>
#include <QStringList>
#include <functional>

#include "dialogs/dialog_values.h"
#include "dialogs/messenger.h"

namespace zbench {

// The operator at the board: answers every question "Evet", closes every box at once, and lets the
// event loop run whenever the board lets the progress window move.
class AnsweringMessenger : public zdlg::Messenger {
 public:
  void showInformation() override {
    informations << zdlg::DialogMessage;
    if (onInformation) onInformation();
  }
  void showQuestion() override {
    zdlg::DialogAnswer = 1;
    if (onQuestion) onQuestion();
  }
  void setQuestionLabelColour(quint32) override {}
  void showPlainMessage(const QString &text) override { errors << text; }
  void showError(const QString &text) override { errors << text; }
  void processEvents() override {
    ++processed;
    QCoreApplication::processEvents();
  }
  void setOrdersMaximum(int) override {}
  void setLinesMaximum(int) override {}
  void showProgress() override {}
  void closeProgress() override {}

  void reset() {
    informations.clear();
    errors.clear();
    processed = 0;
    onInformation = nullptr;
    onQuestion = nullptr;
  }

  QStringList informations;
  QStringList errors;
  long processed = 0;
  std::function<void()> onInformation;
  std::function<void()> onQuestion;  // after the answer is given
};

}  // namespace zbench
