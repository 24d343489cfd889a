// Tahsilmatik: closes the couriers' open delivery orders of a restaurant in its shared database.
#include <QApplication>
#include <QDateTime>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "board/board.h"
#include "board/screen/paket_islemleri.h"
#include "dialogs/screen/form_uyari.h"
#include "dialogs/screen/form_yes_no.h"
#include "dialogs/screen/qt_turkish.h"
#include "dialogs/screen/screen_messenger.h"
#include "dialogs/screen/unit_gauge.h"
#include "signin/screen/key_pad.h"
#include "slip/printer_settings.h"

namespace {

// The board needs its messenger when it is created, but the boxes that carry the messages are
// created after it (the screens come into being in a fixed order); this hands the calls on once
// they exist.
class LateMessenger : public zdlg::Messenger {
 public:
  zdlg::Messenger *target = nullptr;
  void showInformation() override { target->showInformation(); }
  void showQuestion() override { target->showQuestion(); }
  void setQuestionLabelColour(quint32 rgb) override { target->setQuestionLabelColour(rgb); }
  void showPlainMessage(const QString &text) override { target->showPlainMessage(text); }
  void showError(const QString &text) override { target->showError(text); }
  void showErrorAndNote(const QString &text, const QString &note) override {
    target->showErrorAndNote(text, note);
  }
  void processEvents() override { target->processEvents(); }
  void setOrdersMaximum(int maximum) override { target->setOrdersMaximum(maximum); }
  void setLinesMaximum(int maximum) override { target->setLinesMaximum(maximum); }
  void showProgress() override { target->showProgress(); }
  void closeProgress() override { target->closeProgress(); }
};

// Runs the program until the keypad closes; every screen, the board and its connection are gone
// when it returns.
int runProgram(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tahsilmatik"));
  installQtTurkish(app);
  // The program ends when the keypad closes, not when some other window happens to be the last.
  QApplication::setQuitOnLastWindowClosed(false);

  LateMessenger messenger;
  zboard::Board board(messenger);
  board.setClock([] { return QDateTime::currentDateTime(); });
  board.setHostName(zboard::localHostName);

  // The five screens, in this order; the keypad is the main window.
  TFormKeyPad keypad(board);
  TForm1 form1(board);
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;

  ScreenMessenger screens(gauge, yesNo, information);
  messenger.target = &screens;
  gauge.setRowSources([&board] { return board.QueryMainSip.recNo(); },
                      [&board] { return board.QueryTemp.recNo(); });
  // The receipt printer for the courier's slip, when the settings file names one.
  zsignin::StartupOptions startup;
  startup.settingsRead = [&board](const QHash<QString, QString> &settings) {
    board.setSlipPrinter(zslip::printerSettings(settings));
  };
  keypad.setStartupOptions(startup);
  yesNo.setAnchor(&keypad);
  information.setAnchor(&keypad);
  // While the board is up, the boxes and the progress window stand on its screen.
  yesNo.setBoard(&form1);
  information.setBoard(&form1);
  gauge.setBoard(&form1);
  // The keypad, a tool window, would stay stacked above the full-screen board; it cannot be used
  // while the board is up anyway, so it steps aside until the board closes.
  keypad.setShowBoard([&form1, &keypad] {
    keypad.hide();
    form1.exec();
    keypad.show();
    keypad.activateWindow();
  });
  QObject::connect(&keypad, &TFormKeyPad::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);

  keypad.show();
  return app.exec();
}

}  // namespace

int main(int argc, char **argv) {
  const int code = runProgram(argc, argv);
  std::fflush(nullptr);
#ifdef Q_OS_WIN
  // The program's own work is done and its connection closed. What Windows still runs at a
  // process's end, the runtime libraries' own teardown, at times never returned (the C++
  // library's waited for a lock that a thread the exit had already stopped was holding): the
  // till then kept a program without windows. Nothing of ours is left for it to do.
  TerminateProcess(GetCurrentProcess(), UINT(code));
#endif
  return code;
}
