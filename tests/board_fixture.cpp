#include "board_fixture.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ztest {

void seedRestaurant(int registers) {
  exec(QString::fromUtf8(
      "INSERT INTO stationid (Net_DirecTory, BTHK, Subeadi, StationNo) VALUES ('KASA-PC', 'E', 'Merkez', 3);\n"
      "INSERT INTO setup (ISLEMTARIHI) VALUES ('2026-12-09 00:00:00');\n"
      "INSERT INTO setup4 (KURYE_ADET_TUTAR) VALUES (1);\n"
      "INSERT INTO subeler (SubeAdi) VALUES ('Merkez Şube');\n"
      "INSERT INTO `user` (USERNAME, USERNO, usersifre, Isten_Ayrildi, PaketServis, NAKITKAPATMA, Sevkiyatci) "
      "VALUES ('KASA1', 7, '1234', 0, 1, 1, 0), ('Ali', 21, '9991', 0, 0, 0, 1), ('Veli', 22, '9992', 0, 0, 0, 1);\n"
      "INSERT INTO userkisbol (Username, kisim, siparistipi) VALUES ('KASA1', 'Paket Servis', '2');"));
  const char *names[] = {"Nakit", "Kredi Kartı", "Yemek Kartı", "Fiş", "Fatura", "Havale", "Çek", "Veresiye"};
  for (int k = 0; k < registers && k < 8; ++k) {
    exec(QString::fromUtf8("INSERT INTO kasa (KasaNo, KasaAdi, islemturno, toplamiartir, raporsirano) "
                           "VALUES (%1, '%2', 1, 1, %3);")
             .arg(k + 1)
             .arg(QString::fromUtf8(names[k]))
             .arg(10 + k));
  }
}

void addOrder(const OrderRow &o) {
  const QString customer = o.customer.isEmpty() ? QString::fromUtf8("Müşteri %1").arg(o.no) : o.customer;
  QSqlQuery q(admin());
  q.prepare("INSERT INTO mainsip (ADISYONNO, FIRMAISMI, TUTAR, SEVKYAPANISMI, KISIM, TARIH, LOCKDURUM, "
            "ADISYONYAZDIMI, PAKETCIDURUM, KISISAYISI, CARINO, KISIMBOLUMNO, MASANO) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, 1, 5, 2, '7')");
  q.addBindValue(o.no);
  q.addBindValue(customer);
  q.addBindValue(o.amount);
  q.addBindValue(o.courier);
  q.addBindValue(o.section);
  q.addBindValue(o.date);
  q.addBindValue(o.lockdurum);
  q.addBindValue(o.ready);
  if (!q.exec()) ADD_FAILURE() << q.lastError().text().toStdString();
  for (int l = 0; l < o.lines; ++l) {
    QSqlQuery t(admin());
    t.prepare("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PORSIYON, GARSON, GRUPADI) "
              "VALUES (?, ?, ?, 1, ?, 1, 'Garson', 'Yemek')");
    t.addBindValue(l + 1);
    t.addBindValue(o.no);
    t.addBindValue(QString::fromUtf8("Ürün %1-%2").arg(o.no).arg(l + 1));
    t.addBindValue(o.amount / std::max(1, o.lines));
    if (!t.exec()) ADD_FAILURE() << t.lastError().text().toStdString();
  }
}

void setUpTerminal(zboard::Board &board, QTime time, const QString &operatorName, int operatorNo) {
  configure(board.Connect);
  board.Connect.open();
  board.setHostName([] { return std::optional<QString>(QStringLiteral("kasa-pc")); });
  board.setClock([time] { return QDateTime(workDate(), time); });
  board.ListBox1.items = QStringList({QStringLiteral("Paket Servis")});
  board.user.SignedInUserName = operatorName;
  board.user.SignedInUserNo = operatorNo;
}

zboard::StartupResult listAli(zboard::Board &board) {
  const zboard::StartupResult result = board.FormShow();
  if (result == zboard::StartupResult::Ready) board.selectCourier(int(board.ListBox2.items.indexOf(QStringLiteral("Ali"))));
  return result;
}

void BoardTest::SetUp() {
  DbTest::SetUp();
  board = std::make_unique<zboard::Board>(fake);
  configure(board->Connect);
  board->Connect.open();
  board->setHostName([] { return std::optional<QString>(QStringLiteral("kasa-pc")); });
  board->setClock([] { return QDateTime(QDate(2026, 12, 9), QTime(14, 30, 15)); });
  board->Connect.setObserver([this](const QString &s) { statements << s; });
}

void BoardTest::TearDown() { board.reset(); }

zboard::StartupResult BoardTest::showBoard(const QStringList &sections) {
  board->ListBox1.items = sections;
  board->user.SignedInUserName = QStringLiteral("KASA1");
  board->user.SignedInUserNo = 7;
  return board->FormShow();
}

void BoardTest::listCourier(const QString &courier) {
  const int index = int(board->ListBox2.items.indexOf(courier));
  ASSERT_GE(index, 0) << courier.toStdString() << " is not in the courier list";
  board->selectCourier(index);
}

QStringList BoardTest::takeStatements() {
  QStringList out = statements;
  statements.clear();
  return out;
}

void BoardTest::confirmAndRun() {
  fake.answer(1);
  fake.answer(1);
  board->Button2Click();
}

void BoardTest::expectBoardGivenBack() {
  EXPECT_TRUE(board->enabled);
  EXPECT_FALSE(fake.progressShown);
  EXPECT_FALSE(board->Timer1.isActive());
}

}  // namespace ztest
