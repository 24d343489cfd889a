// Closing-run benchmark: the board's closing run over one courier's orders against the floor
// (the same rows written with multi-row INSERTs in one transaction) and against the
// straightforward way (a statement per line, prepared anew, autocommit, bill number by MAX).
// Also the run's own statements sent again by a client that does nothing else, which is what the
// server alone needs for them, and the courier listing against one SELECT of the same rows.
//
//   bench_closing --port P [--host H] [--orders N] [--lines L] [--reps R]
//                 [--list-orders N] [--list-lines L] [--server-pid PID] [--closing-only]
//
// With the server's pid it also reports the server's CPU time for each way.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <fstream>
#include <string>
#include <time.h>
#include <unistd.h>

#include "answering_messenger.h"
#include "board/board.h"
#include "board/closing_records.h"
#include "db/db_error.h"
#include "db/query.h"
#include "db/quoting.h"
#include "restaurant_seed.h"

namespace zbench {
namespace {

struct Options {
  int orders = 1000;
  int lines = 8;
  int reps = 5;
  int listOrders = 200;
  int listLines = 8;
  bool closingOnly = false;  // for profiling the closing run alone
};

[[noreturn]] void fail(const QString &what) {
  std::fprintf(stderr, "bench: %s\n", qPrintable(what));
  std::exit(1);
}

void check(bool ok, const QString &what) {
  if (!ok) fail(what);
}

// Wall time, this process's CPU time and, given its pid, the server's CPU time over one way.
struct Timing {
  double wall = 0, client = 0, server = -1;  // seconds; server -1 when not known
};

double processSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double serverSeconds() {
  if (server().pid <= 0) return -1;
  std::ifstream stat("/proc/" + std::to_string(server().pid) + "/stat");
  std::string field;
  // Fields 14 and 15 are user and system time in clock ticks; the name (field 2) has no blank.
  for (int i = 0; i < 13 && stat >> field;) ++i;
  long user = 0, system = 0;
  if (!(stat >> user >> system)) return -1;
  return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

class Stopwatch {
 public:
  void start() {
    server_ = serverSeconds();
    client_ = processSeconds();
    timer_.start();
  }
  Timing stop() const {
    Timing t;
    t.wall = double(timer_.nsecsElapsed()) / 1e9;
    t.client = processSeconds() - client_;
    if (server_ >= 0) t.server = serverSeconds() - server_;
    return t;
  }

 private:
  QElapsedTimer timer_;
  double client_ = 0, server_ = -1;
};

QString orderList(int orders) {
  QStringList numbers;
  for (int o = 0; o < orders; ++o) numbers << QString::number(kFirstOrder + o);
  return numbers.join(QStringLiteral(", "));
}

// What a correct close of every order leaves behind.
void checkAllClosed(int orders, int lines, const char *way) {
  const QString w = QString::fromLatin1(way);
  check(scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM mainsip")).toInt() == 0, w + ": orders left open");
  check(scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM temp")).toInt() == 0, w + ": lines left open");
  check(scalarOrDie(QStringLiteral("SELECT COUNT(DISTINCT ADISYONNO) FROM genhar")).toInt() == orders &&
            scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM genhar")).toInt() == orders,
        w + ": not one bill per order");
  check(scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM stokhar s JOIN genhar g ON g.GENHARNO = s.GENHARNO "
                                   "AND g.ADISYONNO = s.ADISYONNO"))
                .toInt() == orders * lines,
        w + ": stock lines do not match their bills");
}

// ---------------------------------------------------------------- the board's closing run

class BoardBench {
 public:
  BoardBench() : board_(messenger_, QStringLiteral("bench_board")) {
    configure(board_.Connect);
    board_.Connect.open();
    board_.setHostName([] { return std::optional<QString>(kTerminal.toLower()); });
  }

  // Shows the board and lists the courier exactly as the operator's taps do.
  void list(int orders) {
    messenger_.reset();
    board_.ListBox1.items = QStringList{kSection};
    board_.user.SignedInUserName = kOperator;
    board_.user.SignedInUserNo = kOperatorNo;
    check(board_.FormShow() == zboard::StartupResult::Ready, QStringLiteral("board start-up failed"));
    const int courier = int(board_.ListBox2.items.indexOf(kCourier));
    check(courier >= 0, QStringLiteral("courier not in the list"));
    board_.selectCourier(courier);
    check(messenger_.errors.isEmpty(), QStringLiteral("listing: ") + messenger_.errors.join(QLatin1Char('\n')));
    check(board_.NextGrid1.rowCount() == orders && board_.BoardErrorText.isEmpty() &&
              board_.Summary.Label7.caption == QString::number(orders),
          QStringLiteral("the listing does not show every order marked"));
  }

  // From the collect button to the success message (the run has committed by then). The
  // requests the run sent meanwhile are kept for replaying.
  Timing close(int orders, int lines) {
    seedOrders(orders, lines);
    list(orders);
    messenger_.reset();
    Stopwatch watch;
    Timing timing;
    bool stopped = false;
    requests_.clear();
    board_.Connect.setRequestObserver([&](const QStringList &request) {
      if (!stopped) requests_.push_back(request);
    });
    messenger_.onInformation = [&] {
      if (!stopped) timing = watch.stop();
      stopped = true;
    };
    watch.start();
    board_.Button2Click();
    board_.Connect.setRequestObserver(nullptr);
    check(messenger_.errors.isEmpty(), QStringLiteral("closing run: ") + messenger_.errors.join(QLatin1Char('\n')));
    check(messenger_.informations.size() == 1 &&
              messenger_.informations.front().endsWith(QStringLiteral(">>> Başarı İle Tahsil edilmiştir")),
          QStringLiteral("closing run: no success message"));
    // The progress window moved after every order and every line.
    check(messenger_.processed >= long(orders) * (lines + 1), QStringLiteral("closing run: progress stood still"));
    checkAllClosed(orders, lines, "closing run");
    return timing;
  }

  // LoadCourierOrders again and again over the same listing, as "GÜNCELLE" does.
  double load() {
    QElapsedTimer timer;
    timer.start();
    board_.LoadCourierOrders();
    return double(timer.nsecsElapsed()) / 1e9;
  }

  // One SELECT of the rows the listing reads: the orders and their lines.
  double singleSelect(int expectedRows) {
    zdb::Query q(board_.Connect, QStringLiteral("bench_select"));
    QElapsedTimer timer;
    timer.start();
    q.setText(QStringLiteral("Select*From MainSip m Join Temp t On t.Adisyonno = m.Adisyonno Where ") +
              board_.ReadyOrderFilter + QStringLiteral(" And SevkYapanIsmi =\"") + zdb::quoted(kCourier) +
              QStringLiteral("\" and Kisim = \"") + zdb::quoted(kSection) + QLatin1Char('"'));
    q.open();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    check(q.recordCount() == expectedRows, QStringLiteral("single select: wrong row count"));
    return seconds;
  }

  zboard::Board &board() { return board_; }
  // What the last closing run sent, request by request.
  const std::vector<QStringList> &requests() const { return requests_; }

 private:
  std::vector<QStringList> requests_;
  AnsweringMessenger messenger_;
  zboard::Board board_;
};

// ---------------------------------------------------------------- the floor

Timing floorWay(const Rows &genhar, const Rows &stokhar, int orders, int lines) {
  seedOrders(orders, lines);
  const QString numbers = orderList(orders);
  QStringList statements;
  statements << QStringLiteral("START TRANSACTION");
  statements << insertStatements(QStringLiteral("Genhar"), genhar, 500);
  statements << insertStatements(QStringLiteral("Stokhar"), stokhar, 1000);
  statements << QStringLiteral("DELETE FROM temp WHERE ADISYONNO IN (") + numbers + QLatin1Char(')');
  statements << QStringLiteral("DELETE FROM mainsip WHERE ADISYONNO IN (") + numbers + QLatin1Char(')');
  statements << QStringLiteral("COMMIT");

  QSqlQuery q(admin());
  Stopwatch watch;
  watch.start();
  for (const QString &s : statements)
    if (!q.exec(s)) fail(QStringLiteral("floor: ") + q.lastError().text());
  const Timing timing = watch.stop();
  checkAllClosed(orders, lines, "floor");
  return timing;
}

// ---------------------------------------------------------------- the run's statements alone

// The requests a closing run sent, sent again on the same listing by a client that does nothing
// else: what the server needs for the run's own statements.
Timing statementsAlone(BoardBench &bench, const std::vector<QStringList> &requests, int orders, int lines) {
  seedOrders(orders, lines);
  bench.list(orders);  // held as the run found them
  zdb::Connection connection(QStringLiteral("bench_replay"));
  configure(connection);
  connection.open();
  QSqlQuery q(connection.database());
  q.setForwardOnly(true);
  Stopwatch watch;
  watch.start();
  for (const QStringList &request : requests) {
    if (!q.exec(request.join(QStringLiteral(";\n")))) fail(QStringLiteral("replay: ") + q.lastError().text());
    do {
      while (q.isSelect() && q.next()) {
      }
    } while (q.nextResult());
    if (q.lastError().isValid()) fail(QStringLiteral("replay: ") + q.lastError().text());
  }
  const Timing timing = watch.stop();
  checkAllClosed(orders, lines, "replay");
  return timing;
}

// ---------------------------------------------------------------- the straightforward way

Timing straightforwardWay(int orders, int lines) {
  seedOrders(orders, lines);
  zdb::Connection connection(QStringLiteral("bench_plain"));
  configure(connection);
  connection.open();
  auto opened = [&](const QString &name, const QString &text) {
    auto q = std::make_unique<zdb::Query>(connection, name);
    q->setText(text);
    q->open();
    return q;
  };
  auto list = opened(QStringLiteral("orders"), QStringLiteral("Select*From MainSip Where AdisyonYazdimi = \"1\" And "
                                                              "SevkYapanIsmi =\"") +
                                                   zdb::quoted(kCourier) + QStringLiteral("\" and Kisim = \"") +
                                                   zdb::quoted(kSection) + QLatin1Char('"'));
  auto station = opened(QStringLiteral("station"), QStringLiteral("select*from stationid Where Net_DirecTory =\"") +
                                                       zdb::quoted(kTerminal) + QLatin1Char('"'));
  auto branch = opened(QStringLiteral("branch"), QStringLiteral("Select*From Subeler"));
  check(list->recordCount() == orders, QStringLiteral("straightforward: listing"));

  zboard::ClosingRunValues values;
  values.ClosingStartTime = QDateTime::currentDateTime();
  values.ClosingWorkDate = QDateTime(QDate(2026, 12, 9), QTime(0, 0));
  values.operatorName = kOperator;
  values.operatorNo = kOperatorNo;
  values.courier = kCourier;
  values.clock = [] { return QDateTime::currentDateTime(); };
  zboard::ClosingRecords records(values);

  Stopwatch watch;
  watch.start();
  QString closed;
  for (list->first(); !list->eof(); list->next()) {
    const QString number = list->field(QStringLiteral("ADISYONNO")).asString();
    closed += QStringLiteral(" Adisyonno = ") + number + QStringLiteral(" or ");
    auto kasa = opened(QStringLiteral("kasa"), QStringLiteral("Select*From Kasa Where KasaAdi = \"Nakit\""));
    auto temp = opened(QStringLiteral("temp"), QStringLiteral("Select * From Temp Where Adisyonno =\"") +
                                                   zdb::quoted(number) + QLatin1Char('"'));
    auto customer = opened(QStringLiteral("cari"), QStringLiteral("select * from cari Where Carino = \"") +
                                                       zdb::quoted(list->field(QStringLiteral("CariNo")).asString()) +
                                                       QLatin1Char('"'));
    auto section = opened(QStringLiteral("kisim"),
                          QStringLiteral("select*from KisimBolum Where No = \"") +
                              zdb::quoted(list->field(QStringLiteral("kisimBolumNo")).asString()) + QLatin1Char('"'));
    {
      zdb::Query genhar(connection, QStringLiteral("genhar"));
      records.writeClosedBill(genhar, {*list, *kasa, *section, *customer, *station});
    }
    auto highest = opened(QStringLiteral("max"), QStringLiteral("SELECT Max(genharno)Genharno FROM genhar"));
    const QVariant billNo = highest->field(QStringLiteral("GENHARNO")).asVariant();
    records.beginOrderLines();
    for (temp->first(); !temp->eof(); temp->next()) {
      zdb::Query stokhar(connection, QStringLiteral("stokhar"));
      records.writeStockLine(stokhar, billNo, {*temp, *list, *kasa, *branch});
    }
  }
  closed.chop(4);
  zdb::Query end(connection, QStringLiteral("end"));
  end.setText(QStringLiteral("delete From temp Where ") + closed);
  end.execute();
  end.setText(QStringLiteral("delete From mainsip Where ") + closed);
  end.execute();
  const Timing timing = watch.stop();
  checkAllClosed(orders, lines, "straightforward");
  return timing;
}

// ---------------------------------------------------------------- main

Options parse(const QStringList &args) {
  Options o;
  for (int i = 1; i < args.size(); ++i) {
    const QString &a = args[i];
    auto value = [&]() -> int {
      if (i + 1 >= args.size()) fail(a + QStringLiteral(" needs a value"));
      bool ok = false;
      const int v = args[++i].toInt(&ok);
      if (!ok || v < 1) fail(a + QStringLiteral(" needs a positive number"));
      return v;
    };
    if (a == QLatin1String("--orders")) o.orders = value();
    else if (a == QLatin1String("--lines")) o.lines = value();
    else if (a == QLatin1String("--reps")) o.reps = value();
    else if (a == QLatin1String("--list-orders")) o.listOrders = value();
    else if (a == QLatin1String("--list-lines")) o.listLines = value();
    else if (a == QLatin1String("--port")) server().port = value();
    else if (a == QLatin1String("--closing-only")) o.closingOnly = true;
    else if (a == QLatin1String("--server-pid")) server().pid = value();
    else if (a == QLatin1String("--host") && i + 1 < args.size()) server().host = args[++i];
    else fail(QStringLiteral("unknown argument ") + a);
  }
  if (server().port == 0) fail(QStringLiteral("--port of the private server is required"));
  if (server().port == 3306) fail(QStringLiteral("refusing port 3306: run against the private server"));
  return o;
}

struct Medians {
  double wall, client, server;
};

Medians medians(const std::vector<Timing> &timings) {
  std::vector<double> wall, client, server;
  for (const Timing &t : timings) {
    wall.push_back(t.wall);
    client.push_back(t.client);
    server.push_back(t.server);
  }
  return {median(wall), median(client), median(server)};
}

void printWay(const char *way, const Medians &m) {
  std::printf("%s: %.1f ms (this process's CPU %.1f ms", way, m.wall * 1e3, m.client * 1e3);
  if (m.server >= 0) std::printf(", server CPU %.0f ms", m.server * 1e3);
  std::printf(")\n");
}

int run(const Options &o) {
  seedRestaurant();
  BoardBench bench;
  std::vector<Timing> runs, floors, straights, alone;
  for (int rep = 0; rep < o.reps; ++rep) {
    const Timing run = bench.close(o.orders, o.lines);
    runs.push_back(run);
    if (o.closingOnly) {
      std::fprintf(stderr, "rep %d: closing run %.3f s\n", rep + 1, run.wall);
      continue;
    }
    // The floor writes exactly what the closing run wrote.
    const Rows genhar = fetch(QStringLiteral("SELECT * FROM genhar ORDER BY GENHARNO"));
    const Rows stokhar = fetch(QStringLiteral("SELECT * FROM stokhar ORDER BY STOKHARNO"));
    floors.push_back(floorWay(genhar, stokhar, o.orders, o.lines));
    alone.push_back(statementsAlone(bench, bench.requests(), o.orders, o.lines));
    straights.push_back(straightforwardWay(o.orders, o.lines));
    std::fprintf(stderr, "rep %d: closing run %.3f s, floor %.3f s, its statements alone %.3f s, straightforward %.3f s\n",
                 rep + 1, run.wall, floors.back().wall, alone.back().wall, straights.back().wall);
  }
  if (o.closingOnly) {
    printWay("closing run", medians(runs));
    return 0;
  }

  // Listing: the courier's orders loaded again and again ("GÜNCELLE") against one SELECT.
  seedOrders(o.listOrders, o.listLines);
  bench.list(o.listOrders);
  std::vector<double> loads, selects;
  for (int rep = 0; rep < std::max(5, o.reps); ++rep) {
    loads.push_back(bench.load());
    selects.push_back(bench.singleSelect(o.listOrders * o.listLines));
  }
  check(bench.board().NextGrid1.rowCount() == o.listOrders && bench.board().BoardErrorText.isEmpty(),
        QStringLiteral("listing: not every order listed"));
  check(bench.board().Terk(), QStringLiteral("TERK failed"));

  const Medians run = medians(runs), floor = medians(floors), straight = medians(straights), replay = medians(alone);
  const double load = median(loads), select = median(selects);
  std::printf("orders per second: %.0f\n", o.orders / run.wall);
  std::printf("lines per second: %.0f\n", double(o.orders) * o.lines / run.wall);
  std::printf("closing run / floor: %.2f\n", run.wall / floor.wall);
  std::printf("its statements alone / floor: %.2f\n", replay.wall / floor.wall);
  std::printf("straightforward / closing run: %.2f\n", straight.wall / run.wall);
  std::printf("server version: %s\n", qPrintable(scalarOrDie(QStringLiteral("SELECT VERSION()")).toString()));
  std::printf("connection: TCP %s:%d\n", qPrintable(server().host), server().port);
  std::printf("innodb_flush_log_at_trx_commit: %s\n",
              qPrintable(scalarOrDie(QStringLiteral("SELECT @@innodb_flush_log_at_trx_commit")).toString()));
  std::printf("listing / single select: %.2f\n", load / select);
  std::printf("medians of %d repetitions of %d orders x %d lines:\n", o.reps, o.orders, o.lines);
  printWay("  closing run", run);
  printWay("  floor", floor);
  printWay("  its statements alone", replay);
  printWay("  straightforward", straight);
  std::printf("listing of %d orders x %d lines: LoadCourierOrders %.1f ms, single select %.1f ms\n", o.listOrders,
              o.listLines, load * 1e3, select * 1e3);
  return 0;
}

}  // namespace
}  // namespace zbench

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const zbench::Options options = zbench::parse(app.arguments());
  try {
    return zbench::run(options);
  } catch (const zdb::DbError &e) {
    zbench::fail(QStringLiteral("database error: ") + e.text());
  }
}
