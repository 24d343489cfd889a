// Fault soak: several headless boards act at random on one database while connections are killed,
// late lines arrive and (in the long mode) the server restarts; after every step the database must
// still hold each order open with all its lines or closed exactly once, each bill with its order's
// amount and its row's register, each stock row with its line's price and quantity.
//
// The faults must land, not only be asked for: some kills are aimed through each board's relay at
// the request that ends a run (its bills and lines written, its orders not yet deleted), and a
// line arrives for an order of a running run until runs have noticed it. The summary line
//   soak: steps S, runs R, closed C, kills K, kills inside a written transaction W,
//         changed elsewhere E, restarts T, violations V, busy B
// must show C >= 10, W >= 3, E >= 1, V = 0, (long mode) T >= the restarts asked and (MyISAM)
// B >= 1. A closing run that fails without an injected fault is a violation.
//
//   short mode (the test command): ZSOAK_SECONDS=25, no restart
//   long mode: ZSOAK_SECONDS >= 120, e.g. ZSOAK_SECONDS=540 ctest -R 'db_server_st|test_soak$' (ctest
//   stops a test at 600 s); the server restarts every ZSOAK_RESTART_EVERY=90 s
//   ZSOAK_BOARDS=K (4), ZSOAK_SEED=N (a new seed each run otherwise; printed), ZSOAK_RESTARTS=N forces N
//   ZSOAK_ENGINE=MyISAM: genhar, stokhar, mainsip and temp are MyISAM tables (ctest test_soak_myisam).
//   Without transactions a run's bills stand while it runs, so the invariants are checked only while
//   no board is inside a run or has one left to settle. A kill lands inside a written run when the
//   server shows bills of the board's orders. A run that finds another's closing lock taken says so
//   at once (B >= 1 is required: the lock was met); so may a board's first step after its
//   connection was lost, when another board's run holds the lock.
//
// Each board lives in its own thread with its own connection. The dialog values (DialogMessage,
// DialogAnswer) are program-wide, as in the one-thread program, so boards take turns at their
// commands; a closing run gives the turn away whenever it lets the progress window move, so other
// boards list, hold, mark and close in the middle of its transaction.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <random>
#include <semaphore>

#include "bench/relay.h"
#include "board_fixture.h"
#include "closing_invariants.h"
#include "db/turkish_format.h"
#include "db/db_error.h"
#include "dialogs/dialog_values.h"
#include "signin/sign_in.h"

namespace {

using Clock = std::chrono::steady_clock;

int envInt(const char *name, int fallback) {
  const QByteArray v = qgetenv(name);
  bool ok = false;
  const int n = v.toInt(&ok);
  return ok ? n : fallback;
}

// How long a stopped till's session stays at the server in the MyISAM mode.
constexpr int kStopSilenceSeconds = 3;

const QStringList kCouriers = {"Ali", "Veli", QString::fromUtf8("Ayşe")};
const QStringList kSections = {"Paket Servis", "Gel Al"};

// ---------------------------------------------------------------- a connection of the soak's own

// Opened in the thread that uses it; opened again after the server went away.
class AdminLink {
 public:
  explicit AdminLink(QString name) : name_(std::move(name)) {}
  ~AdminLink() {
    if (QSqlDatabase::contains(name_)) {
      QSqlDatabase::database(name_, false).close();
      QSqlDatabase::removeDatabase(name_);
    }
  }
  QSqlDatabase db() {
    if (!QSqlDatabase::contains(name_)) {
      QSqlDatabase d = QSqlDatabase::addDatabase("QMYSQL", name_);
      d.setHostName("127.0.0.1");
      d.setPort(ztest::serverPort());
      d.setUserName("root");
      d.setPassword("73507350");
      d.setDatabaseName("zerdapos");
      d.setConnectOptions("MYSQL_OPT_CONNECT_TIMEOUT=5");
    }
    QSqlDatabase d = QSqlDatabase::database(name_, false);
    if (!d.isOpen()) d.open();
    return d;
  }
  // Runs statements; false (and the link closed, to be opened again) when one fails.
  bool exec(const QStringList &statements, QString *error = nullptr) {
    QSqlDatabase d = db();
    QSqlQuery q(d);
    for (const QString &s : statements) {
      if (!q.exec(s)) {
        if (error) *error = q.lastError().text();
        q.finish();
        d.close();
        return false;
      }
    }
    return true;
  }
  // Rows of a statement, each row's columns joined by '|'; nullopt when it fails.
  std::optional<QStringList> rows(const QString &statement) {
    QSqlDatabase d = db();
    QSqlQuery q(d);
    if (!q.exec(statement)) {
      d.close();
      return std::nullopt;
    }
    QStringList out;
    while (q.next()) {
      QStringList row;
      for (int c = 0; c < q.record().count(); ++c) row << q.value(c).toString();
      out << row.join('|');
    }
    return out;
  }

 private:
  QString name_;
};

// ---------------------------------------------------------------- shared state

struct Counters {
  std::atomic<long> steps{0}, runs{0}, runsClosed{0}, runsChangedElsewhere{0}, runsBusy{0}, errorsShown{0};
  std::atomic<long> kills{0}, midRunKills{0}, writtenKills{0}, lateLines{0}, newOrders{0}, restarts{0};
  std::atomic<long> checks{0}, checksSkipped{0}, checksDeferred{0}, violations{0}, recoveries{0},
      failedRecoveries{0};
  // Tills stopped in the middle of a run, those whose silent session held the closing lock, and
  // those whose bills on open orders another board's run took back while the till was stopped.
  std::atomic<long> stops{0}, stopsHolding{0}, leftoversSettledElsewhere{0};
};

// Whoever holds the turn may run board code or change the database. It can be handed on: a board
// whose till stops in the middle of a request (its relay frozen) gives it up through the relay, and
// the one who thaws the till hands it back.
class Turn {
 public:
  void lock() { free_.acquire(); }
  void unlock() { free_.release(); }

 private:
  std::binary_semaphore free_{1};
};

struct Shared {
  Turn turn;
  Clock::time_point deadline;
  std::atomic<bool> serverDown{false};
  std::atomic<int> restartEpoch{0};  // counts the restarts begun
  Counters count;
  std::mutex log;
  QStringList violationTexts;

  // What each board holds or may still hold, and its session: published by the board's thread.
  std::mutex published;
  std::vector<QSet<int>> claims;
  std::vector<qint64> sessions;
  std::vector<std::atomic<bool>> recover;  // the board's next step must work: its connection was lost
  // Kills of a board's session begun and returned: while they differ, a kill is on its way and the
  // board's step may lose its session at any moment.
  std::vector<std::atomic<long>> killsBegun, killsDone;
  // Tables without transactions: a board inside a run (its bills stand while it runs), a board with
  // a run left to settle.
  bool myIsam = false;
  std::vector<std::atomic<bool>> inRun, unsettled;
  // Stopped tills (tables without transactions): each board's relay, and while it is frozen the
  // session it left silent at the server and when it stopped (under `published`).
  struct Stop {
    bool frozen = false;
    std::uint32_t session = 0;
    Clock::time_point at;
    bool looked = false;       // what the silent session holds was looked at
    QStringList leftBills;     // its bills on open orders then
  };
  std::vector<zbench::Relay *> relays;
  std::vector<Stop> stopped;
  std::vector<std::atomic<long>> stopsBegun;
  explicit Shared(int boards)
      : claims(size_t(boards)), sessions(size_t(boards), 0), recover(size_t(boards)), killsBegun(size_t(boards)),
        killsDone(size_t(boards)), inRun(size_t(boards)), unsettled(size_t(boards)), relays(size_t(boards), nullptr),
        stopped(size_t(boards)), stopsBegun(size_t(boards)) {}


  // Kills board k's session; its next step must then work again. A kill counts as landing inside
  // a written transaction when the server reports, just before it, an open transaction of that
  // session with rows already modified (the session is waiting on us, so nothing changes between);
  // without transactions, bills of the orders the board lists.
  bool killSession(int k, qint64 session, AdminLink &link) {
    ++killsBegun[size_t(k)];
    QString evidence =
        QString("SELECT trx_rows_modified FROM information_schema.innodb_trx WHERE trx_mysql_thread_id = %1").arg(session);
    if (myIsam) {
      QStringList orders;
      {
        std::lock_guard<std::mutex> g(published);
        for (const int order : claims[size_t(k)]) orders << QString::number(order);
      }
      // Bills of orders the board lists: orders are listed open, and they stay open until the
      // run's deletes (genhar alone is read: a run locks temp and mainsip from its check to its
      // deletes, and an aimed kill comes just before those).
      evidence = orders.isEmpty() ? QString("SELECT 0")
                                  : "SELECT COUNT(*) FROM genhar WHERE ADISYONNO IN (" + orders.join(", ") + ")";
    }
    const std::optional<QStringList> written = link.rows(evidence);
    const bool killed = link.exec({QString("KILL CONNECTION %1").arg(session)});
    ++killsDone[size_t(k)];
    recover[size_t(k)] = true;
    if (killed) {
      ++count.kills;
      if (written && !written->isEmpty() && written->front().toLong() > 0) ++count.writtenKills;
    }
    return killed;
  }

  // A violation stays visible to every later check: each is counted and told once.
  void violation(const QString &what, const QString &after) {
    std::lock_guard<std::mutex> g(log);
    if (seen.contains(what)) return;
    seen.insert(what);
    ++count.violations;
    const QString text = what + " (first seen after " + after + ")";
    if (violationTexts.size() < 50) violationTexts << text;
    std::fprintf(stderr, "VIOLATION: %s\n", qPrintable(text));
  }
  QSet<QString> seen;
  bool running() const { return Clock::now() < deadline; }
};

QSet<int> orderNumbers(const QString &text) {
  QSet<int> out;
  static const QRegularExpression number(QStringLiteral("(\\d+)"));
  for (auto it = number.globalMatch(text); it.hasNext();) out.insert(it.next().captured(1).toInt());
  return out;
}

// ---------------------------------------------------------------- the invariants

// Every statement names a violation by its rows; run inside one snapshot, with the turn held, so
// nothing but committed work of finished statements is seen.
constexpr auto &kInvariantQueries = ztest::kClosingInvariants;
// The soak's own, on what it seeds beyond the shared tables: each bill carries its order's amount,
// each stock row its line's price and quantity.
const char *kSoakInvariantQueries[][2] = {
    {"bill's amount is not its order's (order, bill amount, order amount)",
     "SELECT g.ADISYONNO, g.CIKIS, e.TUTAR FROM genhar g JOIN soak_orders e ON e.ADISYONNO = g.ADISYONNO "
     "WHERE ROUND(g.CIKIS, 2) <> ROUND(e.TUTAR, 2)"},
    {"stock row's price or quantity is not its line's (order, line, price, quantity, expected price, quantity)",
     "SELECT s.ADISYONNO, s.STOKADI, s.CIKISFIYAT, s.ADET, x.FIYAT, x.ADET FROM stokhar s JOIN soak_lines x ON "
     "x.ADISYONNO = s.ADISYONNO AND x.STOKADI = s.STOKADI "
     "WHERE ROUND(s.CIKISFIYAT, 2) <> ROUND(x.FIYAT, 2) OR s.ADET <> x.ADET"},
};

// Checks everything; returns false when the server could not be asked (or, without transactions,
// a board is inside a run or has one to settle: its bills stand while its orders are open).
bool checkInvariants(Shared &shared, AdminLink &link, const QString &after) {
  if (shared.myIsam) {
    for (size_t k = 0; k < shared.inRun.size(); ++k) {
      if (shared.inRun[k] || shared.unsettled[k]) {
        ++shared.count.checksDeferred;
        return false;
      }
    }
  }
  if (!link.exec({"START TRANSACTION WITH CONSISTENT SNAPSHOT"})) {
    ++shared.count.checksSkipped;
    return false;
  }
  std::vector<std::pair<QString, QStringList>> found;
  bool ok = true;
  std::vector<std::pair<const char *, const char *>> queries;
  for (const auto &q : kInvariantQueries) queries.push_back({q[0], q[1]});
  for (const auto &q : kSoakInvariantQueries) queries.push_back({q[0], q[1]});
  for (const auto &[what, statement] : queries) {
    const std::optional<QStringList> rows = link.rows(QString::fromUtf8(statement));
    if (!rows) {
      ok = false;
      break;
    }
    if (!rows->isEmpty()) found.push_back({QString::fromUtf8(what), *rows});
  }
  const std::optional<QStringList> held = ok ? link.rows("SELECT ADISYONNO FROM mainsip WHERE lockdurum = 1")
                                             : std::nullopt;
  // Between runs nobody holds the closing lock.
  const std::optional<QStringList> lockFree =
      ok && shared.myIsam ? link.rows("SELECT IS_FREE_LOCK('zerdapos_paket_kapanis')") : std::nullopt;
  link.exec({"COMMIT"});
  if (!ok || !held) {
    ++shared.count.checksSkipped;
    return false;
  }
  ++shared.count.checks;
  for (const auto &[what, rows] : found) shared.violation(what + ": " + rows.mid(0, 5).join("; "), after);
  if (lockFree && (lockFree->isEmpty() || lockFree->front() != "1"))
    shared.violation("the closing lock is held while no run runs", after);
  // A held order must be held by a board that still means to release it: one whose hold clause
  // names it (or, during its run, whose grid lists it).
  QSet<int> claimed;
  {
    std::lock_guard<std::mutex> g(shared.published);
    for (const QSet<int> &c : shared.claims) claimed.unite(c);
  }
  QStringList strays;
  for (const QString &order : *held)
    if (!claimed.contains(order.toInt())) strays << order;
  if (!strays.isEmpty()) shared.violation("held by no board: " + strays.mid(0, 10).join(", "), after);
  return true;
}

// ---------------------------------------------------------------- the restaurant's other programs

// New ready orders with their lines, and what the soak expects of them, in one transaction.
bool addOrders(AdminLink &link, std::mt19937 &random, int &nextOrder, int count, const QDate &workDate) {
  QStringList statements = {"START TRANSACTION"};
  for (int i = 0; i < count; ++i) {
    const int no = nextOrder++;
    const int lines = 1 + int(random() % 6);
    const QString courier = kCouriers[int(random() % kCouriers.size())];
    const QString section = kSections[int(random() % kSections.size())];
    const QDate date = random() % 10 == 0 ? workDate.addDays(-1) : workDate;
    double total = 0;
    for (int l = 1; l <= lines; ++l) {
      const double price = double(5 + random() % 300) + double(random() % 100) / 100.0;
      const int quantity = 1 + int(random() % 3);
      total += price * quantity;
      const QString name = QString::fromUtf8("Ürün %1-%2").arg(no).arg(l);
      statements << QString("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PORSIYON, GARSON, GRUPADI, "
                            "SATISNOKTASI) VALUES (%1, %2, '%3', %4, %5, 1, 'Garson', 'Yemek', '%6')")
                        .arg(l)
                        .arg(no)
                        .arg(name)
                        .arg(quantity)
                        .arg(price, 0, 'f', 2)
                        .arg(l % 3 == 0 ? "" : "Mutfak");
      statements << QString("INSERT INTO soak_lines (ADISYONNO, STOKADI, FIYAT, ADET) VALUES (%1, '%2', %3, %4)")
                        .arg(no)
                        .arg(name)
                        .arg(price, 0, 'f', 2)
                        .arg(quantity);
    }
    statements << QString("INSERT INTO mainsip (ADISYONNO, FIRMAISMI, TUTAR, SEVKYAPANISMI, KISIM, TARIH, "
                          "LOCKDURUM, ADISYONYAZDIMI, PAKETCIDURUM, KISISAYISI, CARINO, KISIMBOLUMNO, MASANO) "
                          "VALUES (%1, '%2', %3, '%4', '%5', '%6', 0, 1, 50, 1, %7, 2, '')")
                      .arg(no)
                      .arg(QString::fromUtf8("Müşteri %1").arg(no))
                      .arg(total, 0, 'f', 2)
                      .arg(courier, section, date.toString(Qt::ISODate))
                      .arg(1 + int(random() % 40));
    statements << QString("INSERT INTO soak_orders (ADISYONNO, TUTAR) VALUES (%1, %2)").arg(no).arg(total, 0, 'f', 2);
  }
  statements << "COMMIT";
  // Numbers of a failed attempt are not used again: it may have committed after all.
  return link.exec(statements);
}

// A line that arrives for an open order after boards may have listed it.
// `order` 0 picks any open order; a given order gets its line only while it is open (the caller
// holds the turn, so no run commits in between). Lines never arrive for closed orders.
bool addLateLine(AdminLink &link, std::mt19937 &random, int order = 0) {
  const std::optional<QStringList> open =
      order ? link.rows(QString("SELECT ADISYONNO FROM mainsip WHERE ADISYONNO = %1").arg(order))
            : link.rows("SELECT ADISYONNO FROM mainsip ORDER BY RAND() LIMIT 1");
  if (!open || open->isEmpty()) return false;
  const int no = open->front().toInt();
  const QString name = QString::fromUtf8("Geç %1-%2").arg(no).arg(random() % 1000000);
  return link.exec({"START TRANSACTION",
                    QString("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PORSIYON) VALUES "
                            "(99, %1, '%2', 1, 0, 1)")
                        .arg(no)
                        .arg(name),
                    QString("INSERT INTO soak_lines (ADISYONNO, STOKADI, FIYAT, ADET) VALUES (%1, '%2', 0, 1)")
                        .arg(no)
                        .arg(name),
                    "COMMIT"});
}

// ---------------------------------------------------------------- server restart

bool alive(qint64 pid) {
  if (::kill(pid_t(pid), 0) != 0) return false;
  QFile stat(QString("/proc/%1/stat").arg(pid));  // an exited server nobody reaped yet is gone too
  if (!stat.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = stat.readAll();
  const qsizetype close = text.lastIndexOf(')');
  return close < 0 || close + 2 >= text.size() || text.at(close + 2) != 'Z';
}

// Stops the private test server by its pid and starts it again with the very same command line, so
// its data, port and socket stay. Never touches another server: the pid must be ours.
bool restartServer(bool crash) {
  const QString dir = ztest::serverDir();
  QFile pidFile(dir + "/pid");
  if (!pidFile.open(QIODevice::ReadOnly)) return false;
  const qint64 pid = QString::fromLatin1(pidFile.readAll()).trimmed().toLongLong();
  pidFile.close();
  QFile cmdline(QString("/proc/%1/cmdline").arg(pid));
  if (pid <= 0 || !cmdline.open(QIODevice::ReadOnly)) return false;
  QStringList args = QString::fromLocal8Bit(cmdline.readAll()).split(QChar('\0'), Qt::SkipEmptyParts);
  if (args.isEmpty() || !args.contains("--datadir=" + dir + "/data")) return false;
  ::kill(pid_t(pid), crash ? SIGKILL : SIGTERM);
  for (int i = 0; i < 600 && alive(pid); ++i) QThread::msleep(50);
  if (alive(pid)) return false;
  const QString program = args.takeFirst();
  QProcess server;
  server.setProgram(program);
  server.setArguments(args);
  server.setStandardOutputFile(QProcess::nullDevice());
  server.setStandardErrorFile(QProcess::nullDevice());
  qint64 newPid = 0;
  if (!server.startDetached(&newPid)) return false;
  QFile out(dir + "/pid");
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  out.write(QByteArray::number(newPid) + "\n");
  out.close();
  AdminLink probe("soak_restart_probe");
  for (int i = 0; i < 600; ++i) {
    if (probe.db().isOpen()) return true;
    QThread::msleep(100);
  }
  return false;
}

// ---------------------------------------------------------------- a board and its operator

class SoakMessenger : public zdlg::Messenger {
 public:
  void showInformation() override {
    if (zdlg::DialogMessage.contains(QString::fromUtf8("Başarı İle Tahsil"))) ++closed;
    if (zdlg::DialogMessage.contains(QString::fromUtf8("başka bir terminalde"))) ++changedElsewhere;
    if (zdlg::DialogMessage.startsWith(busyText())) ++busy;
  }
  static QString busyText() { return QString::fromUtf8("Başka bir terminalde tahsilat yapılıyor"); }
  void showQuestion() override {
    ++questions;
    zdlg::DialogAnswer = 1;  // "Evet"
  }
  void setQuestionLabelColour(quint32) override {}
  void showPlainMessage(const QString &) override {}
  void showError(const QString &text) override {
    ++errors;
    lastError = text;
  }
  void processEvents() override {
    if (onProcessEvents) onProcessEvents();
    QCoreApplication::processEvents();
  }
  void setOrdersMaximum(int) override {}
  void setLinesMaximum(int) override {}
  void showProgress() override {}
  void closeProgress() override {}

  long questions = 0, closed = 0, changedElsewhere = 0, busy = 0, errors = 0;
  QString lastError;
  std::function<void()> onProcessEvents;
};

// What the operator marked before a run: order -> (amount as listed, register of its row's mark;
// the rightmost "Ok" decides).
using Marks = QMap<int, QPair<double, QString>>;
Marks markedRows(const zboard::Board &board) {
  Marks marks;
  const zboard::GridModel &grid = board.NextGrid1;
  for (int r = 0; r < grid.rowCount(); ++r) {
    QString register_;
    for (int c = 3; c < grid.columnCount(); ++c)
      if (grid.cell(c, r).text == "Ok") register_ = grid.columns[size_t(c)].caption;
    if (!register_.isEmpty())
      marks.insert(grid.cell(0, r).text.toInt(), {zfmt::parseAmount(grid.cell(2, r).text), register_});
  }
  return marks;
}

// After a run that told its success: every order it closed has its bill with the amount the
// operator saw and the register its row was marked for.
void checkClosedBills(Shared &shared, AdminLink &link, const Marks &marks, int k) {
  QStringList numbers;
  for (auto it = marks.begin(); it != marks.end(); ++it) numbers << QString::number(it.key());
  if (numbers.isEmpty()) return;
  const std::optional<QStringList> bills =
      link.rows("SELECT ADISYONNO, ROUND(CIKIS, 2), KAPATIPISMI FROM genhar WHERE ADISYONNO IN (" +
                numbers.join(", ") + ")");
  if (!bills) return;  // the server went away: the invariants see it later
  QSet<int> billed;
  for (const QString &row : *bills) {
    const QStringList f = row.split('|');
    const int order = f[0].toInt();
    billed.insert(order);
    const auto expected = marks.value(order);
    if (qAbs(f[1].toDouble() - expected.first) > 0.005 || f[2] != expected.second)
      shared.violation(QString("order %1 closed for %2 to %3, listed for %4 and marked for %5")
                           .arg(order)
                           .arg(f[1], f[2])
                           .arg(expected.first, 0, 'f', 2)
                           .arg(expected.second),
                       QString("board %1's run").arg(k));
  }
  for (auto it = marks.begin(); it != marks.end(); ++it)
    if (!billed.contains(it.key()))
      shared.violation(QString("order %1 was marked in a run that told success, but has no bill").arg(it.key()),
                       QString("board %1's run").arg(k));
}

void runBoard(Shared &shared, int k, unsigned seed) {
  std::mt19937 random(seed);
  SoakMessenger messenger;
  AdminLink link(QString("soak_check_%1").arg(k));
  auto board = std::make_unique<zboard::Board>(messenger, QString("soak_board_%1").arg(k));
  ztest::configure(board->Connect);
  // The board reaches the server through a relay that sees its requests: a run's end (its deletes)
  // leaves only after its bills and lines are written, so a kill aimed there lands where losing
  // the session matters most.
  zbench::Relay relay(ztest::serverPort());
  board->Connect.setPort(relay.port());
  std::mt19937 aim(seed ^ 0x5eedu);
  int aimed = 0;
  {
    std::lock_guard<std::mutex> g(shared.published);
    shared.relays[size_t(k)] = &relay;
  }
  std::mt19937 stopAim(seed ^ 0x570bu);
  relay.setFaultHook([&](std::int64_t, const std::string &bytes) {
    // Without transactions the till sometimes stops in the middle of its run, its session left
    // silent at the server: at the run's start (the closing lock just taken) or its writes (bills
    // on open orders). It gives up the turn through the stop; the fault thread thaws it later.
    const bool runStart = bytes.find("SET @zerda_wait_timeout", 5) == 5;
    const bool runWrites = bytes.find("INSERT INTO Genhar", 5) != std::string::npos;
    if (shared.myIsam && shared.inRun[size_t(k)] && (runStart || runWrites) && !shared.serverDown &&
        shared.running() && stopAim() % (shared.count.stops < 2 ? 3 : 15) == 0) {
      std::lock_guard<std::mutex> g(shared.published);
      const bool another = std::any_of(shared.stopped.begin(), shared.stopped.end(),
                                       [](const Shared::Stop &stop) { return stop.frozen; });
      if (!another && zbench::Relay::currentSession() != 0) {
        shared.stopped[size_t(k)] = {true, zbench::Relay::currentSession(), Clock::now(), false, {}};
        ++shared.stopsBegun[size_t(k)];
        ++shared.count.stops;
        shared.turn.unlock();
        return zbench::Relay::Fault::FreezeAfterRequest;
      }
    }
    // The end's request carries its deletes (on MyISAM after its lock and check).
    if (bytes.find("delete From temp Where", 5) == std::string::npos) return zbench::Relay::Fault::None;
    // Often enough that every soak has several, not so often that few runs get through.
    const unsigned odds = shared.count.writtenKills < 3 ? 1 : 5;
    if (shared.serverDown || !shared.running() || aim() % odds != 0) return zbench::Relay::Fault::None;
    const std::uint32_t session = zbench::Relay::currentSession();
    if (session == 0) return zbench::Relay::Fault::None;
    AdminLink killer(QString("soak_aim_%1_%2").arg(k).arg(++aimed));
    shared.killSession(k, session, killer);
    return zbench::Relay::Fault::None;
  });
  board->setHostName([] { return std::optional<QString>(QStringLiteral("kasa-pc")); });
  // The boards take turns: one that waited for another's closing lock would keep the turn, and the
  // other could not go on meanwhile. So a run here does not wait: it says at once that another
  // terminal is closing (tables without transactions only).
  board->closingLockWaitSeconds = 0;
  // A stopped till's session ends soon, so that the soak sees the boards go on after it (20 s on
  // a till). Long enough for the pauses of a run that gives the turn away.
  if (shared.myIsam) board->closingSilenceSeconds = kStopSilenceSeconds;
  std::unique_lock<Turn> turn(shared.turn, std::defer_lock);
  int sessionGeneration = -1;

  auto publish = [&](bool withGrid) {
    QSet<int> claims = orderNumbers(board->HeldOrderClause);
    if (withGrid)
      for (int r = 0; r < board->NextGrid1.rowCount(); ++r) claims.insert(board->NextGrid1.cell(0, r).text.toInt());
    qint64 session = 0;
    if (board->Connect.isOpen() && board->Connect.generation() != sessionGeneration) {
      try {
        session = board->Connect.serverThreadId();
        sessionGeneration = board->Connect.generation();
      } catch (const zdb::DbError &) {
      }
    }
    std::lock_guard<std::mutex> g(shared.published);
    shared.claims[size_t(k)] = claims;
    if (session) shared.sessions[size_t(k)] = session;
    shared.unsettled[size_t(k)] = board->hasUnsettledRun();
  };
  // Mid-run: other boards get the turn, and sometimes this board's session is killed right here.
  bool lateLineInRun = false;
  messenger.onProcessEvents = [&] {
    publish(true);
    // Sometimes a line arrives for an order of the running run after the run read its lines: the
    // run must notice that its order changed and close nothing (reliably a few times per soak).
    if (!lateLineInRun && board->NextGrid1.rowCount() > 0 && !shared.serverDown &&
        shared.count.runsChangedElsewhere < 2) {
      lateLineInRun = true;
      if (addLateLine(link, random, board->NextGrid1.cell(0, 0).text.toInt())) ++shared.count.lateLines;
    }
    // Without transactions a run holds the closing lock throughout, and other boards' runs give up
    // at once: a run gives the turn away less often, or few would end before a kill.
    if (shared.myIsam && random() % 8 != 0) return;
    turn.unlock();
    if (random() % 200 == 0 && !shared.serverDown) {
      qint64 session;
      {
        std::lock_guard<std::mutex> g(shared.published);
        session = shared.sessions[size_t(k)];
      }
      if (session && shared.killSession(k, session, link)) ++shared.count.midRunKills;
    }
    QThread::usleep(random() % 1500);
    turn.lock();
  };

  bool shown = false;
  try {
    turn.lock();
    board->Connect.open();
    publish(false);
    turn.unlock();
  } catch (const zdb::DbError &) {
    turn.unlock();  // the first command opens it again
  }

  while (shared.running()) {
    turn.lock();
    const int epoch = shared.restartEpoch;
    // A step must work after a lost connection, unless a kill of its session is still on its way.
    const long killsDone = shared.killsDone[size_t(k)];
    const long killsBegun = shared.killsBegun[size_t(k)];
    const bool mustWork =
        shared.recover[size_t(k)].exchange(false) && !shared.serverDown && killsBegun == killsDone;
    const long errorsBefore = messenger.errors;
    QString action;
    const int dice = int(random() % 100);
    if (!shown) {
      action = "sign-in";
      const zsignin::SignInResult signedIn = zsignin::signIn(*board, "1234");
      shown = signedIn.showBoard() && board->FormShow() == zboard::StartupResult::Ready;
    } else if (dice < 20 && !board->ListBox2.items.isEmpty()) {
      action = "courier";
      board->selectCourier(int(random() % board->ListBox2.items.size()));
    } else if (dice < 28 && !board->ListBox1.items.isEmpty()) {
      action = "section";
      board->selectSection(int(random() % board->ListBox1.items.size()));
    } else if (dice < 40) {
      action = QString::fromUtf8("GÜNCELLE");
      board->Refresh();
    } else if (dice < 60 && board->NextGrid1.rowCount() > 0) {
      action = "marks";
      for (int clicks = 1 + int(random() % 3); clicks > 0; --clicks)
        board->NextGrid1CellClick(int(random() % board->NextGrid1.columnCount()),
                                  int(random() % board->NextGrid1.rowCount()));
    } else if (dice < 64) {
      action = random() % 2 ? QString::fromUtf8("Tümünü Seç") : QString::fromUtf8("Tüm Seçimi İptal Et");
      if (random() % 2) board->HepsiniSecClick();
      else board->TumSecimiIptalClick();
    } else if (dice < 93) {
      action = "collect";
      const Marks marks = markedRows(*board);
      lateLineInRun = false;
      const long asked = messenger.questions, closed = messenger.closed, elsewhere = messenger.changedElsewhere;
      const long busy = messenger.busy;
      const long killsBefore = shared.killsBegun[size_t(k)];
      const long stopsBefore = shared.stopsBegun[size_t(k)];
      shared.inRun[size_t(k)] = true;
      board->Button2Click();
      shared.inRun[size_t(k)] = false;
      if (messenger.questions - asked == 2) {
        ++shared.count.runs;
        shared.count.runsClosed += messenger.closed - closed;
        shared.count.runsChangedElsewhere += messenger.changedElsewhere - elsewhere;
        shared.count.runsBusy += messenger.busy - busy;
        // A run may fail only through a fault the soak injected: its session killed, the server
        // restarted, or a kill of its session still on its way when it began.
        const bool injected = shared.killsBegun[size_t(k)] != killsBefore || killsBegun != killsDone ||
                              epoch != shared.restartEpoch || shared.serverDown ||
                              shared.stopsBegun[size_t(k)] != stopsBefore;
        if (messenger.errors > errorsBefore && !injected)
          shared.violation(QString("board %1: a closing run failed without an injected fault: %2")
                               .arg(k)
                               .arg(messenger.lastError),
                           QString("step %1").arg(shared.count.steps.load()));
        if (messenger.closed > closed) checkClosedBills(shared, link, marks, k);
      }
    } else {
      action = "TERK";
      if (board->Terk()) shown = false;
    }
    ++shared.count.steps;
    const long failed = messenger.errors - errorsBefore;
    shared.count.errorsShown += failed;
    // Unless the server went away again meanwhile, or this very step lost its session.
    // Without transactions the first step after a lost connection settles the run it left, which
    // waits for another board's run holding the closing lock; that board waits for the turn.
    const bool waitedForARun = failed > 0 && messenger.lastError.startsWith(SoakMessenger::busyText());
    if (waitedForARun) {
      ++shared.count.runsBusy;
      shared.recover[size_t(k)] = true;
    }
    if (mustWork && epoch == shared.restartEpoch && !shared.serverDown && !waitedForARun) {
      ++shared.count.recoveries;
      if (failed > 0 && shared.killsBegun[size_t(k)] == killsBegun) {
        ++shared.count.failedRecoveries;
        shared.violation(QString("board %1: %2 failed after its connection was lost: %3")
                             .arg(k)
                             .arg(action, messenger.lastError),
                         QString("step %1").arg(shared.count.steps.load()));
      }
    }
    publish(false);
    checkInvariants(shared, link, QString("board %1 %2").arg(k).arg(action));
    turn.unlock();
    QThread::usleep(random() % 3000);
  }

  // The operator leaves: what the board holds is released (a lost connection is opened again by a
  // second try; a run left to settle may wait until another board's last run has ended).
  turn.lock();
  messenger.onProcessEvents = nullptr;
  for (int attempt = 0; attempt < 100 && !board->Terk(); ++attempt) {
    turn.unlock();
    QThread::msleep(50);
    turn.lock();
  }
  publish(false);
  board.reset();
  {
    std::lock_guard<std::mutex> g(shared.published);
    shared.relays[size_t(k)] = nullptr;
  }
  turn.unlock();
}

// A stopped till: once its silent session has run the request it got, what it holds is looked
// at (the closing lock, its bills on open orders); once the server has had time to end it, the
// till comes back, with the turn handed to it. At the end every stopped till comes back.
void tendStoppedTills(Shared &shared, AdminLink &link, bool atEnd) {
  for (size_t k = 0; k < shared.stopped.size(); ++k) {
    Shared::Stop stop;
    {
      std::lock_guard<std::mutex> g(shared.published);
      stop = shared.stopped[k];
    }
    if (!stop.frozen) continue;
    const auto since = Clock::now() - stop.at;
    if (!stop.looked && since > std::chrono::milliseconds(300)) {
      QSet<int> claims;
      {
        std::lock_guard<std::mutex> g(shared.published);
        claims = shared.claims[k];
      }
      QStringList orders;
      for (const int order : claims) orders << QString::number(order);
      const std::optional<QStringList> holder =
          link.rows(QString("SELECT IS_USED_LOCK('zerdapos_paket_kapanis') = %1").arg(stop.session));
      const std::optional<QStringList> bills =
          orders.isEmpty() ? std::optional<QStringList>(QStringList())
                           : link.rows("SELECT g.GENHARNO FROM genhar g JOIN mainsip m ON m.ADISYONNO = g.ADISYONNO "
                                       "WHERE g.ADISYONNO IN (" + orders.join(", ") + ")");
      if (holder && !holder->isEmpty() && holder->front() == "1") ++shared.count.stopsHolding;
      std::lock_guard<std::mutex> g(shared.published);
      shared.stopped[k].looked = true;
      if (bills) shared.stopped[k].leftBills = *bills;
      continue;
    }
    if (!atEnd && since < std::chrono::seconds(kStopSilenceSeconds) + std::chrono::milliseconds(2500)) continue;
    shared.turn.lock();  // handed to the till with its thaw
    if (!stop.leftBills.isEmpty()) {
      const std::optional<QStringList> still =
          link.rows("SELECT COUNT(*) FROM genhar WHERE GENHARNO IN (" + stop.leftBills.join(", ") + ")");
      if (still && !still->isEmpty() && still->front() == "0") ++shared.count.leftoversSettledElsewhere;
    }
    std::lock_guard<std::mutex> g(shared.published);
    shared.stopped[k].frozen = false;
    shared.recover[k] = true;
    if (shared.relays[k]) shared.relays[k]->thaw();
  }
}

// Kills sessions, brings late lines and new orders, restarts the server.
void runFaults(Shared &shared, unsigned seed, int restartsWanted, int restartEvery, const QDate &workDate,
               int &nextOrder) {
  std::mt19937 random(seed);
  AdminLink link("soak_faults");
  const int boards = int(shared.sessions.size());
  const auto start = Clock::now();
  int restarts = 0;
  while (shared.running()) {
    QThread::msleep(20 + random() % 250);
    tendStoppedTills(shared, link, false);
    if (!shared.running()) break;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double left = std::chrono::duration<double>(shared.deadline - Clock::now()).count();
    const bool restartDue = restarts < restartsWanted && left > 20 &&
                            elapsed > (restartEvery > 0 ? restartEvery * (restarts + 1) : 8.0 * (restarts + 1));
    if (restartDue) {
      // Mid-statement, mid-run or between steps: whatever the boards are doing.
      shared.serverDown = true;
      ++shared.restartEpoch;
      {
        // Session numbers start again from 1: an old one may soon name another board's session.
        std::lock_guard<std::mutex> g(shared.published);
        std::fill(shared.sessions.begin(), shared.sessions.end(), 0);
      }
      const bool crash = restarts % 2 == 1;
      const bool ok = restartServer(crash);
      ++restarts;
      ++shared.count.restarts;
      std::fprintf(stderr, "soak: server %s and started again after %.0f s: %s\n", crash ? "killed" : "stopped",
                   elapsed, ok ? "up" : "FAILED");
      if (!ok) {
        shared.violation("the server did not come back after a restart", QString("%1 s").arg(elapsed));
        return;
      }
      shared.serverDown = false;
      for (auto &r : shared.recover) r = true;
      continue;
    }
    const int dice = int(random() % 100);
    if (dice < 35) {
      const int k = int(random() % boards);
      qint64 session;
      {
        std::lock_guard<std::mutex> g(shared.published);
        session = shared.sessions[size_t(k)];
      }
      if (session) shared.killSession(k, session, link);
    } else if (dice < 80) {
      std::lock_guard<Turn> g(shared.turn);
      if (addOrders(link, random, nextOrder, 1 + int(random() % 4), workDate)) ++shared.count.newOrders;
      checkInvariants(shared, link, "new orders");
    } else {
      std::lock_guard<Turn> g(shared.turn);
      if (addLateLine(link, random)) ++shared.count.lateLines;
      checkInvariants(shared, link, "a late line");
    }
  }
  tendStoppedTills(shared, link, true);
}

class Soak : public ztest::DbTest {};

TEST_F(Soak, BoardsUnderFaultsNeverLoseOrDoubleAnOrder) {
  const int seconds = envInt("ZSOAK_SECONDS", 25);
  const bool myIsam = qgetenv("ZSOAK_ENGINE").compare("MyISAM", Qt::CaseInsensitive) == 0;
  const int boards = std::max(1, envInt("ZSOAK_BOARDS", 4));
  const int restartEvery = envInt("ZSOAK_RESTART_EVERY", 90);
  const bool longMode = seconds >= 120;
  const int restarts = envInt("ZSOAK_RESTARTS", longMode ? std::max(1, (seconds - 30) / restartEvery) : 0);
  const unsigned seed = unsigned(envInt("ZSOAK_SEED", int(std::random_device()() & 0x7fffffff)));
  std::printf("soak: %d boards, %d s, %d restarts, seed %u, %s tables\n", boards, seconds, restarts, seed,
              myIsam ? "MyISAM" : "InnoDB");

  ztest::seedRestaurant(4);
  ztest::exec(QString::fromUtf8(
      "INSERT INTO `user` (USERNAME, USERNO, usersifre, Isten_Ayrildi, PaketServis, NAKITKAPATMA, Sevkiyatci) "
      "VALUES ('Ayşe', 23, '9993', 0, 0, 0, 1);\n"
      "INSERT INTO userkisbol (Username, kisim, siparistipi) VALUES ('KASA1', 'Gel Al', '2');\n"
      "CREATE TABLE soak_orders (ADISYONNO INT NOT NULL PRIMARY KEY, TUTAR DOUBLE) ENGINE=InnoDB;\n"
      "CREATE TABLE soak_lines (ADISYONNO INT NOT NULL, STOKADI VARCHAR(30) NOT NULL, FIYAT DOUBLE NOT NULL, "
      "ADET INT NOT NULL, KEY (ADISYONNO)) "
      "ENGINE=InnoDB;"));
  // The boards learn the tables' kind when they connect.
  if (myIsam) ztest::setClosingTablesEngine("MyISAM");
  int nextOrder = 1001;
  {
    AdminLink link("soak_seed");
    std::mt19937 random(seed);
    for (int batch = 0; batch < 12; ++batch)
      ASSERT_TRUE(addOrders(link, random, nextOrder, 10, ztest::workDate()));
  }

  Shared shared(boards);
  shared.myIsam = myIsam;
  shared.deadline = Clock::now() + std::chrono::seconds(seconds);
  std::vector<QThread *> threads;
  for (int k = 0; k < boards; ++k)
    threads.push_back(QThread::create([&shared, k, seed] { runBoard(shared, k, seed * 31u + unsigned(k)); }));
  threads.push_back(QThread::create([&] {
    runFaults(shared, seed * 17u + 7u, restarts, longMode ? restartEvery : 0, ztest::workDate(), nextOrder);
  }));
  for (QThread *t : threads) t->start();
  for (QThread *t : threads) {
    while (!t->wait(100)) QCoreApplication::processEvents();
    delete t;
  }

  // Every board has left: nothing may stay held, and the invariants hold at the end too.
  {
    AdminLink link("soak_final");
    for (auto &c : shared.claims) c.clear();
    for (auto &u : shared.unsettled)
      if (u) shared.violation("a board left with a run it could not settle", "the end");
    checkInvariants(shared, link, "the end");
    const std::optional<QStringList> closed = link.rows("SELECT COUNT(*), (SELECT COUNT(*) FROM mainsip), "
                                                        "(SELECT COUNT(*) FROM soak_orders) FROM genhar");
    ASSERT_TRUE(closed.has_value());
    const QStringList n = closed->front().split('|');
    const Counters &c = shared.count;
    std::printf("soak: orders seeded %s, closed %s, still open %s\n", qPrintable(n[2]), qPrintable(n[0]),
                qPrintable(n[1]));
    std::printf("soak: checks %ld, deferred %ld, skipped %ld\n", c.checks.load(), c.checksDeferred.load(),
                c.checksSkipped.load());
    std::printf("soak: steps %ld, runs %ld, closed %ld, kills %ld, kills inside a written transaction %ld, "
                "changed elsewhere %ld, restarts %ld, violations %ld, busy %ld\n",
                c.steps.load(), c.runs.load(), c.runsClosed.load(), c.kills.load(), c.writtenKills.load(),
                c.runsChangedElsewhere.load(), c.restarts.load(), c.violations.load(), c.runsBusy.load());
    if (myIsam)
      std::printf("soak: stopped tills %ld, holding the closing lock %ld, their bills taken back by another %ld\n",
                  c.stops.load(), c.stopsHolding.load(), c.leftoversSettledElsewhere.load());
    std::fflush(stdout);
    link.exec({"DROP TABLE soak_orders", "DROP TABLE soak_lines"});
  }
  // The faults must have happened, not only been asked for.
  EXPECT_EQ(shared.count.violations.load(), 0) << shared.violationTexts.join("\n").toStdString();
  EXPECT_GT(shared.count.checks.load(), 0);
  EXPECT_GE(shared.count.runsClosed.load(), 10);
  EXPECT_GE(shared.count.writtenKills.load(), 3);
  EXPECT_GE(shared.count.runsChangedElsewhere.load(), 1);
  EXPECT_GE(shared.count.restarts.load(), restarts);
  if (myIsam) {
    EXPECT_GE(shared.count.runsBusy.load(), 1);
    EXPECT_GE(shared.count.stops.load(), 2);
    EXPECT_GE(shared.count.stopsHolding.load(), 1);
  }
}

}  // namespace
