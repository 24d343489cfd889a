#include "restaurant_seed.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "db/connection.h"
#include "db/quoting.h"

namespace zbench {

namespace {

const QDate kWorkDate(2026, 12, 9);

[[noreturn]] void die(const QString &what) {
  std::fprintf(stderr, "bench: %s\n", qPrintable(what));
  std::exit(2);
}

struct MenuItem {
  const char *name;
  const char *group;
  double price;
  const char *unit;
  const char *store;
  const char *salesPoint;  // empty: the kitchen line takes the last one seen
};

const MenuItem kMenu[] = {
    {"Adana Kebap", "Kebaplar", 285.0, "Porsiyon", "Mutfak", "Izgara"},
    {"Urfa Kebap", "Kebaplar", 285.0, "Porsiyon", "Mutfak", "Izgara"},
    {"Tavuk Şiş", "Kebaplar", 240.0, "Porsiyon", "Mutfak", ""},
    {"Lahmacun", "Pide ve Lahmacun", 95.0, "Adet", "Mutfak", "Fırın"},
    {"Kıymalı Pide", "Pide ve Lahmacun", 210.0, "Adet", "Mutfak", "Fırın"},
    {"Kaşarlı Pide", "Pide ve Lahmacun", 190.0, "Adet", "Mutfak", ""},
    {"Mercimek Çorbası", "Çorbalar", 85.0, "Kase", "Mutfak", "Sıcak"},
    {"Çoban Salata", "Salatalar", 90.0, "Porsiyon", "Mutfak", ""},
    {"Ayran", "İçecekler", 35.0, "Adet", "Bar", "Bar"},
    {"Kola 330 ml", "İçecekler", 45.0, "Adet", "Bar", "Bar"},
    {"Şalgam", "İçecekler", 40.0, "Adet", "Bar", ""},
    {"Künefe", "Tatlılar", 160.0, "Porsiyon", "Mutfak", "Tatlı"},
    {"Sütlaç", "Tatlılar", 110.0, "Kase", "Mutfak", "Tatlı"},
};
const char *kFirstNames[] = {"Ayşe", "Mehmet", "Zeynep", "Mustafa", "Elif", "Ahmet", "Fatma", "Emre",
                             "Özlem", "Çağrı", "Gülşen", "İbrahim"};
const char *kLastNames[] = {"Yılmaz", "Kaya", "Demir", "Şahin", "Çelik", "Yıldız", "Öztürk", "Aydın",
                            "Arslan", "Doğan", "Kılıç", "Aslan"};
const char *kWaiters[] = {"Hasan", "Kemal", "Derya", "Serkan"};
const char *kCustomerKinds[] = {"Bireysel", "Kurumsal", "VIP"};
constexpr int kCustomers = 300;

QString utf(const char *s) { return QString::fromUtf8(s); }

QVariant money(double v) { return QVariant(std::round(v * 100.0) / 100.0); }

}  // namespace

ServerAddress &server() {
  static ServerAddress address;
  return address;
}

void configure(zdb::Connection &c) {
  c.setHostName(server().host);
  c.setPort(server().port);
  c.setUserName(QStringLiteral("root"));
  c.setPassword(QStringLiteral("73507350"));
  c.setDatabaseName(QStringLiteral("zerdapos"));
}

QSqlDatabase admin() {
  const QString name = QStringLiteral("bench_admin");
  if (!QSqlDatabase::contains(name)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
    db.setHostName(server().host);
    db.setPort(server().port);
    db.setUserName(QStringLiteral("root"));
    db.setPassword(QStringLiteral("73507350"));
    db.setDatabaseName(QStringLiteral("zerdapos"));
  }
  QSqlDatabase db = QSqlDatabase::database(name, false);
  if (!db.isOpen() && !db.open()) die(QStringLiteral("administration connection: ") + db.lastError().text());
  return db;
}

void execOrDie(const QString &statement) {
  QSqlQuery q(admin());
  if (!q.exec(statement)) die(q.lastError().text() + QStringLiteral("\nin: ") + statement.left(300));
}

QVariant scalarOrDie(const QString &statement) {
  QSqlQuery q(admin());
  if (!q.exec(statement)) die(q.lastError().text() + QStringLiteral("\nin: ") + statement.left(300));
  return q.next() ? q.value(0) : QVariant();
}

QString literal(const QVariant &value) {
  // Rows fetched straight through Qt read a zero date-time as an invalid one: it is written back
  // as the zero it was.
  if (!value.isNull() && ((value.typeId() == QMetaType::QDateTime && !value.toDateTime().isValid()) ||
                          (value.typeId() == QMetaType::QDate && !value.toDate().isValid())))
    return zdb::literal(QVariant::fromValue(zdb::ZeroDateTime{value.typeId() == QMetaType::QDate}));
  return zdb::literal(value);
}

QStringList insertStatements(const QString &table, const Rows &rows, int batch) {
  QStringList out;
  const QString head = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                       rows.columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES ");
  QString statement;
  int inBatch = 0;
  for (const std::vector<QVariant> &row : rows.rows) {
    statement += inBatch == 0 ? head : QStringLiteral(", ");
    statement += QLatin1Char('(');
    for (size_t c = 0; c < row.size(); ++c) {
      if (c) statement += QStringLiteral(", ");
      statement += literal(row[c]);
    }
    statement += QLatin1Char(')');
    if (++inBatch == batch) {
      out << statement;
      statement.clear();
      inBatch = 0;
    }
  }
  if (inBatch) out << statement;
  return out;
}

Rows fetch(const QString &statement) {
  QSqlQuery q(admin());
  q.setForwardOnly(true);
  if (!q.exec(statement)) die(q.lastError().text() + QStringLiteral("\nin: ") + statement);
  Rows out;
  const QSqlRecord rec = q.record();
  for (int c = 0; c < rec.count(); ++c) out.columns << rec.fieldName(c);
  while (q.next()) {
    std::vector<QVariant> row(size_t(rec.count()));
    for (int c = 0; c < rec.count(); ++c) row[size_t(c)] = q.value(c);
    out.rows.push_back(std::move(row));
  }
  return out;
}

void seedRestaurant() {
  for (const char *table : {"mainsip", "temp", "genhar", "stokhar", "kasa", "user", "userkisbol", "kisimbolum",
                            "cari", "stationid", "subeler", "setup", "setup4"})
    execOrDie(QStringLiteral("DELETE FROM ") + QLatin1String(table));
  execOrDie(QStringLiteral("INSERT INTO stationid (Net_DirecTory, BTHK, Subeadi, StationNo) VALUES (") +
            literal(kTerminal) + QStringLiteral(", \"E\", \"Merkez\", 3)"));
  execOrDie(QStringLiteral("INSERT INTO setup (ISLEMTARIHI) VALUES (") + literal(QDateTime(kWorkDate, QTime(0, 0))) +
            QLatin1Char(')'));
  execOrDie(QStringLiteral("INSERT INTO setup4 (PAKET_SERVIS_UCRETI, PAKET_MIN_TUTAR, KURYE_ADET_TUTAR) "
                           "VALUES (15, 150, 1)"));
  execOrDie(utf("INSERT INTO subeler (SubeAdi) VALUES (\"Merkez Şube\")"));
  execOrDie(utf("INSERT INTO `user` (USERNAME, USERNO, usersifre, Isten_Ayrildi, PaketServis, NAKITKAPATMA, "
                "Sevkiyatci) VALUES (\"KASA1\", 7, \"1234\", 0, 1, 1, 0), (\"Ali\", 21, \"9991\", 0, 0, 0, 1), "
                "(\"Veli\", 22, \"9992\", 0, 0, 0, 1)"));
  execOrDie(QStringLiteral("INSERT INTO userkisbol (Username, kisim, siparistipi) VALUES (\"KASA1\", ") +
            literal(kSection) + QStringLiteral(", 2)"));
  execOrDie(utf("INSERT INTO kasa (KasaNo, KasaAdi, islemturno, toplamiartir, raporsirano) VALUES "
                "(1, \"Nakit\", 1, 1, 10), (2, \"Kredi Kartı\", 1, 1, 11), (3, \"Yemek Kartı\", 1, 1, 12), "
                "(4, \"Fiş\", 9, 1, 13)"));
  execOrDie(utf("INSERT INTO kisimbolum (NO, Kisim, MASAADET, SIPARISTIPI, DEPOADI) VALUES "
                "(1, \"Salon\", 24, 1, \"Mutfak\"), (2, \"Paket Servis\", 0, 2, \"Mutfak\"), "
                "(3, \"Bahçe\", 12, 1, \"Mutfak\")"));

  Rows customers;
  customers.columns = QStringList{"CARINO", "ADI", "SOYADI", "FIRMAISMI", "SEHIR", "ILCE", "TELEFON1",
                                  "MUSTERITIPI", "ADRES", "ILKTARIH"};
  std::mt19937 random(20261209);
  for (int c = 1; c <= kCustomers; ++c) {
    const QString first = utf(kFirstNames[random() % std::size(kFirstNames)]);
    const QString last = utf(kLastNames[random() % std::size(kLastNames)]);
    customers.rows.push_back({QVariant(double(c)), first, last, first + QLatin1Char(' ') + last,
                              QStringLiteral("Ankara"), utf("Çankaya"),
                              QStringLiteral("0532%1").arg(1000000 + int(random() % 8999999)),
                              utf(kCustomerKinds[c % 3]),
                              utf("Atatürk Bulvarı No:%1 D:%2").arg(c).arg(1 + c % 12),
                              QVariant(kWorkDate.addDays(-int(random() % 900)))});
  }
  for (const QString &s : insertStatements(QStringLiteral("cari"), customers)) execOrDie(s);
}

void seedOrders(int orders, int lines) {
  for (const char *table : {"mainsip", "temp", "genhar", "stokhar"})
    execOrDie(QStringLiteral("TRUNCATE TABLE ") + QLatin1String(table));

  std::mt19937 random(1000003u * unsigned(orders) + unsigned(lines));
  Rows mainsip;
  mainsip.columns = QStringList{
      "ADISYONNO", "FIRMAISMI", "TUTAR", "SEVKYAPANISMI", "Kisim", "Tarih", "lockdurum", "AdisyonYazdimi",
      "PaketciDurum", "KisiSayisi", "CariNo", "kisimBolumNo", "MasaNo", "Durum", "ISKORAN", "ISKTUTAR",
      "KDVDAHILHARIC", "KDVTUTAR", "DURUM1", "HESABAYAZDIMI", "PRICEMALIYET", "PRICEMALIYETYUZDE", "PRICEKAR",
      "PRICENET", "STOKHARISLE", "ISKONTOSUZTOPLAM", "SERVISTUTARI", "SERVISKDVTUTARI", "IADELER",
      "SERVISUCRETIINDIRIMI", "TUTARKDVSIZ", "TELEFON1", "YUVARLAMALAR", "ADISYONYAZADET", "A_EMIRSAATI"};
  Rows temp;
  temp.columns = QStringList{
      "SIRANO", "PRN_NO", "ADISYONNO", "SAAT", "KOLTUK", "ACIKLAMA", "KDVTUTAR", "YAZDIMIEH", "SILINDIMIEH",
      "TUTARKDVSIZ", "BIRIM", "PORSIYON", "FIYAT", "GRUPADI", "STOKADI", "ADET", "PRICEMALIYET",
      "PRICEMALIYETYUZDE", "PRICEKAR", "DEPOADI", "HAMSTOKGRUP", "HAMGRUP", "HAMANAGRUP", "SATISNOKTASI",
      "PRICENET", "ISKORAN", "ISKTUTAR", "URUNKODU", "GARSON", "KDVNO", "HAMSTOKNO", "KDVORANI",
      "DEPOGELIRNOKTASINDAN", "SATISSTOKKONTROLUYAP", "ESASBIRIMORANI", "SATISBIRIMIORANI", "URUNTASINDI",
      "TASIYAN", "MASAISMI", "KISIMBOLUMNO", "MASASIPSIRANO", "ISKONTOSUZFIYAT", "PORSIYONISIM", "MUTFAKDURUM",
      "IKRAM_SATIRLARI_TOPLAMI"};

  for (int o = 0; o < orders; ++o) {
    const int no = kFirstOrder + o;
    const int customer = 1 + int(random() % kCustomers);
    const QTime ordered = QTime(11, 0).addSecs(int(random() % (11 * 3600)));
    double total = 0, vat = 0, cost = 0;
    for (int l = 0; l < lines; ++l) {
      const MenuItem &item = kMenu[random() % std::size(kMenu)];
      const double count = 1 + int(random() % 3);
      const double portion = random() % 5 == 0 ? 1.5 : 1.0;
      const double amount = item.price * count * portion;
      const double lineVat = amount * 10.0 / 110.0;
      const double lineCost = amount * 0.38;
      total += amount;
      vat += lineVat;
      cost += lineCost;
      temp.rows.push_back({
          l + 1, 1.0, double(no), ordered.addSecs(l * 7), QString(""),
          random() % 6 == 0 ? utf("Acısız olsun") : QVariant(QString("")), money(lineVat), 1.0, 0.0,
          money(amount - lineVat), utf(item.unit), portion, item.price, utf(item.group), utf(item.name), count,
          money(lineCost), 38.0, money(amount - lineCost), utf(item.store), utf(item.group), utf(item.group),
          QStringLiteral("Satış"), utf(item.salesPoint), money(amount), 0.0, 0.0,
          double(1000 + (&item - kMenu)), utf(kWaiters[random() % std::size(kWaiters)]), 2.0,
          double(500 + (&item - kMenu)), 10.0, QStringLiteral("E"), QStringLiteral("H"), 1.0, 1.0, 0,
          QString(""), QStringLiteral("PK"), 2.0, l + 1, item.price, portion > 1 ? utf("Bir buçuk") : utf("Tam"), 3,
          0.0});
    }
    const QString phone = QStringLiteral("0533%1").arg(1000000 + int(random() % 8999999));
    mainsip.rows.push_back({
        no, utf("%1 %2").arg(utf(kFirstNames[customer % std::size(kFirstNames)]),
                             utf(kLastNames[(customer / 12) % std::size(kLastNames)])),
        money(total), kCourier, kSection, QVariant(kWorkDate), 0, 1, 50, 1 + int(random() % 4), customer, 2,
        QString(""), 1, 0.0, 0.0, money(total - vat), money(vat), 0, 0, money(cost), 38.0, money(total - cost),
        money(total), 1, money(total), 0.0, 0.0, 0.0, 0.0, money(total - vat), phone, 0.0, 1,
        QVariant(QDateTime(kWorkDate, ordered))});
  }
  for (const QString &s : insertStatements(QStringLiteral("mainsip"), mainsip)) execOrDie(s);
  for (const QString &s : insertStatements(QStringLiteral("temp"), temp)) execOrDie(s);
}

void seedCouriers(int couriers) {
  execOrDie(QStringLiteral("DELETE FROM `user` WHERE USERNO >= 100"));
  execOrDie(QStringLiteral("DELETE FROM mainsip WHERE ADISYONNO >= 900000"));
  execOrDie(QStringLiteral("DELETE FROM temp WHERE ADISYONNO >= 900000"));
  for (int c = 3; c <= couriers; ++c) {
    const QString name = QStringLiteral("Kurye %1").arg(c);
    execOrDie(QStringLiteral("INSERT INTO `user` (USERNAME, USERNO, usersifre, Isten_Ayrildi, PaketServis, "
                             "NAKITKAPATMA, Sevkiyatci) VALUES (") +
              literal(name) + QStringLiteral(", %1, \"%2\", 0, 0, 0, 1)").arg(100 + c).arg(8000 + c));
    for (int o = 0; o < 2; ++o) {
      const int no = 900000 + c * 10 + o;
      execOrDie(QStringLiteral("INSERT INTO mainsip (ADISYONNO, FIRMAISMI, TUTAR, SEVKYAPANISMI, Kisim, Tarih, "
                               "lockdurum, AdisyonYazdimi, PaketciDurum, KisiSayisi) VALUES (%1, \"Müşteri %1\", "
                               "120, ")
                    .arg(no) +
                literal(name) + QStringLiteral(", ") + literal(kSection) + QStringLiteral(", ") +
                literal(kWorkDate) + QStringLiteral(", 0, 1, 50, 1)"));
      execOrDie(QStringLiteral("INSERT INTO temp (SIRANO, ADISYONNO, STOKADI, ADET, FIYAT, PRICENET) VALUES "
                               "(1, %1, \"Lahmacun\", 1, 60, 60), (2, %1, \"Ayran\", 1, 60, 60)")
                    .arg(no));
    }
  }
}

}  // namespace zbench
