#include "payment_grid.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "dialogs/colours.h"
#include "dialogs/screen/box_support.h"
#include "dialogs/screen/screen_fit.h"

namespace zboard {

namespace {

// The selection is blended in the classic desktop colour.
const QColor kSelection(0x3A, 0x6E, 0xA5, 90);

void drawRaisedFrame(QPainter *p, const QRect &r) {
  p->setPen(Qt::white);
  p->drawLine(r.topLeft(), r.topRight());
  p->drawLine(r.topLeft(), r.bottomLeft());
  p->setPen(QColor(0x808080));
  p->drawLine(r.bottomLeft(), r.bottomRight());
  p->drawLine(r.topRight(), r.bottomRight());
}

Qt::Alignment alignmentOf(Align align) {
  switch (align) {
    case Align::Left: return Qt::AlignLeft | Qt::AlignVCenter;
    case Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case Align::Center: break;
  }
  return Qt::AlignCenter;
}

}  // namespace

// --------------------------------------------------------------------------- PaymentGridModel

PaymentGridModel::PaymentGridModel(const GridModel &grid, QObject *parent)
    : QAbstractTableModel(parent),
      grid_(grid),
      rows_(grid.rowCount()),
      columns_(grid.columnCount()),
      header_(headerStates()) {}

std::vector<PaymentGridModel::HeaderState> PaymentGridModel::headerStates() const {
  std::vector<HeaderState> states;
  states.reserve(grid_.columns.size());
  for (const GridColumn &c : grid_.columns) states.push_back({c.caption, c.headerColour, c.verticalHeader});
  return states;
}

void PaymentGridModel::refresh() {
  const int rows = grid_.rowCount(), columns = grid_.columnCount();
  if (columns != columns_) {
    beginResetModel();
    rows_ = rows;
    columns_ = columns;
    header_ = headerStates();
    endResetModel();
    return;
  }
  if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  } else if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
  const std::vector<HeaderState> header = headerStates();
  for (int c = 0; c < columns_; ++c) {
    if (header[size_t(c)] == header_[size_t(c)]) continue;
    header_[size_t(c)] = header[size_t(c)];
    emit headerDataChanged(Qt::Horizontal, c, c);
  }
}

void PaymentGridModel::refreshRows(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, rows_ - 1);
  if (first > last || columns_ == 0) return;
  emit dataChanged(index(first, 0), index(last, columns_ - 1));
}

int PaymentGridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int PaymentGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant PaymentGridModel::data(const QModelIndex &index, int role) const {
  const int row = index.row(), column = index.column();
  // The headless grid may already differ from what the view was told; read only what exists.
  if (!index.isValid() || row >= grid_.rowCount() || column >= grid_.columnCount()) return {};
  const GridCell &cell = grid_.cell(column, row);
  switch (role) {
    case Qt::DisplayRole: return cell.text;
    case Qt::BackgroundRole: return zdlg::toQColor(cell.colour);
    case Qt::TextAlignmentRole: return int(alignmentOf(grid_.columns[size_t(column)].align));
    default: return {};
  }
}

QVariant PaymentGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (section < 0 || section >= grid_.columnCount()) return {};
  const GridColumn &c = grid_.columns[size_t(section)];
  switch (role) {
    case Qt::DisplayRole: return c.caption;
    case Qt::BackgroundRole: return zdlg::toQColor(c.headerColour);
    case VerticalHeaderRole: return c.verticalHeader;
    default: return {};
  }
}

Qt::ItemFlags PaymentGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;  // no editing, no dragging
}

// -------------------------------------------------------------------------- PaymentGridHeader

PaymentGridHeader::PaymentGridHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent) {
  setSectionsMovable(false);
  setSectionsClickable(false);  // a header tap neither sorts nor selects
  setHighlightSections(false);
}

void PaymentGridHeader::setScaledExtent(int designExtent, double factor) {
  factor_ = factor;
  extent_ = zdlg::scaledLength(designExtent, factor);
  if (orientation() == Qt::Horizontal) {
    setFixedHeight(extent_);
  } else {
    setFixedWidth(extent_);
  }
  updateGeometry();
}

QSize PaymentGridHeader::sizeHint() const {
  QSize hint = QHeaderView::sizeHint();
  // At the design factor the header is as it always was; scaled, its extent is the design's.
  if (extent_ < 0 || factor_ == 1.0) return hint;
  if (orientation() == Qt::Horizontal) {
    hint.setHeight(extent_);
  } else {
    hint.setWidth(extent_);
  }
  return hint;
}

void PaymentGridHeader::paintSection(QPainter *p, const QRect &rect, int logicalIndex) const {
  const auto px = [this](int design) { return zdlg::scaledLength(design, factor_); };
  p->save();
  if (orientation() == Qt::Horizontal) {
    const QVariant bg = model()->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole);
    p->fillRect(rect, bg.isValid() ? bg.value<QColor>() : zdlg::toQColor(zcolour::BtnFace));
    drawRaisedFrame(p, rect);
    const QString text = model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();
    const bool vertical =
        model()->headerData(logicalIndex, Qt::Horizontal, PaymentGridModel::VerticalHeaderRole).toBool();
    p->setFont(font());
    p->setPen(palette().color(QPalette::ButtonText));
    if (vertical) {
      // Read from bottom to top, centred in the column.
      p->translate(rect.center().x() + 1, rect.center().y() + 1);
      p->rotate(-90);
      const QRect turned(-rect.height() / 2 + px(3), -rect.width() / 2 + px(1), rect.height() - px(6),
                         rect.width() - px(2));
      p->drawText(turned, Qt::AlignCenter | Qt::TextWordWrap, text);
    } else {
      p->drawText(rect.adjusted(px(2), px(2), -px(2), -px(2)), Qt::AlignCenter | Qt::TextWordWrap, text);
    }
  } else {
    p->fillRect(rect, zdlg::toQColor(zcolour::BtnFace));
    drawRaisedFrame(p, rect);
    const auto *view = qobject_cast<const QTableView *>(parent());
    if (view && view->currentIndex().isValid() && view->currentIndex().row() == logicalIndex) {
      // The row indicator: a small arrow pointing at the current row.
      const QPoint c = rect.center();
      const QPolygon arrow(
          {QPoint(c.x() - px(2), c.y() - px(4)), QPoint(c.x() + px(2), c.y()), QPoint(c.x() - px(2), c.y() + px(4))});
      p->setPen(Qt::black);
      p->setBrush(Qt::black);
      p->drawPolygon(arrow);
    }
  }
  p->restore();
}

// ------------------------------------------------------------------------ PaymentGridDelegate

void PaymentGridDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
  p->save();
  const QRect r = option.rect;
  const QVariant bg = index.data(Qt::BackgroundRole);
  p->fillRect(r, bg.isValid() ? bg.value<QColor>() : QColor(Qt::white));
  const bool selected = option.state & QStyle::State_Selected;
  if (selected) p->fillRect(r, kSelection);

  QFont font = option.font;
  font.setBold(selected);
  p->setFont(font);
  p->setPen(option.palette.color(QPalette::Active, QPalette::ButtonText));
  const int align = index.data(Qt::TextAlignmentRole).toInt();
  p->setClipRect(r);  // wrapped text that does not fit stays inside its cell
  const auto px = [this](int design) { return zdlg::scaledLength(design, factor_); };
  p->drawText(r.adjusted(px(3), px(1), -px(4), -px(2)), align | Qt::TextWordWrap,
              index.data(Qt::DisplayRole).toString());

  if (option.state & QStyle::State_HasFocus) {  // the selected cell
    p->setPen(QPen(Qt::black, 1, Qt::DotLine));
    p->setBrush(Qt::NoBrush);
    p->drawRect(r.adjusted(1, 1, -2, -2));
  }
  // Grid lines, sky blue, on the right and bottom edge of every cell.
  p->setPen(zdlg::toQColor(zcolour::SkyBlue));
  p->drawLine(r.topRight(), r.bottomRight());
  p->drawLine(r.bottomLeft(), r.bottomRight());
  p->restore();
}

// -------------------------------------------------------------------------------- PaymentGrid

PaymentGrid::PaymentGrid(const GridModel &grid, QWidget *parent)
    : QTableView(parent), grid_(grid), model_(new PaymentGridModel(grid, this)) {
  setObjectName(QStringLiteral("NextGrid1"));
  setFont(zdlg::pixelFont(QStringLiteral("Arial"), 11, QFont::SansSerif));

  auto *columns = new PaymentGridHeader(Qt::Horizontal, this);
  columns->setMinimumSectionSize(1);
  columns->setDefaultAlignment(Qt::AlignCenter);
  setHorizontalHeader(columns);
  auto *rows = new PaymentGridHeader(Qt::Vertical, this);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(RowHeight);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  setVerticalHeader(rows);

  setModel(model_);
  delegate_ = new PaymentGridDelegate(this);
  setItemDelegate(delegate_);
  setShowGrid(false);  // the delegate draws the sky-blue lines
  setWordWrap(true);
  setSortingEnabled(false);
  setDragEnabled(false);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setDefaultDropAction(Qt::IgnoreAction);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);  // the vertical position counts rows
  setContextMenuPolicy(Qt::CustomContextMenu);
  setCornerButtonEnabled(false);
  designFont_ = font();
  columns->setScaledExtent(HeaderHeight, 1.0);
  rows->setScaledExtent(12, 1.0);
  refresh();
}

void PaymentGrid::setFactor(double factor) {
  if (factor == factor_) return;
  factor_ = factor;
  setFont(zdlg::scaledFont(designFont_, factor));
  delegate_->setFactor(factor);
  static_cast<PaymentGridHeader *>(horizontalHeader())->setScaledExtent(HeaderHeight, factor);
  static_cast<PaymentGridHeader *>(verticalHeader())->setScaledExtent(12, factor);
  verticalHeader()->setDefaultSectionSize(zdlg::scaledLength(RowHeight, factor));
  appliedWidths_.clear();  // every column again, at the new factor
  refresh();
  viewport()->update();
}

void PaymentGrid::refresh() {
  const int before = model_->columnCount();
  model_->refresh();
  if (model_->columnCount() != before) appliedWidths_.clear();
  // A width is applied when the headless grid changes it, so the operator's own resizing stays.
  appliedWidths_.resize(size_t(grid_.columnCount()), -1);
  // Edges are scaled, not widths, so that the columns' left edges stay where the design puts them.
  int left = 0;
  for (int c = 0; c < grid_.columnCount(); ++c) {
    const int w = grid_.columns[size_t(c)].width;
    if (appliedWidths_[size_t(c)] != w) {
      setColumnWidth(c, zdlg::scaledSpan(left, w, factor_));
      appliedWidths_[size_t(c)] = w;
    }
    left += w;
  }
}

void PaymentGrid::scrollHorizontallyBy(int pixels) {
  QScrollBar *bar = horizontalScrollBar();
  bar->setValue(std::clamp(bar->value() + zdlg::scaledLength(pixels, factor_), 0, std::max(0, bar->maximum())));
}

void PaymentGrid::scrollRowsBy(int rows) {
  QScrollBar *bar = verticalScrollBar();
  bar->setValue(std::clamp(bar->value() + rows, 0, std::max(0, bar->maximum())));
}

void PaymentGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
  QTableView::currentChanged(current, previous);
  verticalHeader()->viewport()->update();  // moves the row indicator
}

}  // namespace zboard
