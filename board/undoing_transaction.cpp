// The closing run on tables without transactions (MyISAM and its kind, in older restaurant
// databases), where START TRANSACTION and ROLLBACK change nothing and every statement stands once
// it ran. So:
// - the runs of all terminals follow one another: a run holds a named lock (GET_LOCK, bounded
//   wait) from its first request to its last, and looks first whether its orders are still open
//   and without a bill;
// - its session is bounded: a till that stops in the middle of a run (power cut, hang, pulled
//   cable) leaves a silent session, which the server ends within seconds, and with it the lock;
//   a lock held by a session asleep for longer than that is a stopped till's, and its session is
//   ended by the next terminal that wants the lock;
// - what a run that did not finish left behind (its bills on orders still open) is settled by the
//   next run of any terminal before anything is closed, and by the run's own till, by the insert
//   ids of its bills, when it comes back: a bill is taken back with its stock rows, unless the
//   run's deletes already took lines of its order, which are then deleted with the order;
// - the end (a check of the orders and their lines, the deletes, the release) runs at the server
//   in one request under LOCK TABLES, the decision made there: no table lock of a run spans a
//   round trip, and none outlives an error: whatever a statement answers, what it left locked is
//   unlocked by the next request.
#include <QSet>
#include <algorithm>

#include "board/closing_guards.h"
#include "board/closing_records.h"
#include "board/closing_transaction.h"
#include "db/batch.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/quoting.h"

namespace zboard {

namespace {

const QString kLockTables = QStringLiteral("LOCK TABLES temp WRITE, mainsip WRITE");
const QString kUnlockTables = QStringLiteral("UNLOCK TABLES");
// Times a settlement looks again when lines changed between its look and its deletes.
constexpr int kSettleAttempts = 3;

// Stops its request unless the orders of the closing list `clause` and their lines are as many
// as were read: none added, none taken away, none closed elsewhere.
QString stopUnlessAsRead(const QString &clause, int lines, int orders) {
  return guard::stopUnless(QStringLiteral("(SELECT COUNT(*) FROM temp WHERE %1) = %2 AND "
                                          "(SELECT COUNT(*) FROM mainsip WHERE %1) = %3")
                               .arg(clause)
                               .arg(lines)
                               .arg(orders));
}

// Whether GET_LOCK answered that the lock was got.
bool lockGot(const zdb::Query::Result &answer) { return !answer.rows.empty() && answer.rows.front().at(0).toInt() == 1; }

// Whether the server itself stopped the request at its failed statement, so that none after it
// ran; the client library's errors (2000 to 2999) and the data layer's (0) leave that unknown.
bool stoppedByServer(const zdb::DbError &error) {
  const int code = error.serverCode();
  return code > 0 && (code < 2000 || code >= 3000);
}

// A bill of a run that did not finish, as the server holds it now.
struct BillState {
  qint64 bill = 0;
  qint64 order = 0;
  int stock = 0;      // its stock rows
  int lines = 0;      // its order's lines in temp
  bool open = false;  // its order in mainsip
};

QString billStateRead(const QString &condition) {
  return QStringLiteral(
             "SELECT g.GENHARNO, g.ADISYONNO, (SELECT COUNT(*) FROM stokhar s WHERE s.GENHARNO = g.GENHARNO), "
             "(SELECT COUNT(*) FROM temp t WHERE t.ADISYONNO = g.ADISYONNO), "
             "(SELECT COUNT(*) FROM mainsip m WHERE m.ADISYONNO = g.ADISYONNO) FROM genhar g WHERE ") +
         condition;
}

std::vector<BillState> billStates(const zdb::Query::Result &rows) {
  std::vector<BillState> states;
  for (const auto &row : rows.rows)
    states.push_back({row.at(0).toLongLong(), row.at(1).toLongLong(), row.at(2).toInt(), row.at(3).toInt(),
                      row.at(4).toInt() > 0});
  return states;
}

// What becomes of the bills of a run that did not finish.
struct Settlement {
  std::vector<qint64> finish;    // orders whose deletes are completed
  int finishLines = 0;           // their lines still in temp
  std::vector<qint64> takeBack;  // bills taken back with their stock rows
  bool empty() const { return finish.empty() && takeBack.empty(); }
};

// `deletesMayHaveRun`: the run's end may have begun its deletes (they run once every bill and
// line of the run is written, temp's first).
Settlement settlementOf(const std::vector<BillState> &bills, bool deletesMayHaveRun) {
  Settlement s;
  for (const BillState &b : bills) {
    if (!b.open) {
      // Closed by the run's own deletes: booked. Otherwise closed elsewhere: the bill would be its
      // second.
      if (!deletesMayHaveRun) s.takeBack.push_back(b.bill);
      continue;
    }
    // Fewer lines than stock rows: the run's delete took lines of the order; its other lines and
    // the order go the same way, or lines would be lost without their stock rows.
    if (deletesMayHaveRun && b.lines < b.stock) {
      if (std::find(s.finish.begin(), s.finish.end(), b.order) == s.finish.end()) {
        s.finish.push_back(b.order);
        s.finishLines += b.lines;
      }
    } else {
      s.takeBack.push_back(b.bill);
    }
  }
  return s;
}

class UndoingTransaction : public ClosingTransaction {
 public:
  UndoingTransaction(zdb::Connection &connection, const RunBills &bills, UndoingRun run)
      : c_(connection), bills_(&bills), run_(std::move(run)) {}

  void begin(zdb::Batch &firstReads) override {
    noteSession();
    firstReads.add(guard::boundSession(run_.silenceSeconds));
    bound_ = true;
    staleRead_ = firstReads.add(guard::staleHolder(run_.silenceSeconds), true);
    lockRead_ = firstReads.add(guard::takeLock(run_.lockWaitSeconds, run_.silenceSeconds), true);
    addLookups(firstReads);
  }

  void begun(zdb::Batch &firstReads) override {
    // Read before anything else of the request: a lock got is held, whatever failed after it.
    lockHeld_ = lockGot(firstReads.takeRows(lockRead_));
    if (lockHeld_) {
      readLookups(firstReads);
      return;
    }
    firstReads.expectRan(lockRead_);
    if (!endStaleHolder(firstReads.takeRows(staleRead_))) throw ClosingBusy{};
    zdb::Batch again(c_);
    lockRead_ = again.add(guard::takeLock(run_.lockWaitSeconds, 0), true);
    addLookups(again);
    again.send(zdb::Batch::OnFailure::Keep);
    lockHeld_ = lockGot(again.takeRows(lockRead_));
    again.expectRan(lockRead_);
    if (!lockHeld_) throw ClosingBusy{};
    readLookups(again);
  }

  void startOrder(qint64 order, QStringList &) override { written_.push_back(order); }

  void giveUpOrder(qint64 bill, const zdb::DbError &cause) override {
    // The multi-row insert that failed may have left the rows before the rejected one.
    if (bill <= 0) throw cause;
    zdb::Batch back(c_);
    back.add(QStringLiteral("DELETE FROM stokhar WHERE GENHARNO = %1").arg(bill));
    back.add(QStringLiteral("DELETE FROM genhar WHERE GENHARNO = %1").arg(bill));
    try {
      back.send();
    } catch (const zdb::DbError &) {
      throw cause;  // the bill is still the run's: the run's undo takes it
    }
  }

  RunDeleted end(const RunEnd &expected) override {
    // Once this goes out the deletes may run, whatever comes back.
    deletesSent_ = true;
    deletesMayHaveRun_ = true;
    zdb::Batch end(c_);
    int lock = -1, check = -1, temp = -1, orders = -1, release = -1, unlock = -1;
    if (!expected.deletes.isEmpty()) {
      // Until the deletes nobody may add a line to these orders or take one away; the check runs
      // under the same lock, and the deletes run only when it holds.
      lock = end.add(kLockTables);
      check = end.add(stopUnlessAsRead(expected.clause, expected.lines, expected.orders));
      temp = end.add(expected.deletes.at(0));
      orders = end.add(expected.deletes.at(1));
    }
    if (!expected.release.isEmpty()) release = end.add(expected.release);
    if (lock >= 0) unlock = end.add(kUnlockTables);
    end.add(guard::releaseLock());
    end.add(guard::unboundSession());
    end.send(zdb::Batch::OnFailure::Keep);
    if (const zdb::BatchError *failure = end.failure()) {
      const int at = failure->statement();
      tablesLocked_ = lock >= 0 && at > lock && at <= unlock;
      if (stoppedByServer(*failure) && at <= check) deletesMayHaveRun_ = false;
      if (check >= 0 && guard::stoppedAt(*failure, check)) throw ChangedElsewhere{};
      throw zdb::DbError(*failure);
    }
    lockHeld_ = tablesLocked_ = bound_ = false;
    return runDeleted(end, temp, orders, release);
  }

  void undo() override { settleOn(); }

  RunTruth findOutWhatWasBooked() override {
    try {
      settleHere();
    } catch (const zdb::DbError &e) {
      // Out of reach: settled at the next command. Refused by the server: the reload shows what
      // is there.
      if (worthRetrying(e)) keepForLater();
      return RunTruth::CannotTell;
    }
    try {
      return lookUpRun(c_, allBills(), run_.marked, &booked_);
    } catch (const zdb::DbError &) {
      return RunTruth::CannotTell;
    }
  }

  bool unsettled() const override { return unsettled_; }

  void settle() override {
    settleOn();
    unsettled_ = false;
  }

 private:
  void noteSession() {
    generation_ = c_.generation();
    session_ = c_.sessionId();
    sessionHost_ = c_.sessionHost();
  }

  // The reads that go with the closing lock: where this run's bills will begin, bills of runs
  // that did not finish (only while this session holds the lock), and whether the run's orders
  // are open and without a bill.
  void addLookups(zdb::Batch &batch) {
    // Not the bill number (that is each insert's own id): where to look for this run's bills.
    floorRead_ = batch.add(QStringLiteral("SELECT IFNULL(MAX(GENHARNO), 0) FROM genhar"), true);
    leftoverRead_ = batch.add(leftoverLook(), true);
    lastLookup_ = leftoverRead_;
    if (run_.marked.empty()) return;
    const QString orders = numberList(run_.marked);
    openRead_ = batch.add(
        QStringLiteral("SELECT ADISYONNO FROM mainsip WHERE ADISYONNO IN (") + orders + QLatin1Char(')'), true);
    // Any date: a bill stays its order's bill when the working date moves on.
    billedRead_ = batch.add(
        QStringLiteral("SELECT GENHARNO, ADISYONNO FROM genhar WHERE ADISYONNO IN (") + orders + QLatin1Char(')'),
        true);
    lastLookup_ = billedRead_;
  }

  // Bills this program wrote on orders still open: a run that did not finish left them (runs
  // follow one another, and this one holds the lock).
  static QString leftoverLook() {
    return billStateRead(guard::holdsLock() + QStringLiteral(" AND ") + ownBillCondition(QStringLiteral("g")) +
                         QStringLiteral(" AND g.ADISYONNO IN (SELECT m.ADISYONNO FROM mainsip m)"));
  }

  void readLookups(zdb::Batch &batch) {
    batch.expectRan(lastLookup_);
    const zdb::Query::Result floor = batch.takeRows(floorRead_);
    if (!floor.rows.empty()) floor_ = floor.rows.front().at(0).toLongLong();
    std::vector<BillState> leftovers = billStates(batch.takeRows(leftoverRead_));
    QSet<qint64> open;
    std::map<qint64, qint64> billed;  // bill -> order
    if (openRead_ >= 0) {
      for (const auto &row : batch.takeRows(openRead_).rows) open.insert(row.at(0).toLongLong());
      for (const auto &row : batch.takeRows(billedRead_).rows) billed[row.at(0).toLongLong()] = row.at(1).toLongLong();
    }
    // Before anything is closed: what is settled here is no other run's any more.
    for (int attempt = 1; !leftovers.empty(); ++attempt) {
      const Settlement s = settlementOf(leftovers, true);
      if (apply(s, false)) {
        for (const qint64 order : s.finish) open.remove(order);
        for (const qint64 bill : s.takeBack) billed.erase(bill);
        break;
      }
      if (attempt == kSettleAttempts) throw zdb::DbError(settlementChangedText());
      zdb::Batch look(c_);
      look.add(leftoverLook(), true);
      look.send();
      leftovers = billStates(look.takeRows(0));
    }
    // Another terminal's run closed them before this one got the lock, or they carry a bill of
    // another program: closing them now would close them twice.
    QSet<qint64> billedOrders;
    for (const auto &bill : billed) billedOrders.insert(bill.second);
    for (const qint64 order : run_.marked)
      if (!open.contains(order) || billedOrders.contains(order)) throw ChangedElsewhere{};
  }

  // The lock was not got within the wait: when its holder has been asleep for longer than any
  // run pauses (its till stopped; an older program's session is not bounded), that session is
  // ended so that the lock is let go. True when it was.
  bool endStaleHolder(const zdb::Query::Result &holder) {
    if (holder.rows.empty()) return false;
    const qint64 id = holder.rows.front().at(0).toLongLong();
    return id > 0 && endSession(id);
  }

  bool endSession(qint64 id) {
    try {
      c_.execute(QStringLiteral("KILL CONNECTION %1").arg(id));
    } catch (const zdb::DbError &e) {
      constexpr int kNoSuchThread = 1094;  // it ended meanwhile
      if (e.serverCode() != kNoSuchThread) throw;
    }
    return true;
  }

  // Sends what `s` decides, and, when `ends`, the end of what the run holds (the closing lock, the
  // session's bound). Nothing that request locks outlives it: when a statement fails, the
  // statements after it that free or take back go again without it. Returns false when the check
  // found the lines changed since the look (the finish not done); throws a statement's error.
  bool apply(const Settlement &s, bool ends) {
    zdb::Batch batch(c_);
    int lock = -1, check = -1, unlock = -1, takeBack = -1;
    if (!s.finish.empty()) {
      const QString clause = closingListClause(s.finish);
      lock = batch.add(kLockTables);
      check = batch.add(stopUnlessAsRead(clause, s.finishLines, int(s.finish.size())));
      for (const QString &statement : closingDeletes(clause)) batch.add(statement);
      unlock = batch.add(kUnlockTables);
    }
    const QStringList backs = takeBackStatements(s.takeBack);
    for (const QString &statement : backs) {
      const int index = batch.add(statement);
      if (takeBack < 0) takeBack = index;
    }
    if (ends) addEnd(batch);
    if (batch.isEmpty()) return true;
    batch.send(zdb::Batch::OnFailure::Keep);
    const zdb::BatchError *failure = batch.failure();
    if (!failure) {
      if (ends) lockHeld_ = bound_ = false;
      return true;
    }
    const int at = failure->statement();
    const bool changed = check >= 0 && guard::stoppedAt(*failure, check);
    zdb::Batch rest(c_);
    if (lock >= 0 && at > lock && at <= unlock) rest.add(kUnlockTables);
    if (takeBack >= 0 && at < takeBack)
      for (const QString &statement : backs) rest.add(statement);
    if (ends && !changed) addEnd(rest);
    try {
      rest.send();
      if (ends && !changed) lockHeld_ = bound_ = false;
    } catch (const zdb::DbError &) {
      // The session is gone, and what it held with it (or soon: it is bounded).
    }
    if (changed) return false;
    throw zdb::DbError(*failure);
  }

  void addEnd(zdb::Batch &batch) {
    batch.add(guard::releaseLock());
    batch.add(guard::unboundSession());
  }

  static QStringList takeBackStatements(const std::vector<qint64> &bills) {
    if (bills.empty()) return {};
    const QString ids = numberList(bills);
    return {QStringLiteral("DELETE FROM stokhar WHERE GENHARNO IN (") + ids + QLatin1Char(')'),
            QStringLiteral("DELETE FROM genhar WHERE GENHARNO IN (") + ids + QLatin1Char(')')};
  }

  static QString settlementChangedText() {
    return QStringLiteral("Adisyonlar tahsilat düzeltilirken değişti");
  }

  // On this session while it answers, else on a new one.
  void settleHere() {
    try {
      if (c_.ping()) {
        settleOn();
        return;
      }
    } catch (const zdb::DbError &e) {
      if (!worthRetrying(e)) throw;
    }
    c_.reopen();
    settleOn();
  }

  // Settles the run by the insert ids of its bills, and lets go of everything it holds. On a new
  // session the lock is taken again first (the old session's went with it, or goes when the old
  // session is ended) and the bills whose answers may have been lost with the old one are looked
  // for.
  void settleOn() {
    bool ended = false;
    if (c_.generation() != generation_) {
      lockHeld_ = tablesLocked_ = bound_ = false;
      answersMayBeLost_ = true;
      ended = endLostSession();
      noteSession();
    }
    const bool wrote = deletesSent_ || !allBills().empty() || (answersMayBeLost_ && !written_.empty());
    zdb::Batch first(c_);
    // A failed end's table locks go before anything else.
    const int unlock = tablesLocked_ ? first.add(kUnlockTables) : -1;
    if (!bound_) {
      first.add(guard::boundSession(run_.silenceSeconds));
      bound_ = true;
    }
    // Also when nothing is to be settled but the old session was ended: once this session has the
    // lock, the old session has let it go.
    int stale = -1, lock = -1;
    if ((wrote || ended) && !lockHeld_) {
      stale = first.add(guard::staleHolder(run_.silenceSeconds), true);
      lock = first.add(guard::takeLock(run_.lockWaitSeconds, ended || staleEnded_ ? 0 : run_.silenceSeconds), true);
    }
    int known = -1, lost = -1;
    if (wrote) {
      const std::vector<qint64> ids = billIds();
      if (!ids.empty())
        known = first.add(billStateRead(QStringLiteral("g.GENHARNO IN (") + numberList(ids) + QStringLiteral(") AND ") +
                                        guard::holdsLock()),
                          true);
      if (answersMayBeLost_ && !deletesSent_) lost = addLostBillsLook(first);
    }
    if (!wrote) addEnd(first);
    const int last = first.size() - 1;
    first.send(zdb::Batch::OnFailure::Keep);
    if (unlock >= 0 && !(first.failed() && first.failure()->statement() <= unlock)) tablesLocked_ = false;
    if (lock >= 0) {
      lockHeld_ = lockGot(first.takeRows(lock));
      if (lockHeld_) staleEnded_ = false;
      if (!lockHeld_) {
        first.expectRan(lock);
        if (staleEnded_ || !endStaleHolder(first.takeRows(stale))) throw zdb::DbError(closingBusyText());
        staleEnded_ = true;  // asked for again without looking at its holder: it is going
        settleOn();
        return;
      }
    }
    first.expectRan(last);
    if (!wrote) {
      lockHeld_ = bound_ = false;
      return;
    }
    std::vector<BillState> states = billStates(first.takeRows(known));
    if (lost >= 0)
      for (const BillState &found : billStates(first.takeRows(lost))) {
        found_[found.bill] = found.order;
        states.push_back(found);
      }
    answersMayBeLost_ = false;
    for (int attempt = 1;; ++attempt) {
      if (apply(settlementOf(states, deletesMayHaveRun_), true)) return;
      if (attempt == kSettleAttempts) {
        zdb::Batch rest(c_);
        addEnd(rest);
        rest.send();
        lockHeld_ = bound_ = false;
        throw zdb::DbError(settlementChangedText());
      }
      zdb::Batch look(c_);
      look.add(billStateRead(QStringLiteral("g.GENHARNO IN (") + numberList(billIds()) + QLatin1Char(')')), true);
      look.send();
      states = billStates(look.takeRows(0));
    }
  }

  // A session lost on the network may live on at the server (it sees no end of a dropped cable):
  // it may keep the lock, or still be running the run's statements. Found by its id and its
  // client's address (an id alone may be another's after a restart), it is ended; the run is
  // settled on this session, after it. True when it was.
  bool endLostSession() {
    if (session_ <= 0 || sessionHost_.isEmpty()) return false;
    zdb::Batch alive(c_);
    alive.add(QStringLiteral("SELECT ID FROM information_schema.PROCESSLIST WHERE ID = %1 AND HOST = %2")
                  .arg(session_)
                  .arg(zdb::literal(sessionHost_)),
              true);
    alive.send();
    if (alive.takeRows(0).rows.empty()) return false;
    return endSession(session_);
  }

  // Bills of orders whose writes went out without an answer (the connection was lost): inserted
  // after the run began, for one of those orders while it is still open (the run never deleted
  // it; another run that closed it would have), by this operator at this terminal in this run.
  int addLostBillsLook(zdb::Batch &batch) {
    std::vector<qint64> orders;
    const RunBills bills = allBills();
    for (const qint64 order : written_) {
      bool known = false;
      for (const auto &bill : bills) known = known || bill.second == order;
      if (!known) orders.push_back(order);
    }
    if (orders.empty()) return -1;
    return batch.add(
        billStateRead(QStringLiteral("g.GENHARNO > %1 AND g.ADISYONNO IN (%2) AND g.KAPATANISMI <=> %3 AND "
                                     "g.KAPATANTERMINAL <=> %4 AND g.SAATANALIZ = %5 AND g.DAKIKA = %6 AND "
                                     "g.TARIH <=> %7 AND g.ADISYONNO IN (SELECT m.ADISYONNO FROM mainsip m) AND ")
                          .arg(floor_)
                          .arg(numberList(orders), zdb::literal(run_.operatorName), zdb::literal(run_.station))
                          .arg(run_.startTime.time().hour())
                          .arg(run_.startTime.time().minute())
                          .arg(zdb::literal(run_.workDate)) +
                      guard::holdsLock()),
        true);
  }

  RunBills allBills() const {
    RunBills all = *bills_;
    all.insert(found_.begin(), found_.end());
    return all;
  }

  std::vector<qint64> billIds() const {
    std::vector<qint64> ids;
    for (const auto &bill : allBills()) ids.push_back(bill.first);
    return ids;
  }

  // The run's own values go when it ends; what settling needs stays here.
  void keepForLater() {
    kept_ = *bills_;
    bills_ = &kept_;
    unsettled_ = true;
  }

  zdb::Connection &c_;
  const RunBills *bills_;
  RunBills kept_;
  RunBills found_;
  UndoingRun run_;
  int generation_ = -1;  // of the session that holds the lock
  qint64 session_ = 0;   // its id at the server
  QString sessionHost_;  // and its client's address there
  int staleRead_ = -1, lockRead_ = -1, floorRead_ = -1, leftoverRead_ = -1, openRead_ = -1, billedRead_ = -1;
  int lastLookup_ = -1;
  qint64 floor_ = 0;
  std::vector<qint64> written_;  // orders whose writes went to the server
  bool lockHeld_ = false;
  bool tablesLocked_ = false;
  bool bound_ = false;  // the session is bounded for the run
  bool deletesSent_ = false;
  bool deletesMayHaveRun_ = false;
  bool answersMayBeLost_ = false;
  bool staleEnded_ = false;  // a stopped till's session that held the lock was ended
  bool unsettled_ = false;
};

}  // namespace

std::unique_ptr<ClosingTransaction> undoingTransaction(zdb::Connection &connection, const RunBills &bills,
                                                       UndoingRun run) {
  return std::make_unique<UndoingTransaction>(connection, bills, std::move(run));
}

}  // namespace zboard
