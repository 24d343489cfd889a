#include "screen_messenger.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "form_uyari.h"
#include "form_yes_no.h"
#include "screen_fit.h"
#include "unit_gauge.h"

namespace {

// Qt's standard box, sized by Qt to its text; on a small or strongly scaled screen its letters
// get smaller until it lies wholly in the work area of the screen the boxes belong to (the
// board's), and it stands in the middle of that work area.
class FittedMessageBox : public QMessageBox {
 public:
  FittedMessageBox(Icon icon, const QString &text, QScreen *screen)
      : QMessageBox(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok), screen_(screen) {}

 protected:
  void showEvent(QShowEvent *event) override {
    QMessageBox::showEvent(event);  // Qt sizes the box to its text here
    QScreen *screen = screen_ ? screen_.data() : this->screen();
    if (!screen) return;
    const QRect work = screen->availableGeometry();
    const QMargins frame = zdlg::expectedFrameMargins(this);
    auto fits = [&] { return work.contains(QRect(work.topLeft(), size().grownBy(frame))); };
    for (int i = 0; i < 12 && !fits() && font().pixelSize() != 1 && font().pointSizeF() != 1; ++i) {
      setFont(zdlg::scaledFont(font(), 0.85));
      setText(text());  // sizes the box again
    }
    if (!fits()) setFixedSize(size().boundedTo(work.size().shrunkBy(frame)));
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(work.center());
    move(outer.topLeft());
  }

 private:
  QPointer<QScreen> screen_;
};

// Texts come from the database and the operator; never let one be taken for markup.
void showBox(QMessageBox::Icon icon, const QString &text, QScreen *screen) {
  FittedMessageBox box(icon, text, screen);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

ScreenMessenger::ScreenMessenger(TFormgauge &gauge, TFormYsNo &yesNo, TFormUyar &information)
    : gauge_(gauge), yesNo_(yesNo), information_(information) {}

QScreen *ScreenMessenger::boxScreen() const { return information_.placement()->targetScreen(); }

void ScreenMessenger::showInformation() { information_.exec(); }

void ScreenMessenger::showQuestion() { yesNo_.exec(); }

void ScreenMessenger::setQuestionLabelColour(quint32 rgb) { yesNo_.setLabel1Colour(rgb); }

void ScreenMessenger::showPlainMessage(const QString &text) { showBox(QMessageBox::NoIcon, text, boxScreen()); }

void ScreenMessenger::showError(const QString &text) {
  showBox(QMessageBox::Critical, zdlg::errorBoxText(text), boxScreen());
}

void ScreenMessenger::showErrorAndNote(const QString &text, const QString &note) {
  showBox(QMessageBox::Critical, zdlg::errorBoxText(text) + QLatin1Char('\n') + note, boxScreen());
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
