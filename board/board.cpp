#include "board.h"

#include <QSysInfo>

#include "board/closing_transaction.h"
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
  // The kinds of the tables a run writes are learnt with the session's settings: no request of
  // its own, and asked again whenever the session is new.
  Connect.setOpeningRead(tableKindsStatement());
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

QString Board::tableKindsStatement() {
  return QStringLiteral(
      "SELECT LOWER(t.TABLE_NAME) AS TABLE_NAME, t.ENGINE, e.TRANSACTIONS FROM information_schema.TABLES t "
      "LEFT JOIN information_schema.ENGINES e ON e.ENGINE = t.ENGINE WHERE t.TABLE_SCHEMA = 'zerdapos' AND "
      "LOWER(t.TABLE_NAME) IN ('genhar', 'stokhar', 'mainsip', 'temp')");
}

bool Board::tablesHaveTransactions() const {
  // The server's list of engines tells which have transactions; the kinds of older restaurant
  // databases never count, whatever a server says of them.
  static const QStringList without = {QStringLiteral("MyISAM"), QStringLiteral("Aria"), QStringLiteral("MEMORY"),
                                      QStringLiteral("HEAP"), QStringLiteral("MRG_MyISAM")};
  QStringList transactional;
  for (const std::vector<QVariant> &row : Connect.openingRows().rows) {
    if (row.size() < 3) continue;
    const QString engine = row[1].toString();
    if (!without.contains(engine, Qt::CaseInsensitive) && row[2].toString().compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0)
      transactional << row[0].toString().toLower();
  }
  // A table not found counts as one without: the way that holds on any kind of table.
  for (const char *table : {"genhar", "stokhar", "mainsip", "temp"})
    if (!transactional.contains(QLatin1String(table))) return false;
  return true;
}

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

void Board::AnnouncingMessenger::showErrorAndNote(const QString &text, const QString &note) {
  emit board_.boxOpening();
  target_.showErrorAndNote(text, note);
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
    if (unsettledRun_) {
      try {
        unsettledRun_->settle();
      } catch (const zdb::DbError &e) {
        // Given up only when the server refused it; what is there shows at the next reload.
        if (!ClosingTransaction::worthRetrying(e)) unsettledRun_.reset();
        noteFailure();
        messenger_.showErrorAndNote(zdlg::errorBoxText(e.text()), cannotTellNote());
        return false;
      }
      unsettledRun_.reset();
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

void Board::keepUnsettledRun(std::unique_ptr<ClosingTransaction> run) { unsettledRun_ = std::move(run); }

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
