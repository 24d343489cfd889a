// Command benchmark: the operator's whole session on the headless board, reaching the server
// through a relay that adds a network's delay in each direction, as a shop's LAN, Wi-Fi or VPN
// does. Prints for every command its requests (round trips) and its median time at each delay.
//
//   bench_commands --port P [--couriers K] [--orders N] [--lines L] [--reps R] [--delays 0,2.5,10]
//
// Delays are milliseconds added each way (a round trip gains twice as much).
#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "bench/operator_session.h"
#include "bench/relay.h"
#include "bench/restaurant_seed.h"
#include "db/db_error.h"

namespace zbench {
namespace {

struct Options {
  SessionShape shape;
  int reps = 5;
  std::vector<double> delays{0, 2.5, 10};  // ms each way
};

[[noreturn]] void fail(const QString &what) {
  std::fprintf(stderr, "bench_commands: %s\n", qPrintable(what));
  std::exit(1);
}

Options parse(const QStringList &args) {
  Options o;
  for (int i = 1; i < args.size(); ++i) {
    const QString &a = args.at(i);
    if (i + 1 >= args.size()) fail(QStringLiteral("missing value after ") + a);
    const QString v = args.at(++i);
    bool ok = true;
    if (a == QLatin1String("--port")) {
      server().port = v.toInt(&ok);
    } else if (a == QLatin1String("--host")) {
      server().host = v;
    } else if (a == QLatin1String("--couriers")) {
      o.shape.couriers = v.toInt(&ok);
      ok = ok && o.shape.couriers >= 2;
    } else if (a == QLatin1String("--orders")) {
      o.shape.orders = v.toInt(&ok);
      ok = ok && o.shape.orders > 0;
    } else if (a == QLatin1String("--lines")) {
      o.shape.lines = v.toInt(&ok);
      ok = ok && o.shape.lines > 0;
    } else if (a == QLatin1String("--reps")) {
      o.reps = v.toInt(&ok);
      ok = ok && o.reps > 0;
    } else if (a == QLatin1String("--delays")) {
      o.delays.clear();
      for (const QString &d : v.split(QLatin1Char(','))) {
        o.delays.push_back(d.toDouble(&ok));
        if (!ok || o.delays.back() < 0) break;
      }
    } else {
      fail(QStringLiteral("unknown option ") + a);
    }
    if (!ok) fail(QStringLiteral("bad value for ") + a + QStringLiteral(": ") + v);
  }
  if (server().port <= 0) fail(QStringLiteral("--port is required"));
  return o;
}

int run(const Options &o) {
  seedRestaurant();
  Relay relay(server().port);
  const size_t commands = std::size(kSessionCommands);
  std::vector<std::int64_t> requests(commands, -1);
  std::vector<std::vector<double>> medians(commands);  // per command, per delay
  {
    // A first session, not measured: it warms the server and lets the first start-up add the
    // courier-tracking setting where the database lacks it (one request more, once).
    seedSession(o.shape);
    QString error;
    if (runOperatorSession(relay, o.shape, &error).size() != commands) fail(QStringLiteral("warm-up: ") + error);
  }
  for (const double delay : o.delays) {
    relay.setDelay(std::chrono::microseconds(qRound64(delay * 1000)));
    std::vector<std::vector<double>> times(commands);
    for (int rep = 0; rep < o.reps; ++rep) {
      seedSession(o.shape);
      QString error;
      const std::vector<CommandCost> costs = runOperatorSession(relay, o.shape, &error);
      if (costs.size() != commands) fail(QStringLiteral("session at %1 ms: %2").arg(delay).arg(error));
      for (size_t c = 0; c < commands; ++c) {
        times[c].push_back(costs[c].seconds);
        // A count that changed with the delay would mean the program waits on timing.
        if (requests[c] >= 0 && requests[c] != costs[c].requests)
          fail(QStringLiteral("%1: %2 requests, before %3").arg(costs[c].command).arg(costs[c].requests).arg(requests[c]));
        requests[c] = costs[c].requests;
      }
    }
    for (size_t c = 0; c < commands; ++c) medians[c].push_back(median(times[c]));
  }

  std::printf("session: %d active couriers, courier %s with %d orders of %d lines; medians of %d sessions\n",
              o.shape.couriers, qPrintable(kCourier), o.shape.orders, o.shape.lines, o.reps);
  std::printf("%-34s %8s", "command", "requests");
  for (const double delay : o.delays) std::printf("  %9s", qPrintable(QStringLiteral("%1 ms").arg(delay)));
  std::printf("\n");
  for (size_t c = 0; c < commands; ++c) {
    std::printf("%-34s %8lld", kSessionCommands[c], static_cast<long long>(requests[c]));
    for (const double m : medians[c]) std::printf("  %6.1f ms", m * 1e3);
    std::printf("\n");
  }
  std::printf("(delay added each way; a round trip gains twice the delay)\n");
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
