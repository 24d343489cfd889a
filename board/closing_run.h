#pragma once
#include <QStringList>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "board/closing_records.h"
#include "board/closing_transaction.h"
#include "db/db_error.h"
#include "db/query.h"

namespace zdb {
class Batch;
}

namespace zboard {

class Board;

// One closing run after the operator's second "Evet": closes every order of the listed courier
// that carries an "Ok" mark, all or nothing, through a ClosingTransaction chosen when it starts
// (the server's transaction, or on tables without transactions one run at a time, undone by the
// bills' insert ids).
//
// - A stock line the server rejects gives up only its order (no bill, no lines, not deleted, its
//   hold released) and the run goes on. An order's lines go in one multi-row insert, so a rejected
//   line fails them all at once.
// - Any other error takes the whole run back.
// - The end deletes exactly the orders closed: when the orders or their lines are no longer what
//   the run read (another terminal closed or changed them meanwhile) the whole run is taken back
//   and the operator is asked to refresh, so no order is ever closed twice.
// - Whatever the end, the board is enabled, the progress window closed, and HeldOrderClause names
//   what the board still holds. No box waits for the operator while the run holds locks: a
//   given-up order's error is shown once the run has ended.
// - After an error the database is asked before the operator is told anything: the bills this
//   run inserted are looked up by their insert ids (on a connection opened again when it was
//   lost). All there and their orders gone: the run was booked (the answer to its end was lost)
//   and ends as a normal end. None there: nothing was booked. The server unreachable: the
//   operator is told that it cannot be told.
//
// The orders are walked in groups. The reads of a group (lines, register, customer and section)
// go to the server in one request and so do its writes, in the same order as one order after the
// other would send them: a round trip per group instead of several per order.
class ClosingRun {
 public:
  ClosingRun(Board &board, ClosingRunValues values, std::function<void(bool)> setBoardEnabled);
  // Runs to one of its ends. An error that rolled the run back is thrown again once the board is
  // given back, for the board's command handler to show; so is an error of the final reload.
  void execute();

 private:
  enum class Outcome { Closed, NothingClosed, ChangedElsewhere, Busy, Failed };

  // A row of the listing as the walk meets it.
  struct Order {
    int recNo = 0;  // of QueryMainSip
    int row = -1;   // of the grid
    qint64 number = 0;
    double amount = 0;  // as listed, to the cent as the grid shows it
    QStringList registerLookups;  // one per "Ok" cell, left to right; none when unmarked
    QString customerLookup;
    QString sectionLookup;
    zdb::Query::Result lines;  // its Temp rows, read with its group
    int lineCount = 0;
    QStringList writes;      // the order's start, bill, (bill number,) line inserts
    int billWrite = 0;       // index of the bill's insert in writes
    int firstLineWrite = 0;  // index of the first line insert in writes
    bool marked() const { return !registerLookups.isEmpty(); }
  };

  std::vector<Order> takeGroup();
  void readGroup(std::vector<Order> &group);
  void writeGroup(std::vector<Order> &group);
  QStringList markedRegisterLookups(int row) const;
  // The orders the run is to close: the listed orders whose row carries a mark.
  std::vector<qint64> markedOrders() const;
  std::unique_ptr<ClosingTransaction> chooseTransaction() const;
  void paintGridRow(int row);
  void composeOrder(Order &order);
  void countClosed(const Order &order);
  void giveUp(const Order &order, const zdb::DbError &error);
  // Notes the bills of the writes [first, end) that the server ran.
  struct Write {
    Order *order;
    int index;  // in order->writes
  };
  void noteBills(const std::vector<Write> &writes, size_t first, size_t end, const zdb::Batch &batch);
  void showRefusedLines();
  void finish();
  void giveBoardBack();
  qint64 currentOrderNumber() const;
  // HeldOrderClause during the run: the pieces of the orders closed so far.
  void showClosingList();
  // Puts back into `query` the answer this run read for `statement`.
  void restoreLookup(zdb::Query &query, const QString &statement);

  Board &board_;
  ClosingRecords records_;
  std::function<void(bool)> setBoardEnabled_;
  QString listedClause_;  // HeldOrderClause of the listing, restored when the run is taken back
  // The run's own state is kept as plain values; the texts of its statements and HeldOrderClause
  // are written from them.
  std::vector<qint64> closing_;   // orders closed (bill and lines written), in the order closed
  std::vector<qint64> released_;  // orders left unmarked or given up: their hold is released
  int givenUpCount_ = 0;
  int closedLines_ = 0;
  double closedAmount_ = 0;
  Outcome outcome_ = Outcome::Failed;
  bool beginPending_ = false;  // the run's start goes with the first group's reads
  // Bills this run inserted and still means to keep.
  RunBills bills_;
  std::unique_ptr<ClosingTransaction> transaction_;
  QStringList refusedLines_;  // error box texts of the given-up orders, shown after the run
  // Register, customer and section rows of this run. Inside the run's transaction they read the
  // same every time (its reads share one snapshot and it writes none of these tables), so each
  // distinct look-up is asked once per run; without transactions the first answer stands for the
  // run as well.
  std::map<QString, zdb::Query::Result> lookups_;
};

}  // namespace zboard
