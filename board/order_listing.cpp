// Listing a courier's ready orders, holding them for this board through mainsip.lockdurum, and
// releasing them again (next load, "TERK").
#include "board.h"
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

void Board::LoadCourierOrders() {
  BoardErrorText.clear();
  openChartQuery(QueryGrafik, openOrdersChartStatement());
  openChartQuery(QueryGrafikKapali, closedBillsChartStatement());

  // Release what the previous load held (no date condition: yesterday's orders too).
  if (!HeldOrderClause.isEmpty()) {
    QueryMainSip.setText(QStringLiteral("update Mainsip set lockdurum =\"0\" Where ") + ReadyOrderFilter +
                         QStringLiteral(" And (") + HeldOrderClause + QStringLiteral(")"));
    QueryMainSip.execute();
    HeldOrderClause.clear();
  }
  if (ListBox2.items.isEmpty()) return;

  Button2Caption = QStringLiteral(" (") + courierName() + QStringLiteral(") nın Paketlerini TAHSIL ET..!");
  emit captionsChanged();

  QuerySube.setText(QStringLiteral("Select*From Subeler"));
  QuerySube.open();

  const QString condition = courierSectionCondition();
  QueryMainSip.setText(QStringLiteral("Select*From MainSip Where ") + ReadyOrderFilter + condition);
  QueryMainSip.open();

  NextGrid1.clearRows();
  QueryTemp.close();
  emit gridChanged();
  if (QueryMainSip.isEmpty()) return;

  // Check every order and name it in the hold clause, whatever the checks found.
  const int orders = QueryMainSip.recordCount();
  QString clause;
  for (QueryMainSip.first(); !QueryMainSip.eof(); QueryMainSip.next()) {
    const QString orderNo = QueryMainSip.field(QStringLiteral("ADISYONNO")).asString();
    openOrderLines(orderNo);
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

  // Hold: only orders of the working date are flagged.
  QueryMainSip.setText(QStringLiteral("update Mainsip set lockdurum =\"1\" Where Tarih =:0 and ") + ReadyOrderFilter +
                       condition + QStringLiteral(" and (") + HeldOrderClause + QStringLiteral(")"));
  QueryMainSip.setParamDate(QStringLiteral(":0"), DTPBugun);
  QueryMainSip.execute();

  // Final list: only orders that went through the checks.
  QueryMainSip.setText(QStringLiteral("Select*From MainSip Where ") + ReadyOrderFilter + condition +
                       QStringLiteral(" and (") + HeldOrderClause + QStringLiteral(")"));
  QueryMainSip.open();

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
    QueryMainSip.setText(QStringLiteral("update Mainsip set lockdurum =\"0\" Where Tarih =:0 and ") + ReadyOrderFilter +
                         QStringLiteral(" And (") + HeldOrderClause + QStringLiteral(")"));
    QueryMainSip.setParamDate(QStringLiteral(":0"), DTPBugun);
    QueryMainSip.execute();
    HeldOrderClause.clear();
  });
}

}  // namespace zboard
