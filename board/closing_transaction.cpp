#include "closing_transaction.h"

#include <vector>

#include "db/batch.h"
#include "db/connection.h"
#include "db/db_error.h"

namespace zboard {

namespace {

const QString kOrderSavepoint = QStringLiteral("kapanan_adisyon");

QString numberList(const std::vector<qint64> &numbers) {
  QStringList texts;
  texts.reserve(qsizetype(numbers.size()));
  for (const qint64 n : numbers) texts << QString::number(n);
  return texts.join(QStringLiteral(", "));
}

class ServerTransaction : public ClosingTransaction {
 public:
  ServerTransaction(zdb::Connection &connection, const RunBills &bills) : c_(connection), bills_(bills) {}

  void begin(zdb::Batch &firstReads) override {
    c_.beganInBatch();
    firstReads.add(zdb::Connection::beginStatement());
  }

  void begun(zdb::Batch &) override {}

  // Setting a savepoint of the same name again replaces the previous order's.
  void startOrder(QStringList &writes) override { writes << QStringLiteral("SAVEPOINT ") + kOrderSavepoint; }

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

}  // namespace

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
