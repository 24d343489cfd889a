// The board screen on a real board, offscreen: layout, the payment grid's rendering, the scroll
// buttons, leaving the board, and the widgets that follow the board's models and queries.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <optional>
#include <cmath>
#include <set>

#include "board/screen/courier_charts.h"
#include "board/screen/paket_islemleri.h"
#include "board/screen/payment_grid.h"
#include "board_fixture.h"
#include "db/turkish_format.h"
#include "dialogs/colours.h"
#include "dialogs/screen/box_support.h"
#include "widget_input.h"

// Orders are described by naming only the fields a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using ztest::click;
using ztest::pressKey;
using ztest::rgbAt;

namespace {

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Bounding box of the dark (text) pixels inside `area`.
QRect inkBox(const QImage &image, const QRect &area) {
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (qGray(image.pixel(x, y)) < 80) box |= QRect(x, y, 1, 1);
  return box;
}

class BoardScreen : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
  }
  void TearDown() override {
    form.reset();  // the screen goes before the board it renders
    BoardTest::TearDown();
  }
  // Creates the screen; what the keypad sign-in does before showing it is done here.
  void createForm(const QStringList &sections = {QStringLiteral("Paket Servis")}) {
    board->ListBox1.items = sections;
    board->user.SignedInUserName = QStringLiteral("KASA1");
    board->user.SignedInUserNo = 7;
    form = std::make_unique<TForm1>(*board);
  }
  // Shows the screen without a modal loop; its showing runs the board's start-up. The window
  // then gets `client` as its client size, as a window manager would give it (the design's client
  // size unless said otherwise); without one it stays maximized on the offscreen screen.
  void showForm(std::optional<QSize> client = TForm1::designClientSize()) {
    if (!form) createForm();
    form->show();
    settle();
    if (client) setClientSize(*client);
  }
  void setClientSize(QSize client) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(client);
    settle();
  }
  zboard::PaymentGrid *grid() const { return form->nextGrid1(); }
  QPoint cellCentre(int column, int row) const {
    return grid()->visualRect(grid()->model()->index(row, column)).center();
  }
  void tapCell(int column, int row) { click(grid()->viewport(), cellCentre(column, row)); }
  void tapListItem(QListWidget *list, int row) {
    click(list->viewport(), list->visualItemRect(list->item(row)).center());
  }
  // The window as it was last painted on the screen, not a fresh rendering of it.
  QImage onScreen() const { return form->screen()->grabWindow(form->winId()).toImage(); }
  // A point of a cell off its centred text, in window coordinates.
  QPoint shownAt(int column, int row) const {
    return grid()->viewport()->mapTo(form.get(), cellCentre(column, row) + QPoint(-15, -10));
  }
  // Rows the grid shows whole.
  std::vector<int> wholeRowsShown() const {
    std::vector<int> rows;
    for (int r = 0; r < grid()->model()->rowCount(); ++r)
      if (grid()->viewport()->rect().contains(grid()->visualRect(grid()->model()->index(r, 0))))
        rows.push_back(r);
    return rows;
  }
  template <typename T>
  T *child(const char *name) const {
    T *found = form->findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(found) << name;
    return found;
  }

  std::unique_ptr<TForm1> form;
};

TEST_F(BoardScreen, FormCaptionFlagsFontAndPlaces) {
  createForm();
  EXPECT_EQ(form->objectName(), "Form1");
  EXPECT_EQ(form->windowTitle(), "Tahsilmatik");
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_EQ(form->windowType(), Qt::Window);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & (Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                        Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint));
  EXPECT_EQ(form->font().family(), "Arial");
  EXPECT_EQ(form->font().pixelSize(), 13);
  EXPECT_EQ(form->palette().color(QPalette::Window), zdlg::toQColor(zcolour::BtnFace));

  struct Place {
    const char *name;
    QRect geometry;
    const char *caption;  // nullptr: not checked here
    int pixels;
    bool bold;
  };
  const Place places[] = {
      {"NextGrid1", {0, 0, 585, 562}, nullptr, 11, false},
      {"SpeedButton1", {1, 566, 232, 33}, "<  <  <  <  <", 33, false},
      {"SpeedButton2", {236, 566, 232, 33}, ">  >  >  >  >", 33, false},
      {"SpeedButtonAsagi", {479, 566, 49, 33}, "V", 13, true},
      {"SpeedButtonYukari", {532, 566, 49, 33}, "^", 27, false},
      {"CRDBGrid6", {3, 602, 585, 120}, nullptr, 9, false},
      {"ScrollBox1", {587, 0, 189, 264}, nullptr, 13, false},
      {"DTPBugun", {774, 0, 237, 27}, nullptr, 16, false},
      {"Label2", {776, 29, 235, 37}, "Kurye Seçiniz", 17, false},
      {"ListBox1", {776, 71, 141, 61}, nullptr, 13, false},
      {"ListBox2", {776, 135, 141, 124}, nullptr, 13, false},
      {"Button1", {922, 67, 89, 29}, "TERK", 13, false},
      {"BitBtn1", {922, 99, 89, 162}, "GÜNCELLE", 13, false},
      {"Button2", {586, 263, 425, 38}, "", 13, true},
      {"PageControl1", {586, 304, 425, 427}, nullptr, 13, false},
  };
  for (const Place &p : places) {
    QWidget *w = child<QWidget>(p.name);
    if (!w) continue;
    EXPECT_EQ(w->parentWidget(), form.get()) << p.name;
    EXPECT_EQ(w->geometry(), p.geometry) << p.name;
    EXPECT_EQ(w->font().pixelSize(), p.pixels) << p.name;
    EXPECT_EQ(w->font().bold(), p.bold) << p.name;
    if (!p.caption) continue;
    const QString caption = QString::fromUtf8(p.caption);
    if (auto *b = qobject_cast<QAbstractButton *>(w)) {
      EXPECT_EQ(b->text(), caption) << p.name;
    } else if (auto *l = qobject_cast<QLabel *>(w)) {
      EXPECT_EQ(l->text(), caption) << p.name;
    }
  }
  EXPECT_EQ(form->dtpBugun()->font().family(), "Times New Roman");
  EXPECT_FALSE(form->dtpBugun()->isEnabled());
  EXPECT_EQ(form->label2()->palette().color(QPalette::Window), QColor(0xA6CAF0));
  EXPECT_TRUE(form->label2()->wordWrap());
  EXPECT_EQ(form->label2()->alignment(), Qt::AlignCenter);
  EXPECT_EQ(form->scrollBox1()->widget()->palette().color(QPalette::Window), QColor(0xA6CAF0));

  // The summary panel at design time, positions inside the panel.
  struct Inner {
    const char *name;
    QPoint at;
    bool visible;
  };
  const Inner inner[] = {{"Label4", {22, 8}, true},   {"Label5", {98, 8}, true},    {"Label6", {145, 8}, true},
                         {"Shape1", {-1, 24}, true},  {"Shape2", {87, 26}, false},  {"Shape3", {119, 26}, false},
                         {"Shape4", {-1, 168}, false}, {"Label9", {0, 0}, false},   {"Label7", {0, 0}, false}};
  for (const Inner &i : inner) {
    QWidget *w = child<QWidget>(i.name);
    if (!w) continue;
    EXPECT_EQ(w->parentWidget(), form->scrollBox1()->widget()) << i.name;
    if (!i.at.isNull()) {
      EXPECT_EQ(w->pos(), i.at) << i.name;
    }
    EXPECT_EQ(!w->isHidden(), i.visible) << i.name;
  }
  EXPECT_EQ(child<QLabel>("Label4")->text(), QString::fromUtf8("İşlem Adı"));
  EXPECT_EQ(child<QWidget>("Shape1")->size(), QSize(184, 2));
  EXPECT_EQ(child<QWidget>("Shape2")->size(), QSize(2, 210));

  // Shown: the start-up fills the top right, and the board fills the screen's work area.
  showForm(std::nullopt);
  EXPECT_EQ(form->lastStartup(), zboard::StartupResult::Ready);
  EXPECT_EQ(form->label2()->text(), "Merkez/KASA1");
  EXPECT_EQ(form->dtpBugun()->text(), zfmt::longDate(ztest::workDate()));
  EXPECT_EQ(form->dtpBugun()->text(), QString::fromUtf8("9 Aralık 2026 Çarşamba"));
  EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(form->frameGeometry(), form->screen()->availableGeometry());
  // The design is scaled to the window it got (800 x 600 offscreen): smaller than designed.
  EXPECT_DOUBLE_EQ(form->factor(), TForm1::factorFor(form->size()));
  EXPECT_LT(form->factor(), 1.0);
  EXPECT_TRUE(form->rect().contains(form->designRect()));
  // Its normal geometry, where a window system that does not maximize leaves it, lies in the
  // work area too: not the design size, taller than this screen.
  EXPECT_TRUE(form->screen()->availableGeometry().contains(form->normalGeometry()));
}

TEST_F(BoardScreen, ListsShowTheModelAndATapRefreshes) {
  ztest::addOrder({.no = 201, .courier = "Veli"});
  showForm();
  EXPECT_EQ(form->listBox1()->count(), 1);
  ASSERT_EQ(form->listBox2()->count(), 2);
  EXPECT_EQ(form->listBox2()->item(0)->text(), "Veli");  // couriers with open orders first
  EXPECT_EQ(form->listBox2()->currentRow(), 0);
  EXPECT_EQ(form->listBox2()->visualItemRect(form->listBox2()->item(0)).height(), 16);
  // Filling the lists from the model ran no listing.
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);
  EXPECT_TRUE(board->Button2Caption.isEmpty());

  takeStatements();
  tapListItem(form->listBox2(), 0);  // tapping the entry already selected lists it too
  EXPECT_EQ(board->NextGrid1.rowCount(), 1);
  EXPECT_EQ(form->button2()->text(), QString::fromUtf8(" (Veli) nın Paketlerini TAHSIL ET..!"));
  EXPECT_FALSE(takeStatements().isEmpty());

  tapListItem(form->listBox2(), 1);
  EXPECT_EQ(board->ListBox2.itemIndex, 1);
  EXPECT_EQ(board->NextGrid1.rowCount(), 0);
  EXPECT_EQ(form->button2()->text(), QString::fromUtf8(" (Ali) nın Paketlerini TAHSIL ET..!"));
  pressKey(form->listBox2(), Qt::Key_Up);  // a keyboard selection counts as well
  EXPECT_EQ(board->ListBox2.itemIndex, 0);
  EXPECT_EQ(board->NextGrid1.rowCount(), 1);

  // GÜNCELLE lists again with what the lists show.
  takeStatements();
  form->bitBtn1()->click();
  const QStringList sent = takeStatements();
  EXPECT_TRUE(sent.contains(QString::fromUtf8(
      "Select*From MainSip Where AdisyonYazdimi = \"1\" And SevkYapanIsmi =\"Veli\" and Kisim = \"Paket Servis\"")));
}

TEST_F(BoardScreen, GridRendersTheModelWithoutSortingOrDragging) {
  ztest::addOrder({.no = 101, .amount = 1234.5});
  ztest::addOrder({.no = 102, .amount = 20});
  ztest::addOrder({.no = 103, .amount = 30});
  showForm();
  tapListItem(form->listBox2(), 0);  // Ali
  settle();
  QAbstractItemModel *m = grid()->model();
  ASSERT_EQ(m->rowCount(), 3);
  ASSERT_EQ(m->columnCount(), 7);
  EXPECT_EQ(m->index(0, 0).data().toString(), "101");
  EXPECT_EQ(m->index(0, 2).data().toString(), "1.234,50");
  EXPECT_EQ(m->index(2, 3).data().toString(), "Ok");
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Firma Adı"));
  EXPECT_EQ(m->headerData(4, Qt::Horizontal).toString(), QString::fromUtf8("Kredi Kartı"));
  const int widths[] = {46, 111, 50, 40, 40, 40, 40};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(grid()->columnWidth(c), widths[c]) << c;
  EXPECT_EQ(grid()->horizontalHeader()->height(), 120);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(grid()->rowHeight(r), 30);
  EXPECT_TRUE(grid()->verticalHeader()->isVisible());  // the row indicator
  EXPECT_EQ(grid()->selectionBehavior(), QAbstractItemView::SelectRows);

  // No sorting, no moving of rows or columns, no editing.
  EXPECT_FALSE(grid()->isSortingEnabled());
  EXPECT_FALSE(grid()->horizontalHeader()->sectionsClickable());
  EXPECT_FALSE(grid()->horizontalHeader()->sectionsMovable());
  EXPECT_FALSE(grid()->verticalHeader()->sectionsMovable());
  EXPECT_FALSE(grid()->dragEnabled());
  EXPECT_EQ(grid()->dragDropMode(), QAbstractItemView::NoDragDrop);
  EXPECT_EQ(grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
  click(grid()->horizontalHeader()->viewport(), {grid()->columnViewportPosition(2) + 20, 60});
  EXPECT_EQ(m->index(0, 0).data().toString(), "101");  // a header tap reordered nothing

  // The rendering: cell colours, sky-blue lines, the default register's lime header.
  grid()->clearSelection();
  grid()->setCurrentIndex(QModelIndex());
  settle();
  QImage cells = grid()->viewport()->grab().toImage();
  const QPoint inLime = cellCentre(3, 1) + QPoint(-15, -10);
  const QPoint inWhite = cellCentre(4, 1) + QPoint(-15, -10);
  EXPECT_EQ(rgbAt(cells, inLime), 0x00FF00u);
  EXPECT_EQ(rgbAt(cells, inWhite), 0xFFFFFFu);
  const QRect c1 = grid()->visualRect(m->index(0, 1));
  EXPECT_EQ(rgbAt(cells, {c1.right(), c1.top() + 5}), 0xA6CAF0u);
  EXPECT_EQ(rgbAt(cells, {c1.left() + 5, c1.bottom()}), 0xA6CAF0u);

  QImage header = grid()->horizontalHeader()->grab().toImage();
  const int x3 = grid()->columnViewportPosition(3);
  EXPECT_EQ(rgbAt(header, {x3 + 5, 5}), 0x00FF00u);
  EXPECT_EQ(rgbAt(header, {grid()->columnViewportPosition(4) + 5, 5}),
            zdlg::toQColor(zcolour::BtnFace).rgb() & 0xFFFFFFu);
  // "Adisyonno" and the register names stand upright; "Firma Adı" lies flat.
  const QRect upright = inkBox(header, {grid()->columnViewportPosition(0) + 2, 2, 42, 116});
  EXPECT_GT(upright.height(), 2 * upright.width()) << "Adisyonno";
  const QRect register4 = inkBox(header, {grid()->columnViewportPosition(4) + 2, 2, 36, 116});
  EXPECT_GT(register4.height(), 2 * register4.width()) << "Kredi Kartı";
  const QRect flat = inkBox(header, {grid()->columnViewportPosition(1) + 2, 2, 107, 116});
  EXPECT_GT(flat.width(), 2 * flat.height()) << "Firma Adı";

  // A tap marks through the board and selects the tapped cell's row; the selection is blended.
  tapCell(5, 1);
  EXPECT_EQ(board->ClickedColumn, 5);
  EXPECT_EQ(board->ClickedRow, 1);
  EXPECT_EQ(grid()->currentIndex(), m->index(1, 5));
  ASSERT_EQ(grid()->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(grid()->selectionModel()->selectedRows().front().row(), 1);
  EXPECT_EQ(m->index(1, 5).data().toString(), "Ok");
  EXPECT_EQ(m->index(1, 5).data(Qt::BackgroundRole).value<QColor>(), QColor(0xFF0000));
  EXPECT_EQ(m->index(1, 3).data(Qt::BackgroundRole).value<QColor>(), zdlg::toQColor(zcolour::BtnFace));
  settle();
  cells = grid()->viewport()->grab().toImage();
  EXPECT_NE(rgbAt(cells, cellCentre(4, 1) + QPoint(-15, -10)), 0xFFFFFFu);  // selected row, blended
  EXPECT_EQ(rgbAt(cells, cellCentre(4, 2) + QPoint(-15, -10)), 0xFFFFFFu);

  // The right-click menu runs the board's two commands.
  ASSERT_EQ(form->popupMenu1()->actions().size(), 2);
  EXPECT_EQ(form->hepsiniSec()->text(), QString::fromUtf8("Tümünü Seç"));
  EXPECT_EQ(form->tumSecimiIptal()->text(), QString::fromUtf8("Tüm Seçimi İptal Et"));
  int rebuilt = 0;
  QObject::connect(board.get(), &zboard::Board::summaryChanged, [&] { ++rebuilt; });
  form->tumSecimiIptal()->trigger();
  EXPECT_EQ(rebuilt, 1);
  EXPECT_EQ(grid()->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(BoardScreen, SummaryPanelFollowsEveryRebuild) {
  ztest::addOrder({.no = 101, .amount = 1234.5});
  ztest::addOrder({.no = 102, .amount = 20});
  ztest::addOrder({.no = 103, .amount = 30});
  showForm();
  tapListItem(form->listBox2(), 0);
  const auto &models = board->Summary.runtimeLabels;
  ASSERT_EQ(form->runtimeLabels().size(), models.size());
  ASSERT_EQ(models.size(), 12u);  // name, count, amount for four registers
  for (size_t i = 0; i < models.size(); ++i) {
    const QLabel *l = form->runtimeLabels()[i];
    EXPECT_EQ(l->text(), models[i].caption) << i;
    EXPECT_EQ(l->x() + l->width(), models[i].right) << i;  // right edge kept
    EXPECT_EQ(l->y(), models[i].top) << i;
    EXPECT_EQ(l->font().pixelSize(), 11);
    EXPECT_EQ(l->parentWidget(), form->scrollBox1()->widget());
  }
  auto *label7 = child<QLabel>("Label7");
  auto *label8 = child<QLabel>("Label8");
  EXPECT_EQ(label7->text(), "3");
  EXPECT_EQ(label8->text(), "1.284,50");
  EXPECT_FALSE(label7->isHidden());
  EXPECT_EQ(label8->x() + label8->width(), 180);
  EXPECT_EQ(label7->y(), 40 + 13 * 4);
  EXPECT_TRUE(child<QLabel>("Label10")->font().italic());
  EXPECT_EQ(child<QWidget>("Shape2")->height(), 10 + 13 * 4);

  // A tap rebuilds: the old run-time labels are gone, the new ones show the new counts.
  QPointer<QLabel> old = form->runtimeLabels().front();
  tapCell(3, 0);
  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(label7->text(), "2");
  EXPECT_EQ(form->runtimeLabels().size(), 12u);
}

TEST_F(BoardScreen, ScrollButtonsMoveAndStopAtTheEndsWithoutTouchingTheSelection) {
  ztest::exec(QString::fromUtf8("INSERT INTO kasa (KasaNo, KasaAdi, islemturno, toplamiartir, raporsirano) VALUES "
                                "(5, 'Kasa 5', 1, 1, 5), (6, 'Kasa 6', 1, 1, 6), (7, 'Kasa 7', 1, 1, 7), "
                                "(8, 'Kasa 8', 1, 1, 8), (9, 'Kasa 9', 1, 1, 9), (10, 'Kasa 10', 1, 1, 10), "
                                "(11, 'Kasa 11', 1, 1, 11), (12, 'Kasa 12', 1, 1, 12), (13, 'Kasa 13', 1, 1, 13);"));
  for (int no = 101; no <= 130; ++no) ztest::addOrder({.no = no, .lines = 1});
  showForm();
  tapListItem(form->listBox2(), 0);
  settle();
  ASSERT_EQ(grid()->model()->rowCount(), 30);
  ASSERT_EQ(grid()->model()->columnCount(), 16);
  tapCell(1, 2);
  const QModelIndex selected = grid()->currentIndex();
  ASSERT_EQ(selected.row(), 2);

  QScrollBar *h = grid()->horizontalScrollBar();
  QScrollBar *v = grid()->verticalScrollBar();
  ASSERT_GT(h->maximum(), 100);  // 46 + 111 + 50 + 13 * 40 pixels do not fit in 585
  ASSERT_GT(v->maximum(), 5);
  form->speedButton1()->click();
  EXPECT_EQ(h->value(), 0);
  form->speedButton2()->click();
  EXPECT_EQ(h->value(), 100);
  form->speedButton2()->click();
  EXPECT_EQ(h->value(), std::min(200, h->maximum()));
  for (int i = 0; i < 10; ++i) form->speedButton2()->click();
  EXPECT_EQ(h->value(), h->maximum());
  // The rightmost register column came into view.
  EXPECT_LE(grid()->columnViewportPosition(15) + grid()->columnWidth(15), grid()->viewport()->width());
  form->speedButton1()->click();
  EXPECT_EQ(h->value(), h->maximum() - 100);

  form->speedButtonYukari()->click();
  EXPECT_EQ(v->value(), 0);
  form->speedButtonAsagi()->click();
  EXPECT_EQ(v->value(), 5);
  EXPECT_EQ(grid()->rowAt(1), 5);  // the vertical position counts rows
  for (int i = 0; i < 10; ++i) form->speedButtonAsagi()->click();
  EXPECT_EQ(v->value(), v->maximum());
  form->speedButtonYukari()->click();
  EXPECT_EQ(v->value(), v->maximum() - 5);

  EXPECT_EQ(grid()->currentIndex(), selected);
  ASSERT_EQ(grid()->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(grid()->selectionModel()->selectedRows().front().row(), 2);
  EXPECT_EQ(board->ClickedRow, 2);
  EXPECT_EQ(board->ClickedColumn, 1);
}

TEST_F(BoardScreen, LinesGridFollowsQueryTemp) {
  ztest::addOrder({.no = 101, .amount = 12.5, .lines = 1});
  ztest::addOrder({.no = 102, .amount = 30, .lines = 3});
  createForm();
  QTableWidget *lines = form->crdbGrid6();
  const char *titles[] = {"Ürün Adı", "Miktarı", "Fiyatı", "Porsiyon", "Garson", "Ürün Gurubu"};
  const int widths[] = {162, 49, 54, 44, 104, 121};
  ASSERT_EQ(lines->columnCount(), 6);
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(lines->horizontalHeaderItem(c)->text(), QString::fromUtf8(titles[c]));
    EXPECT_EQ(lines->columnWidth(c), widths[c]);
  }
  EXPECT_EQ(lines->horizontalHeader()->font().pixelSize(), 11);
  EXPECT_EQ(lines->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(lines->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(lines->rowCount(), 0);

  showForm();
  tapListItem(form->listBox2(), 0);
  // After a listing: the lines of the last order listed.
  ASSERT_EQ(lines->rowCount(), 3);
  EXPECT_EQ(lines->item(0, 0)->text(), QString::fromUtf8("Ürün 102-1"));
  EXPECT_EQ(lines->item(0, 1)->text(), "1");
  EXPECT_EQ(lines->item(0, 2)->text(), "10");
  EXPECT_EQ(lines->item(0, 4)->text(), "Garson");
  EXPECT_EQ(lines->item(0, 5)->text(), "Yemek");

  tapCell(0, 0);  // order 101
  ASSERT_EQ(lines->rowCount(), 1);
  EXPECT_EQ(lines->item(0, 0)->text(), QString::fromUtf8("Ürün 101-1"));
  EXPECT_EQ(lines->item(0, 2)->text(), "12,5");

  board->QueryTemp.close();
  EXPECT_EQ(lines->rowCount(), 0);
}

TEST_F(BoardScreen, EnabledFollowsTheBoard) {
  showForm();
  EXPECT_TRUE(form->isEnabled());
  // As the closing run does when it starts.
  board->enabled = false;
  emit board->enabledChanged(false);
  EXPECT_FALSE(form->isEnabled());
  board->Timer1Timer();  // no order query open: the board comes back
  EXPECT_TRUE(board->enabled);
  EXPECT_TRUE(form->isEnabled());
}

// Runs the form modally; `whileOpen` runs inside its loop. A watchdog ends a hanging exec().
int runModal(QDialog &dialog, const std::function<void()> &whileOpen, bool *forced) {
  *forced = false;
  QTimer::singleShot(0, &dialog, whileOpen);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
    *forced = true;
    dialog.done(-1);
  });
  watchdog.start(10000);
  return dialog.exec();
}

TEST_F(BoardScreen, TerkEndsTheModalShowingAndNothingElseDoes) {
  ztest::addOrder({.no = 101});
  createForm();
  bool forced = false;
  bool stillOpen = false;
  const int result = runModal(*form, [&] {
    EXPECT_EQ(form->label2()->text(), "Merkez/KASA1");  // the showing ran the start-up
    tapListItem(form->listBox2(), 0);
    EXPECT_EQ(ztest::scalar("SELECT lockdurum FROM mainsip WHERE adisyonno = 101").toInt(), 1);
    pressKey(form.get(), Qt::Key_Escape);
    form->close();
    settle();
    stillOpen = form->isVisible();
    form->button1()->click();
  }, &forced);
  EXPECT_FALSE(forced);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(ztest::scalar("SELECT lockdurum FROM mainsip WHERE adisyonno = 101").toInt(), 0);

  // A second showing: the start-up runs again.
  board->user.SignedInUserName = QStringLiteral("KASA2");
  const int again = runModal(*form, [&] { form->button1()->click(); }, &forced);
  EXPECT_FALSE(forced);
  EXPECT_EQ(again, QDialog::Accepted);
  EXPECT_EQ(form->label2()->text(), "Merkez/KASA2");
}

TEST_F(BoardScreen, RefusedTerminalEndsTheProgram) {
  ztest::exec("UPDATE stationid SET BTHK = 'e';");
  createForm();
  QWidget keypad;  // the main window stays open under the board, as the keypad does
  keypad.show();
  bool afterExec = false;
  int dialogResult = -2;
  QTimer::singleShot(0, [&] {
    dialogResult = form->exec();
    afterExec = true;
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  watchdog.start(10000);
  const int code = QApplication::exec();  // stands for the program's main loop
  watchdog.stop();
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(afterExec);
  EXPECT_EQ(dialogResult, QDialog::Rejected);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->lastStartup(), zboard::StartupResult::TerminalRefused);
  ASSERT_EQ(fake.informations.size(), 1);
  EXPECT_TRUE(fake.informations.front().startsWith("KASA1 Bu Terminalden Hesap Kapatilamaz."));
}

TEST_F(BoardScreen, ChartPagesSitOnTheBoard) {
  createForm();
  zboard::CourierCharts *pages = form->pageControl1();
  EXPECT_EQ(pages->currentIndex(), 2);  // TabSheet3 in front
  EXPECT_EQ(pages->tabCaption(2), QString::fromUtf8("Ortalama Adisyon Grafiği"));
  showForm();
  // The five button tabs do not fit on one line of 425 pixels: they wrap, and stay inside.
  int lines = 0, lastTop = -1;
  for (int i = 0; i < pages->count(); ++i) {
    const QRect r = pages->tabButton(i)->geometry();
    EXPECT_LE(r.right(), 425) << i;
    if (r.top() != lastTop) ++lines, lastTop = r.top();
  }
  EXPECT_GE(lines, 2);
  EXPECT_EQ(pages->page(2)->size(), pages->chart(2)->size());  // the chart fills its page
}


// ------------------------------------------------------------ what the grid is told and shows

using RowRanges = std::vector<std::pair<int, int>>;

TEST_F(BoardScreen, TheViewIsToldOnlyTheRowsThatChangedAndTheHeaderOnlyWhenItDid) {
  for (int no = 101; no <= 130; ++no) ztest::addOrder({.no = no, .lines = 1});
  showForm();
  tapListItem(form->listBox2(), 0);
  settle();
  ASSERT_EQ(grid()->model()->rowCount(), 30);
  QObject spy;  // the connections end with the test
  RowRanges rows;
  std::vector<std::pair<int, int>> sections;
  QObject::connect(grid()->model(), &QAbstractItemModel::dataChanged, &spy,
                   [&](const QModelIndex &from, const QModelIndex &to) { rows.push_back({from.row(), to.row()}); });
  QObject::connect(grid()->model(), &QAbstractItemModel::headerDataChanged, &spy,
                   [&](Qt::Orientation, int first, int last) { sections.push_back({first, last}); });

  tapCell(4, 2);
  EXPECT_EQ(rows, RowRanges({{2, 2}}));
  tapCell(4, 5);
  rows.clear();
  form->hepsiniSec()->trigger();
  EXPECT_EQ(rows, RowRanges({{5, 29}}));
  // GÜNCELLE empties and fills the grid again: told once, when the command is done.
  rows.clear();
  form->bitBtn1()->click();
  EXPECT_EQ(rows, RowRanges({{0, 29}}));
  EXPECT_TRUE(sections.empty());

  // A caption that changes is told, and only its own.
  board->NextGrid1.columns[4].caption = QStringLiteral("Havale");
  emit board->gridChanged();
  EXPECT_EQ(sections, (std::vector<std::pair<int, int>>{{4, 4}}));
  EXPECT_EQ(grid()->model()->headerData(4, Qt::Horizontal).toString(), "Havale");
}

TEST_F(BoardScreen, TheScreenShowsEveryRowAfterSelectAllOnALongGrid) {
  for (int no = 101; no <= 160; ++no) ztest::addOrder({.no = no, .lines = 1});
  showForm();
  tapListItem(form->listBox2(), 0);
  settle();
  ASSERT_EQ(grid()->model()->rowCount(), 60);
  tapCell(4, 0);
  form->hepsiniSec()->trigger();
  grid()->clearSelection();  // the selected row is blended
  grid()->setCurrentIndex(QModelIndex());
  settle();

  // Page by page, as painted: "Ok" on red for Kredi Kartı, Nakit emptied on button face.
  const quint32 btnFace = zdlg::toQColor(zcolour::BtnFace).rgb() & 0xFFFFFFu;
  std::set<int> seen;
  QScrollBar *v = grid()->verticalScrollBar();
  for (;;) {
    const QImage shown = onScreen();
    for (int r : wholeRowsShown()) {
      EXPECT_EQ(rgbAt(shown, shownAt(4, r)), 0xFF0000u) << r;
      EXPECT_EQ(rgbAt(shown, shownAt(3, r)), btnFace) << r;
      seen.insert(r);
    }
    if (v->value() >= v->maximum()) break;
    form->speedButtonAsagi()->click();
    settle();
  }
  EXPECT_EQ(seen.size(), 60u);
}

TEST_F(BoardScreen, ARunPaintsItsLastStateBeforeTheBoxAndTheRemainingOrdersAfterIt) {
  for (int no = 101; no <= 140; ++no) ztest::addOrder({.no = no, .lines = 2});
  showForm();
  tapListItem(form->listBox2(), 0);
  for (int r = 30; r < 40; ++r) board->NextGrid1CellClick(3, r);  // ten orders stay open
  grid()->scrollToBottom();  // the last rows the run walks are in view
  settle();
  ASSERT_EQ(board->Summary.Label7.caption, "30");

  QObject spy;
  RowRanges told;
  QObject::connect(grid()->model(), &QAbstractItemModel::dataChanged, &spy,
                   [&](const QModelIndex &from, const QModelIndex &to) { told.push_back({from.row(), to.row()}); });
  const quint32 btnFace = zdlg::toQColor(zcolour::BtnFace).rgb() & 0xFFFFFFu;
  RowRanges toldAtBox;
  int shownAtBox = 0, greyAtBox = 0;
  QElapsedTimer run;
  qint64 runMs = 0;
  fake.onInformation = [&] {
    runMs = run.elapsed();
    toldAtBox = told;
    QCoreApplication::sendPostedEvents();  // paints what the view was told; no timer runs
    const QImage shown = onScreen();
    for (int r : wholeRowsShown()) {
      ++shownAtBox;
      if (rgbAt(shown, shownAt(1, r)) == btnFace && rgbAt(shown, shownAt(4, r)) == btnFace) ++greyAtBox;
    }
  };
  fake.answer(1);
  fake.answer(1);
  run.start();
  form->button2()->click();
  ASSERT_EQ(fake.informations.size(), 1) << fake.errors.join("\n").toStdString();

  // Before the box: every row walked was told, in the run's order, a burst at a time, and the
  // rows in view are painted grey.
  ASSERT_FALSE(toldAtBox.empty());
  int next = 0;
  for (const auto &[from, to] : toldAtBox) {
    EXPECT_EQ(from, next);
    next = to + 1;
  }
  EXPECT_EQ(next, 40);
  EXPECT_LE(qint64(toldAtBox.size()), runMs / 30 + 2) << runMs << " ms";
  EXPECT_GT(shownAtBox, 10);
  EXPECT_EQ(greyAtBox, shownAtBox);

  // After it: the ten orders left are listed again and painted as a fresh listing.
  settle();
  ASSERT_EQ(grid()->model()->rowCount(), 10);
  const QImage after = onScreen();
  const std::vector<int> rows = wholeRowsShown();
  EXPECT_EQ(rows.size(), 10u);
  for (int r : rows) {
    EXPECT_EQ(rgbAt(after, shownAt(3, r)), 0x00FF00u) << r;
    EXPECT_EQ(rgbAt(after, shownAt(1, r)), 0xFFFFFFu) << r;
  }
}

TEST_F(BoardScreen, AChartBehindAnotherPageShowsTheLatestListingWhenItComesUp) {
  ztest::addOrder({.no = 101, .amount = 40});
  ztest::addOrder({.no = 102, .courier = "Veli", .amount = 60});
  showForm();
  tapListItem(form->listBox2(), 0);
  settle();
  zboard::CourierCharts *pages = form->pageControl1();
  // Only the page in front has built its picture; the others wait until they come up.
  for (int i = 0; i < pages->count(); ++i) {
    if (i == pages->currentIndex()) EXPECT_GT(pages->chart(i)->contentBuilds(), 0);
    else EXPECT_EQ(pages->chart(i)->contentBuilds(), 0) << i;
  }
  int withBars = 0;
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    settle();
    // What the chart painted, not what it holds.
    const zboard::ChartPicture &painted = pages->chart(i)->paintedPicture();
    EXPECT_EQ(painted.size, pages->chart(i)->size()) << i;
    QStringList shown;
    for (const zboard::ChartCategory &c : painted.categories) shown << c.text;
    EXPECT_EQ(shown, pages->chart(i)->couriers()) << i;
    if (!shown.isEmpty()) {
      ++withBars;
      EXPECT_FALSE(painted.bars.empty()) << i;
    }
  }
  EXPECT_GE(withBars, 3);  // the open-order pages
}

}  // namespace

namespace {

// ------------------------------------------------------------------- the board at any size

// Window client sizes a board gets: 800 x 600 with a task bar and a Windows caption, the design,
// 1366 x 768 at 100 % and at 125 %, 1920 x 1080 at 150 %, 2560 x 1440 logical, a narrow window.
const QSize kClientSizes[] = {{784, 521}, {1016, 737}, {1350, 689}, {1077, 552},
                              {1264, 666}, {2560, 1440}, {900, 1000}, {1920, 1009}};

// Within a pixel (and a half where a length is the difference of two rounded edges).
void expectNear(double got, double want, const std::string &what, double slack = 1.0) {
  EXPECT_LE(std::abs(got - want), slack) << what << ": " << got << " for " << want;
}

// Every visible widget of the board, the grids' and lists' parts included.
std::vector<QWidget *> visibleControls(QWidget *form) {
  std::vector<QWidget *> all;
  for (QWidget *w : form->findChildren<QWidget *>())
    if (w->isVisible() && !w->isWindow()) all.push_back(w);
  return all;
}

TEST_F(BoardScreen, EveryWindowSizeScalesTheWholeDesignByOneFactor) {
  for (int no = 101; no <= 112; ++no) ztest::addOrder({.no = no, .lines = 2});
  showForm();
  tapListItem(form->listBox2(), 0);
  tapCell(4, 1);
  settle();
  // The design, as laid out at factor 1.
  struct Designed {
    QString name;
    QRect geometry;
    int pixels;
  };
  std::vector<Designed> designed;
  for (const char *name : {"NextGrid1", "SpeedButton1", "SpeedButton2", "SpeedButtonAsagi", "SpeedButtonYukari",
                           "CRDBGrid6", "ScrollBox1", "DTPBugun", "Label2", "ListBox1", "ListBox2", "Button1",
                           "BitBtn1", "Button2", "PageControl1"}) {
    QWidget *w = child<QWidget>(name);
    designed.push_back({name, w->geometry(), w->font().pixelSize()});
  }
  const int tabLines = form->pageControl1()->tabStrip()->height();
  const QRect label7 = form->findChild<QLabel *>("Label7")->geometry();
  const int shape4 = form->findChild<QWidget *>("Shape4")->y();
  const QImage atDesign = form->grab().toImage();

  for (const QSize client : kClientSizes) {
    SCOPED_TRACE(QStringLiteral("client %1 x %2").arg(client.width()).arg(client.height()).toStdString());
    setClientSize(client);
    ASSERT_EQ(form->size(), client);
    const double f = std::min(client.width() / 1016.0, client.height() / 737.0);
    EXPECT_DOUBLE_EQ(form->factor(), f);
    const QPoint origin = form->designRect().topLeft();
    // The design fills the window one way and stands in its middle the other way.
    EXPECT_TRUE(form->designRect().width() == client.width() || form->designRect().height() == client.height());
    EXPECT_LE(std::abs(2 * origin.x() + form->designRect().width() - client.width()), 1);
    EXPECT_LE(std::abs(2 * origin.y() + form->designRect().height() - client.height()), 1);

    // Nothing cut: every control lies in the window.
    for (QWidget *w : visibleControls(form.get())) {
      const QRect inForm(w->mapTo(form.get(), QPoint(0, 0)), w->size());
      // Scroll areas' contents may be larger than their view; what shows is inside the view.
      if (w->parentWidget() && qobject_cast<QAbstractScrollArea *>(w->parentWidget()->parentWidget()) &&
          w->parentWidget() == static_cast<QAbstractScrollArea *>(w->parentWidget()->parentWidget())->viewport())
        continue;
      EXPECT_TRUE(form->rect().contains(inForm))
          << w->metaObject()->className() << " " << w->objectName().toStdString() << " at "
          << inForm.x() << "," << inForm.y() << " " << inForm.width() << "x" << inForm.height();
    }
    // The proportions: places, sizes and letters of the design times the factor.
    for (const Designed &d : designed) {
      QWidget *w = child<QWidget>(d.name.toLatin1().constData());
      const std::string n = d.name.toStdString();
      expectNear(w->x(), origin.x() + d.geometry.x() * f, n + " left");
      expectNear(w->y(), origin.y() + d.geometry.y() * f, n + " top");
      expectNear(w->width(), d.geometry.width() * f, n + " width");
      expectNear(w->height(), d.geometry.height() * f, n + " height");
      expectNear(w->font().pixelSize(), d.pixels * f, n + " letters", 0.5 + 1e-9);
    }
    // The payment grid: header, row indicator, rows, columns.
    zboard::PaymentGrid *g = grid();
    expectNear(g->horizontalHeader()->height(), 120 * f, "grid header");
    expectNear(g->verticalHeader()->width(), 12 * f, "row indicator");
    expectNear(g->rowHeight(0), 30 * f, "grid row");
    expectNear(g->font().pixelSize(), 11 * f, "grid letters", 0.5 + 1e-9);
    int edge = 0;
    for (int c = 0; c < g->model()->columnCount(); ++c) {
      const int w = board->NextGrid1.columns[size_t(c)].width;
      expectNear(g->columnViewportPosition(c) + g->horizontalScrollBar()->value(), edge * f, "column " + std::to_string(c), 0.5);
      expectNear(g->columnWidth(c), w * f, "column width " + std::to_string(c));
      edge += w;
    }
    // The lines grid, the lists, the summary panel and the chart page.
    QTableWidget *lines = form->crdbGrid6();
    expectNear(lines->columnWidth(0), 162 * f, "lines column");
    expectNear(lines->verticalHeader()->defaultSectionSize(), 16 * f, "lines row");
    expectNear(form->listBox2()->visualItemRect(form->listBox2()->item(0)).height(), 16 * f, "list row");
    const QLabel *l7 = form->findChild<QLabel *>("Label7");
    expectNear(l7->y(), label7.y() * f, "summary row", 1.0);
    expectNear(l7->x() + l7->width(), (label7.x() + label7.width()) * f, "summary column", 1.0);
    expectNear(form->findChild<QWidget *>("Shape4")->y(), shape4 * f, "summary line");
    expectNear(form->pageControl1()->tabStrip()->height(), tabLines * f, "chart tabs", 1.5);
    const zboard::CourierChart *chart = form->pageControl1()->chart(form->pageControl1()->currentIndex());
    EXPECT_EQ(chart->factor(), f);
    expectNear(chart->picture().size.width(), chart->width() / f, "chart design width");
    expectNear(chart->picture().size.height(), chart->height() / f, "chart design height");
  }

  // Back at the design size the board is what it was, pixel for pixel.
  setClientSize(TForm1::designClientSize());
  EXPECT_EQ(form->factor(), 1.0);
  EXPECT_EQ(form->grab().toImage(), atDesign);
}

TEST_F(BoardScreen, TapsAtScaledPlacesHitTheCellRowAndButtonThere) {
  for (int no = 101; no <= 125; ++no) ztest::addOrder({.no = no, .lines = 1});
  ztest::addOrder({.no = 201, .courier = "Veli"});
  showForm();
  for (const QSize client : {QSize(1524, 1105), QSize(744, 540), QSize(1077, 552)}) {
    SCOPED_TRACE(QStringLiteral("client %1 x %2").arg(client.width()).arg(client.height()).toStdString());
    setClientSize(client);
    // Taps where the design puts a control, scaled to the window: a tap lands on the widget under
    // that point of the window, as the operator's finger does.
    auto tapAt = [&](QPoint design) {
      const QPoint at = form->scaledPoint(design);
      QWidget *target = form->childAt(at);
      if (target) click(target, target->mapFrom(form.get(), at));
      settle();
      return target;
    };
    // Courier list rows 16 design pixels high from 776,135 (plus the frame): Ali, then Veli.
    tapAt({776 + 60, 135 + 1 + 16 + 8});
    ASSERT_EQ(board->ListBox2.itemIndex, 1);
    ASSERT_EQ(board->NextGrid1.rowCount(), 1);
    tapAt({776 + 60, 135 + 1 + 8});
    ASSERT_EQ(board->ListBox2.itemIndex, 0);
    ASSERT_EQ(board->NextGrid1.rowCount(), 25);
    // Grid cells: frame, 12-pixel row indicator, columns 46, 111, 50, 40...; header 120, rows 30.
    auto cellAt = [](int column, int row) {
      const int widths[] = {46, 111, 50, 40, 40, 40, 40};
      int x = 1 + 12;
      for (int c = 0; c < column; ++c) x += widths[c];
      return QPoint(x + widths[column] / 2, 1 + 120 + 30 * row + 15);
    };
    tapAt(cellAt(5, 3));  // order 104 to the third register
    EXPECT_EQ(board->NextGrid1.cell(5, 3).text, "Ok");
    EXPECT_EQ(board->NextGrid1.cell(3, 3).text, "");
    EXPECT_EQ(board->ClickedRow, 3);
    tapAt(cellAt(4, 12));  // in the last rows the grid shows
    EXPECT_EQ(board->ClickedRow, 12);
    EXPECT_EQ(board->NextGrid1.cell(4, 12).text, "Ok");
    EXPECT_EQ(board->NextGrid1.cell(3, 12).text, "");
    tapAt(cellAt(3, 3));
    EXPECT_EQ(board->NextGrid1.cell(3, 3).text, "Ok");

    // The scroll buttons: whole rows down and up; 100 design pixels to the side.
    QScrollBar *v = grid()->verticalScrollBar();
    QScrollBar *h = grid()->horizontalScrollBar();
    EXPECT_EQ(tapAt({479 + 24, 566 + 16}), form->speedButtonAsagi());
    EXPECT_EQ(v->value(), 5);
    EXPECT_EQ(grid()->rowAt(0), 5);
    EXPECT_EQ(grid()->visualRect(grid()->model()->index(5, 0)).top(), 0);  // a whole row at the top
    tapAt(cellAt(4, 2));  // the third row in view is order 108
    EXPECT_EQ(board->ClickedRow, 7);
    EXPECT_EQ(board->NextGrid1.cell(4, 7).text, "Ok");
    EXPECT_EQ(tapAt({532 + 24, 566 + 16}), form->speedButtonYukari());
    EXPECT_EQ(v->value(), 0);
    if (h->maximum() > 0) {
      tapAt({236 + 116, 566 + 16});
      EXPECT_EQ(h->value(), std::min(h->maximum(), qRound(100 * form->factor())));
      tapAt({1 + 116, 566 + 16});
      EXPECT_EQ(h->value(), 0);
    }

    // The buttons at the right: GÜNCELLE lists again, the collect button asks.
    takeStatements();
    EXPECT_EQ(tapAt({922 + 44, 99 + 80}), form->bitBtn1());
    EXPECT_FALSE(takeStatements().isEmpty());
    EXPECT_EQ(tapAt({586 + 212, 263 + 19}), form->button2());
    EXPECT_EQ(fake.questions.size(), 1) << "the collect button did not ask";
    fake.questions.clear();
    // A tab of the chart pages.
    const QRect tab = form->pageControl1()->tabButton(0)->geometry();
    const double f = form->factor();
    const QPoint tabDesign(586 + int((tab.center().x()) / f), 304 + int(tab.center().y() / f));
    tapAt(tabDesign);
    EXPECT_EQ(form->pageControl1()->currentIndex(), 0);
    form->pageControl1()->setCurrentIndex(2);
  }
}

// Renders the board at the sizes of a large and a small till for a person to look at
// (<build>/board_large.png, <build>/board_small.png).
TEST_F(BoardScreen, RendersTheBoardLargeAndSmall) {
  ztest::addOrder({.no = 101, .amount = 1234.5, .customer = "Ayşe Yılmaz Kuruyemiş ve Şarküteri"});
  ztest::addOrder({.no = 102, .amount = 20});
  showForm();
  tapListItem(form->listBox2(), 0);
  for (const auto &[client, name] : {std::pair{QSize(1920, 1009), "board_large.png"}, std::pair{QSize(784, 521), "board_small.png"}}) {
    setClientSize(client);
    const QImage picture = form->grab().toImage();
    EXPECT_TRUE(picture.save(QStringLiteral(ZTEST_BINARY_DIR "/") + QLatin1String(name)));
    EXPECT_EQ(rgbAt(picture, form->label2()->geometry().topLeft() + QPoint(2, 2)), 0xA6CAF0u);
  }
}

// Renders the listed board into <build>/board_screen.png for a person to look at.
TEST_F(BoardScreen, RendersTheBoardToAPicture) {
  ztest::addOrder({.no = 101, .amount = 1234.5, .customer = "Ayşe Yılmaz Kuruyemiş ve Şarküteri"});
  ztest::addOrder({.no = 102, .amount = 20});
  ztest::addOrder({.no = 103, .amount = 30});
  showForm();
  tapListItem(form->listBox2(), 0);
  tapCell(5, 1);
  settle();
  const QImage picture = form->grab().toImage();
  EXPECT_TRUE(picture.save(QStringLiteral(ZTEST_BINARY_DIR "/board_screen.png")));
  EXPECT_EQ(rgbAt(picture, form->label2()->geometry().topLeft() + QPoint(2, 2)), 0xA6CAF0u);
}

}  // namespace
