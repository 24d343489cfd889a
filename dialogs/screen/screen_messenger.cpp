#include "screen_messenger.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

#include "form_uyari.h"
#include "form_yes_no.h"
#include "unit_gauge.h"

namespace {
// Texts come from the database and the operator; never let one be taken for markup.
void showBox(QMessageBox::Icon icon, const QString &text) {
  QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}
}  // namespace

ScreenMessenger::ScreenMessenger(TFormgauge &gauge, TFormYsNo &yesNo, TFormUyar &information)
    : gauge_(gauge), yesNo_(yesNo), information_(information) {}

void ScreenMessenger::showInformation() { information_.exec(); }

void ScreenMessenger::showQuestion() { yesNo_.exec(); }

void ScreenMessenger::setQuestionLabelColour(quint32 rgb) { yesNo_.setLabel1Colour(rgb); }

void ScreenMessenger::showPlainMessage(const QString &text) { showBox(QMessageBox::NoIcon, text); }

void ScreenMessenger::showError(const QString &text) {
  showBox(QMessageBox::Critical, zdlg::errorBoxText(text));
}

void ScreenMessenger::showErrorAndNote(const QString &text, const QString &note) {
  showBox(QMessageBox::Critical, zdlg::errorBoxText(text) + QLatin1Char('\n') + note);
}

void ScreenMessenger::processEvents() { QCoreApplication::processEvents(); }

void ScreenMessenger::setOrdersMaximum(int maximum) { gauge_.gauge1()->setMaxValue(maximum); }

void ScreenMessenger::setLinesMaximum(int maximum) { gauge_.gauge2()->setMaxValue(maximum); }

void ScreenMessenger::showProgress() {
  gauge_.show();
  gauge_.raise();
  QCoreApplication::processEvents();  // paint it before the run blocks the event loop
}

void ScreenMessenger::closeProgress() {
  gauge_.timer1()->stop();
  gauge_.hide();
}
