#pragma once
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace zdb {
class Query;
}

// The two records a closing run writes for a closed order: the closed bill (one Genhar row) and
// its stock movements (one Stokhar row per order line). The closing run sends them as literal
// statements, several in one request; the bound form (a statement per record) is kept for
// callers that write a record on its own.
namespace zboard {

// What every record of one closing run shares.
struct ClosingRunValues {
  QDateTime ClosingWorkDate;   // setup.ISLEMTARIHI, read at the start of the run
  QDateTime ClosingStartTime;  // the clock right after the entry checks
  QString operatorName;        // SignedInUserName: closes the bill
  qint64 operatorNo = 0;       // SignedInUserNo
  QString courier;             // the courier whose orders are closed
  std::function<QDateTime()> clock;  // read while each statement is bound
};

// The current rows the closed bill is made of.
struct BillSources {
  const zdb::Query &order;     // QueryMainSip
  const zdb::Query &kasa;      // QueryKasaAdi: the register chosen in the grid
  const zdb::Query &section;   // QueryKisimBolum
  const zdb::Query &customer;  // QueryMusteriTuru
  const zdb::Query &station;   // QueryStation: this terminal
};

// The current rows a stock movement is made of.
struct LineSources {
  const zdb::Query &line;    // QueryTemp
  const zdb::Query &order;   // QueryMainSip
  const zdb::Query &kasa;    // QueryKasaAdi
  const zdb::Query &branch;  // QuerySube
};

// "INSERT INTO Genhar (GENHARNO, ...) VALUES (:GENHARNO, ...)" over the 85 closed-bill columns.
const QString &genharInsertText();
// "INSERT INTO Stokhar (GENHARNO, ...) VALUES (:GENHARNO, ...)" over the 52 stock columns.
const QString &stokharInsertText();
// "INSERT INTO Stokhar (GENHARNO, ...) VALUES ", to be followed by rows of literals.
const QString &stokharInsertHead();
// KAPATANTERMINAL of every bill a run closes at this terminal: StationNo of QueryStation, NULL
// without a station row.
QVariant closingTerminal(const zdb::Query &station);
// A condition on a Genhar row of alias `alias` that holds for the closed bills this program writes
// (by the values every one of them carries) and for no ordinary bill of the restaurant's other
// programs: a delivery table ("PK..."), the amount in CIKIS with TUTAR 0, one guest, the operator
// as both waiter and closer, the closing hour twice, no production or dispatch times.
QString ownBillCondition(const QString &alias);
// Most stock rows one insert carries: a long order takes several, all inside its savepoint.
inline constexpr int kStockRowsPerInsert = 64;

class ClosingRecords {
 public:
  explicit ClosingRecords(ClosingRunValues values) : run_(std::move(values)) {}

  // The closed bill's values, in the order of the Genhar insert's columns.
  std::vector<QVariant> closedBillValues(const BillSources &sources);
  // "INSERT INTO Genhar (...) VALUES (...)" carrying the closed bill as literals.
  QString closedBillStatement(const BillSources &sources);
  // Inserts the order's closed bill through `genhar` and returns the number the server gave
  // this very insert (not the table's highest number, which another terminal may own).
  // Throws zdb::DbError.
  QVariant writeClosedBill(zdb::Query &genhar, const BillSources &sources);

  // A new order's lines start without a sales point.
  void beginOrderLines() { CarriedSalesPoint.clear(); }
  // The stock movement of the current line of `sources.line`, in the order of the Stokhar
  // insert's columns; the first is the bill number.
  std::vector<QVariant> stockLineValues(const QVariant &billNo, const LineSources &sources);
  // Appends the current line's stock movement as a row of literals, "(...)", to a statement
  // that stokharInsertHead() began; `billNo` is the SQL expression of its bill's number.
  void appendStockRow(QString &statement, const QString &billNo, const LineSources &sources);
  // Inserts the stock movement of the current line of `sources.line` through `stokhar`.
  // Throws zdb::DbError.
  void writeStockLine(zdb::Query &stokhar, const QVariant &billNo, const LineSources &sources);

  const ClosingRunValues &values() const { return run_; }

  // A line without a sales point takes the last one seen on an earlier line of the same order.
  QString CarriedSalesPoint;

 private:
  ClosingRunValues run_;
};

}  // namespace zboard
