#pragma once
// What the closing-fault tests share: Ali's 40 orders with what was seeded for the invariants, the
// invariants themselves, the texts the operator is told, and a board that reaches the private
// server through the relay, on InnoDB or MyISAM tables.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "bench/relay.h"
#include "board_fixture.h"
#include "closing_invariants.h"

namespace ztest::faults {

using zbench::Relay;
using Fault = Relay::Fault;

inline QString utf(const char *s) { return QString::fromUtf8(s); }

inline const QString kNotBooked = utf("\nHiçbir hesap tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız");
inline const QString kCannotTell =
    utf("\nTahsilatın kaydedilip kaydedilmediği anlaşılamadı. Bağlantı gelince Güncelle Butonuna Tıklayınız");
inline const QString kChangedElsewhere = utf(
    "Bu adisyonlar başka bir terminalde değiştirilmiş veya kapatılmış. Hiçbir hesap tahsil edilmedi. "
    "Lütfen Güncelle Butonuna Tıklayınız");

inline const QString kPartlyBooked =
    utf("\nHesapların bir kısmı tahsil edildi, kalanı tahsil edilmedi. Lütfen Güncelle Butonuna Tıklayınız");

inline constexpr int kOrders = 40;  // at 12,50 each: two groups of a run
inline const QString kSuccess = utf("Ali Adına Kayıtlı 40 Adet 500,00 Tutarındaki Hesap \r\n>>> Başarı İle Tahsil edilmiştir");

// The statement a request carries when it is one (a COM_QUERY packet).
inline std::string statementOf(const std::string &bytes) {
  return bytes.size() > 5 && bytes[4] == 0x03 ? bytes.substr(5) : std::string();
}

inline QSet<int> orderNumbers(const QString &text) {
  QSet<int> out;
  static const QRegularExpression number(QStringLiteral("(\\d+)"));
  for (auto it = number.globalMatch(text); it.hasNext();) out.insert(it.next().captured(1).toInt());
  return out;
}

// Ali's 40 orders afresh, and what was seeded for the invariants.
inline void seedOrders() {
  ztest::exec(
      "DELETE FROM genhar;\nDELETE FROM stokhar;\nDELETE FROM mainsip;\nDELETE FROM temp;\n"
      "DELETE FROM soak_orders;\nDELETE FROM soak_lines");
  for (int no = 101; no < 101 + kOrders; ++no) ztest::addOrder({.no = no, .amount = 12.5});
  ztest::exec(
      "INSERT INTO soak_orders SELECT ADISYONNO, TUTAR FROM mainsip;\n"
      "INSERT INTO soak_lines SELECT ADISYONNO, STOKADI FROM temp");
}

// Every terminal's closing run on tables without transactions takes this lock.
inline const char *const kClosingLockFree = "SELECT IS_FREE_LOCK('zerdapos_paket_kapanis')";

// Violations of the closing invariants, and orders held that `boards` do not claim.
inline QStringList violations(const std::vector<const zboard::Board *> &boards) {
  QStringList found;
  if (ztest::scalar(kClosingLockFree).toInt() != 1) found << "the closing lock is still held";
  for (const auto &q : ztest::kClosingInvariants) {
    QSqlQuery r(ztest::admin());
    if (!r.exec(utf(q[1]))) {
      found << "cannot check: " + r.lastError().text();
      continue;
    }
    while (r.next()) found << utf(q[0]) + ": " + r.value(0).toString();
  }
  QSet<int> claimed;
  for (const zboard::Board *b : boards) claimed.unite(orderNumbers(b->HeldOrderClause));
  QSqlQuery held(ztest::admin());
  held.exec("SELECT ADISYONNO FROM mainsip WHERE lockdurum = 1");
  while (held.next())
    if (!claimed.contains(held.value(0).toInt())) found << "held by no board: " + held.value(0).toString();
  return found;
}

// The tables' engine a case runs on.
inline std::string engineName(const ::testing::TestParamInfo<const char *> &info) { return info.param; }

inline bool onMyIsam(const char *engine) { return std::string(engine) == "MyISAM"; }

// The request that ends a run: its deletes, with their check and (InnoDB) the COMMIT.
inline bool endsTheRun(const std::string &request, const char *) {
  return request.find("delete From temp Where") != std::string::npos;
}

// The request that begins a run: its session bounded first.
inline bool beginsTheRun(const std::string &request) { return request.rfind("SET @zerda_wait_timeout", 0) == 0; }

class ClosingFaults : public ztest::BoardTest, public ::testing::WithParamInterface<const char *> {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
    ztest::exec(
        "DROP TEMPORARY TABLE IF EXISTS soak_orders;\nDROP TEMPORARY TABLE IF EXISTS soak_lines;\n"
        "CREATE TEMPORARY TABLE soak_orders (ADISYONNO INT NOT NULL PRIMARY KEY, TUTAR DOUBLE);\n"
        "CREATE TEMPORARY TABLE soak_lines (ADISYONNO INT NOT NULL, STOKADI VARCHAR(30) NOT NULL)");
    // The board learns the tables' kind when its connection opens, just below.
    if (onMyIsam(GetParam())) ztest::setClosingTablesEngine(GetParam());
    relay = std::make_unique<Relay>(ztest::serverPort());
    board->Connect.setPort(relay->port());
    board->Connect.reopen();
    ASSERT_EQ(board->tablesHaveTransactions(), !onMyIsam(GetParam()));
    ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
  }
  void TearDown() override {
    board.reset();
    relay.reset();
  }
  bool myIsam() const { return onMyIsam(GetParam()); }

  // Ali's 40 orders listed and held by the board, each marked for the default register.
  void listFreshOrders() {
    seedOrders();
    listCourier("Ali");
    ASSERT_EQ(board->NextGrid1.rowCount(), kOrders);
    ASSERT_TRUE(board->BoardErrorText.isEmpty());
    fake.errors.clear();
    fake.informations.clear();
  }

  // After a run that met a fault: the invariants hold, the operator was told what the database
  // holds, and the board's next commands work.
  void expectTruthToldAndBoardWorks() {
    EXPECT_EQ(violations({board.get()}), QStringList());
    expectBoardGivenBack();
    const int bills = ztest::count("SELECT * FROM genhar");
    if (bills == kOrders) {
      EXPECT_EQ(fake.informations, QStringList({kSuccess}));
      EXPECT_EQ(fake.errors, QStringList());
      EXPECT_EQ(board->NextGrid1.rowCount(), 0);  // reloaded: nothing left to close
      board->Refresh();
      EXPECT_EQ(fake.errors, QStringList());
      return;
    }
    // None, or (tables without transactions, a delete the server stopped when it found the
    // connection gone) the orders whose lines it had deleted, finished.
    EXPECT_TRUE(bills == 0 || !ztest::closingTablesHaveTransactions()) << bills;
    EXPECT_EQ(fake.informations, QStringList());
    ASSERT_EQ(fake.errors.size(), 1);
    const QString &error = fake.errors.front();
    const QString note = bills == 0 ? kNotBooked : kPartlyBooked;
    EXPECT_TRUE(error.endsWith(note)) << error.toStdString();
    const QString serverText = error.left(error.size() - note.size());
    EXPECT_TRUE(serverText.size() > 1 && serverText.endsWith('.')) << error.toStdString();
    EXPECT_EQ(orderNumbers(board->HeldOrderClause).size(), kOrders);

    // The next command lists the board's orders still open, and they close once.
    fake.errors.clear();
    board->Refresh();
    EXPECT_EQ(fake.errors, QStringList());
    ASSERT_EQ(board->NextGrid1.rowCount(), kOrders - bills);
    ASSERT_TRUE(board->BoardErrorText.isEmpty());
    confirmAndRun();
    EXPECT_EQ(fake.errors, QStringList());
    if (bills == 0) {
      EXPECT_EQ(fake.informations, QStringList({kSuccess}));
    }
    EXPECT_EQ(fake.informations.filter(utf("Başarı İle Tahsil")).size(), 1);
    EXPECT_EQ(ztest::count("SELECT * FROM genhar"), kOrders);
    EXPECT_EQ(violations({board.get()}), QStringList());
  }

  // A run without a fault, its requests recorded: the number of the request that ends it (from 1),
  // and how many it sent with the reload after it; 0 when it did not close.
  std::pair<int, int> requestsOfARun() {
    listFreshOrders();
    std::vector<std::string> requests;
    relay->setFaultHook([&](std::int64_t, const std::string &bytes) {
      requests.push_back(statementOf(bytes));
      return Fault::None;
    });
    confirmAndRun();
    relay->setFaultHook(nullptr);
    const auto last = std::find_if(requests.begin(), requests.end(),
                                   [&](const std::string &request) { return endsTheRun(request, GetParam()); });
    if (fake.informations != QStringList({kSuccess}) || last == requests.end()) return {0, 0};
    return {int(last - requests.begin()) + 1, int(requests.size())};
  }

  // Back at the server: the next command takes back what the run left before it lists anything,
  // and the orders close once.
  void expectTakenBackThenClosedOnce() {
    fake.errors.clear();
    board->Refresh();
    EXPECT_EQ(fake.errors, QStringList());
    EXPECT_FALSE(board->hasUnsettledRun());
    EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 0);
    EXPECT_EQ(ztest::count("SELECT * FROM stokhar"), 0);
    EXPECT_EQ(violations({board.get()}), QStringList());
    ASSERT_EQ(board->NextGrid1.rowCount(), kOrders);
    ASSERT_TRUE(board->BoardErrorText.isEmpty());
    confirmAndRun();
    EXPECT_EQ(fake.errors, QStringList());
    EXPECT_EQ(fake.informations, QStringList({kSuccess}));
    EXPECT_EQ(violations({board.get()}), QStringList());
  }

  // From the first request that `reaches` picks: `first` on it, and every later request cut, the
  // server out of reach for the board from then on. `reached` tells that the request came.
  void cutFrom(std::function<bool(const std::string &statement)> reaches, Fault first) {
    reached = false;
    relay->setFaultHook([this, reaches, first](std::int64_t, const std::string &bytes) {
      if (reached) return Fault::CutBeforeRequest;
      if (!reaches(statementOf(bytes))) return Fault::None;
      reached = true;
      return first;
    });
  }
  // The run's end (its deletes, or COMMIT on InnoDB) and its first writes (bill or savepoint).
  std::function<bool(const std::string &)> runsEnd() const {
    const char *engine = GetParam();
    return [engine](const std::string &statement) { return endsTheRun(statement, engine); };
  }
  static bool firstWrites(const std::string &statement) {
    return statement.rfind("INSERT INTO Genhar", 0) == 0 || statement.rfind("SAVEPOINT", 0) == 0;
  }

  std::unique_ptr<Relay> relay;
  std::atomic<bool> reached{false};
};

}  // namespace ztest::faults
