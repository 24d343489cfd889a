#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace zdb {
class Batch;
class Connection;
class DbError;
}  // namespace zdb

// What keeps a closing run all or nothing and each order closed exactly once. The run talks to
// this one seam, chosen when the run starts: the server's own transaction where the four tables
// it writes have transactions; where they have none (MyISAM and its kind, in older restaurant
// databases) runs of all terminals one after another under a named server lock, with whatever a
// run wrote that must not stay deleted again by the numbers the server gave it.
namespace zboard {

// What the database holds of a closing run after a fault.
enum class RunTruth {
  Booked,            // all of its bills exist and its closed orders are gone
  Partly,            // some of its orders are closed (bills there, orders gone), the rest open unbilled
  NotBooked,         // none of its bills exists and its orders are open
  ChangedElsewhere,  // none of its bills exists, but orders of it are gone: closed elsewhere
  CannotTell         // the server cannot be asked, or it holds a part of the run not yet settled
};

// Raised when the run's orders or their lines are no longer what it read: nothing of it may stay.
struct ChangedElsewhere {};
// Raised when another terminal's run kept the closing lock for the whole wait: nothing is written.
struct ClosingBusy {};

// Bills of the run that the server confirmed: insert id -> order number.
using RunBills = std::map<qint64, qint64>;

// The end of a run: what its deletes must remove.
struct RunEnd {
  QString clause;       // the closing list of the orders closed (closingListClause)
  QStringList deletes;  // closingDeletes(clause); none: nothing was closed
  int orders = 0;       // orders closed
  int lines = 0;        // their lines as the run read them
  QString release;      // the release of the orders left unmarked or given up, if any
};

// "101, 102": numbers as an IN list of a statement takes them.
QString numberList(const std::vector<qint64> &numbers);

// The closing list as the deletes name it: each order's " Adisyonno = {no} or ", with the final
// " or " losing its "or" and the blank before it, so that it ends with one blank; for 101 and 102
// " Adisyonno = 101 or  Adisyonno = 102 ".
QString closingListClause(const std::vector<qint64> &orders);
// The deletes of the closed orders, temp's first.
QStringList closingDeletes(const QString &clause);

// What the deletes removed, read from their answers.
struct RunDeleted {
  int orders = 0;
  int lines = 0;
  int released = -1;  // orders the release freed; -1 when none was sent
};

// What the end's statements at `temp`, `orders` and `release` of `end` did (-1: not sent).
RunDeleted runDeleted(const zdb::Batch &end, int temp, int orders, int release);

class ClosingTransaction {
 public:
  virtual ~ClosingTransaction() = default;

  // Statements that open the run, ahead of its first reads in the same request.
  virtual void begin(zdb::Batch &firstReads) = 0;
  // Their answers, once that request came back (sent keeping a failure): what the run got (the
  // closing lock) is learnt first, so that a failure later in the request cannot hide it; then
  // throws that failure, or when the run must not go on (nothing is written by then).
  virtual void begun(zdb::Batch &firstReads) = 0;
  // Statements that go ahead of an order's bill; the order's writes go to the server next.
  virtual void startOrder(qint64 order, QStringList &writes) = 0;
  // The server rejected a stock line of the order whose bill is `bill`: its bill and the lines
  // already inserted are taken back, the run goes on. Throws `cause` when that cannot be done.
  virtual void giveUpOrder(qint64 bill, const zdb::DbError &cause) = 0;
  // The run's end in one request: the deletes of the closed orders and the release, word for
  // word, with what makes them all or nothing at the server, where the check that the orders and
  // their lines are still what the run read is made too. No lock of the run outlives the request
  // when it runs through. Returns what the deletes and the release did: the run is booked.
  // Throws ChangedElsewhere when the check failed (nothing of the end stays), zdb::DbError when a
  // statement failed or the answer was lost.
  virtual RunDeleted end(const RunEnd &expected) = 0;
  // The run does not end booked: nothing it wrote stays, nothing it holds at the server is kept.
  // Throws zdb::DbError when the server could not be told.
  virtual void undo() = 0;
  // After an error: what the database holds of the run, once what the error left is settled.
  virtual RunTruth findOutWhatWasBooked() = 0;
  // The orders that look found closed by the run (its bill there, the order gone).
  const std::vector<qint64> &bookedOrders() const { return booked_; }

  // Whether the server could not be reached to settle the run after a fault; settle() then does
  // it (on a connection opened again), and throws zdb::DbError while it cannot.
  virtual bool unsettled() const { return false; }
  virtual void settle() {}
  // Whether settle() should be tried again after it threw `error`: the server may answer later
  // (out of reach, too many connections, the host blocked, the closing lock held elsewhere),
  // rather than refusing what settling sent.
  static bool worthRetrying(const zdb::DbError &error);

 protected:
  std::vector<qint64> booked_;
};

// How long a run's session may stay silent at the server before the server ends it (a till that
// stopped in the middle of a run): longer than any pause a working run makes between requests.
inline constexpr int kRunSilenceSeconds = 20;

// The server's own transaction: the run is one transaction, each order a savepoint in it. No order
// of `marked` may carry a bill already.
std::unique_ptr<ClosingTransaction> serverTransaction(zdb::Connection &connection, const RunBills &bills,
                                                      std::vector<qint64> marked,
                                                      int silenceSeconds = kRunSilenceSeconds);

// What the undoing kind must know of a run beyond its bills.
struct UndoingRun {
  std::vector<qint64> marked;  // the orders the run is to close: all must be open and unbilled
  int lockWaitSeconds = 10;    // longest wait for another terminal's run
  int silenceSeconds = kRunSilenceSeconds;  // of its session; the closing lock's holder asleep this long has stopped
  // What every bill of the run carries, by which bills whose answers were lost are found again.
  QString operatorName;  // KAPATANISMI
  QVariant station;      // KAPATANTERMINAL
  QDateTime startTime;   // SAATANALIZ and DAKIKA: its hour and minute
  QDateTime workDate;    // TARIH
};

// For tables without transactions: runs of all terminals one after another under a named lock,
// undone by insert ids; what a run that did not finish left behind is settled by the next run of
// any terminal. Keeps a copy of `bills` when it stays unsettled.
std::unique_ptr<ClosingTransaction> undoingTransaction(zdb::Connection &connection, const RunBills &bills,
                                                       UndoingRun run);

// Another terminal's run held the closing lock for the whole wait (tables without transactions).
QString closingBusyText();
// Below the error's text: nothing of the run was booked.
QString notBookedNote();
// Below the error's text: the server could not be asked.
QString cannotTellNote();
// Below the error's text: some of the run's orders were closed, the others are open.
QString partlyBookedNote();

// What the database holds of the run's bills (looked up by their insert ids, a bill taken back
// being gone) and of its orders: those the bills name, and `orders` (all that it was to close).
// `booked`, when given, gets the orders found closed by the run. Throws zdb::DbError when the
// server cannot be asked.
RunTruth lookUpRun(zdb::Connection &connection, const RunBills &bills, const std::vector<qint64> &orders = {},
                   std::vector<qint64> *booked = nullptr);

}  // namespace zboard
