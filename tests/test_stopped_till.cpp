// A till that stops in the middle of a closing run (frozen, without power, its cable pulled) leaves
// its session open at the server, silent. At each request of a run, on InnoDB and on MyISAM
// tables: the restaurant's other programs go on reading and writing temp and mainsip, another
// terminal closes the same orders (after GÜNCELLE, as the hold warnings ask), both within bounds,
// and the stopped till, when it comes back, is told the truth and closes nothing twice.
//
// The bound of a run's silent session is 20 s on a till; here it is 2 s, and the bounds others
// wait for (30 s and 60 s on a till) shrink with it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <latch>

#include "closing_faults_fixture.h"
#include "db/db_error.h"

// Texts in failures as text.
static void PrintTo(const QStringList &l, std::ostream *os) {
  *os << '{';
  for (const QString &s : l) *os << "\n  \"" << s.toStdString() << '"';
  *os << '}';
}

namespace {

using namespace ztest::faults;

constexpr int kSilence = 2;
constexpr qint64 kOthersMs = (kSilence + 3) * 1000;
constexpr qint64 kSecondTerminalMs = (kSilence + 8) * 1000;

// The restaurant's order-taking program, on a connection of its own made in the calling thread:
// reads mainsip, takes an order with a line next to Ali's and cancels it again. Its waits for
// locks are 30 s, as the bound a restaurant can live with. Returns the milliseconds it took, or
// -1 with the server's text.
qint64 orderTakingWorks(const QString &name, QString *failure) {
  try {
    auto c = ztest::openConnection(name);
    c->execute("SET SESSION innodb_lock_wait_timeout = 30");
    c->execute("SET SESSION lock_wait_timeout = 30");
    QElapsedTimer timer;
    timer.start();
    QSqlQuery read(c->database());
    if (!read.exec("SELECT COUNT(*) FROM mainsip") || !read.next()) throw zdb::DbError(read.lastError());
    c->execute("INSERT INTO mainsip (ADISYONNO, FIRMAISMI, TUTAR, SEVKYAPANISMI, KISIM, TARIH, LOCKDURUM) "
               "VALUES (141, 'Yeni', 5, '', 'Salon', '2026-12-09', 0)");
    c->execute("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PORSIYON) VALUES (1, 141, 'Yeni', 1, 5, 1)");
    c->execute("UPDATE temp SET ADET = 2 WHERE ADISYONNO = 141");
    c->execute("DELETE FROM temp WHERE ADISYONNO = 141");
    c->execute("DELETE FROM mainsip WHERE ADISYONNO = 141");
    return timer.elapsed();
  } catch (const zdb::DbError &e) {
    *failure = e.text();
    return -1;
  }
}

// What the other terminal got done.
struct SecondTerminal {
  bool closed = false;  // none of Ali's orders is left open
  qint64 msecs = -1;    // from the stop
  int runs = 0;
  QStringList informations, errors;
};

// Another terminal, built in the calling thread as on a till of its own, closes Ali's orders as
// its operator would: GÜNCELLE while the list warns that they are held elsewhere, the collect
// button, and again after being told that another terminal is closing, until none is left.
SecondTerminal closeElsewhere(const QElapsedTimer &sinceStop) {
  SecondTerminal out;
  ztest::FakeMessenger fake;
  zboard::Board other(fake, QStringLiteral("second_terminal"));
  ztest::setUpTerminal(other, QTime(14, 31), "KASA2", 8);
  other.closingSilenceSeconds = kSilence;
  other.closingLockWaitSeconds = 1;
  if (ztest::listAli(other) != zboard::StartupResult::Ready) return out;
  while (sinceStop.elapsed() < kSecondTerminalMs) {
    if (other.NextGrid1.rowCount() == 0 && other.BoardErrorText.isEmpty()) {
      out.closed = true;
      break;
    }
    if (other.BoardErrorText.isEmpty()) {
      fake.answer(1);
      fake.answer(1);
      other.Button2Click();
      ++out.runs;
      if (other.NextGrid1.rowCount() == 0) continue;
    }
    QThread::msleep(100);
    other.Refresh();  // GÜNCELLE
  }
  out.msecs = sinceStop.elapsed();
  out.informations = fake.informations;
  out.errors = fake.errors;
  other.Terk();
  return out;
}

class StoppedTill : public ClosingFaults {
 protected:
  void SetUp() override {
    ClosingFaults::SetUp();
    board->closingSilenceSeconds = kSilence;
  }

  // What the stopped session holds that others may need: on MyISAM the closing lock, on InnoDB
  // rows its transaction wrote. Asked, on a connection made in the calling thread, once the
  // server has run the request it got.
  static bool holdsSomething(std::uint32_t session, bool myIsam) {
    auto c = ztest::openConnection(QStringLiteral("stop_check"));
    auto number = [&](const QString &sql) {
      QSqlQuery q(c->database());
      return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    };
    for (int waited = 0; waited < 40; ++waited) {
      if (number(QString("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1 AND COMMAND = 'Sleep'")
                     .arg(session)) == 1)
        break;
      QThread::msleep(25);
    }
    return myIsam ? number(QString("SELECT IS_USED_LOCK('zerdapos_paket_kapanis') = %1").arg(session)) == 1
                  : number(QString("SELECT IFNULL(MAX(trx_rows_modified), 0) FROM information_schema.INNODB_TRX "
                                   "WHERE trx_mysql_thread_id = %1")
                               .arg(session)) > 0;
  }
};

TEST_P(StoppedTill, AtAnyRequestOfARunItHoldsNobodyUpForLong) {
  // A run without a fault shows its requests; the last of the run is its end.
  const int lastRequest = requestsOfARun().first;
  ASSERT_GT(lastRequest, 0);

  int holding = 0, closedByTheTill = 0;
  for (int k = 1; k <= lastRequest; ++k) {
    SCOPED_TRACE(QString("stopped after request %1 of %2").arg(k).arg(lastRequest).toStdString());
    listFreshOrders();
    const int faultsBefore = relay->faults();
    std::latch stopped(1);
    std::atomic<std::uint32_t> session{0};
    relay->setFaultHook([&, k](std::int64_t n, const std::string &) {
      if (n != k) return Fault::None;
      session = Relay::currentSession();
      stopped.count_down();
      return Fault::FreezeAfterRequest;
    });
    // The restaurant goes on while the till is stopped, in threads of its own.
    bool held = false;
    qint64 orderTaking = -1;
    QString orderTakingFailure;
    SecondTerminal second;
    QThread *restaurant = QThread::create([&] {
      stopped.wait();
      QElapsedTimer sinceStop;
      sinceStop.start();
      held = holdsSomething(session, myIsam());
      orderTaking = orderTakingWorks(QString("order_taking_%1").arg(k), &orderTakingFailure);
      second = closeElsewhere(sinceStop);
      relay->thaw();  // the till comes back
    });
    restaurant->start();
    confirmAndRun();
    restaurant->wait();
    delete restaurant;
    relay->setFaultHook(nullptr);

    ASSERT_EQ(relay->faults(), faultsBefore + 1) << "the till did not stop";
    holding += held ? 1 : 0;
    EXPECT_GE(orderTaking, 0) << orderTakingFailure.toStdString();
    EXPECT_LT(orderTaking, kOthersMs);
    EXPECT_TRUE(second.closed) << second.runs << " runs: " << second.informations.join(" | ").toStdString();
    EXPECT_LT(second.msecs, kSecondTerminalMs);
    EXPECT_EQ(second.errors, QStringList());

    // The till, back: the truth, and every order closed once, by it or by the other terminal.
    const int mine = ztest::count("SELECT * FROM genhar WHERE KAPATANISMI = 'KASA1'");
    const int theirs = ztest::count("SELECT * FROM genhar WHERE KAPATANISMI = 'KASA2'");
    EXPECT_EQ(mine + theirs, kOrders);
    EXPECT_TRUE(mine == 0 || theirs == 0) << mine << " " << theirs;
    EXPECT_EQ(fake.errors, QStringList());
    EXPECT_EQ(fake.informations, QStringList({mine == kOrders ? kSuccess : kChangedElsewhere}));
    closedByTheTill += mine == kOrders ? 1 : 0;
    EXPECT_EQ(violations({board.get()}), QStringList());
    expectBoardGivenBack();
  }
  // The stops landed where the till held what others need, and the one after its end left it
  // booked.
  EXPECT_GE(holding, myIsam() ? lastRequest - 3 : 2);
  EXPECT_GE(closedByTheTill, 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, StoppedTill, ::testing::Values("InnoDB", "MyISAM"), engineName);

}  // namespace
