#include "board.h"

#include <QSysInfo>

#include "db/db_error.h"
#include "db/table_columns.h"
#include "dialogs/dialog_values.h"

namespace zboard {

namespace {
GridColumn orderColumn(const char *caption, int width, bool vertical) {
  GridColumn c;
  c.caption = QString::fromUtf8(caption);
  c.width = width;
  c.align = Align::Center;
  c.verticalHeader = vertical;
  return c;
}
// The wall clock: now, carrying the local offset from UTC, so its date and time are the local
// ones. Asking the system for local time costs a time-zone lookup (a file check on every call)
// and a closing run reads the clock for every bill and line, so the offset is kept until the next
// quarter hour of UTC, the earliest moment a change of offset can take effect.
QDateTime localNow() {
  static thread_local qint64 offsetValidUntil = 0;
  static thread_local int offsetSeconds = 0;
  const qint64 msecs = QDateTime::currentMSecsSinceEpoch();
  if (msecs >= offsetValidUntil) {
    offsetSeconds = QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc();
    constexpr qint64 kQuarterHour = 15 * 60 * 1000;
    offsetValidUntil = (msecs / kQuarterHour + 1) * kQuarterHour;
  }
  return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, offsetSeconds);
}

}  // namespace

Board::Board(zdlg::Messenger &messenger, const QString &connectionName, QObject *parent)
    : QObject(parent),
      Connect(connectionName),
      QueryMainSip(Connect, QStringLiteral("QueryMainSip")),
      QueryTemp(Connect, QStringLiteral("QueryTemp")),
      QueryKullanici(Connect, QStringLiteral("QueryKullanici")),
      QueryKisimYetki(Connect, QStringLiteral("QueryKisimYetki")),
      QueryStation(Connect, QStringLiteral("QueryStation")),
      QuerySetup4(Connect, QStringLiteral("QuerySetup4")),
      QueryMainSipKuryeSirala(Connect, QStringLiteral("QueryMainSipKuryeSirala")),
      QueryKasaAdi(Connect, QStringLiteral("QueryKasaAdi")),
      QuerySube(Connect, QStringLiteral("QuerySube")),
      QueryGrafik(Connect, QStringLiteral("QueryGrafik")),
      QueryGrafikKapali(Connect, QStringLiteral("QueryGrafikKapali")),
      QueryLanguage(Connect, QStringLiteral("QueryLanguage")),
      QueryMusteriTuru(Connect, QStringLiteral("QueryMusteriTuru")),
      QueryKisimBolum(Connect, QStringLiteral("QueryKisimBolum")),
      QueryGenhar(Connect, QStringLiteral("QueryGenhar")),
      QueryStokhar(Connect, QStringLiteral("QueryStokhar")),
      messenger_(*this, messenger),
      clock_([] { return localNow(); }),
      hostName_([] { return localHostName(); }) {
  QueryTemp.setDeclaredColumns(zdb::tempDeclaredColumns());
  QueryKisimBolum.setDeclaredColumns(zdb::kisimBolumDeclaredColumns());
  QueryMusteriTuru.setDeclaredColumns(zdb::cariDeclaredColumns());

  NextGrid1.columns = {orderColumn("Adisyonno", 46, true), orderColumn("Firma Adı", 111, false),
                       orderColumn("Tutar", 42, false)};

  Timer1.setInterval(100);
  Timer1.setSingleShot(false);
  connect(&Timer1, &QTimer::timeout, this, &Board::Timer1Timer);
  FormCreate();
}

Board::~Board() = default;

void Board::FormCreate() {
  SpeedButtonAsagiCaption = QStringLiteral("V");
  SpeedButtonYukariCaption = QStringLiteral("^");
  BoardErrorText.clear();
  emit captionsChanged();
}

void Board::AnnouncingMessenger::showInformation() {
  emit board_.boxOpening();
  target_.showInformation();
}

void Board::AnnouncingMessenger::showQuestion() {
  emit board_.boxOpening();
  target_.showQuestion();
}

void Board::AnnouncingMessenger::showPlainMessage(const QString &text) {
  emit board_.boxOpening();
  target_.showPlainMessage(text);
}

void Board::AnnouncingMessenger::showError(const QString &text) {
  emit board_.boxOpening();
  target_.showError(text);
}

bool Board::runCommand(const std::function<void()> &command) {
  // Commands run inside commands (a list tap refreshes); only the outermost is announced.
  struct Scope {
    Board &b;
    explicit Scope(Board &board) : b(board) {
      if (b.commandDepth_++ == 0) emit b.commandStarted();
    }
    ~Scope() {
      if (--b.commandDepth_ == 0) emit b.commandFinished();
    }
  } scope(*this);
  try {
    // A server that went away since the last command (restart, killed session) is reached again
    // before this command starts; a transaction never spans commands, so nothing is lost by it.
    if (connectionLost_ || !Connect.ping()) {
      Connect.reopen();
      connectionLost_ = false;
    }
    command();
    return true;
  } catch (const zdb::DbError &e) {
    noteFailure();
    messenger_.showError(zdlg::errorBoxText(e.text()));
  } catch (const std::exception &e) {
    noteFailure();
    messenger_.showError(zdlg::errorBoxText(QString::fromStdString(e.what())));
  }
  return false;
}

void Board::noteFailure() {
  if (!Connect.ping()) connectionLost_ = true;
}

void Board::setEnabled(bool on) {
  if (enabled == on) return;
  enabled = on;
  emit enabledChanged(on);
}

void Board::Timer1Timer() {
  // A closed query counts as holding no row.
  if (QueryMainSip.recordCount() > 0) return;
  setEnabled(true);
  Timer1.stop();
}

std::optional<QString> localHostName() {
  const QString name = QSysInfo::machineHostName();
  if (name.isEmpty()) return std::nullopt;
  return name;
}

}  // namespace zboard
