// Marking orders for payment registers and the summary panel that counts the marks.
#include "board_fixture.h"
#include "dialogs/colours.h"

namespace {

class PaymentGrid : public ztest::BoardTest {
 protected:
  // Three orders (10,00 / 20,50 / 1.234,50) listed with the given number of registers.
  void list(int registers) {
    ztest::seedRestaurant(registers);
    ztest::addOrder({.no = 101, .amount = 10});
    ztest::addOrder({.no = 102, .amount = 20.5});
    ztest::addOrder({.no = 103, .amount = 1234.5});
    ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
    listCourier("Ali");
    ASSERT_EQ(board->NextGrid1.rowCount(), 3);
  }
  const zboard::GridCell &cell(int c, int r) { return board->NextGrid1.cell(c, r); }
  QStringList runtimeCaptions() {
    QStringList out;
    for (const auto &l : board->Summary.runtimeLabels) out << l.caption;
    return out;
  }
};

TEST_F(PaymentGrid, FreshLoadCountsEveryOrderForTheDefaultRegister) {
  list(4);
  EXPECT_EQ(runtimeCaptions(), QStringList({"Nakit", "3", "1.265,00", QString::fromUtf8("Kredi Kartı"), "0", "0,00",
                                            QString::fromUtf8("Yemek Kartı"), "0", "0,00", QString::fromUtf8("Fiş"),
                                            "0", "0,00"}));
  const auto &s = board->Summary;
  EXPECT_EQ(s.Label7.caption, "3");
  EXPECT_EQ(s.Label8.caption, "1.265,00");
  // Four register rows at 30, 43, 56, 69; totals at 40 + 13k; "Fiş" at 55 + 13k; "Fatura" at 67 + 13k.
  EXPECT_EQ(s.runtimeLabels[3].top, 43);
  EXPECT_EQ(s.runtimeLabels[0].right, 80);
  EXPECT_EQ(s.runtimeLabels[1].right, 115);
  EXPECT_EQ(s.runtimeLabels[2].right, 180);
  EXPECT_EQ(s.Label7.top, 92);
  EXPECT_EQ(s.Label10.top, 107);
  EXPECT_EQ(s.Label13.top, 119);
  EXPECT_EQ(s.Shape2.height, 62);
  EXPECT_EQ(s.Shape4.top, 87);
  EXPECT_TRUE(s.Label7.visible && s.Label15.visible && s.Shape4.visible);
}

TEST_F(PaymentGrid, CellClicksToggleAndChooseWithTheirColours) {
  list(5);
  // Column 3 toggles: the mark goes away on clBtnFace and the totals drop.
  board->NextGrid1CellClick(3, 0);
  EXPECT_EQ(cell(3, 0).text, "");
  EXPECT_EQ(cell(3, 0).colour, zcolour::BtnFace);
  EXPECT_EQ(board->Summary.Label7.caption, "2");
  EXPECT_EQ(board->ClickedOrderNo, "101");
  EXPECT_EQ(board->QueryTemp.recordCount(), 2);  // the clicked order's lines
  // Another register takes the mark on red, the rest of the row empties.
  board->NextGrid1CellClick(5, 1);
  EXPECT_EQ(cell(5, 1).text, "Ok");
  EXPECT_EQ(cell(5, 1).colour, zcolour::Red);
  EXPECT_EQ(cell(3, 1).text, "");
  EXPECT_EQ(cell(3, 1).colour, zcolour::BtnFace);
  EXPECT_EQ(cell(4, 1).colour, zcolour::White);
  EXPECT_EQ(cell(6, 1).colour, zcolour::White);
  board->NextGrid1CellClick(5, 1);  // a second tap does not unmark
  EXPECT_EQ(cell(5, 1).text, "Ok");
  // Back to column 3: "Ok" on lime, column 5 emptied.
  board->NextGrid1CellClick(3, 1);
  EXPECT_EQ(cell(3, 1).text, "Ok");
  EXPECT_EQ(cell(3, 1).colour, zcolour::Lime);
  EXPECT_EQ(cell(5, 1).text, "");
  // Taps on the order columns change no mark but show the order's lines and rebuild.
  board->NextGrid1CellClick(2, 2);
  board->NextGrid1CellClick(0, 2);
  EXPECT_EQ(cell(3, 2).text, "Ok");
  EXPECT_EQ(board->ClickedOrderNo, "103");
  EXPECT_EQ(board->Summary.Label7.caption, "2");
  // "Fiş" (column 6) and "Fatura" (column 7) rows repeat those registers' figures.
  board->NextGrid1CellClick(6, 2);
  board->NextGrid1CellClick(7, 1);
  EXPECT_EQ(board->Summary.Label11.caption, "1");
  EXPECT_EQ(board->Summary.Label12.caption, "1234,5");
  EXPECT_EQ(board->Summary.Label14.caption, "1");
  EXPECT_EQ(board->Summary.Label15.caption, "20,5");
}

TEST_F(PaymentGrid, NothingMarkedShowsZeroAndThreeRegistersShowNoFisOrFatura) {
  list(3);
  for (int r = 0; r < 3; ++r) board->NextGrid1CellClick(3, r);
  EXPECT_EQ(board->Summary.Label7.caption, "0");
  EXPECT_EQ(board->Summary.Label8.caption, "0,00");
  EXPECT_EQ(board->Summary.Label11.caption, "0");
  EXPECT_EQ(board->Summary.Label15.caption, "0");
  // "Tüm Seçimi İptal Et" rebuilds without touching a cell.
  board->NextGrid1.cell(4, 0).text = "Ok";
  board->TumSecimiIptalClick();
  EXPECT_EQ(board->Summary.Label7.caption, "1");
  EXPECT_EQ(cell(4, 0).text, "Ok");
}

TEST_F(PaymentGrid, SelectAllAppliesTheClickedRegisterFromTheClickedRowDown) {
  list(4);
  board->NextGrid1CellClick(1, 1);  // ClickedColumn < 3: select all does nothing
  board->HepsiniSecClick();
  EXPECT_EQ(cell(3, 1).text, "Ok");
  board->NextGrid1CellClick(4, 1);
  board->HepsiniSecClick();
  EXPECT_EQ(cell(3, 0).text, "Ok");  // rows above the clicked one keep their mark
  for (int r = 1; r < 3; ++r) {
    EXPECT_EQ(cell(4, r).text, "Ok");
    EXPECT_EQ(cell(3, r).text, "");
  }
  EXPECT_EQ(board->Summary.runtimeLabels[4].caption, "2");
  // Back to the default register for every row from row 0: one mark per row, none toggled off.
  board->NextGrid1CellClick(3, 0);  // unmarks row 0
  board->NextGrid1CellClick(3, 0);  // marks it again
  board->HepsiniSecClick();
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(cell(3, r).text, "Ok");
    EXPECT_EQ(cell(4, r).text, "");
  }
  EXPECT_EQ(board->Summary.Label7.caption, "3");
}

TEST_F(PaymentGrid, AnAmountThatDoesNotReadBackStopsTheRebuildWithAMessage) {
  list(4);
  board->NextGrid1.cell(2, 1).text = "12a";
  fake.errors.clear();
  board->NextGrid1CellClick(4, 0);
  EXPECT_EQ(fake.errors.size(), 1);
  EXPECT_FALSE(board->Summary.Label7.visible);
  EXPECT_EQ(board->Summary.Label7.caption, "3");  // the previous caption stays
}

}  // namespace
