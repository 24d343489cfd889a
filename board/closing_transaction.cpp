#include "closing_transaction.h"

#include <QSet>
#include <vector>

#include "board/closing_guards.h"
#include "db/batch.h"
#include "db/connection.h"
#include "db/db_error.h"

namespace zboard {

namespace {

const QString kOrderSavepoint = QStringLiteral("kapanan_adisyon");

// The run is one transaction of the server, each order a savepoint in it. A till that stops in
// the middle of it holds nothing that others wait for long: until its end it has only inserted
// bills and stock rows (its reads take no locks), its end (deletes, their check, COMMIT) runs at
// the server in one request, and its silent session is ended by the server, which rolls the
// transaction back with it.
class ServerTransaction : public ClosingTransaction {
 public:
  ServerTransaction(zdb::Connection &connection, const RunBills &bills, std::vector<qint64> marked,
                    int silenceSeconds)
      : c_(connection), bills_(bills), marked_(std::move(marked)), silenceSeconds_(silenceSeconds) {}

  void begin(zdb::Batch &firstReads) override {
    firstReads.add(guard::boundSession(silenceSeconds_));
    c_.beganInBatch();
    firstReads.add(zdb::Connection::beginStatement());
    // A bill of any date: the order was closed, or is being closed, elsewhere.
    if (!marked_.empty())
      billedRead_ = firstReads.add(
          QStringLiteral("SELECT DISTINCT ADISYONNO FROM genhar WHERE ADISYONNO IN (") + numberList(marked_) +
              QLatin1Char(')'),
          true);
  }

  void begun(zdb::Batch &firstReads) override {
    if (billedRead_ < 0) return;
    firstReads.expectRan(billedRead_);
    if (!firstReads.takeRows(billedRead_).rows.empty()) throw ChangedElsewhere{};
  }

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

  RunDeleted end(const RunEnd &expected) override {
    // The deletes hold the rows they removed until the COMMIT: the check of what they removed
    // travels with them, so that no till that stops between two requests keeps them.
    zdb::Batch end(c_);
    int temp = -1, orders = -1, release = -1, check = -1;
    if (!expected.deletes.isEmpty()) {
      temp = end.add(expected.deletes.at(0));
      end.add(QStringLiteral("SET @zerda_silinen_satir = ROW_COUNT()"));
      orders = end.add(expected.deletes.at(1));
      end.add(QStringLiteral("SET @zerda_silinen_adisyon = ROW_COUNT()"));
    }
    if (!expected.release.isEmpty()) release = end.add(expected.release);
    // Another terminal closed an order meanwhile, or its lines changed after they were read: the
    // deletes and the release are rolled back.
    if (!expected.deletes.isEmpty())
      check = end.add(guard::stopUnless(QStringLiteral("@zerda_silinen_satir = %1 AND @zerda_silinen_adisyon = %2")
                                            .arg(expected.lines)
                                            .arg(expected.orders)));
    end.add(guard::unboundSession());
    const int commit = end.add(QStringLiteral("COMMIT"));
    end.send(zdb::Batch::OnFailure::Keep);
    if (const zdb::BatchError *failure = end.failure()) {
      if (check >= 0 && guard::stoppedAt(*failure, check)) throw ChangedElsewhere{};
      end.expectRan(commit);
    }
    c_.endedInBatch();
    return runDeleted(end, temp, orders, release);
  }

  void undo() override {
    try {
      rollBack();
    } catch (const zdb::DbError &) {
      // A lost session took its transaction with it.
    }
  }

  RunTruth findOutWhatWasBooked() override {
    // Ends the transaction on a live session; on a lost one the server ends it.
    try {
      rollBack();
    } catch (const zdb::DbError &) {
      try {
        c_.reopen();
      } catch (const zdb::DbError &) {
        return RunTruth::CannotTell;
      }
    }
    try {
      return lookUpRun(c_, bills_, marked_, &booked_);
    } catch (const zdb::DbError &) {
      return RunTruth::CannotTell;
    }
  }

 private:
  void rollBack() {
    zdb::Batch back(c_);
    back.add(QStringLiteral("ROLLBACK"));
    back.add(guard::unboundSession());
    c_.endedInBatch();
    back.send();
  }

  zdb::Connection &c_;
  const RunBills &bills_;
  std::vector<qint64> marked_;
  int silenceSeconds_;
  int billedRead_ = -1;
};

}  // namespace

RunDeleted runDeleted(const zdb::Batch &end, int temp, int orders, int release) {
  RunDeleted deleted;
  if (temp >= 0) {
    deleted.lines = end.rowsAffected(temp);
    deleted.orders = end.rowsAffected(orders);
  }
  if (release >= 0) deleted.released = end.rowsAffected(release);
  return deleted;
}

QString numberList(const std::vector<qint64> &numbers) {
  QStringList texts;
  texts.reserve(qsizetype(numbers.size()));
  for (const qint64 n : numbers) texts << QString::number(n);
  return texts.join(QStringLiteral(", "));
}

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
  // The client library's own errors (2000 to 2999: gone, lost, cannot connect) and the data
  // layer's (0).
  if (code == 0 || (code >= 2000 && code < 3000)) return true;
  switch (code) {
    case 1040:  // ER_CON_COUNT_ERROR: too many connections (dead tills' sessions among them)
    case 1047:  // ER_UNKNOWN_COM_ERROR: a cluster node not ready yet
    case 1053:  // ER_SERVER_SHUTDOWN
    case 1129:  // ER_HOST_IS_BLOCKED: until the technician flushes the hosts
    case 1152:  // ER_ABORTING_CONNECTION
    case 1158:  // ER_NET_READ_ERROR
    case 1159:  // ER_NET_READ_INTERRUPTED
    case 1160:  // ER_NET_ERROR_ON_WRITE
    case 1161:  // ER_NET_WRITE_INTERRUPTED
    case 1184:  // ER_NEW_ABORTING_CONNECTION
    case 1203:  // ER_TOO_MANY_USER_CONNECTIONS
    case 1226:  // ER_USER_LIMIT_REACHED: the hour's limit of a user
    case 1317:  // ER_QUERY_INTERRUPTED
    case 1927:  // ER_CONNECTION_KILLED
    case 4031:  // MySQL's ER_CLIENT_INTERACTION_TIMEOUT: the session was ended for its silence
      return true;
    default:
      return error.isLockConflict();
  }
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

QString partlyBookedNote() {
  return QStringLiteral(
      "Hesapların bir kısmı tahsil edildi, kalanı tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız");
}

std::unique_ptr<ClosingTransaction> serverTransaction(zdb::Connection &connection, const RunBills &bills,
                                                      std::vector<qint64> marked, int silenceSeconds) {
  return std::make_unique<ServerTransaction>(connection, bills, std::move(marked), silenceSeconds);
}

RunTruth lookUpRun(zdb::Connection &connection, const RunBills &bills, const std::vector<qint64> &runOrders,
                   std::vector<qint64> *bookedOrders) {
  if (bookedOrders) bookedOrders->clear();
  std::vector<qint64> ids;
  QSet<qint64> orders(runOrders.begin(), runOrders.end());
  for (const auto &[id, orderNo] : bills) {
    ids.push_back(id);
    orders.insert(orderNo);
  }
  // Without a bill that the server confirmed and without orders, the run wrote nothing that
  // could stay.
  if (orders.isEmpty()) return RunTruth::NotBooked;
  zdb::Batch check(connection);
  const int billsRead =
      ids.empty() ? -1
                  : check.add(QStringLiteral("SELECT GENHARNO, ADISYONNO FROM genhar WHERE GENHARNO IN (") +
                                  numberList(ids) + QLatin1Char(')'),
                              true);
  const int openRead = check.add(QStringLiteral("SELECT ADISYONNO FROM mainsip WHERE ADISYONNO IN (") +
                                     numberList(std::vector<qint64>(orders.begin(), orders.end())) + QLatin1Char(')'),
                                 true);
  check.send();
  const zdb::Query::Result found = check.takeRows(billsRead);
  QSet<qint64> open;
  for (const auto &row : check.takeRows(openRead).rows) open.insert(row.at(0).toLongLong());
  size_t booked = 0, pending = 0;
  for (const auto &row : found.rows) {
    const auto bill = bills.find(row.at(0).toLongLong());
    if (bill == bills.end() || bill->second != row.at(1).toLongLong()) continue;
    if (open.contains(bill->second)) {
      ++pending;
    } else {
      ++booked;
      if (bookedOrders) bookedOrders->push_back(bill->second);
    }
  }
  // A bill of the run on an order still open: not settled yet; the reload shows it.
  if (pending > 0) return RunTruth::CannotTell;
  // Booked means both: every bill there and none of their orders still open.
  if (!bills.empty() && booked == bills.size()) return RunTruth::Booked;
  if (booked > 0) return RunTruth::Partly;
  // Orders gone without this run's bills: another terminal closed them.
  if (open.size() < orders.size()) return RunTruth::ChangedElsewhere;
  return RunTruth::NotBooked;
}

}  // namespace zboard
