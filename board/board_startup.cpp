// Board start-up: terminal check, operator and working date, ready-order filter, and on the
// first showing the register columns, the courier list and the closed-bills chart data.
#include "board.h"
#include "db/db_error.h"
#include "db/quoting.h"
#include "dialogs/dialog_values.h"

namespace zboard {

QString Board::openOrdersChartStatement() {
  return QStringLiteral(
      "SELECT SevkYapanIsmi, Count(KisiSayisi)KisiSayisi, Sum(Tutar)Tutar, Sum(Tutar)/sUM(KisiSayisi) AS "
      "tutarkdvsiz FROM zerdapos.mainsip wHERE Tarih =:0 and SevkYapanIsmi !=\"\" Group by SevkYapanIsmi");
}

QString Board::closedBillsChartStatement() {
  return QStringLiteral(
      "SELECT SevkYapanIsmi, Count(KisiSayisi)KisiSayisi, Sum(Cikis)Tutar, Sum(cikis)/sUM(KisiSayisi) AS "
      "tutarkdvsiz FROM zerdapos.Genhar wHERE Tarih =:0 and SevkYapanIsmi !=\"\" Group by SevkYapanIsmi");
}

void Board::openChartQuery(zdb::Query &query, const QString &statement) {
  query.setText(statement);
  query.setParamDate(QStringLiteral(":0"), DTPBugun);
  query.open();
}

StartupResult Board::FormShow() {
  StartupResult result = StartupResult::Failed;
  runCommand([&] {
    // 1-2: this terminal must be allowed to close bills.
    if (const std::optional<QString> host = hostName_()) {
      LocalHostName = host->toUpper();
      QueryStation.setText(QStringLiteral("select*from stationid Where Net_DirecTory =\"") +
                           zdb::quoted(LocalHostName) + QStringLiteral("\""));
      QueryStation.open();
    }
    if (QueryStation.field(QStringLiteral("BTHK")).asString() != QLatin1String("E")) {
      zdlg::DialogMessage = user.SignedInUserName +
                            QStringLiteral(" Bu Terminalden Hesap Kapatilamaz.       BIRDAHA SAKIN DENEME !!!(LG)");
      messenger_.showInformation();
      result = StartupResult::TerminalRefused;
      return;
    }
    // 3
    Label2Caption = QueryStation.field(QStringLiteral("Subeadi")).asString() + QLatin1Char('/') +
                    user.SignedInUserName;
    emit captionsChanged();
    // 4: the working date.
    QuerySetup4.setText(QStringLiteral("select*from setup"));
    QuerySetup4.open();
    DTPBugun = QuerySetup4.field(QStringLiteral("ISLEMTARIHI")).asDateTime().date();
    // 5
    ListBox1.itemIndex = ListBox1.items.isEmpty() ? -1 : 0;
    emit listsChanged();
    // 6: courier tracking; the settings column is added when the database lacks it.
    try {
      QuerySetup4.setText(QStringLiteral("select*from setup4"));
      QuerySetup4.open();
      ReadyOrderFilter = QuerySetup4.field(QStringLiteral("KURYE_TAKIP_SISTEMI")).asString();
      QuerySetup4.close();
    } catch (const zdb::DbError &) {
      QuerySetup4.setText(QString());
      QuerySetup4.setText(QStringLiteral(
          "ALTER TABLE `zerdapos`.`setup4` ADD COLUMN `KURYE_TAKIP_SISTEMI` TINYINT(3) UNSIGNED DEFAULT 0 "
          "AFTER `KURYE_ADET_TUTAR`"));
      QuerySetup4.execute();
      QuerySetup4.setText(QStringLiteral("select*from setup4"));
      QuerySetup4.open();
    }
    // 7
    ReadyOrderFilter = ReadyOrderFilter == QLatin1String("1") ? QStringLiteral("PaketciDurum =\"50\"")
                                                               : QStringLiteral("AdisyonYazdimi = \"1\"");
    // 8
    if (BoardInitialised) {
      result = StartupResult::Ready;
      return;
    }
    // 9-10: one grid column per payment register, the first one the default (lime).
    QueryKasaAdi.setText(QStringLiteral(
        "select*from zerdapos.kasa Where toplamiartir = True and islemturno in(\"1\",\"0\",\"9\") order by kasano"));
    QueryKasaAdi.open();
    const int registers = QueryKasaAdi.recordCount();
    for (int k = 0; k < registers; ++k) {
      QueryKasaAdi.moveTo(k + 1);
      GridColumn column;
      column.caption = QueryKasaAdi.field(QStringLiteral("KasaAdi")).asString();
      column.width = 40;
      column.align = Align::Center;
      column.colour = zcolour::White;
      if (k == 0) {
        column.headerColour = zcolour::Lime;
        column.colour = zcolour::Lime;
        NextGrid1.columns[2].width = 50;
      }
      column.verticalHeader = true;
      NextGrid1.columns.push_back(column);
    }
    if (registers > 0) emit registerColumnsAdded();
    emit gridChanged();
    // 11-15: couriers with open orders (most first), then active couriers without any.
    QueryKullanici.setText(QStringLiteral("SELECT * FROM `user` wHERE Sevkiyatci = True and  isten_Ayrildi = false"));
    QueryKullanici.open();
    QueryMainSipKuryeSirala.setText(QStringLiteral(
        "select Sevkyapanismi, count(sevkyapanismi)SiparisAd from zerdapos.mainsip Where Sevkyapanismi <> \"\" "
        "Group by Sevkyapanismi order by SiparisAd desc"));
    QueryMainSipKuryeSirala.open();
    ListBox2.items.clear();
    ListBox2.itemIndex = -1;
    for (QueryMainSipKuryeSirala.first(); !QueryMainSipKuryeSirala.eof(); QueryMainSipKuryeSirala.next())
      ListBox2.items << QueryMainSipKuryeSirala.field(QStringLiteral("Sevkyapanismi")).asString();
    for (QueryKullanici.first(); !QueryKullanici.eof(); QueryKullanici.next()) {
      const QString name = QueryKullanici.field(QStringLiteral("Username")).asString();
      QueryMainSipKuryeSirala.setText(QStringLiteral("select * from zerdapos.mainsip Where Sevkyapanismi =\"") +
                                      zdb::quoted(name) + QStringLiteral("\""));
      QueryMainSipKuryeSirala.open();
      if (QueryMainSipKuryeSirala.isEmpty()) ListBox2.items << name;
    }
    ListBox2.itemIndex = ListBox2.items.isEmpty() ? -1 : 0;
    emit listsChanged();
    // 16
    openChartQuery(QueryGrafikKapali, closedBillsChartStatement());
    // 17
    BoardInitialised = true;
    result = StartupResult::Ready;
  });
  return result;
}

}  // namespace zboard
