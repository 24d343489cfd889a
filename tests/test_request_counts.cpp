// Round trips per operator command, counted by the network relay between the board and the
// server. A count does not depend on the machine's speed, so it is a test, not a timing: every
// command must cost a small fixed number of requests whatever the number of orders and couriers,
// on InnoDB tables and on MyISAM tables alike.
#include <gtest/gtest.h>

#include <QSqlQuery>
#include <cstdio>
#include <optional>

#include "bench/answering_messenger.h"
#include "bench/operator_session.h"
#include "bench/relay.h"
#include "bench/restaurant_seed.h"
#include "board/board.h"
#include "db/batch.h"
#include "db_fixture.h"
#include "signin/sign_in.h"

namespace {

using zbench::CommandCost;
using zbench::Relay;
using zbench::SessionShape;

// The most requests each command of the session may cost with `orders` listed.
std::vector<std::int64_t> limits(int orders) {
  const int groups = (orders + 31) / 32;
  return {6,  // connect: the log-in, the driver's and the session's settings
          8,  // sign-in with the first start-up
          4,  // listing
          2,  // register cell tap
          4,  // GÜNCELLE
          2 * groups + 4,  // closing run: the connection check, the working date, each group's reads and
                           // writes, its end with its check (and COMMIT), and a spare
          4,  // reload after the run: a listing
          2,  // TERK
          6};  // sign-in with a later showing
}

class RequestCounts : public ztest::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    zbench::server().port = ztest::serverPort();
    zbench::seedRestaurant();
  }
};

// The same on an older restaurant's tables: the closing run takes its lock, checks and settles
// within the requests it sends anyway.
class RequestCountsOnEngines : public RequestCounts, public ::testing::WithParamInterface<const char *> {
 protected:
  void SetUp() override {
    RequestCounts::SetUp();
    if (std::string(GetParam()) == "MyISAM") ztest::setClosingTablesEngine(GetParam());
  }
};

TEST_F(RequestCounts, TheRelayCountsRoundTripsNotStatements) {
  Relay relay(ztest::serverPort());
  zdb::Connection c(QStringLiteral("relayed"));
  ztest::configure(c);
  c.setPort(relay.port());
  c.open();
  relay.resetCount();
  ASSERT_TRUE(c.ping());
  EXPECT_EQ(relay.requests(), 1);
  zdb::Batch batch(c);
  for (int i = 0; i < 3; ++i) batch.add(QStringLiteral("SELECT %1").arg(i), true);
  batch.send();
  EXPECT_EQ(relay.requests(), 2);
  EXPECT_EQ(batch.takeRows(2).rows.at(0).at(0).toInt(), 2);
}

TEST_P(RequestCountsOnEngines, EveryCommandStaysWithinItsRoundTrips) {
  for (const SessionShape shape : {SessionShape{10, 30, 4}, SessionShape{25, 200, 4}}) {
    SCOPED_TRACE(QStringLiteral("%1 couriers, %2 orders").arg(shape.couriers).arg(shape.orders).toStdString());
    zbench::seedSession(shape);
    Relay relay(ztest::serverPort());
    QString error;
    const std::vector<CommandCost> costs = zbench::runOperatorSession(relay, shape, &error);
    ASSERT_EQ(costs.size(), std::size(zbench::kSessionCommands)) << error.toStdString();
    const std::vector<std::int64_t> most = limits(shape.orders);
    QStringList figures;
    for (size_t c = 0; c < costs.size(); ++c) {
      EXPECT_LE(costs[c].requests, most[c]) << costs[c].command.toStdString();
      EXPECT_GT(costs[c].requests, 0) << costs[c].command.toStdString();
      figures << QStringLiteral("%1 %2").arg(costs[c].command).arg(costs[c].requests);
    }
    std::printf("requests on %s, %d orders: %s\n", GetParam(), shape.orders, qPrintable(figures.join(", ")));
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, RequestCountsOnEngines, ::testing::Values("InnoDB", "MyISAM"),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

// TERK on a board that holds its listing: the ping and the release.
TEST_F(RequestCounts, TerkReleasesTheHeldOrdersInTwoRoundTrips) {
  const SessionShape shape{4, 40, 2};
  zbench::seedSession(shape);
  Relay relay(ztest::serverPort());
  zbench::AnsweringMessenger messenger;
  zboard::Board board(messenger, QStringLiteral("terk_board"));
  board.setHostName([] { return std::optional<QString>(zbench::kTerminal); });
  ztest::configure(board.Connect);
  board.Connect.setPort(relay.port());
  board.Connect.open();
  ASSERT_TRUE(zsignin::signIn(board, QStringLiteral("1234")).showBoard());
  ASSERT_EQ(board.FormShow(), zboard::StartupResult::Ready);
  board.selectCourier(int(board.ListBox2.items.indexOf(zbench::kCourier)));
  ASSERT_EQ(ztest::scalar("SELECT COUNT(*) FROM mainsip WHERE lockdurum = 1").toInt(), shape.orders);

  relay.resetCount();
  ASSERT_TRUE(board.Terk());
  EXPECT_EQ(relay.requests(), 2);
  EXPECT_EQ(ztest::scalar("SELECT COUNT(*) FROM mainsip WHERE lockdurum = 1").toInt(), 0);
  EXPECT_TRUE(messenger.errors.isEmpty());
}

}  // namespace
