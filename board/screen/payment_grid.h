#pragma once
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

#include "board/board_models.h"

namespace zboard {

// The headless payment grid as a Qt table model. It reads the grid in place; refresh() and
// refreshRows() tell the view what changed without resetting it, so the selection and the scroll
// positions survive a change of marks or a reload. The header is announced only when a caption,
// colour or orientation changed: it is 120 pixels high and costly to lay out and paint.
class PaymentGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int VerticalHeaderRole = Qt::UserRole + 1;

  explicit PaymentGridModel(const GridModel &grid, QObject *parent = nullptr);
  // Anything may have changed.
  void refresh();
  // Only texts and colours of rows first..last changed.
  void refreshRows(int first, int last);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

 private:
  struct HeaderState {
    QString caption;
    quint32 colour = 0;
    bool vertical = false;
    bool operator==(const HeaderState &) const = default;
  };
  std::vector<HeaderState> headerStates() const;

  const GridModel &grid_;
  int rows_ = 0;
  int columns_ = 0;
  std::vector<HeaderState> header_;  // as the view was last told
};

// Header of the payment grid: the column header paints its own colour and writes the caption
// vertically where the column asks for it; the row header is a row indicator.
class PaymentGridHeader : public QHeaderView {
  Q_OBJECT

 public:
  PaymentGridHeader(Qt::Orientation orientation, QWidget *parent = nullptr);
  // The header's design height (a column header) or width (a row header) at the board's factor:
  // that is its extent, whatever its font would ask for.
  void setScaledExtent(int designExtent, double factor);
  QSize sizeHint() const override;

 protected:
  void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

 private:
  double factor_ = 1.0;
  int extent_ = -1;
};

// Cells: own background colour, grid lines, the selected row blended over the colour.
class PaymentGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
  // The board's factor: the text's margins in the cell scale with it.
  void setFactor(double factor) { factor_ = factor; }

 private:
  double factor_ = 1.0;
};

// NextGrid1. Sorting and moving rows are not offered: the closing run relies on grid row r
// being the (r+1)-th listed order.
class PaymentGrid : public QTableView {
  Q_OBJECT

 public:
  static constexpr int HeaderHeight = 120;
  static constexpr int RowHeight = 30;

  PaymentGrid(const GridModel &grid, QWidget *parent = nullptr);
  PaymentGridModel *gridModel() const { return model_; }
  // Follows the headless grid: shape, texts, colours, column widths.
  void refresh();
  // Follows a change of texts and colours in rows first..last only.
  void refreshRows(int first, int last) { model_->refreshRows(first, last); }
  // The grid's own scroll positions: design pixels horizontally (100 of them are 100 x the
  // factor on the screen), rows vertically, kept in range.
  void scrollHorizontallyBy(int pixels);
  void scrollRowsBy(int rows);

  // Lays the grid out at the board's factor: its font, the header's height, the row indicator's
  // width, the rows' height and the columns' widths (the headless grid's design widths).
  void setFactor(double factor);
  double factor() const { return factor_; }

 protected:
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

 private:
  const GridModel &grid_;
  PaymentGridModel *model_;
  PaymentGridDelegate *delegate_;
  std::vector<int> appliedWidths_;  // design widths
  double factor_ = 1.0;
  QFont designFont_;
};

}  // namespace zboard
