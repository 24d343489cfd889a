// Marking each order for a payment register, and the summary panel that counts the marks.
#include "board.h"
#include "db/db_error.h"
#include "db/turkish_format.h"

namespace zboard {

namespace {
const QString kOk = QStringLiteral("Ok");

// The cell-click rule of one register column on one row: column 3 toggles, a later column
// takes the mark; the row keeps at most one "Ok".
void applyMarkRule(GridModel &grid, int column, int row) {
  const int columns = grid.columnCount();
  if (column == 3) {
    GridCell &cell = grid.cell(3, row);
    if (cell.text.isEmpty()) {
      grid.setCell(3, row, kOk, zcolour::Lime);
    } else {
      grid.setCell(3, row, QString(), zcolour::BtnFace);
    }
    for (int c = 4; c < columns; ++c) grid.setCell(c, row, QString(), zcolour::White);
  } else if (column > 3 && column < columns) {
    if (grid.cell(column, row).text != kOk) grid.setCell(column, row, kOk, zcolour::Red);
    grid.setCell(3, row, QString(), zcolour::BtnFace);
    for (int c = 4; c < columns; ++c) {
      if (c != column) grid.setCell(c, row, QString(), zcolour::White);
    }
  }
}
}  // namespace

void Board::NextGrid1CellClick(int column, int row) {
  runCommand([&] {
    ClickedRow = row;
    ClickedColumn = column;
    const bool validRow = row >= 0 && row < NextGrid1.rowCount();
    if (NextGrid1.rowCount() > 0 && validRow) ClickedOrderNo = NextGrid1.cell(0, ClickedRow).text;
    openOrderLines(ClickedOrderNo);
    if (validRow && column >= 3) {
      applyMarkRule(NextGrid1, column, row);
      emit gridRowsChanged(row, row);
    }
    RebuildRegisterSummary();
  });
}

void Board::HepsiniSecClick() {
  runCommand([&] {
    if (ClickedColumn < 3 || ClickedColumn >= NextGrid1.columnCount()) return;
    const int first = std::max(ClickedRow, 0);
    for (int r = first; r < NextGrid1.rowCount(); ++r) {
      // Column 3 toggles on a click; select all only ever marks, so an "Ok" there stays.
      if (ClickedColumn == 3 && NextGrid1.cell(3, r).text == kOk) {
        for (int c = 4; c < NextGrid1.columnCount(); ++c) NextGrid1.setCell(c, r, QString(), zcolour::White);
        continue;
      }
      applyMarkRule(NextGrid1, ClickedColumn, r);
    }
    if (first < NextGrid1.rowCount()) emit gridRowsChanged(first, NextGrid1.rowCount() - 1);
    RebuildRegisterSummary();
  });
}

void Board::TumSecimiIptalClick() {
  runCommand([&] { RebuildRegisterSummary(); });
}

void Board::RebuildRegisterSummary() {
  SummaryModel &s = Summary;
  s.runtimeLabels.clear();
  for (SummaryLabel *l : {&s.Label10, &s.Label11, &s.Label12, &s.Label13, &s.Label14, &s.Label15, &s.Label7,
                          &s.Label8, &s.Label9})
    l->visible = false;
  s.Shape2.visible = s.Shape3.visible = s.Shape4.visible = false;

  const int n = NextGrid1.columnCount();
  SummaryColumnCount = n;
  RegisterCounts.assign(size_t(n + 2), 0.0);
  RegisterAmounts.assign(size_t(n + 2), 0.0);

  auto runtimeLabel = [&](const QString &caption, int left, int top) {
    SummaryLabel l;
    l.caption = caption;
    l.right = left + 20;  // created 20 wide; sizes to its text keeping the right edge
    l.top = top;
    s.runtimeLabels.push_back(l);
  };

  int top = 30;
  for (int c = 3; c < n; ++c) {
    for (int r = 0; r < NextGrid1.rowCount(); ++r) {
      if (NextGrid1.cell(c, r).text != kOk) continue;
      bool ok = false;
      const QString amountText = NextGrid1.cell(2, r).text;
      const double amount = zfmt::parseAmount(amountText, &ok);
      if (!ok) {
        emit summaryChanged();
        throw zdb::DbError(QStringLiteral("'%1' is not a valid floating point value").arg(amountText));
      }
      RegisterCounts[size_t(c)] += 1;
      RegisterAmounts[size_t(c)] += amount;
    }
    runtimeLabel(NextGrid1.columns[size_t(c)].caption, 60, top);
    runtimeLabel(zfmt::general(RegisterCounts[size_t(c)]), 95, top);
    runtimeLabel(zfmt::amount(RegisterAmounts[size_t(c)]), 160, top);
    top += 13;
    s.Shape2.height = s.Shape3.height = top - 20;
  }

  double totalCount = 0, totalAmount = 0;
  for (size_t i = 0; i < RegisterCounts.size(); ++i) {
    totalCount += RegisterCounts[i];
    totalAmount += RegisterAmounts[i];
  }

  top += 10;
  s.Shape4.top = top - 5;
  s.Label7.top = s.Label8.top = s.Label9.top = top;
  markedCount = int(totalCount);
  s.Label7.caption = zfmt::general(totalCount);
  s.Label8.caption = zfmt::amount(totalAmount);
  // The "Fiş" and "Fatura" rows repeat grid columns 6 and 7 (0 when the grid has no such column).
  auto entry = [&](const std::vector<double> &values, size_t i) { return i < values.size() ? values[i] : 0.0; };
  s.Label11.caption = zfmt::general(entry(RegisterCounts, 6));
  s.Label12.caption = zfmt::general(entry(RegisterAmounts, 6));
  s.Label14.caption = zfmt::general(entry(RegisterCounts, 7));
  s.Label15.caption = zfmt::general(entry(RegisterAmounts, 7));
  s.Label10.top = s.Label11.top = s.Label12.top = top + 15;
  s.Label13.top = s.Label14.top = s.Label15.top = top + 27;

  for (SummaryLabel *l : {&s.Label7, &s.Label8, &s.Label9, &s.Label10, &s.Label11, &s.Label12, &s.Label13,
                          &s.Label14, &s.Label15})
    l->visible = true;
  s.Shape2.visible = s.Shape3.visible = s.Shape4.visible = true;
  emit summaryChanged();
}

}  // namespace zboard
