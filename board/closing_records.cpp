#include "closing_records.h"

#include <QStringList>
#include <QTime>
#include <algorithm>
#include <vector>

#include "db/query.h"
#include "db/table_columns.h"

namespace zboard {

namespace {

QString insertText(const QString &table, const QStringList &columns) {
  QStringList params;
  params.reserve(columns.size());
  for (const QString &column : columns) params << QLatin1Char(':') + column;
  return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
         QStringLiteral(") VALUES (") + params.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A source field with the type the server gave it; NULL when the field is NULL or the source has
// no row. A lookup that was never opened has no row either.
QVariant copied(const zdb::Query &source, const QString &field) {
  if (!source.isOpen()) return QVariant();
  return source.field(field).asVariant();
}

QString text(const zdb::Query &source, const QString &field) {
  return source.isOpen() ? source.field(field).asString() : QString();
}

// An empty text stays a text: a null QString would reach the server as NULL.
QVariant textValue(const QString &value) {
  return QVariant(value.isNull() ? QString(QLatin1String("")) : value);
}

QVariant integer(int value) { return QVariant(value); }

}  // namespace

const QString &genharInsertText() {
  static const QString statement = insertText(QStringLiteral("Genhar"), zdb::genharInsertColumns());
  return statement;
}

namespace {

// Parameter names of each row of the multi-row stock insert, lower case as the data layer keys
// them, so binding a name allocates nothing.
const std::vector<QStringList> &stockParameterNames() {
  static const std::vector<QStringList> names = [] {
    std::vector<QStringList> rows;
    for (int r = 0; r < kStockRowsPerInsert; ++r) {
      QStringList row;
      for (const QString &column : zdb::stokharInsertColumns())
        row << (r == 0 ? column : column + QLatin1Char('_') + QString::number(r + 1)).toLower();
      rows.push_back(row);
    }
    return rows;
  }();
  return names;
}

}  // namespace

const QString &stokharInsertText() { return stokharInsertText(1); }

const QString &stokharInsertText(int rows) {
  static const std::vector<QString> statements = [] {
    const QStringList &columns = zdb::stokharInsertColumns();
    std::vector<QString> texts;
    QString text = insertText(QStringLiteral("Stokhar"), columns);
    texts.push_back(text);
    for (int r = 1; r < kStockRowsPerInsert; ++r) {
      QStringList params;
      for (const QString &column : columns) params << QLatin1Char(':') + column + QLatin1Char('_') + QString::number(r + 1);
      text += QStringLiteral(", (") + params.join(QStringLiteral(", ")) + QLatin1Char(')');
      texts.push_back(text);
    }
    return texts;
  }();
  return statements.at(size_t(std::clamp(rows, 1, kStockRowsPerInsert) - 1));
}

QVariant ClosingRecords::writeClosedBill(zdb::Query &genhar, const BillSources &s) {
  const QDateTime workDate = run_.ClosingWorkDate;
  const QTime start = run_.ClosingStartTime.time();
  const QVariant nothing;
  // The kitchen and dispatch times of a delivery bill are a bare zero time.
  const QVariant zeroTime = QVariant(QTime(0, 0));
  auto order = [&](const char *field) { return copied(s.order, QString::fromLatin1(field)); };
  auto kasa = [&](const char *field) { return copied(s.kasa, QString::fromLatin1(field)); };

  // The same text every order: the server keeps one prepared statement for the whole run.
  genhar.setText(genharInsertText());
  auto bind = [&](const char *column, const QVariant &value) {
    genhar.setParam(QString::fromLatin1(column), value);
  };
  bind("GENHARNO", nothing);  // numbered by the server
  bind("KISIMBOLUMNO", copied(s.section, QStringLiteral("NO")));
  bind("MASANO", QVariant(QStringLiteral("PK") + text(s.order, QStringLiteral("MasaNo"))));
  bind("KISISAYISI", integer(1));
  bind("TUTAR", integer(0));  // the amount goes to CIKIS and DOVIZTUTARI
  bind("DOVIZTIPI", QVariant(QStringLiteral("TL")));
  bind("DURUM", order("Durum"));
  bind("ISKORAN", order("ISKORAN"));
  bind("ISKTUTAR", order("ISKTUTAR"));
  bind("KDVDAHILHARIC", order("KDVDAHILHARIC"));
  bind("KDVTUTAR", order("KDVTUTAR"));
  bind("GARSON", textValue(run_.operatorName));
  bind("DURUM1", order("DURUM1"));
  bind("KISIM", order("KISIM"));
  bind("TARIH", QVariant(workDate));
  bind("SAAT", QVariant(run_.clock()));
  bind("ADISYONNO", order("ADISYONNO"));
  bind("HARTIP", QVariant(QStringLiteral("1")));
  bind("GIRIS", QVariant(QStringLiteral("0")));
  bind("CIKIS", order("TUTAR"));
  bind("CARINO", order("CariNo"));
  bind("KAPATIPNO", kasa("KasaNo"));
  bind("KAPATIPISMI", kasa("KasaAdi"));
  bind("TARIHSIPBIT", QVariant(workDate));
  bind("SAATSIPBIT", QVariant(run_.clock()));
  bind("ADISYONYAZDIMI", order("ADISYONYAZDIMI"));
  bind("FATURAYAZDIMI", QVariant(false));
  bind("HESABAYAZDIMI", order("HESABAYAZDIMI"));
  bind("ACIKLAMA", nothing);
  bind("HAREKETTURU", nothing);
  bind("PRICEMALIYET", order("PRICEMALIYET"));
  bind("PRICEMALIYETYUZDE", order("PRICEMALIYETYUZDE"));
  bind("PRICEKAR", order("PRICEKAR"));
  bind("PRICENET", order("PRICENET"));
  bind("STOKDUSTUMU", order("STOKHARISLE"));
  bind("ISKONTOSUZTOPLAM", order("ISKONTOSUZTOPLAM"));
  bind("SERVISTUTARI", order("SERVISTUTARI"));
  bind("SERVISORAN", order("SERVISKDVTUTARI"));
  bind("SERVISKDVTUTARI", order("KDVTUTAR"));
  bind("SERVISKDVSIZ", order("KDVDAHILHARIC"));
  bind("IADELER", order("IADELER"));
  bind("SERVISUCRETIINDIRIMI", order("SERVISUCRETIINDIRIMI"));
  bind("TUTARKDVSIZ", order("TUTARKDVSIZ"));
  bind("FISYAZDIMI", QVariant(true));
  bind("KAPATANISMI", textValue(run_.operatorName));
  bind("KAPATANTERMINAL", copied(s.station, QStringLiteral("StationNo")));
  bind("SAATANALIZ", integer(start.hour()));
  bind("FIRAMISMI", order("FIRMAISMI"));
  bind("TELEFON1", order("TELEFON1"));
  bind("SEVKYAPANISMI", textValue(run_.courier));
  bind("SUBEADI", textValue(text(s.station, QStringLiteral("Subeadi"))));
  bind("KOLTUK", textValue(QString()));
  bind("SENT", integer(0));
  bind("YUVARLAMALAR", order("YUVARLAMALAR"));
  bind("DOVIZTUTARI", order("TUTAR"));
  bind("ADISYONNO2", textValue(QString()));
  bind("ISLEMTURNO", kasa("islemturno"));
  bind("TOPLAMIARTIR", integer(1));
  bind("TOPLAMIEKSILT", integer(0));
  bind("TOPLAMAGIRME", integer(0));
  bind("IKRAM_SATIRLARI_TOPLAMI", integer(0));
  bind("MUSTERITIPI", textValue(text(s.customer, QStringLiteral("MUSTERITIPI"))));
  bind("RAPORSIRANO", kasa("raporsirano"));
  bind("KASANO", kasa("KasaNo"));
  bind("FATSERI_NO_TUT", nothing);
  bind("SIPKAPATIPI", nothing);
  bind("YIL", integer(workDate.date().year()));
  bind("AY", integer(workDate.date().month()));
  bind("GUN", integer(workDate.date().day()));
  bind("SAAT2", integer(start.hour()));
  bind("DAKIKA", integer(start.minute()));
  bind("ADISYONYAZADET", order("ADISYONYAZADET"));
  bind("SAHISNO", nothing);
  bind("ADISOYADI", nothing);
  bind("PARAUSTU", nothing);
  bind("PUANHARAYAZDIMI", integer(0));
  bind("A_MARSSAATI", QVariant(run_.clock()));
  bind("A_URETIMSAATI", zeroTime);
  bind("A_SEVKBASLAMASAATI", zeroTime);
  bind("A_SEVKBITISSAATI", zeroTime);
  bind("A_ASCIADI", nothing);
  bind("A_EMIRSAATI", order("A_EMIRSAATI"));
  bind("REPORT", nothing);
  bind("EXPORT", integer(0));
  bind("BAHSIS", nothing);
  genhar.execute();
  return genhar.lastInsertId();
}

void ClosingRecords::writeStockLine(zdb::Query &stokhar, const QVariant &billNo, const LineSources &s) {
  stokhar.setText(stokharInsertText());
  bindStockLine(stokhar, 0, billNo, s);
  stokhar.execute();
}

void ClosingRecords::bindStockLine(zdb::Query &stokhar, int row, const QVariant &billNo, const LineSources &s) {
  const QString salesPoint = text(s.line, QStringLiteral("SatisNoktasi"));
  if (!salesPoint.isEmpty()) CarriedSalesPoint = salesPoint;

  const QDateTime workDate = run_.ClosingWorkDate;
  const QTime start = run_.ClosingStartTime.time();
  const QVariant nothing;
  auto line = [&](const char *field) { return copied(s.line, QString::fromLatin1(field)); };

  const QStringList &names = stockParameterNames().at(size_t(row));
  int column = 0;  // the binds below follow the insert's column order (the records tests check each)
  auto bind = [&](const char *name, const QVariant &value) {
    Q_ASSERT(zdb::stokharInsertColumns().at(column).compare(QLatin1String(name), Qt::CaseInsensitive) == 0);
    Q_UNUSED(name);
    stokhar.setParam(names.at(column++), value);
  };
  bind("GENHARNO", billNo);
  bind("ADISYONNO", line("Adisyonno"));
  bind("PRN_NO", integer(1));
  bind("STOKADI", line("STOKADI"));
  bind("GRUPADI", line("GRUPADI"));
  bind("ADET", line("ADET"));
  bind("SAAT", QVariant(run_.clock()));
  bind("ACIKLAMA", line("ACIKLAMA"));
  bind("KDVTUTAR", line("KDVTUTAR"));
  bind("YAZDIMIEH", integer(1));
  bind("SILINDIMIEH", integer(0));
  bind("CIKISFIYAT", line("FIYAT"));
  bind("GIRISFIYAT", integer(0));
  bind("CARINO", copied(s.order, QStringLiteral("CariNo")));
  bind("CIKISKDVSIZ", line("TutarKDVSiz"));
  bind("GIRISKDVSIZ", QVariant(QStringLiteral("0")));
  bind("TARIH", QVariant(workDate));
  bind("BIRIM", line("BIRIM"));
  bind("PORSIYON", line("PORSIYON"));
  bind("GARSONNO", QVariant(run_.operatorNo));
  bind("DEPOADI", line("DEPOADI"));
  bind("HAMSTOKGRUP", line("HAMSTOKGRUP"));
  bind("HAMGRUP", line("HAMGRUP"));
  bind("HAMANAGRUP", line("HAMANAGRUP"));
  bind("SATISNOKTASI", textValue(CarriedSalesPoint));
  bind("STOKDUSTUMU", integer(0));
  bind("ISKORAN", line("ISKORAN"));
  bind("ISKTUTAR", line("ISKTUTAR"));
  bind("SAATANALIZ", integer(start.hour()));
  bind("KISIMSUBE", textValue(text(s.branch, QStringLiteral("SubeAdi"))));
  bind("MASAISMI", line("MASAISMI"));
  bind("AMBALAJAGIRLIGI", integer(0));
  bind("SENT", integer(0));
  bind("HAMSTOKNO", line("HAMSTOKNO"));
  bind("DEPOGELIRNOKTASINDAN", line("DEPOGELIRNOKTASINDAN"));
  bind("SATISSTOKKONTROLUYAP", line("SATISSTOKKONTROLUYAP"));
  bind("TOPLAMMIKTAR", line("Porsiyon"));
  bind("GARSON", line("GARSON"));
  bind("ISLEMTURNO", copied(s.kasa, QStringLiteral("IslemTurno")));
  bind("KAPATIPISMI", copied(s.kasa, QStringLiteral("KasaAdi")));
  bind("URUNTASINDI", line("URUNTASINDI"));
  bind("TASIYAN", line("Tasiyan"));
  bind("KAPATANISMI", textValue(run_.operatorName));
  bind("YIL", integer(workDate.date().year()));
  bind("AY", integer(workDate.date().month()));
  bind("GUN", integer(workDate.date().day()));
  bind("SAAT2", integer(start.hour()));
  bind("DAKIKA", integer(start.minute()));
  bind("IKRAM_SATIRLARI_TOPLAMI", nothing);
  bind("SAHISNO", nothing);
  bind("REPORT", nothing);
  bind("EXPORT", nothing);
  Q_ASSERT(column == names.size());
}

}  // namespace zboard
