#include "closing_records.h"

#include <QStringList>
#include <QTime>
#include <vector>

#include "db/query.h"
#include "db/quoting.h"
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
  return source.fieldValue(field);
}

}  // namespace

QVariant closingTerminal(const zdb::Query &station) { return copied(station, QStringLiteral("StationNo")); }

namespace {

QString text(const zdb::Query &source, const QString &field) {
  return source.isOpen() ? source.field(field).asString() : QString();
}

// An empty text stays a text: a null QString would reach the server as NULL.
QVariant textValue(const QString &value) {
  return QVariant(value.isNull() ? QString(QLatin1String("")) : value);
}

QVariant integer(int value) { return QVariant(value); }

// The values of an insert's columns, given in the insert's column order (the records tests check
// each column; a debug build also checks the names).
class ColumnValues {
 public:
  explicit ColumnValues(const QStringList &columns) : columns_(columns) { values_.reserve(size_t(columns.size())); }
  void operator()(const char *column, const QVariant &value) {
    Q_ASSERT(columns_.at(qsizetype(values_.size())).compare(QLatin1String(column), Qt::CaseInsensitive) == 0);
    Q_UNUSED(column);
    values_.push_back(value);
  }
  std::vector<QVariant> take() {
    Q_ASSERT(values_.size() == size_t(columns_.size()));
    return std::move(values_);
  }

 private:
  const QStringList &columns_;
  std::vector<QVariant> values_;
};

// Runs `statement` with each column's parameter bound to its value.
void executeBound(zdb::Query &query, const QString &statement, const QStringList &columns,
                  const std::vector<QVariant> &values) {
  query.setText(statement);
  for (size_t c = 0; c < values.size(); ++c) query.setParam(columns.at(qsizetype(c)), values[c]);
  query.execute();
}

}  // namespace

const QString &genharInsertText() {
  static const QString statement = insertText(QStringLiteral("Genhar"), zdb::genharInsertColumns());
  return statement;
}

const QString &stokharInsertText() {
  static const QString statement = insertText(QStringLiteral("Stokhar"), zdb::stokharInsertColumns());
  return statement;
}

std::vector<QVariant> ClosingRecords::closedBillValues(const BillSources &s) {
  const QDateTime workDate = run_.ClosingWorkDate;
  const QTime start = run_.ClosingStartTime.time();
  const QVariant nothing;
  // A delivery bill has no kitchen or dispatch times: they hold the zero date-time, which the
  // restaurant's other programs test for.
  const QVariant zeroTime = zdb::zeroDateTime();
  auto order = [&](const QString &field) { return copied(s.order, field); };
  auto kasa = [&](const QString &field) { return copied(s.kasa, field); };

  ColumnValues bind(zdb::genharInsertColumns());
  bind("GENHARNO", nothing);  // numbered by the server
  bind("KISIMBOLUMNO", copied(s.section, QStringLiteral("NO")));
  bind("MASANO", QVariant(QStringLiteral("PK") + text(s.order, QStringLiteral("MasaNo"))));
  bind("KISISAYISI", integer(1));
  bind("TUTAR", integer(0));  // the amount goes to CIKIS and DOVIZTUTARI
  bind("DOVIZTIPI", QVariant(QStringLiteral("TL")));
  bind("DURUM", order(QStringLiteral("Durum")));
  bind("ISKORAN", order(QStringLiteral("ISKORAN")));
  bind("ISKTUTAR", order(QStringLiteral("ISKTUTAR")));
  bind("KDVDAHILHARIC", order(QStringLiteral("KDVDAHILHARIC")));
  bind("KDVTUTAR", order(QStringLiteral("KDVTUTAR")));
  bind("GARSON", textValue(run_.operatorName));
  bind("DURUM1", order(QStringLiteral("DURUM1")));
  bind("KISIM", order(QStringLiteral("KISIM")));
  bind("TARIH", QVariant(workDate));
  bind("SAAT", QVariant(run_.clock()));
  bind("ADISYONNO", order(QStringLiteral("ADISYONNO")));
  bind("HARTIP", QVariant(QStringLiteral("1")));
  bind("GIRIS", QVariant(QStringLiteral("0")));
  bind("CIKIS", order(QStringLiteral("TUTAR")));
  bind("CARINO", order(QStringLiteral("CariNo")));
  bind("KAPATIPNO", kasa(QStringLiteral("KasaNo")));
  bind("KAPATIPISMI", kasa(QStringLiteral("KasaAdi")));
  bind("TARIHSIPBIT", QVariant(workDate));
  bind("SAATSIPBIT", QVariant(run_.clock()));
  bind("ADISYONYAZDIMI", order(QStringLiteral("ADISYONYAZDIMI")));
  bind("FATURAYAZDIMI", QVariant(false));
  bind("HESABAYAZDIMI", order(QStringLiteral("HESABAYAZDIMI")));
  bind("ACIKLAMA", nothing);
  bind("HAREKETTURU", nothing);
  bind("PRICEMALIYET", order(QStringLiteral("PRICEMALIYET")));
  bind("PRICEMALIYETYUZDE", order(QStringLiteral("PRICEMALIYETYUZDE")));
  bind("PRICEKAR", order(QStringLiteral("PRICEKAR")));
  bind("PRICENET", order(QStringLiteral("PRICENET")));
  bind("STOKDUSTUMU", order(QStringLiteral("STOKHARISLE")));
  bind("ISKONTOSUZTOPLAM", order(QStringLiteral("ISKONTOSUZTOPLAM")));
  bind("SERVISTUTARI", order(QStringLiteral("SERVISTUTARI")));
  bind("SERVISORAN", order(QStringLiteral("SERVISKDVTUTARI")));
  bind("SERVISKDVTUTARI", order(QStringLiteral("KDVTUTAR")));
  bind("SERVISKDVSIZ", order(QStringLiteral("KDVDAHILHARIC")));
  bind("IADELER", order(QStringLiteral("IADELER")));
  bind("SERVISUCRETIINDIRIMI", order(QStringLiteral("SERVISUCRETIINDIRIMI")));
  bind("TUTARKDVSIZ", order(QStringLiteral("TUTARKDVSIZ")));
  bind("FISYAZDIMI", QVariant(true));
  bind("KAPATANISMI", textValue(run_.operatorName));
  bind("KAPATANTERMINAL", closingTerminal(s.station));
  bind("SAATANALIZ", integer(start.hour()));
  bind("FIRAMISMI", order(QStringLiteral("FIRMAISMI")));
  bind("TELEFON1", order(QStringLiteral("TELEFON1")));
  bind("SEVKYAPANISMI", textValue(run_.courier));
  bind("SUBEADI", textValue(text(s.station, QStringLiteral("Subeadi"))));
  bind("KOLTUK", textValue(QString()));
  bind("SENT", integer(0));
  bind("YUVARLAMALAR", order(QStringLiteral("YUVARLAMALAR")));
  bind("DOVIZTUTARI", order(QStringLiteral("TUTAR")));
  bind("ADISYONNO2", textValue(QString()));
  bind("ISLEMTURNO", kasa(QStringLiteral("islemturno")));
  bind("TOPLAMIARTIR", integer(1));
  bind("TOPLAMIEKSILT", integer(0));
  bind("TOPLAMAGIRME", integer(0));
  bind("IKRAM_SATIRLARI_TOPLAMI", integer(0));
  bind("MUSTERITIPI", textValue(text(s.customer, QStringLiteral("MUSTERITIPI"))));
  bind("RAPORSIRANO", kasa(QStringLiteral("raporsirano")));
  bind("KASANO", kasa(QStringLiteral("KasaNo")));
  bind("FATSERI_NO_TUT", nothing);
  bind("SIPKAPATIPI", nothing);
  bind("YIL", integer(workDate.date().year()));
  bind("AY", integer(workDate.date().month()));
  bind("GUN", integer(workDate.date().day()));
  bind("SAAT2", integer(start.hour()));
  bind("DAKIKA", integer(start.minute()));
  bind("ADISYONYAZADET", order(QStringLiteral("ADISYONYAZADET")));
  bind("SAHISNO", nothing);
  bind("ADISOYADI", nothing);
  bind("PARAUSTU", nothing);
  bind("PUANHARAYAZDIMI", integer(0));
  bind("A_MARSSAATI", QVariant(run_.clock()));
  bind("A_URETIMSAATI", zeroTime);
  bind("A_SEVKBASLAMASAATI", zeroTime);
  bind("A_SEVKBITISSAATI", zeroTime);
  bind("A_ASCIADI", nothing);
  bind("A_EMIRSAATI", order(QStringLiteral("A_EMIRSAATI")));
  bind("REPORT", nothing);
  bind("EXPORT", integer(0));
  bind("BAHSIS", nothing);
  return bind.take();
}

QVariant ClosingRecords::writeClosedBill(zdb::Query &genhar, const BillSources &sources) {
  executeBound(genhar, genharInsertText(), zdb::genharInsertColumns(), closedBillValues(sources));
  return genhar.lastInsertId();
}

QString ClosingRecords::closedBillStatement(const BillSources &sources) {
  static const QString head = QStringLiteral("INSERT INTO Genhar (") +
                              zdb::genharInsertColumns().join(QStringLiteral(", ")) + QStringLiteral(") VALUES (");
  QString statement = head;
  statement.reserve(head.size() + 1500);
  const std::vector<QVariant> values = closedBillValues(sources);
  for (size_t c = 0; c < values.size(); ++c) {
    if (c > 0) statement += QLatin1String(", ");
    zdb::appendLiteral(statement, values[c]);
  }
  statement += QLatin1Char(')');
  return statement;
}

void ClosingRecords::writeStockLine(zdb::Query &stokhar, const QVariant &billNo, const LineSources &sources) {
  executeBound(stokhar, stokharInsertText(), zdb::stokharInsertColumns(), stockLineValues(billNo, sources));
}

const QString &stokharInsertHead() {
  static const QString head = QStringLiteral("INSERT INTO Stokhar (") +
                              zdb::stokharInsertColumns().join(QStringLiteral(", ")) + QStringLiteral(") VALUES ");
  return head;
}

void ClosingRecords::appendStockRow(QString &statement, const QString &billNo, const LineSources &sources) {
  const std::vector<QVariant> values = stockLineValues(QVariant(), sources);
  statement += QLatin1Char('(');
  statement += billNo;
  for (size_t c = 1; c < values.size(); ++c) {
    statement += QLatin1String(", ");
    zdb::appendLiteral(statement, values[c]);
  }
  statement += QLatin1Char(')');
}

std::vector<QVariant> ClosingRecords::stockLineValues(const QVariant &billNo, const LineSources &s) {
  const QString salesPoint = text(s.line, QStringLiteral("SatisNoktasi"));
  if (!salesPoint.isEmpty()) CarriedSalesPoint = salesPoint;

  const QDateTime workDate = run_.ClosingWorkDate;
  const QTime start = run_.ClosingStartTime.time();
  const QVariant nothing;
  auto line = [&](const QString &field) { return copied(s.line, field); };

  ColumnValues bind(zdb::stokharInsertColumns());
  bind("GENHARNO", billNo);
  bind("ADISYONNO", line(QStringLiteral("Adisyonno")));
  bind("PRN_NO", integer(1));
  bind("STOKADI", line(QStringLiteral("STOKADI")));
  bind("GRUPADI", line(QStringLiteral("GRUPADI")));
  bind("ADET", line(QStringLiteral("ADET")));
  bind("SAAT", QVariant(run_.clock()));
  bind("ACIKLAMA", line(QStringLiteral("ACIKLAMA")));
  bind("KDVTUTAR", line(QStringLiteral("KDVTUTAR")));
  bind("YAZDIMIEH", integer(1));
  bind("SILINDIMIEH", integer(0));
  bind("CIKISFIYAT", line(QStringLiteral("FIYAT")));
  bind("GIRISFIYAT", integer(0));
  bind("CARINO", copied(s.order, QStringLiteral("CariNo")));
  bind("CIKISKDVSIZ", line(QStringLiteral("TutarKDVSiz")));
  bind("GIRISKDVSIZ", QVariant(QStringLiteral("0")));
  bind("TARIH", QVariant(workDate));
  bind("BIRIM", line(QStringLiteral("BIRIM")));
  bind("PORSIYON", line(QStringLiteral("PORSIYON")));
  bind("GARSONNO", QVariant(run_.operatorNo));
  bind("DEPOADI", line(QStringLiteral("DEPOADI")));
  bind("HAMSTOKGRUP", line(QStringLiteral("HAMSTOKGRUP")));
  bind("HAMGRUP", line(QStringLiteral("HAMGRUP")));
  bind("HAMANAGRUP", line(QStringLiteral("HAMANAGRUP")));
  bind("SATISNOKTASI", textValue(CarriedSalesPoint));
  bind("STOKDUSTUMU", integer(0));
  bind("ISKORAN", line(QStringLiteral("ISKORAN")));
  bind("ISKTUTAR", line(QStringLiteral("ISKTUTAR")));
  bind("SAATANALIZ", integer(start.hour()));
  bind("KISIMSUBE", textValue(text(s.branch, QStringLiteral("SubeAdi"))));
  bind("MASAISMI", line(QStringLiteral("MASAISMI")));
  bind("AMBALAJAGIRLIGI", integer(0));
  bind("SENT", integer(0));
  bind("HAMSTOKNO", line(QStringLiteral("HAMSTOKNO")));
  bind("DEPOGELIRNOKTASINDAN", line(QStringLiteral("DEPOGELIRNOKTASINDAN")));
  bind("SATISSTOKKONTROLUYAP", line(QStringLiteral("SATISSTOKKONTROLUYAP")));
  bind("TOPLAMMIKTAR", line(QStringLiteral("Porsiyon")));
  bind("GARSON", line(QStringLiteral("GARSON")));
  bind("ISLEMTURNO", copied(s.kasa, QStringLiteral("IslemTurno")));
  bind("KAPATIPISMI", copied(s.kasa, QStringLiteral("KasaAdi")));
  bind("URUNTASINDI", line(QStringLiteral("URUNTASINDI")));
  bind("TASIYAN", line(QStringLiteral("Tasiyan")));
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
  return bind.take();
}

QString ownBillCondition(const QString &alias) {
  const QString zero = QStringLiteral("'0000-00-00 00:00:00'");
  QStringList marks = {QStringLiteral("%1.MASANO LIKE 'PK%'"),  QStringLiteral("%1.TUTAR = 0"),
                       QStringLiteral("%1.KISISAYISI = 1"),      QStringLiteral("%1.HARTIP = '1'"),
                       QStringLiteral("%1.GIRIS = '0'"),         QStringLiteral("%1.SENT = 0"),
                       QStringLiteral("%1.GARSON <=> %1.KAPATANISMI"), QStringLiteral("%1.SAATANALIZ <=> %1.SAAT2"),
                       QStringLiteral("%1.A_URETIMSAATI = ") + zero, QStringLiteral("%1.A_SEVKBASLAMASAATI = ") + zero,
                       QStringLiteral("%1.A_SEVKBITISSAATI = ") + zero};
  for (QString &mark : marks) mark = mark.arg(alias);
  return QLatin1Char('(') + marks.join(QStringLiteral(" AND ")) + QLatin1Char(')');
}

}  // namespace zboard
