// Connection start-up: the settings file, the fixed account, every way start-up gives up, and the
// keypad running it when first shown. Real private server; the keypad offscreen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "board/board.h"
#include "db/db_error.h"
#include "db_fixture.h"
#include "fake_messenger.h"
#include "signin/connection_startup.h"
#include "signin/screen/key_pad.h"
#include "widget_input.h"

using ztest::waitFor;

namespace {

using zsignin::StartupResult;

#ifdef Q_OS_WIN
const QString kShownPath = QStringLiteral("C:\\Zerdapos\\Kuryeset.ini");
const QByteArray kNewFile = "[Zumrutek]\r\nZumrutmasa=localhost\r\n";
#else
const QString kShownPath = QStringLiteral("/opt/zerdapos/Kuryeset.ini");
const QByteArray kNewFile = "[Zumrutek]\nZumrutmasa=localhost\n";
#endif

const QString kCreated = "plain:\"" + kShownPath + "\" Dosyasındaki bilgileri silip ip adresinizi yazın Örnek \"localhost\"..";
const QString kReplaceHost = "plain:\"" + kShownPath + "\" Dosyasındaki bilgileri silip ip adresinizi yazın..";
const QString kNoServer = QStringLiteral("info:Ana Makinaya Erişim Sağlanamıyor..? Örnek \"localhost\"");
const QString kNoHost = QStringLiteral("info:ip adresi tanımlanmamış..? Örnek \"localhost\"");
const QString kAccess = QStringLiteral("plain:\"Kuryeset.ini\" dosyasi Erişim Hatası !!!");
const QString kNotFound = QStringLiteral("plain:ini dosyasi Bulunamadi");

// A port on which nothing listens (privileged, and never the production port).
constexpr int kClosedPort = 1;

class ConnectionStartup : public ztest::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    options.settingsPath = dir.filePath("Kuryeset.ini");
    options.port = [] { return ztest::serverPort(); };
  }

  void writeSettings(const QByteArray &content) {
    QFile file(options.settingsPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  QByteArray settingsContent() {
    QFile file(options.settingsPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  StartupResult run() { return zsignin::runConnectionStartup(connect, fake, options); }

  QTemporaryDir dir;
  zsignin::StartupOptions options;
  zdb::Connection connect{QStringLiteral("StartupTest")};
  ztest::FakeMessenger fake;
};

TEST(SettingsPath, FixedPerPlatformAndSpelledAsTheOperatorKnowsIt) {
#ifdef Q_OS_WIN
  EXPECT_EQ(zsignin::defaultSettingsPath(), "c:\\zerdapos\\Kuryeset.ini");
#else
  EXPECT_EQ(zsignin::defaultSettingsPath(), "/opt/zerdapos/Kuryeset.ini");
#endif
  EXPECT_EQ(zsignin::settingsPathInMessages(), kShownPath);
  EXPECT_EQ(zsignin::StartupOptions().settingsPath, zsignin::defaultSettingsPath());
  EXPECT_EQ(zsignin::StartupOptions().port(), 3306);
}

TEST_F(ConnectionStartup, ReachableServerConnectsWithoutAnyMessage) {
  writeSettings("127.0.0.1\r\n");
  EXPECT_EQ(run(), StartupResult::Ready);
  EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join('\n').toStdString();
  ASSERT_TRUE(connect.isOpen());
  const QSqlDatabase db = connect.database();
  EXPECT_EQ(db.databaseName(), "zerdapos");
  EXPECT_EQ(db.userName(), "root");
  EXPECT_EQ(db.password(), "73507350");
  EXPECT_EQ(db.hostName(), "127.0.0.1");
  EXPECT_EQ(db.port(), ztest::serverPort());
  EXPECT_EQ(settingsContent(), "127.0.0.1\r\n");  // an existing file is never rewritten
}

// Only the first line counts, cut at CR LF, LF or a lone CR, and taken exactly as written.
TEST_F(ConnectionStartup, FirstLineIsTheHostWhateverTheLineBreaks) {
  for (const QByteArray &content :
       {QByteArray("127.0.0.1"), QByteArray("127.0.0.1\nlocalhost"), QByteArray("127.0.0.1\r\n[bozuk"),
        QByteArray("127.0.0.1\rikinci satır\r\nüçüncü"), QByteArray("\xEF\xBB\xBF" "127.0.0.1\n")}) {
    SCOPED_TRACE(content.toStdString());
    connect.close();
    fake.events.clear();
    writeSettings(content);
    EXPECT_EQ(run(), StartupResult::Ready);
    EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join('\n').toStdString();
    EXPECT_EQ(connect.database().hostName(), "127.0.0.1");
    EXPECT_TRUE(connect.isOpen());
  }

  EXPECT_EQ(zsignin::splitSettingsLines("a \r\n\r\nb\rc\n\nd"), QStringList({"a ", "", "b", "c", "", "d"}));
  EXPECT_EQ(zsignin::splitSettingsLines("a\r\n"), QStringList({"a"}));
  EXPECT_TRUE(zsignin::splitSettingsLines("").isEmpty());
}

TEST_F(ConnectionStartup, TrailingBlankStaysInTheHostAndTheServerIsNotFound) {
  writeSettings(" 127.0.0.1 \nlocalhost\n");
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(connect.database().hostName(), " 127.0.0.1 ");
  EXPECT_EQ(fake.events, QStringList({kNoServer, kReplaceHost}));
  EXPECT_FALSE(connect.isOpen());
}

TEST_F(ConnectionStartup, EmptyFileOrEmptyFirstLineEndsWithoutAConnectionAttempt) {
  for (const QByteArray &content : {QByteArray(""), QByteArray("\n127.0.0.1"), QByteArray("\r\n127.0.0.1"),
                                   QByteArray("\r127.0.0.1")}) {
    SCOPED_TRACE(content.toStdString());
    fake.events.clear();
    writeSettings(content);
    EXPECT_EQ(run(), StartupResult::ProgramEnds);
    EXPECT_EQ(fake.events, QStringList({kNoHost}));
    EXPECT_TRUE(connect.database().hostName().isEmpty());  // the account was never set
    EXPECT_FALSE(connect.isOpen());
  }
}

// First start on a machine whose settings directory exists but holds no file: the placeholder file
// is created and kept, and its "[Zumrutek]" host cannot be reached; a second start says so again.
TEST_F(ConnectionStartup, MissingFileIsCreatedWithThePlaceholderAndStartUpGoesOn) {
  ASSERT_FALSE(QFile::exists(options.settingsPath));
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kCreated, kNoServer, kReplaceHost}));
  EXPECT_EQ(settingsContent(), kNewFile);
  EXPECT_EQ(connect.database().hostName(), "[Zumrutek]");

  fake.events.clear();
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kNoServer, kReplaceHost}));
  EXPECT_EQ(settingsContent(), kNewFile);
}

TEST_F(ConnectionStartup, FileThatCannotBeCreatedEndsTheProgram) {
  options.settingsPath = dir.filePath("yok/Kuryeset.ini");
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kAccess}));
  EXPECT_FALSE(QFile::exists(options.settingsPath));
  EXPECT_TRUE(connect.database().hostName().isEmpty());
}

TEST_F(ConnectionStartup, FileThatCannotBeReadEndsTheProgram) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("Kuryeset.ini"));  // something stands there, but no text file
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kNotFound}));
  EXPECT_TRUE(connect.database().hostName().isEmpty());
}

TEST_F(ConnectionStartup, RefusedParametersShowPlainDialogThenInformationBox) {
  writeSettings("127.0.0.1\n");
  options.port = []() -> int { throw zdb::DbError(QStringLiteral("parametre reddedildi")); };
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kReplaceHost, kNoServer}));
  EXPECT_FALSE(connect.isOpen());
}

TEST_F(ConnectionStartup, UnreachableServerShowsInformationBoxThenPlainDialog) {
  writeSettings("127.0.0.1\n");
  options.port = [] { return kClosedPort; };
  EXPECT_EQ(run(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kNoServer, kReplaceHost}));  // the driver's own text is not shown
  EXPECT_FALSE(connect.isOpen());
}

// ---------------------------------------------------------------- the keypad runs it when shown

class KeypadStartup : public ConnectionStartup {
 protected:
  void SetUp() override {
    ConnectionStartup::SetUp();
    board = std::make_unique<zboard::Board>(fake, QStringLiteral("KeypadStartup"));
    keypad = std::make_unique<TFormKeyPad>(*board);
    keypad->setStartupOptions(options);
    QObject::connect(keypad.get(), &TFormKeyPad::closed, [this] { ++closedCount; });
  }
  void TearDown() override {
    keypad.reset();
    board.reset();
  }
  std::unique_ptr<zboard::Board> board;
  std::unique_ptr<TFormKeyPad> keypad;
  int closedCount = 0;
};

TEST_F(KeypadStartup, FirstShowingConnectsTheBoardAndPutsTheFocusInThePasswordField) {
  writeSettings("127.0.0.1\nikinci\n");
  keypad->show();
  ASSERT_TRUE(waitFor([&] { return keypad->startupDone(); }));
  EXPECT_EQ(keypad->startupResult(), StartupResult::Ready);
  EXPECT_TRUE(fake.events.isEmpty()) << fake.events.join('\n').toStdString();
  EXPECT_TRUE(board->Connect.isOpen());
  EXPECT_EQ(board->Connect.database().hostName(), "127.0.0.1");
  EXPECT_TRUE(keypad->isVisible());
  EXPECT_EQ(closedCount, 0);
  EXPECT_EQ(keypad->focusWidget(), keypad->edit1());

  // The file was read through the hidden list: its lines are the items, item 0 selected.
  QComboBox *list = keypad->comboBox1();
  ASSERT_EQ(list, keypad->findChild<QComboBox *>("ComboBox1"));
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_EQ(list->currentText(), "127.0.0.1");

  // Start-up runs once per program run, not at every showing.
  keypad->hide();
  fake.events.clear();
  writeSettings("");
  keypad->show();
  waitFor([] { return false; }, 100);
  EXPECT_TRUE(fake.events.isEmpty());
  EXPECT_TRUE(keypad->isVisible());
}

TEST_F(KeypadStartup, FailedStartUpClosesTheKeypadWhichEndsTheProgram) {
  writeSettings("\n127.0.0.1\n");
  keypad->show();
  ASSERT_TRUE(waitFor([&] { return keypad->startupDone(); }));
  EXPECT_EQ(keypad->startupResult(), StartupResult::ProgramEnds);
  EXPECT_EQ(fake.events, QStringList({kNoHost}));
  EXPECT_EQ(keypad->comboBox1()->count(), 2);
  EXPECT_FALSE(keypad->isVisible());
  EXPECT_EQ(closedCount, 1);
  EXPECT_FALSE(board->Connect.isOpen());
}

}  // namespace
