#pragma once
#include <QString>
#include <QtGlobal>

namespace zdlg {

// Everything the headless logic needs from the screen side: the message boxes, the plain
// dialog and error box, the progress window and a way to let pending events run. The screens
// implement it with the real windows; tests implement it with a scripted fake.
class Messenger {
 public:
  virtual ~Messenger() = default;

  // Information box: shows DialogMessage modally until "Tamam".
  virtual void showInformation() = 0;
  // Yes/no box: shows DialogMessage modally; the pressed button sets DialogAnswer.
  virtual void showQuestion() = 0;
  // Background of the yes/no box's message label (0xRRGGBB); kept until a caller changes it.
  virtual void setQuestionLabelColour(quint32 rgb) = 0;
  // The platform's plain message dialog (text and one OK button), used only at start-up.
  virtual void showPlainMessage(const QString &text) = 0;
  // The application's standard error box; the text ends with a full stop.
  virtual void showError(const QString &text) = 0;
  // The error box with a line of the program's own below the error's text, shown as written.
  virtual void showErrorAndNote(const QString &text, const QString &note) {
    showError(text + QLatin1Char('\n') + note);
  }
  // Lets pending window messages and timer ticks run.
  virtual void processEvents() = 0;

  // Progress window: orders bar maximum, lines bar maximum, show without waiting, close.
  virtual void setOrdersMaximum(int maximum) = 0;
  virtual void setLinesMaximum(int maximum) = 0;
  virtual void showProgress() = 0;
  virtual void closeProgress() = 0;
};

// The error box text: the message with a full stop added when it does not end in one.
QString errorBoxText(const QString &message);

}  // namespace zdlg
