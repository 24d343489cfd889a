#include "closing_transaction.h"

#include <QSet>
#include <optional>
#include <vector>

#include "db/batch.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/quoting.h"

namespace zboard {

namespace {

const QString kOrderSavepoint = QStringLiteral("kapanan_adisyon");

QString numberList(const std::vector<qint64> &numbers) {
  QStringList texts;
  texts.reserve(qsizetype(numbers.size()));
  for (const qint64 n : numbers) texts << QString::number(n);
  return texts.join(QStringLiteral(", "));
}

// The single number a count read answered, -1 when it answered none.
int countOf(zdb::Batch &batch, int index) {
  const zdb::Query::Result rows = batch.takeRows(index);
  return rows.rows.empty() ? -1 : rows.rows.front().at(0).toInt();
}

// Whether GET_LOCK answered that the lock was got.
bool lockGot(const zdb::Query::Result &answer) { return !answer.rows.empty() && answer.rows.front().at(0).toInt() == 1; }

class ServerTransaction : public ClosingTransaction {
 public:
  ServerTransaction(zdb::Connection &connection, const RunBills &bills) : c_(connection), bills_(bills) {}

  void begin(zdb::Batch &firstReads) override {
    c_.beganInBatch();
    firstReads.add(zdb::Connection::beginStatement());
  }

  void begun(zdb::Batch &) override {}

  // Setting a savepoint of the same name again replaces the previous order's.
  void startOrder(qint64, QStringList &writes) override { writes << QStringLiteral("SAVEPOINT ") + kOrderSavepoint; }

  void giveUpOrder(qint64, const zdb::DbError &cause) override {
    // If even the savepoint is gone (lost session, deadlock), the whole run goes.
    try {
      c_.rollbackToSavepoint(kOrderSavepoint);
    } catch (const zdb::DbError &) {
      throw cause;
    }
  }

  // The deletes themselves tell, inside the transaction.
  void checkBeforeDeletes(const RunEnd &) override {}

  void end(zdb::Batch &statements, const RunEnd &expected, const std::function<RunDeleted()> &deleted) override {
    statements.send(zdb::Batch::OnFailure::Keep);
    const RunDeleted removed = deleted();
    // Another terminal closed an order meanwhile, or its lines changed after they were read. The
    // release that went with the deletes is rolled back with them.
    if (expected.orders > 0 && (removed.orders != expected.orders || removed.lines != expected.lines))
      throw ChangedElsewhere{};
    c_.commit();
  }

  void undo() override {
    try {
      c_.rollback();
    } catch (const zdb::DbError &) {
      // A lost session took its transaction with it.
    }
  }

  RunTruth findOutWhatWasBooked() override {
    // Ends the transaction on a live session; on a lost one the server ends it.
    try {
      c_.rollback();
    } catch (const zdb::DbError &) {
      try {
        c_.reopen();
      } catch (const zdb::DbError &) {
        return RunTruth::CannotTell;
      }
    }
    try {
      return lookUpRun(c_, bills_);
    } catch (const zdb::DbError &) {
      return RunTruth::CannotTell;
    }
  }

 private:
  zdb::Connection &c_;
  const RunBills &bills_;
};

// ------------------------------------------------------------------ tables without transactions

// Every terminal's closing run takes this lock first; the server lets it go when the session ends.
const QString kClosingLock = QStringLiteral("'zerdapos_paket_kapanis'");

// On MyISAM (and Aria, MEMORY) START TRANSACTION and ROLLBACK change nothing: every statement stands
// once it ran. So:
// - the runs of all terminals follow one another: a run holds a named lock (GET_LOCK, bounded wait)
//   from its first request to its last, and looks first whether its orders are still open and
//   without a bill;
// - before its deletes it locks temp and mainsip and counts what they will remove; other rows than
//   it read (a line arrived, an order gone) and it is taken back;
// - whatever it wrote and must not keep (an error, a lost connection, the check before the deletes)
//   is deleted again by the insert ids the server gave its bills, their stock rows with them; bills
//   whose answers were lost with the connection are found again by what the run wrote into them;
// - once its deletes went out all of its bills and lines are written: it is finished, not undone;
// - when the server cannot be reached for that, it stays unsettled and is settled at the board's
//   next command, before anything else; the lock is taken again first, a new session has none, and
//   the old session, should the server still run it, is ended.
class UndoingTransaction : public ClosingTransaction {
 public:
  UndoingTransaction(zdb::Connection &connection, const RunBills &bills, UndoingRun run)
      : c_(connection), bills_(&bills), run_(std::move(run)) {}

  void begin(zdb::Batch &firstReads) override {
    generation_ = c_.generation();
    session_ = c_.sessionId();
    sessionHost_ = c_.sessionHost();
    lockRead_ = firstReads.add(lockStatement(), true);
    // Not the bill number (that is each insert's own id): where to look for this run's bills.
    floorRead_ = firstReads.add(QStringLiteral("SELECT IFNULL(MAX(GENHARNO), 0) FROM genhar"), true);
    if (run_.marked.empty()) return;
    const QString orders = numberList(run_.marked);
    openRead_ = firstReads.add(QStringLiteral("SELECT ADISYONNO FROM mainsip WHERE ADISYONNO IN (") + orders +
                                   QLatin1Char(')'),
                               true);
    billedRead_ = firstReads.add(QStringLiteral("SELECT DISTINCT ADISYONNO FROM genhar WHERE ADISYONNO IN (") + orders +
                                     QStringLiteral(") AND TARIH = ") + zdb::literal(run_.workDate),
                                 true);
  }

  void begun(zdb::Batch &firstReads) override {
    lockHeld_ = lockGot(firstReads.takeRows(lockRead_));
    if (!lockHeld_) throw ClosingBusy{};
    const zdb::Query::Result floor = firstReads.takeRows(floorRead_);
    if (!floor.rows.empty()) floor_ = floor.rows.front().at(0).toLongLong();
    if (run_.marked.empty()) return;
    // Another terminal's run closed them before this one got the lock, or one that failed still
    // has to take its bills back: closing them now would close them twice.
    QSet<qint64> open, billed;
    for (const auto &row : firstReads.takeRows(openRead_).rows) open.insert(row.at(0).toLongLong());
    for (const auto &row : firstReads.takeRows(billedRead_).rows) billed.insert(row.at(0).toLongLong());
    for (const qint64 order : run_.marked)
      if (!open.contains(order) || billed.contains(order)) throw ChangedElsewhere{};
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

  void checkBeforeDeletes(const RunEnd &expected) override {
    // Until the deletes, nobody may add a line to these orders or take one away.
    zdb::Batch check(c_);
    check.add(QStringLiteral("LOCK TABLES temp WRITE, mainsip WRITE"));
    const int lines = check.add(QStringLiteral("SELECT COUNT(*) FROM temp WHERE ") + expected.clause, true);
    const int orders = check.add(QStringLiteral("SELECT COUNT(*) FROM mainsip WHERE ") + expected.clause, true);
    tablesLocked_ = true;
    check.send();
    if (countOf(check, lines) != expected.lines || countOf(check, orders) != expected.orders)
      throw ChangedElsewhere{};
  }

  void end(zdb::Batch &statements, const RunEnd &expected, const std::function<RunDeleted()> &deleted) override {
    // Once this goes out, the run is finished whatever comes back: its bills and lines are all
    // written. The same statements complete it after a fault.
    end_ = expected;
    deletesSent_ = true;
    if (tablesLocked_) statements.add(QStringLiteral("UNLOCK TABLES"));
    const int released = statements.add(QStringLiteral("DO RELEASE_LOCK(%1)").arg(kClosingLock));
    statements.send(zdb::Batch::OnFailure::Keep);
    deleted();
    statements.expectRan(released);
    tablesLocked_ = lockHeld_ = false;
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
      return lookUpRun(c_, allBills());
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
  // Takes the closing lock within the wait: 1 when it was got.
  QString lockStatement() const {
    return QStringLiteral("SELECT GET_LOCK(%1, %2)").arg(kClosingLock).arg(run_.lockWaitSeconds);
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

  // Takes the run back, or finishes it when its deletes went out. On a new session the lock is
  // taken again first (the old session's went with it) and the bills whose answers may have been
  // lost with the old one are looked for.
  void settleOn() {
    bool ended = false;
    if (c_.generation() != generation_) {
      lockHeld_ = tablesLocked_ = false;
      answersMayBeLost_ = true;
      ended = endLostSession();
      generation_ = c_.generation();
      session_ = c_.sessionId();
      sessionHost_ = c_.sessionHost();
    }
    // Also when nothing is to be taken back but the old session was ended: the lock it may have
    // held is free once this session has it.
    const bool wrote = deletesSent_ || !allBills().empty() || (answersMayBeLost_ && !written_.empty());
    if ((wrote || ended) && !lockHeld_) {
      zdb::Batch lock(c_);
      lock.add(lockStatement(), true);
      lock.send();
      if (!lockGot(lock.takeRows(0))) throw zdb::DbError(closingBusyText());
      lockHeld_ = true;
    }
    if (answersMayBeLost_ && !deletesSent_) findLostBills();
    answersMayBeLost_ = false;
    const std::optional<RunEnd> completion = deletesSent_ ? completionOf(end_) : std::nullopt;
    zdb::Batch settle(c_);
    if (completion) {
      // The tables stay locked from the look just taken to the deletes.
      for (const QString &statement : closingDeletesOf(*completion)) settle.add(statement);
      if (!completion->release.isEmpty()) settle.add(completion->release);
    }
    if (tablesLocked_) settle.add(QStringLiteral("UNLOCK TABLES"));
    if (!completion) {
      const std::vector<qint64> ids = billIds();
      if (!ids.empty()) {
        settle.add(QStringLiteral("DELETE FROM stokhar WHERE GENHARNO IN (") + numberList(ids) + QLatin1Char(')'));
        settle.add(QStringLiteral("DELETE FROM genhar WHERE GENHARNO IN (") + numberList(ids) + QLatin1Char(')'));
      }
    }
    if (lockHeld_) settle.add(QStringLiteral("DO RELEASE_LOCK(%1)").arg(kClosingLock));
    settle.send();
    tablesLocked_ = lockHeld_ = false;
  }

  // A session lost on the network may live on at the server (it sees no end of a dropped cable):
  // it may keep the lock for hours, from every terminal, or still be running the run's statements.
  // Found by its id and its client's address (an id alone may be another's after a restart), it is
  // ended; the run is settled on this session, after it. True when it was.
  bool endLostSession() {
    if (session_ <= 0 || sessionHost_.isEmpty()) return false;
    zdb::Batch alive(c_);
    alive.add(QStringLiteral("SELECT ID FROM information_schema.PROCESSLIST WHERE ID = %1 AND HOST = %2")
                  .arg(session_)
                  .arg(zdb::literal(sessionHost_)),
              true);
    alive.send();
    if (alive.takeRows(0).rows.empty()) return false;
    try {
      c_.execute(QStringLiteral("KILL CONNECTION %1").arg(session_));
    } catch (const zdb::DbError &e) {
      constexpr int kNoSuchThread = 1094;  // it ended meanwhile
      if (e.serverCode() != kNoSuchThread) throw;
    }
    return true;
  }

  static QStringList closingDeletesOf(const RunEnd &end) {
    return end.closed.empty() ? QStringList() : closingDeletes(end.clause);
  }

  // What finishing a run whose deletes went out still has to send. The tables are locked and
  // looked at first. All its orders and lines still there: the deletes never reached the server,
  // and the run is settled as one before its deletes: finished when nothing changed, taken back
  // (nullopt) when lines arrived meanwhile. Some gone: the deletes began, and are finished, for the
  // orders whose bills are still there (another run's settling may have taken a bill of an order it
  // found open).
  std::optional<RunEnd> completionOf(const RunEnd &end) {
    if (end.closed.empty()) return end;  // only the release
    const std::vector<qint64> ids = billIds();
    zdb::Batch look(c_);
    look.add(QStringLiteral("LOCK TABLES temp WRITE, mainsip WRITE, genhar READ"));
    const int lines = look.add(QStringLiteral("SELECT COUNT(*) FROM temp WHERE ") + end.clause, true);
    const int orders = look.add(QStringLiteral("SELECT COUNT(*) FROM mainsip WHERE ") + end.clause, true);
    const int bills = look.add(QStringLiteral("SELECT ADISYONNO FROM genhar WHERE GENHARNO IN (") +
                                   numberList(ids.empty() ? std::vector<qint64>{0} : ids) + QLatin1Char(')'),
                               true);
    tablesLocked_ = true;
    look.send();
    const int linesThere = countOf(look, lines), ordersThere = countOf(look, orders);
    QSet<qint64> billed;
    for (const auto &row : look.takeRows(bills).rows) billed.insert(row.at(0).toLongLong());
    if (ordersThere == end.orders && linesThere > end.lines) return std::nullopt;
    RunEnd finish = end;
    std::erase_if(finish.closed, [&](qint64 order) { return !billed.contains(order); });
    finish.clause = closingListClause(finish.closed);
    return finish;
  }

  // Bills of orders whose writes went out without an answer (the connection was lost): inserted
  // after the run began, for one of those orders while it is still open (the run never deleted
  // it; another run that closed it would have), by this operator at this terminal in this run.
  void findLostBills() {
    std::vector<qint64> orders;
    const RunBills bills = allBills();
    for (const qint64 order : written_) {
      bool known = false;
      for (const auto &bill : bills) known = known || bill.second == order;
      if (!known) orders.push_back(order);
    }
    if (orders.empty()) return;
    zdb::Batch look(c_);
    look.add(QStringLiteral("SELECT g.GENHARNO, g.ADISYONNO FROM genhar g JOIN mainsip m ON m.ADISYONNO = g.ADISYONNO "
                            "WHERE g.GENHARNO > %1 AND g.ADISYONNO IN (%2) AND g.KAPATANISMI <=> %3 AND "
                            "g.KAPATANTERMINAL <=> %4 AND g.SAATANALIZ = %5 AND g.DAKIKA = %6 AND g.TARIH <=> %7")
                 .arg(floor_)
                 .arg(numberList(orders), zdb::literal(run_.operatorName), zdb::literal(run_.station))
                 .arg(run_.startTime.time().hour())
                 .arg(run_.startTime.time().minute())
                 .arg(zdb::literal(run_.workDate)),
             true);
    look.send();
    for (const auto &row : look.takeRows(0).rows) found_[row.at(0).toLongLong()] = row.at(1).toLongLong();
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
  int lockRead_ = -1, floorRead_ = -1, openRead_ = -1, billedRead_ = -1;
  qint64 floor_ = 0;
  std::vector<qint64> written_;  // orders whose writes went to the server
  RunEnd end_;                   // the deletes and the release, once sent
  bool lockHeld_ = false;
  bool tablesLocked_ = false;
  bool deletesSent_ = false;
  bool answersMayBeLost_ = false;
  bool unsettled_ = false;
};

}  // namespace

QString closingListClause(const std::vector<qint64> &orders) {
  QString clause;
  for (const qint64 orderNo : orders) clause += QStringLiteral(" Adisyonno = ") + QString::number(orderNo) + QStringLiteral(" or ");
  clause.chop(4);
  clause += QLatin1Char(' ');
  return clause;
}

QStringList closingDeletes(const QString &clause) {
  return {QStringLiteral("delete From temp Where ") + clause, QStringLiteral("delete From mainsip Where ") + clause};
}

bool ClosingTransaction::worthRetrying(const zdb::DbError &error) {
  const int code = error.serverCode();
  constexpr int kConnectionKilled = 1927;  // ER_CONNECTION_KILLED
  constexpr int kServerShutdown = 1053;    // ER_SERVER_SHUTDOWN
  // The client library's own errors (2000 to 2999: gone, lost, cannot connect) and the data layer's.
  return code == 0 || (code >= 2000 && code < 3000) || code == kConnectionKilled || code == kServerShutdown ||
         error.isLockConflict();
}

QString closingBusyText() {
  return QStringLiteral(
      "Başka bir terminalde tahsilat yapılıyor. Hiçbir hesap tahsil edilmedi. Lütfen biraz sonra tekrar deneyiniz");
}

QString notBookedNote() { return QStringLiteral("Hiçbir hesap tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız"); }

QString cannotTellNote() {
  return QStringLiteral(
      "Tahsilatın kaydedilip kaydedilmediği anlaşılamadı. Bağlantı gelince Güncelle Butonuna Tıklayınız");
}

std::unique_ptr<ClosingTransaction> undoingTransaction(zdb::Connection &connection, const RunBills &bills,
                                                       UndoingRun run) {
  return std::make_unique<UndoingTransaction>(connection, bills, std::move(run));
}

std::unique_ptr<ClosingTransaction> serverTransaction(zdb::Connection &connection, const RunBills &bills) {
  return std::make_unique<ServerTransaction>(connection, bills);
}

RunTruth lookUpRun(zdb::Connection &connection, const RunBills &bills) {
  // Without a bill that the server confirmed, the run wrote nothing that could stay.
  if (bills.empty()) return RunTruth::NotBooked;
  std::vector<qint64> ids, orders;
  for (const auto &[id, orderNo] : bills) {
    ids.push_back(id);
    orders.push_back(orderNo);
  }
  zdb::Batch check(connection);
  const int billsRead = check.add(
      QStringLiteral("SELECT GENHARNO, ADISYONNO FROM genhar WHERE GENHARNO IN (") + numberList(ids) + QLatin1Char(')'),
      true);
  const int openRead = check.add(
      QStringLiteral("SELECT ADISYONNO FROM mainsip WHERE ADISYONNO IN (") + numberList(orders) + QLatin1Char(')'),
      true);
  check.send();
  const zdb::Query::Result found = check.takeRows(billsRead);
  const zdb::Query::Result open = check.takeRows(openRead);
  size_t ours = 0;
  for (const auto &row : found.rows) {
    const auto bill = bills.find(row.at(0).toLongLong());
    if (bill != bills.end() && bill->second == row.at(1).toLongLong()) ++ours;
  }
  // Booked means both: every bill there and none of their orders still open.
  if (ours == bills.size() && open.rows.empty()) return RunTruth::Booked;
  // A part of the run: someone changed it since, or it is not settled yet; the reload shows it.
  if (ours > 0) return RunTruth::CannotTell;
  // Orders gone without this run's bills: another terminal closed them.
  if (open.rows.size() < orders.size()) return RunTruth::ChangedElsewhere;
  return RunTruth::NotBooked;
}

}  // namespace zboard
