#include "board_models.h"

namespace zboard {

int GridModel::addRow() {
  std::vector<GridCell> row(columns.size());
  for (size_t c = 0; c < columns.size(); ++c) row[c].colour = columns[c].colour;
  rows.push_back(std::move(row));
  return int(rows.size()) - 1;
}

std::vector<int> GridModel::markedColumns(int row) const {
  std::vector<int> marked;
  if (row < 0 || row >= rowCount()) return marked;
  for (int c = 3; c < columnCount(); ++c)
    if (cell(c, row).text == QLatin1String("Ok")) marked.push_back(c);
  return marked;
}

// Design-time state of the panel: headers shown, totals and the "Fiş"/"Fatura" rows hidden.
SummaryModel::SummaryModel() {
  auto label = [](const char *caption, int right, int top, bool italic) {
    SummaryLabel l;
    l.caption = QString::fromUtf8(caption);
    l.right = right;
    l.top = top;
    l.visible = false;
    l.italic = italic;
    return l;
  };
  Label9 = label("Toplam", 78, 176, false);
  Label7 = label("0", 118, 176, false);
  Label8 = label("0", 180, 176, false);
  Label10 = label("Fiş", 78, 208, true);
  Label11 = label("", 118, 208, true);
  Label12 = label("", 180, 208, true);
  Label13 = label("Fatura", 78, 220, true);
  Label14 = label("", 118, 220, true);
  Label15 = label("", 180, 220, true);
  Shape2 = {87, 26, 2, 210, false};
  Shape3 = {119, 26, 2, 210, false};
  Shape4 = {-1, 168, 184, 2, false};
}

}  // namespace zboard
