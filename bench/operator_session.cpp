#include "operator_session.h"

#include <QElapsedTimer>
#include <optional>

#include "answering_messenger.h"
#include "board/board.h"
#include "db/db_error.h"
#include "relay.h"
#include "restaurant_seed.h"
#include "signin/sign_in.h"

namespace zbench {

namespace {

// Thrown when the board does not do what the operator expects.
struct Unaccepted {
  QString why;
};

void expect(bool ok, const QString &why) {
  if (!ok) throw Unaccepted{why};
}

class Meter {
 public:
  explicit Meter(Relay &relay) : relay_(relay) {}
  void start() {
    requests_ = relay_.requests();
    timer_.start();
  }
  CommandCost stop(const char *command) {
    CommandCost cost{QString::fromUtf8(command), relay_.requests() - requests_, double(timer_.nsecsElapsed()) / 1e9};
    start();
    return cost;
  }

 private:
  Relay &relay_;
  QElapsedTimer timer_;
  std::int64_t requests_ = 0;
};

}  // namespace

void seedSession(const SessionShape &shape) {
  seedOrders(shape.orders, shape.lines);
  seedCouriers(shape.couriers);
}

std::vector<CommandCost> runOperatorSession(Relay &relay, const SessionShape &shape, QString *error) {
  std::vector<CommandCost> costs;
  AnsweringMessenger messenger;
  auto noBoxes = [&](const char *command) {
    expect(messenger.errors.isEmpty(), QString::fromUtf8(command) + QStringLiteral(": ") + messenger.errors.join('\n'));
  };
  try {
    zboard::Board board(messenger, QStringLiteral("session_board"));
    board.setHostName([] { return std::optional<QString>(kTerminal.toLower()); });
    configure(board.Connect);
    board.Connect.setPort(relay.port());
    Meter meter(relay);

    meter.start();
    board.Connect.open();
    costs.push_back(meter.stop(kSessionCommands[0]));

    auto signInAndShow = [&](const char *command) {
      messenger.reset();
      const zsignin::SignInResult signedIn = zsignin::signIn(board, QStringLiteral("1234"));
      expect(signedIn.showBoard(), QString::fromUtf8(command) + QStringLiteral(": sign-in refused"));
      expect(board.FormShow() == zboard::StartupResult::Ready, QString::fromUtf8(command) + QStringLiteral(": no board"));
      costs.push_back(meter.stop(command));
      noBoxes(command);
    };
    signInAndShow(kSessionCommands[1]);
    expect(board.ListBox2.items.size() == shape.couriers, QStringLiteral("not every courier is listed"));

    const int courier = int(board.ListBox2.items.indexOf(kCourier));
    expect(courier >= 0, QStringLiteral("courier not in the list"));
    meter.start();
    board.selectCourier(courier);
    costs.push_back(meter.stop(kSessionCommands[2]));
    noBoxes(kSessionCommands[2]);
    expect(board.NextGrid1.rowCount() == shape.orders && board.Summary.Label7.caption == QString::number(shape.orders),
           QStringLiteral("the listing does not show every order marked"));

    const int lastRow = board.NextGrid1.rowCount() - 1;
    meter.start();
    board.NextGrid1CellClick(4, lastRow);
    costs.push_back(meter.stop(kSessionCommands[3]));
    noBoxes(kSessionCommands[3]);
    expect(board.NextGrid1.cell(4, lastRow).text == QStringLiteral("Ok"), QStringLiteral("the tap did not mark"));

    meter.start();
    board.Refresh();
    costs.push_back(meter.stop(kSessionCommands[4]));
    noBoxes(kSessionCommands[4]);
    expect(board.NextGrid1.rowCount() == shape.orders, QStringLiteral("GÜNCELLE lost orders"));

    messenger.reset();
    std::optional<CommandCost> run;
    messenger.onInformation = [&] {
      if (!run) run = meter.stop(kSessionCommands[5]);
    };
    meter.start();
    board.Button2Click();
    CommandCost reload = meter.stop(kSessionCommands[6]);
    noBoxes(kSessionCommands[5]);
    expect(run.has_value() && messenger.informations.size() == 1 &&
               messenger.informations.front().endsWith(QStringLiteral(">>> Başarı İle Tahsil edilmiştir")),
           QStringLiteral("closing run: no success message"));
    costs.push_back(*run);
    costs.push_back(reload);
    expect(board.NextGrid1.rowCount() == 0, QStringLiteral("orders left on the board after the run"));
    expect(scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM mainsip WHERE SEVKYAPANISMI = ") + literal(kCourier))
                   .toInt() == 0 &&
               scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM genhar")).toInt() == shape.orders &&
               scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM stokhar")).toInt() == shape.orders * shape.lines,
           QStringLiteral("closing run: not one bill per order and one stock row per line"));

    meter.start();
    expect(board.Terk(), QStringLiteral("TERK failed"));
    costs.push_back(meter.stop(kSessionCommands[7]));
    noBoxes(kSessionCommands[7]);

    meter.start();
    signInAndShow(kSessionCommands[8]);
  } catch (const Unaccepted &u) {
    if (error) *error = u.why;
    return {};
  } catch (const zdb::DbError &e) {
    if (error) *error = e.text();
    return {};
  }
  return costs;
}

}  // namespace zbench
