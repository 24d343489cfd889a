#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

#include "db/connection.h"
#include "dialogs/messenger.h"

namespace zsignin {

// How the connection start-up ended.
enum class StartupResult {
  Ready,       // connected: the keypad takes the password
  ProgramEnds  // a failure was shown: the program closes without further messages
};

// The settings file's fixed place: c:\zerdapos\Kuryeset.ini on Windows, /opt/zerdapos/Kuryeset.ini
// elsewhere.
QString defaultSettingsPath();
// The settings file as the messages spell it ("C:\Zerdapos\Kuryeset.ini" on Windows).
QString settingsPathInMessages();

struct StartupOptions {
  QString settingsPath = defaultSettingsPath();
  // The server's TCP port, set right after the fixed parameters: 3306 in the program, the private
  // server's port in tests. A zdb::DbError thrown here counts as the parameters being refused.
  std::function<int()> port = [] { return 3306; };
  // Given the settings of the file's later lines once it has been read (laterSettings).
  std::function<void(const QHash<QString, QString> &settings)> settingsRead;
};

// Loads the settings file's lines into a list, selects item 0 and returns the list's current text
// (the keypad's hidden ComboBox1). Without one, the first line is taken directly.
using HostFromLines = std::function<QString(const QStringList &lines)>;

// The file's lines split at CR LF, LF or CR, exactly as written (nothing trimmed). A break at the
// very end does not open another line, so an empty file has no line at all.
QStringList splitSettingsLines(const QString &content);

// The settings of the lines after the first (the first is the server): "KEY=VALUE", the key in
// lower case (keys are read without regard to case), key and value without surrounding blanks.
// A line without "=" or with an empty key is ignored; of two lines with one key the later counts.
QHash<QString, QString> laterSettings(const QStringList &lines);

// Reads (creating it when missing) the settings file, sets the fixed account on `connect` with the
// file's first line as the host, and opens it. Every failure is shown, in the order and kind of box
// the operator is used to, before ProgramEnds is returned.
StartupResult runConnectionStartup(zdb::Connection &connect, zdlg::Messenger &messenger,
                                   const StartupOptions &options = {},
                                   const HostFromLines &hostFromLines = {});

}  // namespace zsignin
