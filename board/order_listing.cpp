// Listing a courier's ready orders, holding them for this board through mainsip.lockdurum, and
// releasing them again (next load, "TERK").
#include "board.h"
#include "db/batch.h"
#include "db/quoting.h"
#include "db/turkish_format.h"
#include "dialogs/dialog_values.h"

namespace zboard {

QString Board::orderLinesStatement(const QString &orderNo) {
  return QStringLiteral("Select * From Temp Where Adisyonno =\"") + zdb::quoted(orderNo) + QStringLiteral("\"");
}

void Board::openOrderLines(const QString &orderNo) {
  QueryTemp.setText(orderLinesStatement(orderNo));
  QueryTemp.open();
}

QString Board::courierSectionCondition() const {
  return QStringLiteral(" And SevkYapanIsmi =\"") + zdb::quoted(ListBox2.selectedText()) +
         QStringLiteral("\" and Kisim = \"") + zdb::quoted(ListBox1.selectedText()) + QStringLiteral("\"");
}

// The listing costs three requests whatever the number of orders: the charts, the release and
// the first list; every order's lines check; the hold and the final list. Each request carries
// the statements one after the other as they would go alone, and the answers are walked in the
// same order, so every box, effect and error comes where it would one statement at a time.
void Board::LoadCourierOrders() {
  BoardErrorText.clear();
  const QVariantHash workDate{{QStringLiteral("0"), DTPBugun}};
  const bool showsCourier = !ListBox2.items.isEmpty();
  const QString condition = showsCourier ? courierSectionCondition() : QString();

  zdb::Batch first(Connect);
  const int openChart = first.add(openOrdersChartStatement(), workDate, true);
  const int closedChart = first.add(closedBillsChartStatement(), workDate, true);
  // Release what the previous load held (no date condition: yesterday's orders too).
  const QString release = HeldOrderClause.isEmpty()
                              ? QString()
                              : QStringLiteral("update Mainsip set lockdurum =\"0\" Where ") + ReadyOrderFilter +
                                    QStringLiteral(" And (") + HeldOrderClause + QStringLiteral(")");
  const int released = release.isEmpty() ? -1 : first.add(release);
  const QString branches = QStringLiteral("Select*From Subeler");
  const QString firstList = QStringLiteral("Select*From MainSip Where ") + ReadyOrderFilter + condition;
  const int branchRows = showsCourier ? first.add(branches, true) : -1;
  const int listRows = showsCourier ? first.add(firstList, true) : -1;
  first.send(zdb::Batch::OnFailure::Keep);

  first.expectRan(openChart);
  QueryGrafik.restore(first.takeRows(openChart));
  first.expectRan(closedChart);
  QueryGrafikKapali.restore(first.takeRows(closedChart));
  if (released >= 0) {
    first.expectRan(released);
    QueryMainSip.noteExecuted(release, first.rowsAffected(released));
    HeldOrderClause.clear();
  }
  if (!showsCourier) return;

  Button2Caption = QStringLiteral(" (") + courierName() + QStringLiteral(") nın Paketlerini TAHSIL ET..!");
  emit captionsChanged();

  first.expectRan(branchRows);
  QuerySube.restore(first.takeRows(branchRows));
  first.expectRan(listRows);
  QueryMainSip.restore(first.takeRows(listRows));

  NextGrid1.clearRows();
  QueryTemp.close();
  emit gridChanged();
  if (QueryMainSip.isEmpty()) return;

  // Every order's lines check in one request.
  zdb::Batch checks(Connect);
  std::vector<int> lineRows;
  lineRows.reserve(size_t(QueryMainSip.recordCount()));
  for (QueryMainSip.first(); !QueryMainSip.eof(); QueryMainSip.next())
    lineRows.push_back(
        checks.add(orderLinesStatement(QueryMainSip.field(QStringLiteral("ADISYONNO")).asString()), true));
  checks.send(zdb::Batch::OnFailure::Keep);

  // Check every order and name it in the hold clause, whatever the checks found.
  const int orders = QueryMainSip.recordCount();
  QString clause;
  size_t checked = 0;
  for (QueryMainSip.first(); !QueryMainSip.eof(); QueryMainSip.next()) {
    const QString orderNo = QueryMainSip.field(QStringLiteral("ADISYONNO")).asString();
    checks.expectRan(lineRows[checked]);
    QueryTemp.restore(checks.takeRows(lineRows[checked++]));
    if (QueryTemp.isEmpty()) {
      zdlg::DialogMessage = orderNo + QStringLiteral(" Nolu Adisyona Ait ürün listelenemedi  ?");
      messenger_.showInformation();
      BoardErrorText = zdlg::DialogMessage;
    }
    if (QueryMainSip.field(QStringLiteral("lockdurum")).asInteger() == 1) {
      zdlg::DialogMessage = QueryMainSip.field(QStringLiteral("FirmaIsmi")).asString() +
                            QStringLiteral(" cari isimli Pakete başka Kullanıcı işlem Yapıyor") +
                            QStringLiteral(" Lütfen Bekleyiniz..!");
      messenger_.showInformation();
      BoardErrorText = zdlg::DialogMessage;
    }
    const QString piece = QStringLiteral("Adisyonno =\"") + zdb::quoted(orderNo) + QStringLiteral("\"");
    clause += QueryMainSip.recNo() < orders ? QStringLiteral(" ") + piece + QStringLiteral(" or ") : piece;
  }
  HeldOrderClause = clause;

  // Hold: only orders of the working date are flagged. Then the final list: only orders that went
  // through the checks.
  zdb::Batch last(Connect);
  const QString hold = QStringLiteral("update Mainsip set lockdurum =\"1\" Where Tarih =:0 and ") + ReadyOrderFilter +
                       condition + QStringLiteral(" and (") + HeldOrderClause + QStringLiteral(")");
  const int held = last.add(hold, workDate);
  const int finalRows = last.add(QStringLiteral("Select*From MainSip Where ") + ReadyOrderFilter + condition +
                                     QStringLiteral(" and (") + HeldOrderClause + QStringLiteral(")"),
                                 true);
  last.send(zdb::Batch::OnFailure::Keep);
  last.expectRan(held);
  QueryMainSip.noteExecuted(hold, last.rowsAffected(held));
  last.expectRan(finalRows);
  QueryMainSip.restore(last.takeRows(finalRows));

  // Grid fill: row r is the (r+1)-th order of the final list, marked for the default register.
  NextGrid1.clearRows();
  const bool hasRegister = NextGrid1.columnCount() > 3;
  for (QueryMainSip.first(); !QueryMainSip.eof(); QueryMainSip.next()) {
    const int r = NextGrid1.addRow();
    NextGrid1.cell(0, r).text = QueryMainSip.field(QStringLiteral("Adisyonno")).asString();
    NextGrid1.cell(1, r).text = QueryMainSip.field(QStringLiteral("FirmaIsmi")).asString();
    NextGrid1.cell(2, r).text = zfmt::amount(QueryMainSip.field(QStringLiteral("Tutar")).asFloat());
    NextGrid1.columns[2].align = Align::Right;
    // Without any payment register column there is nothing to mark: the orders stay unmarked.
    if (hasRegister) NextGrid1.cell(3, r).text = QStringLiteral("Ok");
  }
  emit gridChanged();
}

void Board::Refresh() {
  runCommand([this] {
    LoadCourierOrders();
    RebuildRegisterSummary();
  });
}

void Board::selectSection(int index) {
  ListBox1.itemIndex = index;
  Refresh();
}

void Board::selectCourier(int index) {
  ListBox2.itemIndex = index;
  Refresh();
}

bool Board::Terk() {
  return runCommand([this] {
    if (HeldOrderClause.isEmpty()) return;
    const QString release = QStringLiteral("update Mainsip set lockdurum =\"0\" Where Tarih =:0 and ") +
                            ReadyOrderFilter + QStringLiteral(" And (") + HeldOrderClause + QStringLiteral(")");
    zdb::Batch batch(Connect);
    batch.add(release, {{QStringLiteral("0"), DTPBugun}});
    batch.send();
    QueryMainSip.noteExecuted(release, batch.rowsAffected(0));
    HeldOrderClause.clear();
  });
}

}  // namespace zboard
