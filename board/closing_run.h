#pragma once
#include <QHash>
#include <QString>
#include <functional>

#include "board/closing_records.h"
#include "db/query.h"

namespace zboard {

class Board;

// One closing run after the operator's second "Evet": closes every order of the listed courier
// that carries an "Ok" mark, as one transaction.
//
// - Each marked order is a savepoint; a stock line the server rejects gives up only that order
//   (no bill, no lines, not deleted, its hold released) and the run goes on. An order's lines go
//   in one multi-row insert, so a rejected line fails them all at once.
// - Any other error rolls the whole run back.
// - The end deletes exactly the orders closed: when the server deletes another number of order
//   rows or lines (another terminal closed or changed them meanwhile) the whole run rolls back
//   and the operator is asked to refresh, so no order is ever closed twice.
// - Whatever the end, the board is enabled, the progress window closed, and HeldOrderClause names
//   what the board still holds.
class ClosingRun {
 public:
  ClosingRun(Board &board, ClosingRunValues values, std::function<void(bool)> setBoardEnabled);
  // Runs to one of its ends. An error that rolled the run back is thrown again once the board is
  // given back, for the board's command handler to show; so is an error of the final reload.
  void execute();

 private:
  enum class Outcome { Closed, NothingClosed, ChangedElsewhere, Failed };

  bool scanGridRow(int row);
  void closeOrder(qint64 orderNo, int row);
  void finish();
  void giveBoardBack();
  qint64 currentOrderNumber() const;
  void addToRelease(qint64 orderNo);
  // Opens `query` on `statement`, or puts back the answer this run already had for it.
  void lookUp(zdb::Query &query, const QString &statement);

  Board &board_;
  ClosingRecords records_;
  std::function<void(bool)> setBoardEnabled_;
  QString listedClause_;  // HeldOrderClause of the listing, restored when the run is rolled back
  QString ReleaseClause;
  int closedCount_ = 0;
  int givenUpCount_ = 0;
  int closedLines_ = 0;
  double closedAmount_ = 0;
  Outcome outcome_ = Outcome::Failed;
  QHash<QString, zdb::Query::Result> lookups_;  // register, customer and section rows of this run
};

}  // namespace zboard
