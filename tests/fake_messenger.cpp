#include "fake_messenger.h"

#include <QCoreApplication>

#include "dialogs/dialog_values.h"

namespace ztest {

void FakeMessenger::showInformation() {
  events << QStringLiteral("info:") + zdlg::DialogMessage;
  informations << zdlg::DialogMessage;
  if (onInformation) onInformation();
}

void FakeMessenger::showQuestion() {
  events << QStringLiteral("question:") + zdlg::DialogMessage;
  questions << zdlg::DialogMessage;
  questionColoursShown << questionColour;
  int a = 0;
  if (!answers.empty()) {
    a = answers.front();
    answers.pop_front();
  }
  zdlg::DialogAnswer = a;
}

void FakeMessenger::setQuestionLabelColour(quint32 rgb) {
  questionColour = rgb;
  events << QStringLiteral("colour:%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

void FakeMessenger::showPlainMessage(const QString &text) { events << QStringLiteral("plain:") + text; }

void FakeMessenger::showError(const QString &text) {
  events << QStringLiteral("error:") + text;
  errors << text;
  if (onError) onError();
}

void FakeMessenger::processEvents() {
  ++processed;
  if (onProcessEvents) onProcessEvents();
  QCoreApplication::processEvents();
}

void FakeMessenger::setOrdersMaximum(int maximum) {
  ordersMaximum = maximum;
  events << QStringLiteral("orders:%1").arg(maximum);
}

void FakeMessenger::setLinesMaximum(int maximum) {
  linesMaximum = maximum;
  events << QStringLiteral("lines:%1").arg(maximum);
}

void FakeMessenger::showProgress() {
  progressShown = true;
  events << QStringLiteral("progress:show");
}

void FakeMessenger::closeProgress() {
  progressShown = false;
  events << QStringLiteral("progress:close");
}

}  // namespace ztest
