#include "paket_islemleri.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QWindow>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "board/screen/courier_charts.h"
#include "board/screen/payment_grid.h"
#include "board/screen/query_binding.h"
#include "board/screen/tap.h"
#include "db/turkish_format.h"
#include "dialogs/colours.h"
#include "dialogs/screen/box_support.h"

namespace {

QFont arial(int pixels, bool bold = false, bool italic = false) {
  QFont f = zdlg::pixelFont(QStringLiteral("Arial"), pixels, QFont::SansSerif);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

void setBackground(QWidget *w, const QColor &colour) {
  w->setAutoFillBackground(true);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
}

// The lines grid's title row: as the style sizes it at the design size; scaled, the design's
// height times the factor, whatever its font would ask for.
class LinesHeader : public QHeaderView {
 public:
  explicit LinesHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);  // as a table view's own title row
    setHighlightSections(true);
  }
  void setExtent(int pixels) {
    extent_ = pixels;
    if (pixels < 0) {
      setMinimumHeight(0);
      setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
      setFixedHeight(pixels);
    }
    updateGeometry();
  }
  QSize sizeHint() const override {
    QSize hint = QHeaderView::sizeHint();
    if (extent_ >= 0) hint.setHeight(extent_);
    return hint;
  }

 private:
  int extent_ = -1;
};

// A right-aligned label that sizes itself to its text and keeps its right edge.
void placeRightAligned(QLabel *label, const QString &caption, int right, int top) {
  label->setText(caption);
  label->adjustSize();
  label->move(right - label->width(), top);
}

// The lines grid shows numbers the way the data layer reads them (Turkish decimal comma).
QString lineText(const QVariant &value) {
  if (value.isNull()) return {};
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: return zfmt::general(value.toDouble());
    default: return value.toString();
  }
}

// A lines-grid cell that sorts numbers as numbers.
class LineItem : public QTableWidgetItem {
 public:
  LineItem(const QString &text, const QVariant &key) : QTableWidgetItem(text) { setData(Qt::UserRole, key); }
  bool operator<(const QTableWidgetItem &other) const override {
    const QVariant a = data(Qt::UserRole), b = other.data(Qt::UserRole);
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    if (okA && okB && a.typeId() != QMetaType::QString && b.typeId() != QMetaType::QString) return x < y;
    return text().localeAwareCompare(other.text()) < 0;
  }
};

struct LineColumn {
  const char *field;
  const char *title;
  int width;
};

constexpr LineColumn kLineColumns[] = {{"STOKADI", "Ürün Adı", 162}, {"ADET", "Miktarı", 49},
                                       {"FIYAT", "Fiyatı", 54},      {"PORSIYON", "Porsiyon", 44},
                                       {"GARSON", "Garson", 104},    {"GRUPADI", "Ürün Gurubu", 121}};

}  // namespace

// ------------------------------------------------------------------------- TurkishDatePicker

TurkishDatePicker::TurkishDatePicker(QWidget *parent) : QDateEdit(parent) {
  setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
  setDisplayFormat(QStringLiteral("d MMMM yyyy dddd"));
  setCalendarPopup(true);
  setReadOnly(true);
}

QString TurkishDatePicker::textFromDateTime(const QDateTime &dateTime) const {
  return zfmt::longDate(dateTime.date());
}

// -------------------------------------------------------------------------- SelectionListBox

void SelectionListBox::showModel(const QStringList &items, int itemIndex) {
  const QSignalBlocker block(this);
  QStringList shown;
  for (int i = 0; i < count(); ++i) shown << item(i)->text();
  if (shown != items) {
    clear();
    for (const QString &text : items) {
      auto *it = new QListWidgetItem(text, this);
      it->setSizeHint(QSize(0, rowHeight_));  // rows 16 design pixels high
    }
  }
  if (itemIndex >= 0 && itemIndex < count()) {
    setCurrentRow(itemIndex);
  } else {
    setCurrentRow(-1);
    clearSelection();
  }
  viewport()->update();
}

void SelectionListBox::setRowHeight(int pixels) {
  if (pixels == rowHeight_) return;
  rowHeight_ = pixels;
  for (int i = 0; i < count(); ++i) item(i)->setSizeHint(QSize(0, rowHeight_));
  doItemsLayout();
}

void SelectionListBox::mousePressEvent(QMouseEvent *event) {
  QListWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  if (QListWidgetItem *it = itemAt(event->position().toPoint())) emit userSelected(row(it));
}

void SelectionListBox::keyPressEvent(QKeyEvent *event) {
  const int before = currentRow();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before && currentRow() >= 0) emit userSelected(currentRow());
}

// ---------------------------------------------------------------------------- WrappingButton

void WrappingButton::paintEvent(QPaintEvent *) {
  QStylePainter p(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  p.drawControl(QStyle::CE_PushButton, option);
  p.setFont(font());
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  const int h = zdlg::scaledLength(6, factor_), v = zdlg::scaledLength(2, factor_);
  p.drawText(rect().adjusted(h, v, -h, -v), Qt::AlignCenter | Qt::TextWordWrap, text());
}

// ------------------------------------------------------------------------------------- TForm1

TForm1::TForm1(zboard::Board &board, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), board_(board) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Tahsilmatik"));
  setFont(arial(13));
  setBackground(this, zdlg::toQColor(zcolour::BtnFace));
  setSizeGripEnabled(false);

  NextGrid1 = new zboard::PaymentGrid(board_.NextGrid1, this);
  NextGrid1->setGeometry(0, 0, 585, 562);
  connect(NextGrid1, &QTableView::clicked, this, &TForm1::NextGrid1CellClick);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  HepsiniSec = PopupMenu1->addAction(QStringLiteral("Tümünü Seç"));
  HepsiniSec->setObjectName(QStringLiteral("HepsiniSec"));
  TumSecimiIptal = PopupMenu1->addAction(QStringLiteral("Tüm Seçimi İptal Et"));
  TumSecimiIptal->setObjectName(QStringLiteral("TumSecimiIptal"));
  connect(HepsiniSec, &QAction::triggered, this, [this] { board_.HepsiniSecClick(); });
  connect(TumSecimiIptal, &QAction::triggered, this, [this] { board_.TumSecimiIptalClick(); });
  connect(NextGrid1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &at) { PopupMenu1->popup(NextGrid1->viewport()->mapToGlobal(at)); });

  auto speedButton = [this](const char *name, const QString &caption, QRect geometry, QFont font) {
    auto *b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setGeometry(geometry);
    b->setFont(font);
    b->setAutoRaise(true);  // flat until touched
    b->setFocusPolicy(Qt::NoFocus);
    return b;
  };
  SpeedButton1 = speedButton("SpeedButton1", QStringLiteral("<  <  <  <  <"), {1, 566, 232, 33}, arial(33));
  SpeedButton2 = speedButton("SpeedButton2", QStringLiteral(">  >  >  >  >"), {236, 566, 232, 33}, arial(33));
  SpeedButtonAsagi = speedButton("SpeedButtonAsagi", QString(), {479, 566, 49, 33}, arial(13, true));
  SpeedButtonYukari = speedButton("SpeedButtonYukari", QString(), {532, 566, 49, 33}, arial(27));
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { NextGrid1->scrollHorizontallyBy(-100); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { NextGrid1->scrollHorizontallyBy(100); });
  connect(SpeedButtonAsagi, &QToolButton::clicked, this, [this] { NextGrid1->scrollRowsBy(5); });
  connect(SpeedButtonYukari, &QToolButton::clicked, this, [this] { NextGrid1->scrollRowsBy(-5); });

  buildLinesGrid();
  buildSummaryPanel();
  zboard::onTap(ScrollBox1, this, [this] { ScrollBox1Click(); });

  DTPBugun = new TurkishDatePicker(this);
  DTPBugun->setObjectName(QStringLiteral("DTPBugun"));
  DTPBugun->setGeometry(774, 0, 237, 27);
  DTPBugun->setFont(zdlg::pixelFont(QStringLiteral("Times New Roman"), 16, QFont::Serif));
  DTPBugun->setEnabled(false);

  Label2 = new QLabel(QStringLiteral("Kurye Seçiniz"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(776, 29, 235, 37);
  Label2->setFont(arial(17));
  Label2->setAlignment(Qt::AlignCenter);
  Label2->setWordWrap(true);
  Label2->setTextFormat(Qt::PlainText);
  setBackground(Label2, zdlg::toQColor(zcolour::SkyBlue));

  auto listBox = [this](const char *name, QRect geometry) {
    auto *l = new SelectionListBox(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setUniformItemSizes(true);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setEditTriggers(QAbstractItemView::NoEditTriggers);
    l->setDragDropMode(QAbstractItemView::NoDragDrop);
    return l;
  };
  ListBox1 = listBox("ListBox1", {776, 71, 141, 61});
  ListBox2 = listBox("ListBox2", {776, 135, 141, 124});
  connect(ListBox1, &SelectionListBox::userSelected, this, [this](int i) { board_.selectSection(i); });
  connect(ListBox2, &SelectionListBox::userSelected, this, [this](int i) { board_.selectCourier(i); });

  auto button = [this](QPushButton *b, const char *name, QRect geometry) {
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoDefault(false);  // Enter must not run a command by itself
    b->setDefault(false);
    return b;
  };
  Button1 = button(new QPushButton(QStringLiteral("TERK"), this), "Button1", {922, 67, 89, 29});
  BitBtn1 = button(new QPushButton(QStringLiteral("GÜNCELLE"), this), "BitBtn1", {922, 99, 89, 162});
  Button2 = static_cast<WrappingButton *>(button(new WrappingButton(this), "Button2", {586, 263, 425, 38}));
  Button2->setFont(arial(13, true));
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);

  PageControl1 = new zboard::CourierCharts(board_.QueryGrafik, board_.QueryGrafikKapali, this);
  PageControl1->setGeometry(586, 304, 425, 427);

  redrawTimer_ = new QTimer(this);
  redrawTimer_->setSingleShot(true);
  redrawTimer_->setInterval(kRedrawInterval);
  connect(redrawTimer_, &QTimer::timeout, this, &TForm1::redrawPutOff);

  connect(&board_, &zboard::Board::gridChanged, this, &TForm1::gridAnnounced);
  connect(&board_, &zboard::Board::registerColumnsAdded, this, &TForm1::gridAnnounced);
  connect(&board_, &zboard::Board::gridRowsChanged, this, &TForm1::gridRowsAnnounced);
  connect(&board_, &zboard::Board::listsChanged, this, &TForm1::renderLists);
  connect(&board_, &zboard::Board::captionsChanged, this, &TForm1::renderCaptions);
  connect(&board_, &zboard::Board::summaryChanged, this, &TForm1::summaryAnnounced);
  connect(&board_, &zboard::Board::enabledChanged, this, [this](bool on) { setEnabled(on); });
  connect(&board_, &zboard::Board::commandStarted, this, [this] { inCommand_ = true; });
  connect(&board_, &zboard::Board::commandFinished, this, [this] {
    inCommand_ = false;
    redrawPutOff();
  });
  connect(&board_, &zboard::Board::boxOpening, this, &TForm1::redrawPutOff);
  zboard::bindQuery(board_.QueryTemp, this, [this] { linesAnnounced(); });

  // The design, to be scaled to the window.
  for (QWidget *w : std::initializer_list<QWidget *>{NextGrid1, CRDBGrid6, ScrollBox1, ListBox1, ListBox2, Button1,
                                                     BitBtn1, PageControl1})
    designed_.addGeometry(w);  // their fonts are inherited or scaled by themselves
  for (QWidget *w : std::initializer_list<QWidget *>{SpeedButton1, SpeedButton2, SpeedButtonAsagi, SpeedButtonYukari,
                                                     DTPBugun, Label2, Button2})
    designed_.add(w);
  designMenuFont_ = PopupMenu1->font();
  screens_ = new zdlg::ScreenFollower(this, [this] { followScreen(); });

  renderAll();  // the board ran its creation (captions, BoardErrorText) when it was constructed

  // Last: on Windows with a display scaling, maximizing creates the native window and resizes it
  // at once, which refits the widgets; they must all exist and their design be recorded.
  resize(DesignClientWidth, DesignClientHeight);
  setWindowState(Qt::WindowMaximized);  // fills the screen's work area; the design is scaled to it
}

double TForm1::factorFor(QSize clientSize) {
  if (clientSize.isEmpty()) return 1.0;
  const double f = std::min(double(clientSize.width()) / DesignClientWidth,
                            double(clientSize.height()) / DesignClientHeight);
  return std::max(f, 0.2);
}

QRect TForm1::designRectFor(QSize clientSize) {
  const double f = factorFor(clientSize);
  const QSize scaled(qRound(DesignClientWidth * f), qRound(DesignClientHeight * f));
  // In the middle of the window: one way has room to spare unless the window has the design's
  // proportions.
  const QPoint origin(std::max(0, (clientSize.width() - scaled.width()) / 2),
                      std::max(0, (clientSize.height() - scaled.height()) / 2));
  return QRect(origin, scaled);
}

QRect TForm1::designRect() const {
  return QRect(origin_, QSize(qRound(DesignClientWidth * factor_), qRound(DesignClientHeight * factor_)));
}

QPoint TForm1::scaledPoint(QPoint design) const {
  return origin_ + QPoint(qRound(design.x() * factor_), qRound(design.y() * factor_));
}

void TForm1::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  refit();
}

void TForm1::refit() {
  applyFactor(factorFor(size()), designRectFor(size()).topLeft());
}

void TForm1::changeEvent(QEvent *event) {
  QDialog::changeEvent(event);
  // A window manager may maximize the window before it is shown; its size then changes without a
  // resize event reaching the board.
  if (event->type() == QEvent::WindowStateChange)
    QMetaObject::invokeMethod(this, &TForm1::refit, Qt::QueuedConnection);
}

void TForm1::applyFactor(double factor, QPoint origin) {
  if (factor == factor_ && origin == origin_) return;
  const bool toDesign = factor == 1.0;
  if (factor_ == 1.0 && designLinesHeader_ < 0) designLinesHeader_ = CRDBGrid6->horizontalHeader()->sizeHint().height();
  factor_ = factor;
  origin_ = origin;
  // The tabs measure their captions at the design size of the letters: before the letters grow
  // or shrink, or after they are back to it.
  if (!toDesign) PageControl1->setFactor(factor);
  setFont(zdlg::scaledFont(arial(13), factor));
  PopupMenu1->setFont(zdlg::scaledFont(designMenuFont_, factor));
  designed_.apply(factor, origin);
  NextGrid1->setFactor(factor);
  scaleLinesGrid();
  ListBox1->setRowHeight(zdlg::scaledLength(16, factor));
  ListBox2->setRowHeight(zdlg::scaledLength(16, factor));
  Button2->setFactor(factor);
  if (toDesign) PageControl1->setFactor(factor);
  placeHeadings();
  renderSummary();
}

void TForm1::scaleLinesGrid() {
  const double f = factor_;
  CRDBGrid6->setFont(zdlg::scaledFont(arial(9), f));
  CRDBGrid6->horizontalHeader()->setFont(zdlg::scaledFont(arial(11), f));
  static_cast<LinesHeader *>(CRDBGrid6->horizontalHeader())
      ->setExtent(f == 1.0 ? -1 : zdlg::scaledLength(std::max(designLinesHeader_, 1), f));
  auto *indicator = static_cast<zboard::PaymentGridHeader *>(CRDBGrid6->verticalHeader());
  indicator->setScaledExtent(12, f);
  indicator->setDefaultSectionSize(zdlg::scaledLength(16, f));
  int left = 0;
  for (int c = 0; c < int(std::size(kLineColumns)); ++c) {
    CRDBGrid6->setColumnWidth(c, zdlg::scaledSpan(left, kLineColumns[c].width, f));
    left += kLineColumns[c].width;
  }
}

void TForm1::placeHeadings() {
  const std::pair<QLabel *, int> headings[] = {{Label4, 22}, {Label5, 98}, {Label6, 145}};
  for (const auto &[label, left] : headings) {
    label->setFont(zdlg::scaledFont(arial(13), factor_));
    label->adjustSize();
    label->move(zdlg::scaledLength(left, factor_), zdlg::scaledLength(8, factor_));
  }
  Shape1->setGeometry(zdlg::scaledRect(QRect(-1, 24, 184, 2), factor_));
}

void TForm1::followScreen() {
  if (!isVisible() || !screen()) return;
  const QRect work = screen()->availableGeometry();
  if (work.contains(frameGeometry())) return;  // the resize that follows refits the design
  // Maximized again on the screen it is on now; the window system sets the size, the resize
  // event the factor.
  fitNormalGeometry();
}

void TForm1::fitNormalGeometry() {
  const QScreen *s = screen();
  if (!s) return;
  // The window systems keep the normal geometry they had when the window was maximized.
  setWindowState(windowState() & ~Qt::WindowMaximized);
  setGeometry(s->availableGeometry().marginsRemoved(zdlg::expectedFrameMargins(this)));
  setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::setVisible(bool visible) {
  // A window system that does not maximize (Wine without a window manager) leaves the board at
  // its normal geometry: that must lie in the work area too, and the design size is taller than
  // a 768-pixel screen at 125 %.
  if (visible && !isVisible()) fitNormalGeometry();
  QDialog::setVisible(visible);
}

TForm1::~TForm1() { zboard::unbindQuery(board_.QueryTemp, this); }

void TForm1::buildLinesGrid() {
  CRDBGrid6 = new QTableWidget(this);
  CRDBGrid6->setObjectName(QStringLiteral("CRDBGrid6"));
  CRDBGrid6->setGeometry(3, 602, 585, 120);
  CRDBGrid6->setFont(arial(9));
  CRDBGrid6->setHorizontalHeader(new LinesHeader(CRDBGrid6));
  CRDBGrid6->setColumnCount(int(std::size(kLineColumns)));
  CRDBGrid6->horizontalHeader()->setFont(arial(11));
  CRDBGrid6->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  CRDBGrid6->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  CRDBGrid6->horizontalHeader()->setSortIndicatorShown(false);
  for (int c = 0; c < int(std::size(kLineColumns)); ++c) {
    CRDBGrid6->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kLineColumns[c].title)));
    CRDBGrid6->setColumnWidth(c, kLineColumns[c].width);
  }
  auto *indicator = new zboard::PaymentGridHeader(Qt::Vertical, CRDBGrid6);  // row indicator
  CRDBGrid6->setVerticalHeader(indicator);
  indicator->setScaledExtent(12, 1.0);
  indicator->setMinimumSectionSize(1);
  indicator->setDefaultSectionSize(16);
  connect(CRDBGrid6, &QTableWidget::currentCellChanged, indicator, [indicator] { indicator->viewport()->update(); });
  CRDBGrid6->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CRDBGrid6->setSelectionBehavior(QAbstractItemView::SelectRows);
  CRDBGrid6->setSelectionMode(QAbstractItemView::SingleSelection);
  CRDBGrid6->setDragDropMode(QAbstractItemView::NoDragDrop);
  // Sorting happens only on a title tap, so new lines first show in the query's order.
  connect(CRDBGrid6->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    QHeaderView *h = CRDBGrid6->horizontalHeader();
    const Qt::SortOrder order = h->isSortIndicatorShown() && h->sortIndicatorSection() == column &&
                                        h->sortIndicatorOrder() == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    h->setSortIndicatorShown(true);
    h->setSortIndicator(column, order);
    CRDBGrid6->sortItems(column, order);
  });
}

void TForm1::buildSummaryPanel() {
  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setGeometry(587, 0, 189, 264);
  ScrollBox1->setWidgetResizable(false);
  const QColor sky = zdlg::toQColor(zcolour::SkyBlue);
  setBackground(ScrollBox1, sky);
  setBackground(ScrollBox1->viewport(), sky);
  summaryContent_ = new QWidget;
  summaryContent_->setObjectName(QStringLiteral("ScrollBox1Content"));
  setBackground(summaryContent_, sky);
  QPalette black = summaryContent_->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  summaryContent_->setPalette(black);
  ScrollBox1->setWidget(summaryContent_);
  summaryContent_->resize(ScrollBox1->viewport()->size());

  auto heading = [this](const char *name, const char *caption, int left) {
    auto *l = new QLabel(QString::fromUtf8(caption), summaryContent_);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(arial(13));
    l->adjustSize();
    l->move(left, 8);
    return l;
  };
  Label4 = heading("Label4", "İşlem Adı", 22);
  Label5 = heading("Label5", "Ad.", 98);
  Label6 = heading("Label6", "Tutar", 145);

  auto shape = [this](const char *name, QRect geometry, bool visible) {
    auto *s = new QFrame(summaryContent_);
    s->setObjectName(QString::fromLatin1(name));
    s->setGeometry(geometry);
    setBackground(s, Qt::black);
    s->setVisible(visible);
    return s;
  };
  Shape1 = shape("Shape1", {-1, 24, 184, 2}, true);
  Shape2 = shape("Shape2", {87, 26, 2, 210}, false);
  Shape3 = shape("Shape3", {119, 26, 2, 210}, false);
  Shape4 = shape("Shape4", {-1, 168, 184, 2}, false);

  auto fixed = [this](const char *name) {
    auto *l = new QLabel(summaryContent_);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setTextFormat(Qt::PlainText);
    l->hide();
    return l;
  };
  Label7 = fixed("Label7");
  Label8 = fixed("Label8");
  Label9 = fixed("Label9");
  Label10 = fixed("Label10");
  Label11 = fixed("Label11");
  Label12 = fixed("Label12");
  Label13 = fixed("Label13");
  Label14 = fixed("Label14");
  Label15 = fixed("Label15");
}

void TForm1::renderAll() {
  renderGrid();
  renderLists();
  renderCaptions();
  renderSummary();
  renderLines();
  setEnabled(board_.enabled);
}

void TForm1::gridAnnounced() {
  gridDue_ = true;
  putOff();
}

void TForm1::gridRowsAnnounced(int first, int last) {
  if (firstRowDue_ < 0) {
    firstRowDue_ = first;
    lastRowDue_ = last;
  } else {
    firstRowDue_ = std::min(firstRowDue_, first);
    lastRowDue_ = std::max(lastRowDue_, last);
  }
  putOff();
}

void TForm1::summaryAnnounced() {
  summaryDue_ = true;
  putOff();
}

void TForm1::linesAnnounced() {
  linesDue_ = true;
  putOff();
}

void TForm1::putOff() {
  if (!inCommand_) {
    redrawPutOff();
  } else if (!redrawTimer_->isActive()) {
    // Its tick comes only when the command lets pending events run (a closing run does so after
    // every order and line); a burst of changes until then is drawn once.
    redrawTimer_->start();
  }
}

void TForm1::redrawPutOff() {
  redrawTimer_->stop();
  if (gridDue_) {
    renderGrid();
  } else if (firstRowDue_ >= 0) {
    NextGrid1->refreshRows(firstRowDue_, lastRowDue_);
  }
  gridDue_ = false;
  firstRowDue_ = lastRowDue_ = -1;
  if (std::exchange(linesDue_, false)) renderLines();
  if (std::exchange(summaryDue_, false)) renderSummary();
}

void TForm1::renderGrid() { NextGrid1->refresh(); }

void TForm1::renderLists() {
  ListBox1->showModel(board_.ListBox1.items, board_.ListBox1.itemIndex);
  ListBox2->showModel(board_.ListBox2.items, board_.ListBox2.itemIndex);
}

void TForm1::renderCaptions() {
  Label2->setText(board_.Label2Caption);
  Button2->setText(board_.Button2Caption);
  SpeedButtonAsagi->setText(board_.SpeedButtonAsagiCaption);
  SpeedButtonYukari->setText(board_.SpeedButtonYukariCaption);
  if (board_.DTPBugun.isValid()) DTPBugun->setDate(board_.DTPBugun);
}

void TForm1::renderSummary() {
  const zboard::SummaryModel &m = board_.Summary;
  const std::pair<QLabel *, const zboard::SummaryLabel *> fixedLabels[] = {
      {Label7, &m.Label7},   {Label8, &m.Label8},   {Label9, &m.Label9},
      {Label10, &m.Label10}, {Label11, &m.Label11}, {Label12, &m.Label12},
      {Label13, &m.Label13}, {Label14, &m.Label14}, {Label15, &m.Label15}};
  const auto px = [this](int design) { return zdlg::scaledLength(design, factor_); };
  const QFont labelFont = zdlg::scaledFont(arial(11), factor_);
  const QFont italicFont = zdlg::scaledFont(arial(11, false, true), factor_);
  for (const auto &[label, model] : fixedLabels) {
    label->setFont(model->italic ? italicFont : labelFont);
    placeRightAligned(label, model->caption, px(model->right), px(model->top));
    label->setVisible(model->visible);
  }
  const std::pair<QFrame *, const zboard::SummaryShape *> shapes[] = {
      {Shape2, &m.Shape2}, {Shape3, &m.Shape3}, {Shape4, &m.Shape4}};
  for (const auto &[shape, model] : shapes) {
    shape->setGeometry(zdlg::scaledRect(QRect(model->left, model->top, model->width, model->height), factor_));
    shape->setVisible(model->visible);
  }

  // The run-time labels of the previous rebuild go; the current ones are created afresh.
  for (QLabel *l : runtimeLabels_) delete l;
  runtimeLabels_.clear();
  for (const zboard::SummaryLabel &model : m.runtimeLabels) {
    auto *l = new QLabel(summaryContent_);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setTextFormat(Qt::PlainText);
    l->setFont(model.italic ? italicFont : labelFont);
    placeRightAligned(l, model.caption, px(model.right), px(model.top));
    l->setVisible(model.visible);
    runtimeLabels_.push_back(l);
  }

  // The panel scrolls when the rows outgrow it.
  QRect used;
  for (QObject *child : summaryContent_->children())
    if (auto *w = qobject_cast<QWidget *>(child); w && !w->isHidden()) used |= w->geometry();
  const QSize view = ScrollBox1->viewport()->size();
  summaryContent_->resize(std::max(view.width(), used.right() + px(4)), std::max(view.height(), used.bottom() + px(4)));
}

void TForm1::renderLines() {
  const zdb::Query &q = board_.QueryTemp;
  CRDBGrid6->horizontalHeader()->setSortIndicatorShown(false);
  CRDBGrid6->clearContents();
  const int rows = q.isOpen() ? q.recordCount() : 0;
  CRDBGrid6->setRowCount(rows);
  if (rows == 0) return;
  const QStringList names = q.fieldNames();
  for (int c = 0; c < int(std::size(kLineColumns)); ++c) {
    const QString wanted = QString::fromLatin1(kLineColumns[c].field);
    const auto found = std::find_if(names.begin(), names.end(), [&](const QString &n) {
      return n.compare(wanted, Qt::CaseInsensitive) == 0;
    });
    if (found == names.end()) continue;
    for (int r = 0; r < rows; ++r) {
      const QVariant v = q.value(r, *found);
      CRDBGrid6->setItem(r, c, new LineItem(lineText(v), v));
    }
  }
}

void TForm1::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (const QWindow *handle = windowHandle()) screens_->watch(handle->screen());
  QMetaObject::invokeMethod(this, &TForm1::refit, Qt::QueuedConnection);
  if (event->spontaneous()) return;  // the window system showing it again is not a new showing
  FormShow();
}

void TForm1::FormShow() {
  lastStartup_ = board_.FormShow();
  renderAll();
  if (lastStartup_ == zboard::StartupResult::TerminalRefused) {
    // The program ends here, without going back to the keypad. Deferred: a dialog cannot finish
    // its exec() before the exec() has started its loop.
    QTimer::singleShot(0, this, [this] {
      done(QDialog::Rejected);
      QCoreApplication::exit(0);
    });
  }
}

void TForm1::closeEvent(QCloseEvent *event) {
  event->ignore();  // no caption-bar close: "TERK" is the way out
}

void TForm1::Button1Click() {
  if (board_.Terk()) accept();
}

void TForm1::BitBtn1Click() { board_.Refresh(); }

void TForm1::Button2Click() { board_.Button2Click(); }

void TForm1::ScrollBox1Click() { board_.ScrollBox1Click(); }

void TForm1::NextGrid1CellClick(const QModelIndex &index) {
  if (index.isValid()) board_.NextGrid1CellClick(index.column(), index.row());
}
