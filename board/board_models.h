#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

#include "dialogs/colours.h"

// Headless models of the board widgets that the logic reads and writes. The board screen renders
// them and forwards taps; tests read them directly.
namespace zboard {

// A list box: items and the selected index (-1 when nothing is selected).
struct ListModel {
  QStringList items;
  int itemIndex = -1;
  QString selectedText() const {
    return itemIndex >= 0 && itemIndex < items.size() ? items.at(itemIndex) : QString();
  }
};

enum class Align { Left, Center, Right };

struct GridColumn {
  QString caption;
  int width = 40;
  quint32 colour = zcolour::White;        // cell colour that new rows take
  quint32 headerColour = zcolour::BtnFace;
  Align align = Align::Center;
  bool verticalHeader = false;
};

struct GridCell {
  QString text;
  quint32 colour = zcolour::White;
};

// The payment grid `NextGrid1`: columns 0..2 order number, customer, amount; one column per
// payment register from column 3 on. Grid row r shows the (r+1)-th order of the order query.
class GridModel {
 public:
  std::vector<GridColumn> columns;
  std::vector<std::vector<GridCell>> rows;

  int columnCount() const { return int(columns.size()); }
  int rowCount() const { return int(rows.size()); }
  void clearRows() { rows.clear(); }
  int addRow();  // cells take their column's colour
  GridCell &cell(int column, int row) { return rows.at(size_t(row)).at(size_t(column)); }
  const GridCell &cell(int column, int row) const { return rows.at(size_t(row)).at(size_t(column)); }
  void setCell(int column, int row, const QString &text, quint32 colour) {
    GridCell &c = cell(column, row);
    c.text = text;
    c.colour = colour;
  }
  // The register columns whose cell on `row` carries the mark "Ok", left to right (none for a
  // row the grid does not have). The rightmost is the register the order is closed with.
  std::vector<int> markedColumns(int row) const;
};

// A label of the summary panel: caption, its right edge (labels are right-aligned and keep their
// right edge while sizing to their text), top and visibility.
struct SummaryLabel {
  QString caption;
  int right = 0;
  int top = 0;
  bool visible = true;
  bool italic = false;
};

struct SummaryShape {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool visible = false;
};

// The summary panel `ScrollBox1`: fixed labels and shapes, and the run-time labels of the last
// rebuild (three per register column: name, count, amount).
struct SummaryModel {
  SummaryLabel Label7, Label8, Label9, Label10, Label11, Label12, Label13, Label14, Label15;
  SummaryShape Shape2, Shape3, Shape4;
  std::vector<SummaryLabel> runtimeLabels;
  SummaryModel();
};

}  // namespace zboard
