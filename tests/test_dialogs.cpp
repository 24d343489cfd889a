// The information box, the yes/no box, the progress window and the messenger on them, offscreen;
// and a board whose messages reach them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <climits>
#include <cmath>
#include <functional>
#include <set>

#include "board/board.h"
#include "board_fixture.h"
#include "dialogs/colours.h"
#include "dialogs/dialog_values.h"
#include "dialogs/screen/form_uyari.h"
#include "dialogs/screen/form_yes_no.h"
#include "dialogs/screen/qt_turkish.h"
#include "dialogs/screen/screen_fit.h"
#include "dialogs/screen/screen_messenger.h"
#include "dialogs/screen/unit_gauge.h"
#include "widget_input.h"

using ztest::waitFor;
using ztest::spin;
using ztest::pressKey;
using ztest::rgbAt;

namespace {

// Runs the dialog modally; `whileOpen` runs inside its event loop. A dialog still open after
// five seconds is closed by force so that a broken button fails the test instead of hanging it.
bool runModal(QDialog &dialog, const std::function<void()> &whileOpen) {
  bool forced = false;
  QTimer::singleShot(0, &dialog, whileOpen);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
    forced = true;
    dialog.done(QDialog::Rejected);
  });
  watchdog.start(5000);
  dialog.exec();
  return !forced;
}

// Pixel colours found inside `area` of `image`.
std::set<quint32> coloursIn(const QImage &image, const QRect &area) {
  std::set<quint32> found;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) found.insert(rgbAt(image, {x, y}));
  return found;
}

void expectToolWindowWithoutButtons(const QWidget &window) {
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_EQ(window.windowType(), Qt::Tool);
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinMaxButtonsHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
}

void expectFixedClientSize(const QWidget &window, QSize size) {
  EXPECT_EQ(window.size(), size);
  EXPECT_EQ(window.minimumSize(), size);
  EXPECT_EQ(window.maximumSize(), size);
}

void expectFont(const QWidget *widget, const QString &family, int pixelSize) {
  EXPECT_EQ(widget->font().family(), family) << widget->objectName().toStdString();
  EXPECT_EQ(widget->font().pixelSize(), pixelSize) << widget->objectName().toStdString();
  EXPECT_EQ(QFontInfo(widget->font()).pixelSize(), pixelSize) << widget->objectName().toStdString();
}

void expectMessageLabel(const QLabel *label, QRect geometry) {
  EXPECT_EQ(label->geometry(), geometry);
  EXPECT_EQ(label->alignment(), Qt::AlignHCenter | Qt::AlignTop);
  EXPECT_TRUE(label->wordWrap());
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  expectFont(label, "Arial", 29);
}

// The value must be 0 when the program starts; nothing before this test answers a box.
TEST(DialogValues, StartEmptyWithAnswerZero) {
  EXPECT_EQ(zdlg::DialogAnswer, 0);
  EXPECT_TRUE(zdlg::DialogMessage.isEmpty());
}

TEST(InformationBox, LayoutCaptionAndFonts) {
  TFormUyar box;
  EXPECT_EQ(box.objectName(), "FormUyar");
  EXPECT_EQ(box.windowTitle(), "Bilgilendirme");
  expectToolWindowWithoutButtons(box);
  expectFixedClientSize(box, {481, 221});

  auto *frame = box.findChild<QFrame *>("ScrollBox1");
  auto *label = box.findChild<QLabel *>("Label1");
  auto *button = box.findChild<QPushButton *>("Button1");
  ASSERT_EQ(frame, box.scrollBox1());
  ASSERT_EQ(label, box.label1());
  ASSERT_EQ(button, box.button1());
  EXPECT_EQ(frame->geometry(), QRect(2, 3, 477, 137));
  EXPECT_EQ(label->parentWidget(), frame);
  expectMessageLabel(label, QRect(0, 0, 477, 137));
  EXPECT_EQ(button->geometry(), QRect(168, 144, 145, 65));
  EXPECT_EQ(button->text(), "Tamam");
  expectFont(button, "Times New Roman", 33);

  // Both frame and label are painted lime (the label is not transparent).
  zdlg::DialogMessage = "Kısa";
  box.show();
  const QImage image = box.grab().toImage();
  EXPECT_EQ(rgbAt(image, {4, 136}), 0x00FF00u);
  EXPECT_EQ(rgbAt(image, {476, 136}), 0x00FF00u);
  EXPECT_TRUE(label->autoFillBackground());
  box.hide();
}

TEST(InformationBox, ShowsTheLatestMessageModallyUntilTamam) {
  TFormUyar box;
  QString seen;
  bool modal = false;
  bool escapeClosed = true;

  zdlg::DialogMessage = "Birinci mesaj";
  ASSERT_TRUE(runModal(box, [&] {
    seen = box.label1()->text();
    modal = QApplication::activeModalWidget() == &box;
    pressKey(&box, Qt::Key_Escape);  // only "Tamam" may close it
    escapeClosed = !box.isVisible();
    box.button1()->click();
  }));
  EXPECT_EQ(seen, "Birinci mesaj");
  EXPECT_TRUE(modal);
  EXPECT_FALSE(escapeClosed);
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(zdlg::DialogMessage, "Birinci mesaj");  // the box does not clear it

  // Each showing reads the text anew; CR LF becomes a line break.
  zdlg::DialogMessage = "Ali Adına Kayıtlı 2 Adet\r\n>>> Başarı İle Tahsil edilmiştir";
  ASSERT_TRUE(runModal(box, [&] {
    seen = box.label1()->text();
    box.button1()->click();
  }));
  EXPECT_EQ(seen, "Ali Adına Kayıtlı 2 Adet\n>>> Başarı İle Tahsil edilmiştir");
  EXPECT_EQ(zdlg::DialogMessage, "Ali Adına Kayıtlı 2 Adet\r\n>>> Başarı İle Tahsil edilmiştir");
}

TEST(InformationBox, LongTextWrapsAndIsCutOffWithoutGrowing) {
  TFormUyar box;
  QString longText;
  for (int i = 0; i < 40; ++i) longText += QString("kelime%1 ").arg(i);
  zdlg::DialogMessage = longText.trimmed();
  // Markup-looking text is shown as typed, not interpreted.
  zdlg::DialogMessage += " <b>kalın değil</b>";
  box.show();
  QLabel *label = box.label1();
  EXPECT_EQ(label->text(), zdlg::DialogMessage);
  EXPECT_GT(label->heightForWidth(477), 137);  // would need more room than the frame has
  EXPECT_EQ(label->geometry(), QRect(0, 0, 477, 137));
  EXPECT_EQ(box.scrollBox1()->geometry(), QRect(2, 3, 477, 137));
  EXPECT_EQ(box.size(), QSize(481, 221));
  EXPECT_EQ(box.button1()->geometry(), QRect(168, 144, 145, 65));
  box.hide();
}

TEST(InformationBox, CentredOverTheMainWindowOnceThenKeepsItsPlace) {
  QWidget mainWindow;
  mainWindow.setGeometry(100, 120, 800, 600);
  mainWindow.show();
  TFormUyar box;
  box.setAnchor(&mainWindow);
  zdlg::DialogMessage = "Yer";

  QRect first;
  ASSERT_TRUE(runModal(box, [&] {
    first = box.frameGeometry();
    box.button1()->click();
  }));
  EXPECT_LE((first.center() - mainWindow.frameGeometry().center()).manhattanLength(), 2);

  mainWindow.move(300, 40);
  QRect second;
  ASSERT_TRUE(runModal(box, [&] {
    second = box.frameGeometry();
    box.button1()->click();
  }));
  EXPECT_EQ(second.topLeft(), first.topLeft());

  // Without a main window it is centred on the screen.
  TFormUyar loose;
  loose.show();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_LE((loose.frameGeometry().center() - screen.center()).manhattanLength(), 2);
  loose.hide();
}

TEST(YesNoBox, LayoutCaptionAndFonts) {
  TFormYsNo box;
  EXPECT_EQ(box.objectName(), "FormYsNo");
  EXPECT_EQ(box.windowTitle(), "Mesaj Kutusu");
  expectToolWindowWithoutButtons(box);
  expectFixedClientSize(box, {481, 220});

  auto *frame = box.findChild<QFrame *>("ScrollBox1");
  auto *label = box.findChild<QLabel *>("Label1");
  auto *yes = box.findChild<QPushButton *>("Button1");
  auto *no = box.findChild<QPushButton *>("Button2");
  ASSERT_EQ(frame, box.scrollBox1());
  ASSERT_EQ(label, box.label1());
  ASSERT_EQ(yes, box.button1());
  ASSERT_EQ(no, box.button2());
  EXPECT_EQ(frame->geometry(), QRect(3, 3, 477, 143));
  EXPECT_EQ(label->parentWidget(), frame);
  expectMessageLabel(label, QRect(0, 0, 477, 143));
  EXPECT_EQ(yes->geometry(), QRect(24, 152, 145, 65));
  EXPECT_EQ(no->geometry(), QRect(312, 152, 145, 65));
  EXPECT_EQ(yes->text(), "Evet");
  EXPECT_EQ(no->text(), "Hayır");
  expectFont(yes, "Times New Roman", 33);
  expectFont(no, "Times New Roman", 33);

  // A long question is cut off inside the frame; the box keeps its size.
  zdlg::DialogMessage = QString("uzun soru ").repeated(60);
  box.show();
  EXPECT_GT(label->heightForWidth(477), 143);
  EXPECT_EQ(label->geometry(), QRect(0, 0, 477, 143));
  EXPECT_EQ(box.size(), QSize(481, 220));
  box.hide();
}

TEST(YesNoBox, ButtonsSetTheAnswerAndClose) {
  TFormYsNo box;
  zdlg::DialogMessage = "Dikkat 1; Ali Adına Kayıtlı 3 Adet 45,00 Tutarındaki Hesabı \r\n tahsil ediyorsunuz..!!!";
  QString seen;
  bool modal = false;
  ASSERT_TRUE(runModal(box, [&] {
    seen = box.label1()->text();
    modal = QApplication::activeModalWidget() == &box;
    box.button1()->click();
  }));
  EXPECT_EQ(seen, "Dikkat 1; Ali Adına Kayıtlı 3 Adet 45,00 Tutarındaki Hesabı \n tahsil ediyorsunuz..!!!");
  EXPECT_TRUE(modal);
  EXPECT_EQ(zdlg::DialogAnswer, 1);
  EXPECT_FALSE(box.isVisible());
  EXPECT_TRUE(zdlg::DialogMessage.endsWith("\r\n tahsil ediyorsunuz..!!!"));

  // Escape leaves the box open and the previous answer untouched.
  bool stillOpen = false;
  int answerAfterEscape = -1;
  ASSERT_TRUE(runModal(box, [&] {
    pressKey(&box, Qt::Key_Escape);
    stillOpen = box.isVisible();
    answerAfterEscape = zdlg::DialogAnswer;
    box.button2()->click();
  }));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(answerAfterEscape, 1);
  EXPECT_EQ(zdlg::DialogAnswer, 0);
  EXPECT_FALSE(box.isVisible());
}

TEST(YesNoBox, EnterRightAfterOpeningAnswersHayir) {
  TFormYsNo box;
  zdlg::DialogMessage = "Emin misiniz?";
  zdlg::DialogAnswer = 1;
  QWidget *focused = nullptr;
  // Keys reach the focus widget of the active window, so wait for the box to become active.
  auto activeFocus = [&] {
    waitFor([&] { return QApplication::activeWindow() == &box; }, 2000);
    return QApplication::focusWidget();
  };
  ASSERT_TRUE(runModal(box, [&] {
    focused = activeFocus();
    pressKey(focused ? focused : &box, Qt::Key_Return);
  }));
  EXPECT_EQ(focused, box.button2());
  EXPECT_EQ(zdlg::DialogAnswer, 0);
  EXPECT_FALSE(box.isVisible());

  // Enter on "Evet" once the operator moved there answers 1; the next showing is back on "Hayır".
  ASSERT_TRUE(runModal(box, [&] {
    activeFocus();
    box.button1()->setFocus();
    pressKey(QApplication::focusWidget(), Qt::Key_Enter);
  }));
  EXPECT_EQ(zdlg::DialogAnswer, 1);
  ASSERT_TRUE(runModal(box, [&] {
    focused = activeFocus();
    pressKey(focused ? focused : &box, Qt::Key_Enter);
  }));
  EXPECT_EQ(focused, box.button2());
  EXPECT_EQ(zdlg::DialogAnswer, 0);
}

TEST(YesNoBox, LabelColourStaysUntilTheCallerChangesIt) {
  TFormYsNo box;
  zdlg::DialogMessage = "Soru";
  const QPoint labelCorner(3 + 2, 3 + 140);  // bottom-left of the label, below any text
  quint32 painted = 0;
  auto askAndPeek = [&] {
    return runModal(box, [&] {
      painted = rgbAt(box.grab().toImage(), labelCorner);
      box.button2()->click();
    });
  };

  // Until a caller sets a colour, the label shows the frame's lime.
  EXPECT_EQ(box.label1Colour(), 0x00FF00u);
  ASSERT_TRUE(askAndPeek());
  EXPECT_EQ(painted, 0x00FF00u);

  box.setLabel1Colour(zcolour::Rose);
  ASSERT_TRUE(askAndPeek());
  EXPECT_EQ(painted, 0xFF0080u);
  ASSERT_TRUE(askAndPeek());  // a caller that forgets to reset it leaves it rose
  EXPECT_EQ(painted, 0xFF0080u);
  EXPECT_EQ(box.label1Colour(), 0xFF0080u);

  box.setLabel1Colour(zcolour::Red);
  ASSERT_TRUE(askAndPeek());
  EXPECT_EQ(painted, 0xFF0000u);

  box.setLabel1Colour(zcolour::Lime);
  ASSERT_TRUE(askAndPeek());
  EXPECT_EQ(painted, 0x00FF00u);
  EXPECT_EQ(box.label1Colour(), 0x00FF00u);
}

TEST(YesNoBox, CentredOverTheMainWindowOnceThenKeepsItsPlace) {
  QWidget mainWindow;
  mainWindow.setGeometry(40, 60, 1000, 700);
  mainWindow.show();
  TFormYsNo box;
  box.setAnchor(&mainWindow);
  zdlg::DialogMessage = "Yer";

  QRect first;
  ASSERT_TRUE(runModal(box, [&] {
    first = box.frameGeometry();
    box.button2()->click();
  }));
  EXPECT_LE((first.center() - mainWindow.frameGeometry().center()).manhattanLength(), 2);

  mainWindow.move(0, 0);
  QRect second;
  ASSERT_TRUE(runModal(box, [&] {
    second = box.frameGeometry();
    box.button2()->click();
  }));
  EXPECT_EQ(second.topLeft(), first.topLeft());
}

TEST(Gauge, KeepsProgressWithinZeroAndMaximum) {
  TGauge gauge;
  EXPECT_EQ(gauge.minValue(), 0);
  EXPECT_EQ(gauge.maxValue(), 100);
  EXPECT_EQ(gauge.progress(), 0);
  EXPECT_EQ(gauge.percentText(), "0%");

  gauge.setProgress(45);
  EXPECT_EQ(gauge.percentText(), "45%");
  gauge.setProgress(250);
  EXPECT_EQ(gauge.progress(), 100);
  EXPECT_EQ(gauge.percentText(), "100%");
  gauge.setProgress(-3);
  EXPECT_EQ(gauge.progress(), 0);

  // Rounded down, never up.
  gauge.setMaxValue(3);
  gauge.setProgress(2);
  EXPECT_EQ(gauge.percentText(), "66%");
  gauge.setMaxValue(7);
  gauge.setProgress(6);
  EXPECT_EQ(gauge.percentText(), "85%");

  // A lower maximum pulls the progress down with it.
  gauge.setMaxValue(4);
  EXPECT_EQ(gauge.progress(), 4);
  EXPECT_EQ(gauge.percentText(), "100%");

  gauge.setMaxValue(0);
  EXPECT_EQ(gauge.progress(), 0);
  gauge.setProgress(5);
  EXPECT_EQ(gauge.progress(), 0);
  EXPECT_EQ(gauge.percentText(), "0%");

  // Large row counts must not overflow the percentage.
  gauge.setMaxValue(INT_MAX);
  gauge.setProgress(INT_MAX - 1);
  EXPECT_EQ(gauge.percentText(), "99%");
}

TEST(Gauge, PercentageIsDrawnByInvertingWhatLiesBeneath) {
  TGauge gauge;
  gauge.resize(567, 23);
  gauge.setForeColour(QColor(0x00FF00));
  const QRect inner(1, 1, 565, 21);
  const QRect textArea(567 / 2 - 20, 4, 40, 15);

  // Empty: a black border, a white inside, black text in the middle and nothing in between.
  QImage image = gauge.grab().toImage();
  EXPECT_EQ(rgbAt(image, {0, 0}), 0x000000u);
  EXPECT_EQ(rgbAt(image, {566, 22}), 0x000000u);
  EXPECT_EQ(rgbAt(image, {5, 11}), 0xFFFFFFu);
  EXPECT_EQ(coloursIn(image, textArea), (std::set<quint32>{0xFFFFFF, 0x000000}));
  EXPECT_EQ(coloursIn(image, inner), (std::set<quint32>{0xFFFFFF, 0x000000}));

  // Full lime: the text shows in lime's inverse.
  gauge.setProgress(100);
  image = gauge.grab().toImage();
  EXPECT_EQ(rgbAt(image, {5, 11}), 0x00FF00u);
  EXPECT_EQ(rgbAt(image, {561, 11}), 0x00FF00u);
  EXPECT_EQ(coloursIn(image, inner), (std::set<quint32>{0x00FF00, 0xFF00FF}));

  // Half: filled from the left only.
  gauge.setProgress(50);
  image = gauge.grab().toImage();
  EXPECT_EQ(rgbAt(image, {5, 11}), 0x00FF00u);
  EXPECT_EQ(rgbAt(image, {280, 2}), 0x00FF00u);
  EXPECT_EQ(rgbAt(image, {286, 2}), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(image, {561, 11}), 0xFFFFFFu);
  EXPECT_TRUE(coloursIn(image, inner).count(0x000000));  // "50%" reaches into the white half

  // Red bar: the text shows in cyan.
  TGauge red;
  red.resize(567, 11);
  red.setForeColour(QColor(0xFF0000));
  red.setProgress(100);
  image = red.grab().toImage();
  EXPECT_EQ(coloursIn(image, QRect(1, 1, 565, 9)), (std::set<quint32>{0xFF0000, 0x00FFFF}));
}

TEST(ProgressWindow, LayoutAndTimer) {
  TFormgauge window;
  EXPECT_EQ(window.objectName(), "Formgauge");
  EXPECT_TRUE(window.isWindow());
  EXPECT_EQ(window.windowType(), Qt::Tool);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  expectFixedClientSize(window, {567, 36});

  auto *gauge1 = window.findChild<TGauge *>("Gauge1");
  auto *gauge2 = window.findChild<TGauge *>("Gauge2");
  auto *timer = window.findChild<QTimer *>("Timer1");
  ASSERT_EQ(gauge1, window.gauge1());
  ASSERT_EQ(gauge2, window.gauge2());
  ASSERT_EQ(timer, window.timer1());
  EXPECT_EQ(gauge2->geometry(), QRect(0, 0, 567, 11));
  EXPECT_EQ(gauge1->geometry(), QRect(0, 13, 567, 23));
  EXPECT_EQ(gauge2->foreColour(), QColor(0xFF0000));
  EXPECT_EQ(gauge1->foreColour(), QColor(0x00FF00));
  EXPECT_EQ(gauge1->maxValue(), 100);
  EXPECT_EQ(gauge2->maxValue(), 100);
  EXPECT_EQ(timer->interval(), 100);
  EXPECT_FALSE(timer->isActive());
}

TEST(ProgressWindow, TicksFollowBothRowNumbersAndCloseWithoutACurrentOrder) {
  TFormgauge window;
  int orderRow = 1;
  int lineRow = 1;
  window.setRowSources([&] { return orderRow; }, [&] { return lineRow; });
  window.gauge1()->setMaxValue(4);
  window.gauge2()->setMaxValue(3);
  window.show();
  ASSERT_TRUE(window.timer1()->isActive());

  window.Timer1Timer();
  EXPECT_EQ(window.gauge1()->progress(), 1);
  EXPECT_EQ(window.gauge2()->progress(), 1);
  lineRow = 3;
  window.Timer1Timer();
  EXPECT_EQ(window.gauge2()->percentText(), "100%");

  // The next order's lines start again against their own maximum.
  orderRow = 2;
  lineRow = 1;
  window.gauge2()->setMaxValue(5);
  window.Timer1Timer();
  EXPECT_EQ(window.gauge1()->progress(), 2);
  EXPECT_EQ(window.gauge1()->percentText(), "50%");
  EXPECT_EQ(window.gauge2()->progress(), 1);
  EXPECT_EQ(window.gauge2()->percentText(), "20%");

  // Backwards too, and beyond the maximum is the maximum.
  orderRow = 1;
  lineRow = 9;
  window.Timer1Timer();
  EXPECT_EQ(window.gauge1()->progress(), 1);
  EXPECT_EQ(window.gauge2()->progress(), 5);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.timer1()->isActive());

  // No current order: the bars take the zero, then the window stops and hides.
  orderRow = 0;
  lineRow = 2;
  window.Timer1Timer();
  EXPECT_EQ(window.gauge1()->progress(), 0);
  EXPECT_EQ(window.gauge2()->progress(), 2);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.timer1()->isActive());
  // The maxima stay for the next run.
  EXPECT_EQ(window.gauge1()->maxValue(), 4);
  EXPECT_EQ(window.gauge2()->maxValue(), 5);
}

TEST(ProgressWindow, TimerSamplesWhileShownAndClosesOnItsOwn) {
  TFormgauge window;
  int orderRow = 0;
  int lineRow = 0;
  window.setRowSources([&] { return orderRow; }, [&] { return lineRow; });

  // Shown while there is no current order: gone at the first tick, about 100 ms later.
  QElapsedTimer clock;
  clock.start();
  window.show();
  ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }, 3000));
  EXPECT_GE(clock.elapsed(), 80);
  EXPECT_FALSE(window.timer1()->isActive());

  // With a current order it stays up and follows the rows.
  orderRow = 3;
  lineRow = 2;
  window.show();
  ASSERT_TRUE(waitFor([&] { return window.gauge1()->progress() == 3; }, 3000));
  EXPECT_EQ(window.gauge2()->progress(), 2);
  orderRow = 2;
  ASSERT_TRUE(waitFor([&] { return window.gauge1()->progress() == 2; }, 3000));
  spin(250);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.timer1()->isActive());

  orderRow = 0;
  ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }, 3000));
  EXPECT_FALSE(window.timer1()->isActive());
}

TEST(ProgressWindow, CentredOnTheScreenOnceThenKeepsItsPlace) {
  TFormgauge window;
  int orderRow = 1;
  window.setRowSources([&] { return orderRow; }, [] { return 0; });
  window.show();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_LE((window.frameGeometry().center() - screen.center()).manhattanLength(), 2);

  window.move(10, 20);
  window.hide();
  window.show();
  EXPECT_EQ(window.pos(), QPoint(10, 20));
  window.hide();
}

TEST(ScreenMessenger, DrivesTheBoxes) {
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;
  ScreenMessenger messenger(gauge, yesNo, information);

  zdlg::DialogMessage = "Bilgi";
  QString shown;
  QTimer::singleShot(0, &information, [&] {
    shown = information.label1()->text();
    information.button1()->click();
  });
  messenger.showInformation();
  EXPECT_EQ(shown, "Bilgi");
  EXPECT_FALSE(information.isVisible());

  zdlg::DialogMessage = "Soru";
  zdlg::DialogAnswer = 0;
  messenger.setQuestionLabelColour(zcolour::Rose);
  quint32 colour = 0;
  QTimer::singleShot(0, &yesNo, [&] {
    shown = yesNo.label1()->text();
    colour = yesNo.label1Colour();
    yesNo.button1()->click();
  });
  messenger.showQuestion();
  EXPECT_EQ(shown, "Soru");
  EXPECT_EQ(colour, 0xFF0080u);
  EXPECT_EQ(zdlg::DialogAnswer, 1);
  messenger.setQuestionLabelColour(zcolour::Lime);
  EXPECT_EQ(yesNo.label1Colour(), 0x00FF00u);
}

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool okButton = false;
  QString okText;
};

// Records the application-modal message box that appears next and presses its OK button.
void answerNextMessageBox(SeenBox &seen) {
  QTimer::singleShot(0, [&seen] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box) return;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = int(box->buttons().size());
    QAbstractButton *ok = box->button(QMessageBox::Ok);
    seen.okButton = ok != nullptr;
    if (ok) seen.okText = ok->text();
    if (ok) ok->click();
  });
}

TEST(ScreenMessenger, ErrorBoxAndPlainMessage) {
  QGuiApplication::setApplicationDisplayName("Tahsilmatik");
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;
  ScreenMessenger messenger(gauge, yesNo, information);

  SeenBox error;
  answerNextMessageBox(error);
  messenger.showError("Table 'zerdapos.genhar' doesn't exist");
  EXPECT_EQ(error.title, "Tahsilmatik");
  EXPECT_EQ(error.text, "Table 'zerdapos.genhar' doesn't exist.");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.buttons, 1);
  EXPECT_TRUE(error.okButton);

  SeenBox plain;
  answerNextMessageBox(plain);
  messenger.showPlainMessage("ini dosyasi Bulunamadi");
  EXPECT_EQ(plain.title, "Tahsilmatik");
  EXPECT_EQ(plain.text, "ini dosyasi Bulunamadi");  // no full stop added here
  EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
  EXPECT_EQ(plain.buttons, 1);
  EXPECT_TRUE(plain.okButton);
}

// Qt's own Turkish translation gives the standard boxes "Tamam"; a line the program adds below
// an error's text is shown as written.
TEST(ScreenMessenger, QtsBoxesSpeakTurkish) {
  ASSERT_TRUE(installQtTurkish(*QCoreApplication::instance())) << "Qt's Turkish translation is not installed";
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;
  ScreenMessenger messenger(gauge, yesNo, information);

  SeenBox error;
  answerNextMessageBox(error);
  messenger.showErrorAndNote("Lost connection to server during query.",
                             QString::fromUtf8("Hiçbir hesap tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız"));
  EXPECT_EQ(error.text, QString::fromUtf8("Lost connection to server during query.\nHiçbir hesap tahsil edilmedi. "
                                          "Lütfen Güncelle Butonuna Tıklayınız"));
  EXPECT_EQ(error.buttons, 1);
  EXPECT_EQ(error.okText.remove('&'), "Tamam");

  SeenBox plain;
  answerNextMessageBox(plain);
  messenger.showPlainMessage("ini dosyasi Bulunamadi");
  EXPECT_EQ(plain.okText.remove('&'), "Tamam");
}

// A real board on the screens' messenger: every call it makes reaches the screens as that call.
// The note the closing run puts below the server's text stands as written, without the full stop
// the plain error box adds.
class BoardOnScreens : public ztest::DbTest {};

TEST_F(BoardOnScreens, TheNoteBelowAnErrorIsShownAsWritten) {
  QGuiApplication::setApplicationDisplayName("Tahsilmatik");
  ztest::seedRestaurant(4);
  ztest::addOrder({.no = 101});
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;
  ScreenMessenger screens(gauge, yesNo, information);
  zboard::Board board(screens, "screens_board");
  ztest::configure(board.Connect);
  board.Connect.open();
  board.setHostName([] { return std::optional<QString>(QStringLiteral("kasa-pc")); });
  board.setClock([] { return QDateTime(ztest::workDate(), QTime(14, 30)); });
  board.ListBox1.items = QStringList({"Paket Servis"});
  board.user.SignedInUserName = "KASA1";
  board.user.SignedInUserNo = 7;
  ASSERT_EQ(board.FormShow(), zboard::StartupResult::Ready);
  board.selectCourier(int(board.ListBox2.items.indexOf("Ali")));
  ASSERT_EQ(board.markedCount, 1);

  // The run's first read fails before anything is written or asked.
  ztest::exec("ALTER TABLE setup RENAME TO setup_gone;");
  SeenBox error;
  answerNextMessageBox(error);
  board.Button2Click();
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_TRUE(error.text.startsWith("Table ")) << error.text.toStdString();
  EXPECT_TRUE(error.text.endsWith(QString::fromUtf8(
      "doesn't exist.\nHiçbir hesap tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız")))
      << error.text.toStdString();
}

TEST(ScreenMessenger, ProgressWindow) {
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;
  ScreenMessenger messenger(gauge, yesNo, information);
  int orderRow = 1;
  gauge.setRowSources([&] { return orderRow; }, [] { return 1; });

  messenger.setOrdersMaximum(7);
  messenger.setLinesMaximum(2);
  EXPECT_EQ(gauge.gauge1()->maxValue(), 7);
  EXPECT_EQ(gauge.gauge2()->maxValue(), 2);

  messenger.showProgress();
  EXPECT_TRUE(gauge.isVisible());
  EXPECT_TRUE(gauge.timer1()->isActive());
  EXPECT_FALSE(gauge.isModal());

  // A run that ends with orders still listed closes the window itself.
  messenger.closeProgress();
  EXPECT_FALSE(gauge.isVisible());
  EXPECT_FALSE(gauge.timer1()->isActive());
  spin(250);
  EXPECT_FALSE(gauge.isVisible());
}

}  // namespace

// ------------------------------------------------------- a screen too small for the boxes' design

// Run again on a small screen (QT_SCALE_FACTOR=2 makes the 800 x 600 offscreen screen 400 x 300,
// as an 800 x 600 till at 200 %): the boxes and the progress window are scaled down, as a whole,
// until they lie wholly in the work area, and centred on it. On the ordinary screen they keep
// their design size and these cases are skipped.
class SmallScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    work = QGuiApplication::primaryScreen()->availableGeometry();
    if (work.width() >= 600) GTEST_SKIP() << "the screen is large enough for every box";
  }
  void expectInWorkArea(const QWidget &window) {
    EXPECT_TRUE(work.contains(window.frameGeometry()))
        << window.objectName().toStdString() << " " << window.frameGeometry().x() << ","
        << window.frameGeometry().y() << " " << window.frameGeometry().width() << "x" << window.frameGeometry().height();
  }
  // A child's geometry and letters are the design's times the box's factor, within a pixel.
  void expectScaled(const QWidget *w, QRect design, int pixels, double f) {
    const std::string n = w->objectName().toStdString();
    EXPECT_LE(std::abs(w->x() - design.x() * f), 1.0) << n;
    EXPECT_LE(std::abs(w->y() - design.y() * f), 1.0) << n;
    EXPECT_LE(std::abs(w->width() - design.width() * f), 1.0) << n;
    EXPECT_LE(std::abs(w->height() - design.height() * f), 1.0) << n;
    if (pixels > 0) {
      EXPECT_LE(std::abs(w->font().pixelSize() - pixels * f), 0.5 + 1e-9) << n;
    }
  }
  QRect work;
};

// A window is told once, after the events of the moment, of each change of the screen it watches
// (a task bar, a scaling).
TEST(ScreenFollower, TellsAChangeOfTheWatchedScreenOnce) {
  QWidget window;
  window.show();
  int told = 0;
  auto *follower = new zdlg::ScreenFollower(&window, [&] { ++told; });
  QScreen *screen = window.screen();
  ASSERT_NE(screen, nullptr);
  follower->watch(screen);
  follower->watch(screen);  // watched already: not twice
  emit screen->availableGeometryChanged(screen->availableGeometry());
  EXPECT_EQ(told, 0) << "told inside the change";
  QCoreApplication::processEvents();
  EXPECT_EQ(told, 1);
  emit screen->logicalDotsPerInchChanged(screen->logicalDotsPerInch());
  QCoreApplication::processEvents();
  EXPECT_EQ(told, 2);
  follower->watch(nullptr);  // no screen known: the one watched stays
  emit screen->availableGeometryChanged(screen->availableGeometry());
  QCoreApplication::processEvents();
  EXPECT_EQ(told, 3);
}

TEST_F(SmallScreen, BoxesAndTheProgressWindowAreScaledDownIntoTheWorkArea) {
  zdlg::DialogMessage = "Küçük ekran";
  TFormUyar information;
  double f = 0;
  ASSERT_TRUE(runModal(information, [&] {
    expectInWorkArea(information);
    f = information.placement()->factor();
    information.button1()->click();
  }));
  ASSERT_LT(f, 1.0);
  EXPECT_LE(std::abs(information.width() - 481 * f), 1.0);
  EXPECT_LE(std::abs(information.height() - 221 * f), 1.0);
  expectScaled(information.scrollBox1(), QRect(2, 3, 477, 137), 0, f);
  expectScaled(information.button1(), QRect(168, 144, 145, 65), 33, f);
  EXPECT_LE(std::abs(information.label1()->font().pixelSize() - 29 * f), 0.5 + 1e-9);
  // Centred on the work area.
  EXPECT_LE((information.frameGeometry().center() - work.center()).manhattanLength(), 2);

  TFormYsNo yesNo;
  ASSERT_TRUE(runModal(yesNo, [&] {
    expectInWorkArea(yesNo);
    f = yesNo.placement()->factor();
    yesNo.button2()->click();
  }));
  ASSERT_LT(f, 1.0);
  expectScaled(yesNo.button1(), QRect(24, 152, 145, 65), 33, f);
  expectScaled(yesNo.button2(), QRect(312, 152, 145, 65), 33, f);
  // A tap in the middle of a scaled button is that button's.
  zdlg::DialogAnswer = 0;
  ASSERT_TRUE(runModal(yesNo, [&] {
    QWidget *hit = yesNo.childAt(yesNo.button1()->geometry().center());
    if (hit) ztest::click(hit, hit->rect().center());
  }));
  EXPECT_EQ(zdlg::DialogAnswer, 1);

  TFormgauge gauge;
  gauge.setRowSources([] { return 1; }, [] { return 0; });
  gauge.show();
  expectInWorkArea(gauge);
  f = gauge.placement()->factor();
  ASSERT_LT(f, 1.0);
  expectScaled(gauge.gauge1(), QRect(0, 13, 567, 23), 11, f);
  expectScaled(gauge.gauge2(), QRect(0, 0, 567, 11), 11, f);
  gauge.hide();
}

TEST_F(SmallScreen, TheErrorBoxGetsSmallerLettersUntilItFits) {
  QGuiApplication::setApplicationDisplayName("Tahsilmatik");
  TFormgauge gauge;
  TFormYsNo yesNo;
  TFormUyar information;
  ScreenMessenger messenger(gauge, yesNo, information);
  QRect shown;
  QTimer::singleShot(0, [&] {
    if (QWidget *box = QApplication::activeModalWidget()) {
      shown = box->frameGeometry();
      if (auto *b = qobject_cast<QMessageBox *>(box)) b->button(QMessageBox::Ok)->click();
    }
  });
  QString text;
  for (int i = 0; i < 12; ++i) text += QString::fromUtf8("Sunucu bağlantısı koptu, hesap tahsil edilemedi. ");
  messenger.showError(text);
  ASSERT_FALSE(shown.isNull());
  EXPECT_TRUE(work.contains(shown)) << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
}
