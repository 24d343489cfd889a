#pragma once
#include <QDate>
#include <QTime>
#include <QStringList>
#include <memory>

#include "board/board.h"
#include "db_fixture.h"
#include "fake_messenger.h"

namespace ztest {

// The working date of the scenarios and the clock the board sees.
inline QDate workDate() { return QDate(2026, 12, 9); }

// A restaurant for board tests: terminal "KASA-PC" allowed to close bills in branch "Merkez",
// working date workDate(), courier tracking off (AdisyonYazdimi = "1" picks ready orders),
// registers Nakit, Kredi Kartı, Yemek Kartı, Fiş (kasano 1..n, n = registers), operator KASA1,
// couriers Ali and Veli, section "Paket Servis".
void seedRestaurant(int registers = 4);

struct OrderRow {
  int no = 0;
  QString courier = QStringLiteral("Ali");
  QString section = QStringLiteral("Paket Servis");
  double amount = 10;
  QDate date = workDate();
  int lines = 2;
  int lockdurum = 0;
  QString customer;  // default: "Müşteri {no}"
  int ready = 1;     // AdisyonYazdimi
};
// A ready order with its lines in temp.
void addOrder(const OrderRow &order);

// Another terminal of the restaurant on a connection of its own: host "kasa-pc", its clock at
// `time` of the working date, `operatorName` (`operatorNo`) signed in for "Paket Servis".
void setUpTerminal(zboard::Board &board, QTime time, const QString &operatorName, int operatorNo);
// Its start-up and, when the board is ready, courier Ali listed.
zboard::StartupResult listAli(zboard::Board &board);

// A board on the private server with a scripted messenger that records every statement sent.
class BoardTest : public DbTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Fills the section list, signs "KASA1" in and runs the board's start-up.
  zboard::StartupResult showBoard(const QStringList &sections = {QStringLiteral("Paket Servis")});
  // Selects the courier by name and refreshes (load + summary).
  void listCourier(const QString &courier);
  // Statements sent since the last call.
  QStringList takeStatements();
  // The collect button with "Evet" to both questions.
  void confirmAndRun();
  // Whatever a closing run's end: the board takes input again, no progress window, Timer1 stopped.
  void expectBoardGivenBack();

  FakeMessenger fake;
  std::unique_ptr<zboard::Board> board;
  QStringList statements;
};

}  // namespace ztest
