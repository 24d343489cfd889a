// What the operator is told when a closing run meets a fault, and that no terminal holds another
// up: the connection cut at every request of a run by a relay between the board and the server,
// the answer to the run's last request lost, the server unreachable afterwards, two terminals
// closing the same orders at once, a stock line the server rejects, a line that arrives during the
// run. Every case runs on InnoDB tables and on MyISAM tables (an older restaurant's database,
// where the run has no transaction to lean on).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <barrier>
#include <functional>
#include <latch>
#include <mutex>

#include "closing_faults_fixture.h"
#include "db/db_error.h"
#include "dialogs/dialog_values.h"

// Texts in failures as text.
static void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QStringList &l, std::ostream *os) {
  *os << '{';
  for (const QString &s : l) *os << "\n  \"" << s.toStdString() << '"';
  *os << '}';
}

namespace {

using namespace ztest::faults;
using zbench::Relay;
using Fault = Relay::Fault;

TEST_P(ClosingFaults, ACutAtAnyRequestOfARunIsToldAsWhatTheDatabaseHolds) {
  // A run without a fault shows which request ends it.
  const auto [lastRequest, requests] = requestsOfARun();
  ASSERT_GT(lastRequest, 0);
  ASSERT_EQ(lastRequest, requests - 1);  // the reload's listing follows

  int booked = 0, notBooked = 0;
  bool lastAnswerLost = false;
  for (const Fault kind : {Fault::CutBeforeRequest, Fault::CutAfterRequest}) {
    for (int k = 1; k <= lastRequest; ++k) {
      SCOPED_TRACE(QString("%1 request %2 of %3")
                       .arg(kind == Fault::CutBeforeRequest ? "cut before" : "answer lost of")
                       .arg(k)
                       .arg(lastRequest)
                       .toStdString());
      listFreshOrders();
      const int faultsBefore = relay->faults();
      std::string cut;
      relay->setFaultHook([&, k, kind](std::int64_t n, const std::string &bytes) {
        if (n != k) return Fault::None;
        cut = statementOf(bytes);
        return kind;
      });
      confirmAndRun();
      relay->setFaultHook(nullptr);
      ASSERT_EQ(relay->faults(), faultsBefore + 1) << "the fault did not land";
      const bool wasBooked = ztest::count("SELECT * FROM genhar") == kOrders;
      ++(wasBooked ? booked : notBooked);
      if (endsTheRun(cut, GetParam())) {
        if (kind == Fault::CutAfterRequest) lastAnswerLost = true;
        // An end that never reached the server is taken back, on either engine. One that reached
        // it was run, or stopped by the server where it found the connection gone (InnoDB rolls
        // it back): the operator is told which below.
        if (kind == Fault::CutBeforeRequest) {
          EXPECT_FALSE(wasBooked);
        }
      }
      expectTruthToldAndBoardWorks();
    }
  }
  EXPECT_TRUE(lastAnswerLost);
  EXPECT_GT(notBooked, lastRequest);
  EXPECT_GT(booked, 1);  // the ping before the run, and the lost answer to the last request
}

TEST_P(ClosingFaults, WhenTheServerCannotBeAskedTheOperatorIsToldSo) {
  listFreshOrders();
  // The answer to the run's last request is lost (the server, still connected, runs all of it),
  // and so is every request after it: the check's log-ins too.
  cutFrom(runsEnd(), Fault::DropClientAfterRequest);
  confirmAndRun();
  const int faults = relay->faults();
  relay->setFaultHook(nullptr);

  EXPECT_GE(faults, 2) << "the check did not meet the unreachable server";
  EXPECT_EQ(fake.informations, QStringList());
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().endsWith(kCannotTell)) << fake.errors.front().toStdString();
  EXPECT_FALSE(fake.errors.front().startsWith(kCannotTell.mid(1)));
  expectBoardGivenBack();
  // The server finishes the request it got, unaware that nobody reads its answers.
  for (int waited = 0; waited < 60; ++waited) {
    if (ztest::scalar(kClosingLockFree).toInt() == 1 && ztest::count("SELECT * FROM genhar") == kOrders) break;
    QThread::msleep(50);
  }
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);
  EXPECT_EQ(violations({board.get()}), QStringList());

  // The next command that reaches the server shows the truth through its reload.
  board->Refresh();
  EXPECT_EQ(fake.errors.size(), 1);
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 0);
  EXPECT_FALSE(board->hasUnsettledRun());
}

// The answer to the run's first writes is lost and the server stays out of reach: on MyISAM its
// bills stand while its orders are open. The board remembers them, closes nothing while it cannot
// take them back, and takes them back first at the next command that reaches the server.
TEST_P(ClosingFaults, WhatCouldNotBeTakenBackIsTakenBackFirstAtTheNextCommand) {
  listFreshOrders();
  cutFrom(firstWrites, Fault::CutAfterRequest);
  confirmAndRun();
  ASSERT_TRUE(reached);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().endsWith(kCannotTell)) << fake.errors.front().toStdString();
  EXPECT_EQ(fake.informations, QStringList());
  expectBoardGivenBack();
  EXPECT_EQ(board->hasUnsettledRun(), myIsam());
  // What the server holds meanwhile: on MyISAM bills of the first group (as many as the server
  // wrote before it found the connection gone), their orders still open.
  if (myIsam())
    EXPECT_GT(ztest::count("SELECT * FROM genhar"), 0);
  else
    EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);

  // Still out of reach: the command fails and closes nothing.
  fake.errors.clear();
  const qsizetype asked = fake.questions.size();
  confirmAndRun();
  fake.answers.clear();
  EXPECT_EQ(fake.errors.size(), 1);
  EXPECT_EQ(fake.questions.size(), asked);
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), kOrders);

  // Back: the bills go before anything is listed, and the orders close once.
  relay->setFaultHook(nullptr);
  expectTakenBackThenClosedOnce();
}

// The run's end never reaches the server, and opening the connection again to settle it is
// refused for now: too many connections (dead tills' sessions pile up), then the host blocked.
// The run is not dropped: it stays to be settled, and is settled first once the server lets the
// till in again.
TEST_P(ClosingFaults, ASettleTheServerTurnsAwayForNowIsTriedAgain) {
  listFreshOrders();
  reached = false;
  relay->setFaultHook([&](std::int64_t, const std::string &bytes) {
    if (reached || !endsTheRun(statementOf(bytes), GetParam())) return Fault::None;
    reached = true;
    relay->refuseNewConnections(1040, "Too many connections");
    return Fault::CutBeforeRequest;
  });
  confirmAndRun();
  ASSERT_TRUE(reached);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().endsWith(kCannotTell)) << fake.errors.front().toStdString();
  EXPECT_EQ(board->hasUnsettledRun(), myIsam());
  if (myIsam()) {
    EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);  // the bills stand, the orders open
  }

  relay->refuseNewConnections(1129, "Host 'kasa-pc' is blocked because of many connection errors");
  fake.errors.clear();
  board->Refresh();
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().startsWith("Host 'kasa-pc' is blocked")) << fake.errors.front().toStdString();
  EXPECT_EQ(board->hasUnsettledRun(), myIsam());

  // Let in again: the bills go before anything is listed, and the orders close once.
  relay->refuseNewConnections(0);
  relay->setFaultHook(nullptr);
  expectTakenBackThenClosedOnce();
}

// A run's first bills went in, the answers were lost, and the till was switched off before it
// could take them back: what it knew to settle went with it. Started again, the program's next
// run (as another terminal's would) takes those bills back before it closes anything, and the
// orders close once.
TEST_P(ClosingFaults, AfterARestartTheNextRunSettlesWhatAStoppedRunLeft) {
  listFreshOrders();
  cutFrom(firstWrites, Fault::CutAfterRequest);
  confirmAndRun();
  ASSERT_TRUE(reached);
  EXPECT_EQ(board->hasUnsettledRun(), myIsam());
  const int leftBehind = ztest::count("SELECT * FROM genhar");
  if (myIsam()) {
    EXPECT_GT(leftBehind, 0);  // on InnoDB the server rolled them back with the session
  }

  // Switched off and on again.
  board.reset();
  relay->setFaultHook(nullptr);
  board = std::make_unique<zboard::Board>(fake, "restarted");
  ztest::configure(board->Connect);
  board->Connect.open();
  board->setHostName([] { return std::optional<QString>(QStringLiteral("kasa-pc")); });
  board->setClock([] { return QDateTime(ztest::workDate(), QTime(14, 40)); });
  ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  listCourier("Ali");
  board->Refresh();  // GÜNCELLE: the orders were held by the board before the restart
  ASSERT_TRUE(board->BoardErrorText.isEmpty());
  ASSERT_EQ(board->NextGrid1.rowCount(), kOrders);
  fake.errors.clear();
  fake.informations.clear();
  confirmAndRun();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({kSuccess}));
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);
  EXPECT_EQ(violations({board.get()}), QStringList());
}

// The run's last request never reaches the server, which stays out of reach; a line arrives for
// one of its orders meanwhile. On MyISAM the run's bills stand and its deletes are still to come:
// the next command finds the new line and takes the run back instead of deleting a line that has
// no stock row.
TEST_P(ClosingFaults, ALineThatArrivesBeforeAnUnsettledRunsDeletesIsKept) {
  listFreshOrders();
  cutFrom(runsEnd(), Fault::CutBeforeRequest);
  confirmAndRun();
  ASSERT_TRUE(reached);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().endsWith(kCannotTell)) << fake.errors.front().toStdString();
  EXPECT_EQ(board->hasUnsettledRun(), myIsam());

  ztest::exec(utf("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PORSIYON) VALUES (9, 101, 'Geç gelen', 1, 0, 1);\n"
                  "INSERT INTO soak_lines VALUES (101, 'Geç gelen')"));
  relay->setFaultHook(nullptr);
  fake.errors.clear();
  board->Refresh();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_FALSE(board->hasUnsettledRun());
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM temp WHERE ADISYONNO = 101"), 3);
  EXPECT_EQ(violations({board.get()}), QStringList());
  ASSERT_EQ(board->NextGrid1.rowCount(), kOrders);
  confirmAndRun();
  EXPECT_EQ(fake.informations, QStringList({kSuccess}));
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar WHERE ADISYONNO = 101"), 3);
  EXPECT_EQ(violations({board.get()}), QStringList());
}

// The run's first writes never reach the server, which stays out of reach for this board; another
// terminal where the same operator works closes the same orders meanwhile. Its bills look like
// the ones this run would have written, but their orders are gone: settling takes none of them.
TEST_P(ClosingFaults, SettlingTakesNoBillOfAnotherTerminalsBookedRun) {
  listFreshOrders();
  cutFrom(firstWrites, Fault::CutBeforeRequest);
  confirmAndRun();
  ASSERT_TRUE(reached);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_EQ(board->hasUnsettledRun(), myIsam());

  // The other terminal: same operator, same station, same clock; it lists the orders twice (the
  // first listing warns that this board holds them) and closes them.
  ztest::FakeMessenger otherFake;
  zboard::Board other(otherFake, "same_operator_elsewhere");
  ztest::setUpTerminal(other, QTime(14, 30, 15), "KASA1", 7);
  ASSERT_EQ(ztest::listAli(other), zboard::StartupResult::Ready);
  other.Refresh();
  ASSERT_TRUE(other.BoardErrorText.isEmpty());
  otherFake.answer(1);
  otherFake.answer(1);
  other.Button2Click();
  ASSERT_EQ(otherFake.informations.filter(utf("Başarı")).size(), 1) << otherFake.informations.join("\n").toStdString();
  ASSERT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);

  relay->setFaultHook(nullptr);
  fake.errors.clear();
  board->Refresh();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_FALSE(board->hasUnsettledRun());
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 0);
  EXPECT_EQ(violations({board.get(), &other}), QStringList());
}

// The run's first request reaches the server and the cable drops: the server runs it and its
// session lives on, unaware (on MyISAM holding the closing lock it just took). The board ends that
// session when it finds it still there, so that neither it nor another terminal waits for it.
TEST_P(ClosingFaults, ASessionLostOnTheNetworkIsEndedAtTheServer) {
  listFreshOrders();
  bool dropped = false;
  relay->setFaultHook([&](std::int64_t, const std::string &bytes) {
    const std::string statement = statementOf(bytes);
    if (dropped || !beginsTheRun(statement))
      return Fault::None;
    dropped = true;
    return Fault::DropClientAfterRequest;
  });
  confirmAndRun();
  relay->setFaultHook(nullptr);
  ASSERT_TRUE(dropped);
  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().endsWith(kNotBooked)) << fake.errors.front().toStdString();
  EXPECT_EQ(violations({board.get()}), QStringList());  // the closing lock among them

  fake.errors.clear();
  board->Refresh();
  confirmAndRun();
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({kSuccess}));
  EXPECT_EQ(violations({board.get()}), QStringList());
}

// A line arrives for an order the run already read: closing the order would delete a line that
// has no stock row, so nothing of the run stays.
TEST_P(ClosingFaults, ALineThatArrivesDuringTheRunTakesTheRunBack) {
  listFreshOrders();
  bool arrived = false;
  fake.onProcessEvents = [&] {
    // Once the first group's writes are out: on MyISAM its bills stand.
    if (arrived || statements.filter(QRegularExpression("^INSERT INTO Genhar")).isEmpty()) return;
    arrived = true;
    ztest::exec(utf("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PORSIYON) VALUES (9, 101, 'Geç gelen', 1, 0, 1);\n"
                    "INSERT INTO soak_lines VALUES (101, 'Geç gelen')"));
  };
  confirmAndRun();
  fake.onProcessEvents = nullptr;

  ASSERT_TRUE(arrived) << "no bill was written while the run let events run";
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({kChangedElsewhere}));
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM temp WHERE ADISYONNO = 101"), 3);
  EXPECT_EQ(violations({board.get()}), QStringList());
  expectBoardGivenBack();

  fake.informations.clear();
  board->Refresh();
  ASSERT_EQ(board->NextGrid1.rowCount(), kOrders);
  confirmAndRun();
  EXPECT_EQ(fake.informations, QStringList({kSuccess}));
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar WHERE ADISYONNO = 101"), 3);
  EXPECT_EQ(violations({board.get()}), QStringList());
}

// A stock line the server rejects: its box is shown after the run has ended, so the run's rows
// are free for another terminal while the box waits for the operator.
TEST_P(ClosingFaults, ARejectedLinesBoxWaitsWithoutHoldingTheRunsLocks) {
  listFreshOrders();
  ztest::exec(utf("CREATE TRIGGER zt_stok BEFORE INSERT ON stokhar FOR EACH ROW BEGIN "
                  "IF NEW.STOKADI = 'Ürün 103-2' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Stok karti kilitli'; "
                  "END IF; END"));
  auto other = ztest::openConnection("other_terminal");
  other->execute("SET SESSION innodb_lock_wait_timeout = 1");
  QString atBox;
  qint64 waited = -1;
  fake.onError = [&] {
    QElapsedTimer timer;
    timer.start();
    try {
      // The bills of the orders before it, and the orders themselves.
      other->execute("UPDATE genhar SET ADISYONNO = ADISYONNO WHERE ADISYONNO BETWEEN 101 AND 140");
      other->execute("UPDATE mainsip SET lockdurum = lockdurum WHERE ADISYONNO BETWEEN 101 AND 140");
      atBox = "free";
    } catch (const zdb::DbError &e) {
      atBox = e.text();
    }
    waited = timer.elapsed();
  };

  confirmAndRun();

  EXPECT_EQ(fake.errors, QStringList({"Stok karti kilitli."}));
  EXPECT_EQ(atBox, "free");
  EXPECT_LT(waited, 500);
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders - 1);
  EXPECT_EQ(ztest::count("SELECT * FROM genhar WHERE ADISYONNO = 103"), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM stokhar WHERE ADISYONNO = 103"), 0);  // its first line went too
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip WHERE ADISYONNO = 103"), 1);
  EXPECT_EQ(ztest::count("SELECT * FROM temp WHERE ADISYONNO = 103"), 2);
  EXPECT_EQ(violations({board.get()}), QStringList());
  expectBoardGivenBack();
}

// A deadlock with another terminal: the server gives this run up, and the operator is told that
// the orders changed elsewhere, not the server's English text.
TEST_P(ClosingFaults, ADeadlockWithAnotherTerminalIsToldAsAChangeElsewhere) {
  if (myIsam()) GTEST_SKIP() << "MyISAM takes table locks, whose waits cannot close a cycle";
  listFreshOrders();
  std::latch holding(1);
  std::atomic<bool> victimFree{false};
  QString otherError;
  // The other terminal: a long transaction (so the server gives up the board's, the lighter one)
  // that holds the last order and, once the board waits for it, wants a line the board deleted.
  QThread *other = QThread::create([&] {
    auto c = ztest::openConnection("deadlock_other");
    try {
      c->execute("START TRANSACTION");
      c->execute("INSERT INTO temp (ADISYONNO, STOKADI) SELECT 9000 + seq, 'x' FROM seq_1_to_3000");
      c->execute("SELECT * FROM mainsip WHERE ADISYONNO = 140 FOR UPDATE");
      holding.count_down();
      for (int i = 0; i < 25; ++i) {  // either way round the waits close a cycle
        QSqlQuery waiting(c->database());
        if (waiting.exec("SELECT COUNT(*) FROM information_schema.INNODB_TRX WHERE trx_state = 'LOCK WAIT'") &&
            waiting.next() && waiting.value(0).toInt() > 0)
          break;
        QThread::msleep(20);
      }
      c->execute("DELETE FROM temp WHERE ADISYONNO = 101");
      victimFree = true;
    } catch (const zdb::DbError &e) {
      otherError = e.text();
      holding.count_down();
    }
    try {
      c->execute("ROLLBACK");
    } catch (const zdb::DbError &) {
    }
  });
  other->start();
  holding.wait();

  confirmAndRun();
  other->wait();
  delete other;

  EXPECT_EQ(otherError, QString());
  EXPECT_TRUE(victimFree);
  EXPECT_EQ(fake.errors, QStringList());
  EXPECT_EQ(fake.informations, QStringList({kChangedElsewhere}));
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
  EXPECT_EQ(violations({board.get()}), QStringList());
  expectBoardGivenBack();
}

// ------------------------------------------------------------------ two terminals at once

// Records like the fake, with the program-wide DialogMessage set and read by one board at a time
// at the end of a run: from giving the board back to the message that follows.
class TerminalMessenger : public ztest::FakeMessenger {
 public:
  explicit TerminalMessenger(std::mutex &ending) : ending_(ending, std::defer_lock) {}
  void closeProgress() override {
    FakeMessenger::closeProgress();
    if (!ending_.owns_lock()) ending_.lock();
  }
  void showInformation() override {
    FakeMessenger::showInformation();
    if (ending_.owns_lock()) ending_.unlock();
  }
  void showError(const QString &text) override {
    FakeMessenger::showError(text);
    if (ending_.owns_lock()) ending_.unlock();
  }

 private:
  std::unique_lock<std::mutex> ending_;
};

class TwoTerminalsAtOnce : public ztest::DbTest, public ::testing::WithParamInterface<const char *> {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ztest::seedRestaurant(4);
    if (onMyIsam(GetParam())) ztest::setClosingTablesEngine(GetParam());
    ztest::exec(
        "DROP TEMPORARY TABLE IF EXISTS soak_orders;\nDROP TEMPORARY TABLE IF EXISTS soak_lines;\n"
        "CREATE TEMPORARY TABLE soak_orders (ADISYONNO INT NOT NULL PRIMARY KEY, TUTAR DOUBLE);\n"
        "CREATE TEMPORARY TABLE soak_lines (ADISYONNO INT NOT NULL, STOKADI VARCHAR(30) NOT NULL)");
  }
};

TEST_P(TwoTerminalsAtOnce, OneClosesTheOrdersTheOtherIsToldTheyChangedElsewhere) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    seedOrders();
    std::mutex ending;
    std::latch firstListed(1), released(1), bothListed(2);
    std::barrier start(2);
    QStringList informations[2], errors[2];
    QString held[2];
    // No two terminals write bills for the same order, not even for a moment: each looks whenever
    // its run lets events run (uncommitted bills of a transaction are not seen).
    std::atomic<int> doubled{0};
    auto terminal = [&](int k) {
      auto watch = ztest::openConnection(QString("watch_%1").arg(k));
      TerminalMessenger fake(ending);
      zboard::Board board(fake, QString("terminal_%1").arg(k));
      ztest::setUpTerminal(board, QTime(14, 30), k == 0 ? "KASA1" : "KASA2", 7 + k);
      // The second finds the orders free (the hold is advisory) and lists them too.
      if (k == 1) released.wait();
      ztest::listAli(board);
      if (k == 0) firstListed.count_down();
      bothListed.arrive_and_wait();
      // Both runs start together, once both operators have said "Evet" twice.
      bool started = false;
      fake.onProcessEvents = [&] {
        if (!std::exchange(started, true)) start.arrive_and_wait();
        QSqlQuery twice(watch->database());
        if (twice.exec("SELECT COUNT(*) FROM (SELECT ADISYONNO FROM genhar GROUP BY ADISYONNO HAVING COUNT(*) > 1) d") &&
            twice.next())
          doubled = std::max(doubled.load(), twice.value(0).toInt());
      };
      fake.answer(1);
      fake.answer(1);
      if (board.NextGrid1.rowCount() == kOrders && board.BoardErrorText.isEmpty()) board.Button2Click();
      if (!started) start.arrive_and_wait();
      informations[k] = fake.informations;
      errors[k] = fake.errors;
      held[k] = board.HeldOrderClause;
    };
    QThread *first = QThread::create(terminal, 0);
    QThread *second = QThread::create(terminal, 1);
    first->start();
    second->start();
    firstListed.wait();
    ztest::exec("UPDATE mainsip SET lockdurum = 0");
    released.count_down();
    first->wait();
    second->wait();
    delete first;
    delete second;

    EXPECT_EQ(errors[0], QStringList());
    EXPECT_EQ(errors[1], QStringList());
    EXPECT_EQ(doubled, 0) << "orders with two bills at once";
    const int winner = informations[0] == QStringList({kSuccess}) ? 0 : 1;
    EXPECT_EQ(informations[winner], QStringList({kSuccess}));
    EXPECT_EQ(informations[1 - winner], QStringList({kChangedElsewhere}));
    EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);
    EXPECT_EQ(ztest::scalar("SELECT COUNT(DISTINCT KAPATANISMI) FROM genhar").toInt(), 1);
    EXPECT_EQ(violations({}), QStringList());
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, ClosingFaults, ::testing::Values("InnoDB", "MyISAM"), engineName);
INSTANTIATE_TEST_SUITE_P(Engines, TwoTerminalsAtOnce, ::testing::Values("InnoDB", "MyISAM"), engineName);

}  // namespace
