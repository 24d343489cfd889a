#include "connection_startup.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <exception>

#include "dialogs/dialog_values.h"

namespace zsignin {

namespace {

#ifdef Q_OS_WIN
constexpr char kNewLine[] = "\r\n";
#else
constexpr char kNewLine[] = "\n";
#endif

QString fileMissingText() {
  return QStringLiteral("\"%1\" Dosyasındaki bilgileri silip ip adresinizi yazın Örnek \"localhost\"..")
      .arg(settingsPathInMessages());
}

QString replaceHostText() {
  return QStringLiteral("\"%1\" Dosyasındaki bilgileri silip ip adresinizi yazın..").arg(settingsPathInMessages());
}

const QString kAccessError = QStringLiteral("\"Kuryeset.ini\" dosyasi Erişim Hatası !!!");
const QString kNotFound = QStringLiteral("ini dosyasi Bulunamadi");
const QString kNoHost = QStringLiteral("ip adresi tanımlanmamış..? Örnek \"localhost\"");
const QString kNoServer = QStringLiteral("Ana Makinaya Erişim Sağlanamıyor..? Örnek \"localhost\"");

void inform(zdlg::Messenger &messenger, const QString &text) {
  zdlg::DialogMessage = text;
  messenger.showInformation();
}

// Windows initialisation-file form of section Zumrutek, key Zumrutmasa = localhost. A half-written
// file is removed again, so the next start is told the same and not handed a broken host.
bool createSettingsFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
  const QByteArray content = QByteArray("[Zumrutek]") + kNewLine + "Zumrutmasa=localhost" + kNewLine;
  const bool written = file.write(content) == content.size() && file.flush();
  file.close();
  if (!written || file.error() != QFileDevice::NoError) {
    file.remove();
    return false;
  }
  return true;
}

bool readSettingsFile(const QString &path, QString *content) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;  // also a directory standing at the path
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  QStringDecoder utf8(QStringDecoder::Utf8);  // drops a leading byte-order mark
  *content = utf8.decode(bytes);
  if (utf8.hasError()) *content = QString::fromLocal8Bit(bytes);  // an ANSI-written file
  return true;
}

}  // namespace

QString defaultSettingsPath() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\zerdapos\\Kuryeset.ini");
#else
  return QStringLiteral("/opt/zerdapos/Kuryeset.ini");
#endif
}

QString settingsPathInMessages() {
#ifdef Q_OS_WIN
  return QStringLiteral("C:\\Zerdapos\\Kuryeset.ini");
#else
  return QStringLiteral("/opt/zerdapos/Kuryeset.ini");
#endif
}

QStringList splitSettingsLines(const QString &content) {
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList lines = content.split(lineBreak);
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QHash<QString, QString> laterSettings(const QStringList &lines) {
  QHash<QString, QString> settings;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype equals = lines[i].indexOf(QLatin1Char('='));
    if (equals < 0) continue;
    const QString key = lines[i].left(equals).trimmed().toLower();
    if (!key.isEmpty()) settings.insert(key, lines[i].mid(equals + 1).trimmed());
  }
  return settings;
}

StartupResult runConnectionStartup(zdb::Connection &connect, zdlg::Messenger &messenger,
                                   const StartupOptions &options, const HostFromLines &hostFromLines) {
  const QString &path = options.settingsPath;

  // 1. A missing file is created with a placeholder the operator is asked to replace.
  if (!QFile::exists(path)) {
    if (!createSettingsFile(path)) {
      messenger.showPlainMessage(kAccessError);
      return StartupResult::ProgramEnds;
    }
    messenger.showPlainMessage(fileMissingText());
  }

  // 2. Read its lines.
  QString content;
  if (!readSettingsFile(path, &content)) {
    messenger.showPlainMessage(kNotFound);
    return StartupResult::ProgramEnds;
  }
  const QStringList lines = splitSettingsLines(content);
  if (options.settingsRead) options.settingsRead(laterSettings(lines));

  // 3. The first line, exactly as written, is the host.
  const QString host = hostFromLines ? hostFromLines(lines) : lines.value(0);
  if (host.isEmpty()) {
    inform(messenger, kNoHost);
    return StartupResult::ProgramEnds;
  }

  // 4. The fixed account.
  try {
    connect.setDatabaseName(QStringLiteral("zerdapos"));
    connect.setPassword(QStringLiteral("73507350"));
    connect.setHostName(host);
    connect.setUserName(QStringLiteral("root"));
    connect.setPort(options.port ? options.port() : 3306);
  } catch (const std::exception &) {
    messenger.showPlainMessage(replaceHostText());
    inform(messenger, kNoServer);
    return StartupResult::ProgramEnds;
  }

  // 5. Open; the attempt's own error text is not shown.
  bool opened = false;
  try {
    connect.open();
    opened = connect.isOpen();
  } catch (const std::exception &) {
    opened = false;
  }
  if (!opened) {
    inform(messenger, kNoServer);
    messenger.showPlainMessage(replaceHostText());
    return StartupResult::ProgramEnds;
  }
  return StartupResult::Ready;
}

}  // namespace zsignin
