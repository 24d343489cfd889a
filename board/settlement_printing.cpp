// The courier's settlement slip: what a booked run closed, sent to the till's receipt printer
// once the run is over, and again on a tap on the summary panel.
#include <QElapsedTimer>
#include <algorithm>
#include <utility>

#include "board.h"
#include "board/closing_records.h"
#include "db/db_error.h"
#include "db/turkish_format.h"
#include "dialogs/dialog_values.h"
#include "slip/escpos.h"
#include "slip/printer_transport.h"

namespace zboard {

namespace {

QString printFailedText(const QString &reason) {
  return QStringLiteral("Tahsilat fişi yazdırılamadı: ") + reason + QStringLiteral(".\r\n") +
         QStringLiteral("Hesaplar tahsil edildi. Yazıcıyı kontrol edip kasa özetine (sağ üstteki mavi alan) "
                        "dokunarak fişi tekrar yazdırabilirsiniz.");
}

}  // namespace

void Board::noteBookedRun(const std::vector<qint64> &closed, const ClosingRunValues &values) {
  if (!slipPrinter_.configured()) return;
  zslip::RunOutcome run;
  run.time = values.ClosingStartTime;
  run.terminal = LocalHostName;
  run.operatorName = values.operatorName;
  run.courier = values.courier;
  // The branch as the run's stock rows carry it.
  try {
    if (QuerySube.isOpen()) run.branch = QuerySube.field(QStringLiteral("SubeAdi")).asString();
  } catch (const zdb::DbError &) {
  }
  // Grid row r is the (r+1)-th listed order: its number, customer and amount as shown, and the
  // register of its rightmost mark, the one it was closed with.
  for (int r = 0; r < NextGrid1.rowCount(); ++r) {
    zslip::SlipOrder order{NextGrid1.cell(0, r).text, NextGrid1.cell(1, r).text, {},
                           zfmt::parseAmount(NextGrid1.cell(2, r).text)};
    bool isNumber = false;
    const qint64 number = order.number.toLongLong(&isNumber);
    if (isNumber && std::find(closed.begin(), closed.end(), number) != closed.end()) {
      const std::vector<int> marks = NextGrid1.markedColumns(r);
      if (!marks.empty()) order.registerName = NextGrid1.columns[size_t(marks.back())].caption;
      run.closed.push_back(std::move(order));
    } else {
      run.notClosed.push_back(std::move(order));
    }
  }
  bookedRun_ = std::move(run);
}

void Board::printBookedRunSlip() {
  if (!bookedRun_) return;
  lastRun_ = std::exchange(bookedRun_, std::nullopt);
  lastSlip_ = zslip::composeSlip(*lastRun_, slipPrinter_.width);
  printSlip(*lastSlip_);
}

void Board::ScrollBox1Click() {
  if (!slipPrinter_.configured() || !lastSlip_) return;
  zdlg::DialogMessage = QStringLiteral("Son tahsilat fişi (") + lastRun_->courier + QStringLiteral(", ") +
                        lastRun_->time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) +
                        QStringLiteral(") tekrar yazdırılsın mı?");
  messenger_.showQuestion();
  if (zdlg::DialogAnswer != 1) return;
  printSlip(zslip::reprinted(*lastSlip_));
}

void Board::printSlip(const zslip::Slip &slip) {
  const QByteArray bytes = zslip::encodeEscPos(slip, slipPrinter_.codePage);
  // A printer that answers at once is not noticed; one that keeps the till waiting has the board
  // greyed and still painted until it answers or the wait is given up.
  const bool wasEnabled = enabled;
  bool waiting = false;
  QElapsedTimer elapsed;
  elapsed.start();
  const zslip::SendResult sent = zslip::sendWithinBounds(slipPrinter_.printer, bytes, [&] {
    if (!waiting && elapsed.elapsed() < 100) return;
    if (!waiting) setEnabled(false);
    waiting = true;
    messenger_.processEvents();
  });
  if (waiting) setEnabled(wasEnabled);
  if (sent.ok) return;
  zdlg::DialogMessage = printFailedText(sent.reason);
  messenger_.showInformation();
}

}  // namespace zboard
