#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

namespace zdb {
class Batch;
class Connection;
class DbError;
}  // namespace zdb

// What keeps a closing run all or nothing and each order closed exactly once. The run talks to
// this one seam; the server's own transaction is behind it where the tables have transactions.
namespace zboard {

// What the database holds of a closing run after a fault.
enum class RunTruth {
  Booked,            // all of its bills exist and its closed orders are gone
  NotBooked,         // none of its bills exists and its orders are open
  ChangedElsewhere,  // none of its bills exists, but orders of it are gone: closed elsewhere
  CannotTell         // the server cannot be asked, or it holds a part of the run
};

// Raised when the run's orders or their lines are no longer what it read: nothing of it may stay.
struct ChangedElsewhere {};

// Bills of the run that the server confirmed: insert id -> order number.
using RunBills = std::map<qint64, qint64>;

// The end of a run: what its deletes must remove.
struct RunEnd {
  QString clause;  // the closing list the deletes name; empty when nothing was closed
  int orders = 0;  // orders closed
  int lines = 0;   // their lines as the run read them
};

// What the deletes removed, read from their answers.
struct RunDeleted {
  int orders = 0;
  int lines = 0;
};

class ClosingTransaction {
 public:
  virtual ~ClosingTransaction() = default;

  // Statements that open the run, ahead of its first reads in the same request.
  virtual void begin(zdb::Batch &firstReads) = 0;
  // Their answers, once that request came back; throws when the run must not go on (nothing is
  // written by then).
  virtual void begun(zdb::Batch &firstReads) = 0;
  // Statements that go ahead of an order's bill.
  virtual void startOrder(QStringList &writes) = 0;
  // The server rejected a stock line of the order whose bill is `bill`: its bill and the lines
  // already inserted are taken back, the run goes on. Throws `cause` when that cannot be done.
  virtual void giveUpOrder(qint64 bill, const zdb::DbError &cause) = 0;
  // Before the deletes: throws ChangedElsewhere when the closed orders or their lines are no longer
  // what the run read.
  virtual void checkBeforeDeletes(const RunEnd &expected) = 0;
  // Sends `statements` (the deletes and the release, added by the run) and ends the run booked.
  // `deleted` reads their answers (and throws a statement's error). Throws ChangedElsewhere when the
  // deletes removed other rows than the run closed.
  virtual void end(zdb::Batch &statements, const RunEnd &expected, const std::function<RunDeleted()> &deleted) = 0;
  // The run does not end booked: nothing it wrote stays. Throws zdb::DbError when the server could
  // not be told.
  virtual void undo() = 0;
  // After an error: what the database holds of the run.
  virtual RunTruth findOutWhatWasBooked() = 0;
};

// The server's own transaction: the run is one transaction, each order a savepoint in it.
std::unique_ptr<ClosingTransaction> serverTransaction(zdb::Connection &connection, const RunBills &bills);

// What the database holds of the run's bills (looked up by their insert ids) and of the orders
// they closed. Throws zdb::DbError when the server cannot be asked.
RunTruth lookUpRun(zdb::Connection &connection, const RunBills &bills);

}  // namespace zboard
