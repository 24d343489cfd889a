// Board start-up: terminal check, operator and working date, ready-order filter, and on the
// first showing the register columns, the courier list and the closed-bills chart data.
#include "board.h"
#include "db/batch.h"
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

// The start-up reads in two requests: the terminal, the working date, the settings and, on the
// first showing, the registers and the couriers; then every courier's probe and the closed-bills
// chart, which need the couriers and the date. Reads sent ahead whose answers the start-up does
// not reach (a refused terminal) are simply dropped; nothing is written before the station
// look-up's answer is known.
StartupResult Board::FormShow() {
  StartupResult result = StartupResult::Failed;
  runCommand([&] {
    const QString setup = QStringLiteral("select*from setup");
    const QString setup4 = QStringLiteral("select*from setup4");
    const QString registers = QStringLiteral(
        "select*from zerdapos.kasa Where toplamiartir = True and islemturno in(\"1\",\"0\",\"9\") order by kasano");
    const QString couriers = QStringLiteral("SELECT * FROM `user` wHERE Sevkiyatci = True and  isten_Ayrildi = false");
    const QString courierOrder = QStringLiteral(
        "select Sevkyapanismi, count(sevkyapanismi)SiparisAd from zerdapos.mainsip Where Sevkyapanismi <> \"\" "
        "Group by Sevkyapanismi order by SiparisAd desc");
    const bool firstShowing = !BoardInitialised;

    zdb::Batch reads(Connect);
    int station = -1;
    // 1-2: this terminal must be allowed to close bills.
    if (const std::optional<QString> host = hostName_()) {
      LocalHostName = host->toUpper();
      station = reads.add(QStringLiteral("select*from stationid Where Net_DirecTory =\"") + zdb::quoted(LocalHostName) +
                              QStringLiteral("\""),
                          true);
    }
    // The settings and, on the first showing, the registers and couriers: asked again after the
    // settings column is added, what was read before the change is not used.
    int setup4Rows = -1, registerRows = -1, courierRows = -1, orderRows = -1;
    auto addSettingsReads = [&](zdb::Batch &batch) {
      setup4Rows = batch.add(setup4, true);
      if (!firstShowing) return;
      registerRows = batch.add(registers, true);
      courierRows = batch.add(couriers, true);
      orderRows = batch.add(courierOrder, true);
    };
    const int setupRows = reads.add(setup, true);
    addSettingsReads(reads);
    reads.send(zdb::Batch::OnFailure::Keep);

    if (station >= 0) {
      reads.expectRan(station);
      QueryStation.restore(reads.takeRows(station));
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
    reads.expectRan(setupRows);
    QuerySetup4.restore(reads.takeRows(setupRows));
    DTPBugun = QuerySetup4.field(QStringLiteral("ISLEMTARIHI")).asDateTime().date();
    // 5
    ListBox1.itemIndex = ListBox1.items.isEmpty() ? -1 : 0;
    emit listsChanged();
    // 6: courier tracking; the settings column is added when the database lacks it.
    zdb::Batch *answers = &reads;
    zdb::Batch repaired(Connect);
    try {
      reads.expectRan(setup4Rows);
      QuerySetup4.restore(reads.takeRows(setup4Rows));
      ReadyOrderFilter = QuerySetup4.field(QStringLiteral("KURYE_TAKIP_SISTEMI")).asString();
      QuerySetup4.close();
    } catch (const zdb::DbError &) {
      QuerySetup4.setText(QString());
      const QString alter = QStringLiteral(
          "ALTER TABLE `zerdapos`.`setup4` ADD COLUMN `KURYE_TAKIP_SISTEMI` TINYINT(3) UNSIGNED DEFAULT 0 "
          "AFTER `KURYE_ADET_TUTAR`");
      const int altered = repaired.add(alter);
      addSettingsReads(repaired);
      repaired.send(zdb::Batch::OnFailure::Keep);
      repaired.expectRan(altered);
      QuerySetup4.noteExecuted(alter, repaired.rowsAffected(altered));
      repaired.expectRan(setup4Rows);
      QuerySetup4.restore(repaired.takeRows(setup4Rows));
      answers = &repaired;
    }
    // 7
    ReadyOrderFilter = ReadyOrderFilter == QLatin1String("1") ? QStringLiteral("PaketciDurum =\"50\"")
                                                               : QStringLiteral("AdisyonYazdimi = \"1\"");
    // 8
    if (!firstShowing) {
      result = StartupResult::Ready;
      return;
    }
    // 9-10: one grid column per payment register, the first one the default (lime).
    answers->expectRan(registerRows);
    QueryKasaAdi.restore(answers->takeRows(registerRows));
    const int registerCount = QueryKasaAdi.recordCount();
    for (int k = 0; k < registerCount; ++k) {
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
    if (registerCount > 0) emit registerColumnsAdded();
    emit gridChanged();
    // 11-15: couriers with open orders (most first), then active couriers without any.
    answers->expectRan(courierRows);
    QueryKullanici.restore(answers->takeRows(courierRows));
    answers->expectRan(orderRows);
    QueryMainSipKuryeSirala.restore(answers->takeRows(orderRows));
    ListBox2.items.clear();
    ListBox2.itemIndex = -1;
    for (QueryMainSipKuryeSirala.first(); !QueryMainSipKuryeSirala.eof(); QueryMainSipKuryeSirala.next())
      ListBox2.items << QueryMainSipKuryeSirala.field(QStringLiteral("Sevkyapanismi")).asString();

    // Every active courier's probe and the closed-bills chart in one request.
    zdb::Batch probes(Connect);
    QStringList names;
    std::vector<int> probeRows;
    for (QueryKullanici.first(); !QueryKullanici.eof(); QueryKullanici.next()) {
      names << QueryKullanici.field(QStringLiteral("Username")).asString();
      probeRows.push_back(probes.add(QStringLiteral("select * from zerdapos.mainsip Where Sevkyapanismi =\"") +
                                         zdb::quoted(names.last()) + QStringLiteral("\""),
                                     true));
    }
    const int chartRows = probes.add(closedBillsChartStatement(), {{QStringLiteral("0"), DTPBugun}}, true);
    probes.send(zdb::Batch::OnFailure::Keep);
    for (size_t i = 0; i < probeRows.size(); ++i) {
      probes.expectRan(probeRows[i]);
      QueryMainSipKuryeSirala.restore(probes.takeRows(probeRows[i]));
      if (QueryMainSipKuryeSirala.isEmpty()) ListBox2.items << names.at(qsizetype(i));
    }
    ListBox2.itemIndex = ListBox2.items.isEmpty() ? -1 : 0;
    emit listsChanged();
    // 16
    probes.expectRan(chartRows);
    QueryGrafikKapali.restore(probes.takeRows(chartRows));
    // 17
    BoardInitialised = true;
    result = StartupResult::Ready;
  });
  return result;
}

}  // namespace zboard
