#pragma once
#include <QStringList>
#include <deque>
#include <functional>

#include "dialogs/messenger.h"

namespace ztest {

// Scripted stand-in for the message boxes: records every text shown, in order, and answers
// questions from a queue ("Hayır" when the queue is empty).
class FakeMessenger : public zdlg::Messenger {
 public:
  void showInformation() override;
  void showQuestion() override;
  void setQuestionLabelColour(quint32 rgb) override;
  void showPlainMessage(const QString &text) override;
  void showError(const QString &text) override;
  void processEvents() override;
  void setOrdersMaximum(int maximum) override;
  void setLinesMaximum(int maximum) override;
  void showProgress() override;
  void closeProgress() override;

  void answer(int dialogAnswer) { answers.push_back(dialogAnswer); }

  // Every event as text: "info:...", "question:...", "plain:...", "error:...", "colour:RRGGBB",
  // "progress:show", "progress:close", "orders:N", "lines:N".
  QStringList events;
  QStringList informations;  // texts of the information box
  QStringList questions;     // texts of the yes/no box
  QStringList errors;        // texts of the error box
  std::deque<int> answers;
  quint32 questionColour = 0x00FF00;
  QList<quint32> questionColoursShown;  // label colour at each question
  bool progressShown = false;
  int ordersMaximum = -1;
  int linesMaximum = -1;
  int processed = 0;
  // Called at every processEvents, e.g. to inject a fault in the middle of a run.
  std::function<void()> onProcessEvents;
  // Called when the information box is shown.
  std::function<void()> onInformation;
  // Called when the error box is shown.
  std::function<void()> onError;
};

}  // namespace ztest
