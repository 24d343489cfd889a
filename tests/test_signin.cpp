// Keypad sign-in: the lookups and rights checks against the real private server, the refusals, the
// section list, literal passwords, and the keypad screen itself (offscreen).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyle>
#include <QTemporaryDir>
#include <iterator>

#include "board/board.h"
#include "db/quoting.h"
#include "db_fixture.h"
#include "fake_messenger.h"
#include "signin/screen/key_pad.h"
#include "signin/sign_in.h"
#include "widget_input.h"

using ztest::waitFor;
using ztest::tap;
using ztest::pressKey;

namespace {

using Outcome = zsignin::SignInResult::Outcome;

QString userLookup(const QString &password) {
  return "Select*From User Where Isten_Ayrildi =\"0\" and usersifre = \"" + zdb::quoted(password) + "\"";
}
QString rightsLookup(const QString &password) {
  return "Select*From User Where Isten_Ayrildi =\"0\" and PaketServis =\"1\" and usersifre = \"" +
         zdb::quoted(password) + "\"";
}
QString sectionLookup(const QString &name) {
  return "SELECT Distinct kisim, Username FROM zerdapos.userkisbol Where Username = \"" + zdb::quoted(name) +
         "\" AND siparistipi = \"2\"";
}

// A staff row; password and rights as given (NULL where the argument is empty text "NULL").
void addUser(int no, const QString &name, const QString &password, int left, const QString &paketServis,
             const QString &nakitKapatma) {
  QSqlQuery q(ztest::admin());
  q.prepare("INSERT INTO user (USERNO, USERNAME, usersifre, Isten_Ayrildi, PaketServis, NAKITKAPATMA) "
            "VALUES (?, ?, ?, ?, ?, ?)");
  q.addBindValue(no);
  q.addBindValue(name);
  q.addBindValue(password);
  q.addBindValue(left);
  q.addBindValue(paketServis == "NULL" ? QVariant() : QVariant(paketServis));
  q.addBindValue(nakitKapatma == "NULL" ? QVariant() : QVariant(nakitKapatma));
  ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

void addSection(const QString &name, const QString &section, int orderType = 2) {
  QSqlQuery q(ztest::admin());
  q.prepare("INSERT INTO userkisbol (Username, kisim, siparistipi) VALUES (?, ?, ?)");
  q.addBindValue(name);
  q.addBindValue(section);
  q.addBindValue(orderType);
  ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

// An operator with every right and two delivery sections.
void addOperator(int no, const QString &name, const QString &password) {
  addUser(no, name, password, 0, "1", "1");
  addSection(name, "Paket Servis");
  addSection(name, "Gel Al");
}

class SignIn : public ztest::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    board = std::make_unique<zboard::Board>(fake, QStringLiteral("SignInTest"));
    ztest::configure(board->Connect);
    board->Connect.open();
    board->Connect.setObserver([this](const QString &s) { statements << s; });
    // What an earlier attempt left: every attempt starts from nothing.
    board->user.SignedInUserName = "ÖNCEKİ";
    board->user.SignedInUserNo = 99;
    board->ListBox1.items = QStringList({"Eski Kısım"});
  }
  void TearDown() override { board.reset(); }

  zsignin::SignInResult signIn(const QString &password) { return zsignin::signIn(*board, password); }

  ztest::FakeMessenger fake;
  std::unique_ptr<zboard::Board> board;
  QStringList statements;
};

TEST_F(SignIn, OperatorWithEveryRightGetsHerSectionsAndTheBoard) {
  addOperator(7, "AYŞE", "1234");
  const auto result = signIn("1234");
  EXPECT_EQ(result.outcome, Outcome::SignedIn);
  EXPECT_TRUE(result.showBoard());
  EXPECT_TRUE(result.clearPassword);
  EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join('\n').toStdString();
  EXPECT_EQ(board->user.SignedInUserName, "AYŞE");
  EXPECT_EQ(board->user.SignedInUserNo, 7);
  EXPECT_EQ(statements, QStringList({userLookup("1234"), rightsLookup("1234"), sectionLookup("AYŞE")}));
  EXPECT_EQ(statements.first(), "Select*From User Where Isten_Ayrildi =\"0\" and usersifre = \"1234\"");
  EXPECT_EQ(board->ListBox1.items.size(), 2);
  EXPECT_EQ(board->QueryKisimYetki.recordCount(), 2);
}

TEST_F(SignIn, SectionsKeepTheServersRowOrderAndAppearOnce) {
  addUser(3, "MEHMET", "55", 0, "1", "1");
  for (const char *section : {"Teras", "Bahçe", "Teras", "Salon", "Bahçe"}) addSection("MEHMET", section);
  addSection("MEHMET", "Masa Servis", 1);  // other order types do not count
  addSection("AHMET", "Depo");
  ASSERT_EQ(signIn("55").outcome, Outcome::SignedIn);

  QStringList expected;
  QSqlQuery q(ztest::admin());
  ASSERT_TRUE(q.exec(sectionLookup("MEHMET")));
  while (q.next()) expected << q.value(0).toString();
  EXPECT_EQ(board->ListBox1.items, expected);
  EXPECT_EQ(QStringList(board->ListBox1.items).size(), 3);
  EXPECT_EQ(QSet<QString>(expected.begin(), expected.end()), QSet<QString>({"Teras", "Bahçe", "Salon"}));
}

// Every row of the refusal table: the text, whether the field is emptied, and the list untouched.
TEST_F(SignIn, RefusalsNameTheUserAndEmptyTheFieldExceptForAWrongPassword) {
  addUser(1, "ESKİ", "1000", 1, "1", "1");        // left the job
  addUser(2, "GARSON", "2000", 0, "0", "1");      // no delivery orders
  addUser(3, "KURYE", "2500", 0, "NULL", "1");    // no delivery orders either
  addUser(4, "KASİYER", "3000", 0, "1", "0");     // may not close in cash
  addUser(5, "ÇIRAK", "3500", 0, "1", "NULL");
  addUser(6, "YENİ", "4000", 0, "1", "1");        // no delivery section
  addSection("ESKİ", "Paket Servis");
  addSection("YENİ", "Salon", 1);
  addSection("KASİYER", "Paket Servis");

  struct Case {
    QString password, shown;
    bool cleared;
    QString name;
    int no;
  };
  const Case cases[] = {
      {"9999", "Geçersiz Şifre !!!", false, "", 0},
      {"1000", "Geçersiz Şifre !!!", false, "", 0},
      {"2000", "GARSON Paket Sipariş için Yeterli Yetkiniz Yok  !!!", true, "GARSON", 2},
      {"2500", "KURYE Paket Sipariş için Yeterli Yetkiniz Yok  !!!", true, "KURYE", 3},
      {"3000", "KASİYER NAKIT kapama Yetkiniz Yok  !!!", true, "KASİYER", 4},
      {"3500", "ÇIRAK NAKIT kapama Yetkiniz Yok  !!!", true, "ÇIRAK", 5},
      {"4000", "YENİ için Paket Gelir Noktası Atanmamış !!!", true, "YENİ", 6},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.password.toStdString());
    fake.events.clear();
    board->user.SignedInUserName = "ÖNCEKİ";
    board->user.SignedInUserNo = 99;
    const auto result = signIn(c.password);
    EXPECT_EQ(result.outcome, Outcome::Refused);
    EXPECT_FALSE(result.showBoard());
    EXPECT_EQ(result.clearPassword, c.cleared);
    EXPECT_EQ(fake.events, QStringList({"info:" + c.shown}));
    EXPECT_EQ(board->user.SignedInUserName, c.name);
    EXPECT_EQ(board->user.SignedInUserNo, c.no);
    EXPECT_EQ(board->ListBox1.items, QStringList({"Eski Kısım"}));
  }
}

TEST_F(SignIn, EmptyPasswordIsLookedUpLikeAnyOther) {
  EXPECT_EQ(signIn("").outcome, Outcome::Refused);
  EXPECT_EQ(fake.informations, QStringList({"Geçersiz Şifre !!!"}));
  EXPECT_EQ(statements.first(), "Select*From User Where Isten_Ayrildi =\"0\" and usersifre = \"\"");

  addOperator(8, "BOŞ", "");
  fake.informations.clear();
  EXPECT_EQ(signIn("").outcome, Outcome::SignedIn);
  EXPECT_TRUE(fake.informations.isEmpty());
  EXPECT_EQ(board->user.SignedInUserName, "BOŞ");
}

// The name and number come from the first current user with the password; the cash right from the
// first of those who may work on delivery orders.
TEST_F(SignIn, SharedPasswordTakesNameFromFirstLookupAndCashRightFromSecond) {
  addUser(1, "ALİ", "777", 0, "0", "0");
  addUser(2, "VELİ", "777", 0, "1", "1");
  addSection("ALİ", "Paket Servis");
  addSection("VELİ", "Gel Al");
  auto result = signIn("777");
  EXPECT_EQ(result.outcome, Outcome::SignedIn);
  EXPECT_EQ(board->user.SignedInUserName, "ALİ");
  EXPECT_EQ(board->user.SignedInUserNo, 1);
  EXPECT_EQ(board->ListBox1.items, QStringList({"Paket Servis"}));

  // Now the first delivery user has no cash right, a later one has: refused in the first's name.
  ztest::exec("UPDATE user SET NAKITKAPATMA = 0 WHERE USERNO = 2");
  addUser(3, "AYŞE", "777", 0, "1", "1");
  result = signIn("777");
  EXPECT_EQ(result.outcome, Outcome::Refused);
  EXPECT_EQ(fake.informations, QStringList({"ALİ NAKIT kapama Yetkiniz Yok  !!!"}));
}

TEST_F(SignIn, PasswordsAndNamesAreLookedUpLiterally) {
  const QString tricky = "a\"b\\c'd";
  addOperator(4, "Ali \"Kaptan\" O'Neil\\", tricky);
  auto result = signIn(tricky);
  EXPECT_EQ(result.outcome, Outcome::SignedIn);
  EXPECT_EQ(board->user.SignedInUserName, "Ali \"Kaptan\" O'Neil\\");
  EXPECT_EQ(board->ListBox1.items.size(), 2);
  EXPECT_EQ(statements.first(), userLookup(tricky));

  // Texts that would end the literal early must match nothing and run nothing.
  for (const QString &attack : {QString("\" or \"1\"=\"1"), QString("\" or 1=1 -- "), QString("x\\\" or \"1\"=\"1"),
                                QString("\"; DELETE FROM user; -- "), QString("a\"b\\c")}) {
    SCOPED_TRACE(attack.toStdString());
    fake.events.clear();
    result = signIn(attack);
    EXPECT_EQ(result.outcome, Outcome::Refused);
    EXPECT_EQ(fake.events, QStringList({"info:Geçersiz Şifre !!!"}));
  }
  EXPECT_EQ(ztest::count("SELECT * FROM user"), 1);
}

TEST_F(SignIn, DatabaseErrorGoesToTheErrorBoxAndTheNextAttemptWorks) {
  addOperator(5, "ZEYNEP", "42");
  ztest::exec("DROP TABLE userkisbol");
  const auto result = signIn("42");
  EXPECT_EQ(result.outcome, Outcome::Failed);
  EXPECT_FALSE(result.showBoard());
  EXPECT_FALSE(result.clearPassword);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.first().contains("userkisbol", Qt::CaseInsensitive)) << fake.errors.first().toStdString();
  EXPECT_TRUE(fake.informations.isEmpty());
  EXPECT_EQ(board->ListBox1.items, QStringList({"Eski Kısım"}));

  ztest::resetDatabase();
  addOperator(5, "ZEYNEP", "42");
  EXPECT_EQ(signIn("42").outcome, Outcome::SignedIn);
  EXPECT_EQ(fake.errors.size(), 1);
}

// ---------------------------------------------------------------- the keypad screen

void type(QWidget *widget, const QString &text) {
  for (const QChar ch : text) pressKey(widget, ch.toUpper().unicode(), QString(ch));
}

class Keypad : public ztest::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    QFile settings(dir.filePath("Kuryeset.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("127.0.0.1\r\n");
    settings.close();

    board = std::make_unique<zboard::Board>(fake, QStringLiteral("KeypadTest"));
    keypad = std::make_unique<TFormKeyPad>(*board);
    keypad->setStartupOptions({dir.filePath("Kuryeset.ini"), [] { return ztest::serverPort(); }});
    keypad->setShowBoard([this] {
      ++boardShown;
      fieldWhenBoardShown = keypad->edit1()->text();
      usersWhenBoardShown = board->user.SignedInUserName;
    });
    QObject::connect(keypad.get(), &TFormKeyPad::closed, [this] { ++closedCount; });
    keypad->show();
    ASSERT_TRUE(waitFor([&] { return keypad->startupDone(); }));
    ASSERT_EQ(keypad->startupResult(), zsignin::StartupResult::Ready);
    edit = keypad->edit1();
  }
  void TearDown() override {
    keypad.reset();
    board.reset();
  }
  QPushButton *button(const char *name) {
    auto *b = keypad->findChild<QPushButton *>(name);
    EXPECT_NE(b, nullptr) << name;
    return b;
  }

  QTemporaryDir dir;
  ztest::FakeMessenger fake;
  std::unique_ptr<zboard::Board> board;
  std::unique_ptr<TFormKeyPad> keypad;
  TPasswordEdit *edit = nullptr;
  int boardShown = 0;
  int closedCount = 0;
  QString fieldWhenBoardShown = "<never>";
  QString usersWhenBoardShown;
};

TEST_F(Keypad, WindowPanelAndEveryButtonAsDesigned) {
  EXPECT_EQ(keypad->objectName(), "FormKeyPad");
  EXPECT_EQ(keypad->windowTitle(), "Yetki Kontrol");
  EXPECT_EQ(keypad->windowType(), Qt::Tool);
  const Qt::WindowFlags flags = keypad->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinMaxButtonsHint));
  EXPECT_EQ(keypad->size(), QSize(305, 351));
  EXPECT_EQ(keypad->minimumSize(), keypad->maximumSize());
  const QRect screen = keypad->screen()->availableGeometry();
  EXPECT_LE((keypad->frameGeometry().center() - screen.center()).manhattanLength(), 1);

  auto *panel = keypad->findChild<QFrame *>("Panel1");
  ASSERT_EQ(panel, keypad->panel1());
  EXPECT_EQ(panel->geometry(), QRect(1, 1, 303, 349));

  struct ButtonLayout {
    const char *name, *caption;
    int left, top, height, pixels;
  };
  const ButtonLayout buttons[] = {
      {"BitBtn10", "TERK", 1, 1, 68, 19},     {"BitBtnTumunuSil", "<<<<", 228, 1, 68, 21},
      {"BitBtn1", "1", 1, 71, 68, 32},        {"BitBtn2", "2", 76, 71, 68, 32},
      {"BitBtn3", "3", 152, 71, 68, 32},      {"BitBtn11", "<", 228, 71, 68, 32},
      {"BitBtn4", "4", 1, 141, 68, 32},       {"BitBtn5", "5", 76, 141, 68, 32},
      {"BitBtn6", "6", 152, 141, 68, 32},     {"BitBtnOk", "OK", 228, 141, 207, 27},
      {"BitBtn7", "7", 1, 211, 68, 32},       {"BitBtn8", "8", 76, 211, 68, 32},
      {"BitBtn9", "9", 152, 211, 68, 32},     {"BitBtn12", ",", 1, 281, 68, 32},
      {"BitBtn0", "0", 76, 281, 68, 32},      {"BitBtn13", "00", 152, 281, 68, 32},
  };
  EXPECT_EQ(keypad->findChildren<QPushButton *>().size(), int(std::size(buttons)));
  for (const ButtonLayout &s : buttons) {
    SCOPED_TRACE(s.name);
    QPushButton *b = button(s.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->parentWidget(), panel);
    EXPECT_EQ(b->text(), s.caption);
    EXPECT_EQ(b->geometry(), QRect(s.left, s.top, 73, s.height));
    EXPECT_EQ(b->font().family(), "Algerian");
    EXPECT_EQ(QFontInfo(b->font()).pixelSize(), s.pixels);
    EXPECT_TRUE(b->isVisible());
  }

  ASSERT_EQ(keypad->findChild<TPasswordEdit *>("Edit1"), edit);
  EXPECT_EQ(edit->parentWidget(), panel);
  EXPECT_EQ(edit->geometry(), QRect(74, 17, 155, 40));
  EXPECT_EQ(edit->font().family(), "Times New Roman");
  EXPECT_EQ(QFontInfo(edit->font()).pixelSize(), 21);
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit), int('*'));
  edit->setText("12,00");
  EXPECT_EQ(edit->displayText(), "*****");
  const QImage image = edit->grab().toImage();
  EXPECT_EQ(image.pixel(edit->width() - 8, edit->height() / 2) & 0xFFFFFFu, 0x00FF00u);
  EXPECT_FALSE(keypad->comboBox1()->isVisible());
}

TEST_F(Keypad, ButtonsEditTheFieldWithASingleTap) {
  for (const char *name : {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn6", "BitBtn7",
                           "BitBtn8", "BitBtn9", "BitBtn0", "BitBtn13", "BitBtn12"})
    tap(button(name));
  EXPECT_EQ(edit->text(), "123456789000,");  // beyond the typing limit: buttons do not check it
  EXPECT_EQ(keypad->focusWidget(), edit);      // taps leave the focus in the field

  tap(button("BitBtn11"));
  EXPECT_EQ(edit->text(), "123456789000");
  tap(button("BitBtnTumunuSil"));
  EXPECT_EQ(edit->text(), "");
  tap(button("BitBtn11"));
  EXPECT_EQ(edit->text(), "");
  tap(button("BitBtnTumunuSil"));
  EXPECT_EQ(edit->text(), "");
  EXPECT_TRUE(fake.events.isEmpty());
  EXPECT_EQ(closedCount, 0);
  EXPECT_EQ(boardShown, 0);
}

TEST_F(Keypad, TypingStopsAtTenCharactersButButtonsDoNot) {
  edit->setFocus();
  type(edit, "123456789012");
  EXPECT_EQ(edit->text(), "1234567890");
  tap(button("BitBtn5"));
  tap(button("BitBtn13"));
  EXPECT_EQ(edit->text(), "1234567890500");
  type(edit, "7");
  EXPECT_EQ(edit->text(), "1234567890500");
  pressKey(edit, Qt::Key_Backspace);
  pressKey(edit, Qt::Key_Backspace);
  pressKey(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "1234567890");
  type(edit, "x");
  EXPECT_EQ(edit->text(), "1234567890");

  // Typing over a selection replaces it, so the whole field can be retyped.
  edit->selectAll();
  type(edit, "a\"\\");
  EXPECT_EQ(edit->text(), "a\"\\");

  // Pasting counts as typing.
  edit->clear();
  QGuiApplication::clipboard()->setText("987654321098765");
  pressKey(edit, Qt::Key_V, {}, Qt::ControlModifier);
  ASSERT_EQ(QGuiApplication::clipboard()->text(), "987654321098765");
  EXPECT_EQ(edit->text(), "9876543210");
}

TEST_F(Keypad, ClickInTheFieldSelectsItsWholeText) {
  edit->setText("4321");
  edit->setCursorPosition(1);
  tap(edit);
  EXPECT_TRUE(edit->hasSelectedText());
  EXPECT_EQ(edit->selectionStart(), 0);
  EXPECT_EQ(edit->selectionLength(), 4);
  type(edit, "9");
  EXPECT_EQ(edit->text(), "9");
}

TEST_F(Keypad, OkAndEnterSignInAlikeAndTheBoardComesBackToAnEmptyField) {
  addOperator(7, "AYŞE", "1234");
  type(edit, "1234");
  tap(button("BitBtnOk"));
  EXPECT_EQ(boardShown, 1);
  EXPECT_EQ(fieldWhenBoardShown, "");
  EXPECT_EQ(usersWhenBoardShown, "AYŞE");
  EXPECT_EQ(board->ListBox1.items.size(), 2);
  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(keypad->focusWidget(), edit);

  type(edit, "1234");
  pressKey(edit, Qt::Key_Return, "\r");
  EXPECT_EQ(boardShown, 2);
  EXPECT_EQ(fieldWhenBoardShown, "");
  type(edit, "1234");
  pressKey(edit, Qt::Key_Enter, "\r");
  EXPECT_EQ(boardShown, 3);
  EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join('\n').toStdString();
  EXPECT_EQ(closedCount, 0);
}

TEST_F(Keypad, RefusalsKeepOrEmptyTheFieldAndKeepTheBoardClosed) {
  addUser(2, "GARSON", "2000", 0, "0", "1");
  tap(button("BitBtn9"));
  pressKey(edit, Qt::Key_Return, "\r");
  EXPECT_EQ(fake.informations, QStringList({"Geçersiz Şifre !!!"}));
  EXPECT_EQ(edit->text(), "9");

  edit->setText("2000");
  tap(button("BitBtnOk"));
  EXPECT_EQ(fake.informations.last(), "GARSON Paket Sipariş için Yeterli Yetkiniz Yok  !!!");
  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(boardShown, 0);

  // A database error leaves the field as it was and the keypad usable.
  ztest::exec("DROP TABLE user");
  edit->setText("2000");
  tap(button("BitBtnOk"));
  EXPECT_EQ(fake.errors.size(), 1);
  EXPECT_EQ(edit->text(), "2000");
  ztest::resetDatabase();
  addOperator(3, "ZEYNEP", "2000");
  tap(button("BitBtnOk"));
  EXPECT_EQ(boardShown, 1);
}

TEST_F(Keypad, TerkClosesTheKeypadWhichEndsTheProgram) {
  tap(button("BitBtn10"));
  EXPECT_FALSE(keypad->isVisible());
  EXPECT_EQ(closedCount, 1);
  EXPECT_TRUE(fake.events.isEmpty());
}

}  // namespace
