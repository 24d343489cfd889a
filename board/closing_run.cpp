#include "closing_run.h"

#include <algorithm>
#include <exception>

#include "board/board.h"
#include "db/db_error.h"
#include "db/quoting.h"
#include "db/turkish_format.h"
#include "dialogs/colours.h"
#include "dialogs/dialog_values.h"
#include "dialogs/messenger.h"

namespace zboard {

namespace {

const QString kOrderSavepoint = QStringLiteral("kapanan_adisyon");

// Raised when the end deletes other rows than the run closed.
struct ChangedElsewhere {};

QString changedElsewhereText() {
  return QStringLiteral(
      "Bu adisyonlar başka bir terminalde değiştirilmiş veya kapatılmış. Hiçbir hesap tahsil "
      "edilmedi. Lütfen Güncelle Butonuna Tıklayınız");
}

}  // namespace

// ------------------------------------------------------------------------------- Board

void Board::Button2Click() {
  runCommand([this] {
    if (Summary.Label7.caption == QLatin1String("0")) return;
    if (HeldOrderClause.isEmpty()) return;
    if (QueryMainSip.recordCount() < 1) return;
    if (ListBox2.items.isEmpty()) return;
    if (!BoardErrorText.isEmpty()) {
      zdlg::DialogMessage =
          QStringLiteral("Hata: ") + BoardErrorText + QStringLiteral(" Lütfen Güncelle Butonuna Tıklayınız");
      messenger_.showInformation();
      return;
    }
    runClosing();
  });
}

void Board::runClosing() {
  ClosingRunValues values;
  values.ClosingStartTime = now();
  QueryLanguage.setText(QStringLiteral("SELECT * FROM setup ISLEMTARIHI"));
  QueryLanguage.open();
  values.ClosingWorkDate = QueryLanguage.field(QStringLiteral("ISLEMTARIHI")).asDateTime();
  values.operatorName = user.SignedInUserName;
  values.operatorNo = user.SignedInUserNo;
  values.clock = [this] { return now(); };

  // Both questions read the courier and the summary anew.
  auto confirmed = [this](const QString &prefix, quint32 colour) {
    zdlg::DialogMessage = prefix + ListBox2.selectedText() + QStringLiteral(" Adına Kayıtlı ") +
                          Summary.Label7.caption + QStringLiteral(" Adet ") + Summary.Label8.caption +
                          QStringLiteral(" Tutarındaki Hesabı ") + QStringLiteral("\r\n") +
                          QStringLiteral(" tahsil ediyorsunuz..!!!");
    messenger_.setQuestionLabelColour(colour);
    messenger_.showQuestion();
    messenger_.setQuestionLabelColour(zcolour::Lime);
    return zdlg::DialogAnswer == 1;
  };
  if (!confirmed(QStringLiteral("Dikkat 1; "), zcolour::Rose)) return;
  if (!confirmed(QStringLiteral("Dikkat 2; "), zcolour::Red)) return;

  values.courier = ListBox2.selectedText();
  ClosingRun run(*this, std::move(values), [this](bool on) { setEnabled(on); });
  run.execute();
}

// ------------------------------------------------------------------------------- ClosingRun

ClosingRun::ClosingRun(Board &board, ClosingRunValues values, std::function<void(bool)> setBoardEnabled)
    : board_(board), records_(std::move(values)), setBoardEnabled_(std::move(setBoardEnabled)) {}

void ClosingRun::execute() {
  Board &b = board_;
  zdlg::Messenger &m = b.messenger();

  listedClause_ = b.HeldOrderClause;
  b.HeldOrderClause.clear();
  m.setOrdersMaximum(b.QueryMainSip.recordCount());
  b.Timer1.start();
  setBoardEnabled_(false);
  m.showProgress();
  m.processEvents();

  std::exception_ptr failure;
  try {
    b.Connect.begin();
    b.QueryMainSip.first();
    while (!b.QueryMainSip.eof()) {
      const int row = b.QueryMainSip.recNo() - 1;
      const bool marked = scanGridRow(row);
      const qint64 orderNo = currentOrderNumber();
      if (!marked) {
        addToRelease(orderNo);
        b.QueryMainSip.next();
        continue;
      }
      closeOrder(orderNo, row);
      b.QueryMainSip.next();
      m.processEvents();
    }
    finish();
  } catch (const ChangedElsewhere &) {
    outcome_ = Outcome::ChangedElsewhere;
  } catch (...) {
    outcome_ = Outcome::Failed;
    failure = std::current_exception();
  }

  if (outcome_ == Outcome::Closed || outcome_ == Outcome::NothingClosed) {
    giveBoardBack();
    b.HeldOrderClause.clear();
    if (closedCount_ > 0) {
      // The summary's figures stand only when they are what was closed: not when an order was
      // given up, nor when a row carried two marks and was counted twice.
      const bool asSummary = givenUpCount_ == 0 && b.Summary.Label7.caption == zfmt::general(closedCount_);
      const QString count = asSummary ? b.Summary.Label7.caption : zfmt::general(closedCount_);
      const QString amount = asSummary ? b.Summary.Label8.caption : zfmt::amount(closedAmount_);
      zdlg::DialogMessage = records_.values().courier + QStringLiteral(" Adına Kayıtlı ") + count +
                            QStringLiteral(" Adet ") + amount + QStringLiteral(" Tutarındaki Hesap ") +
                            QStringLiteral("\r\n") + QStringLiteral(">>> Başarı İle Tahsil edilmiştir");
      m.showInformation();
    }
    b.LoadCourierOrders();
    b.RebuildRegisterSummary();
    return;
  }

  // Nothing of the run stays written; the board still holds every order it listed.
  try {
    b.Connect.rollback();
  } catch (const zdb::DbError &) {
    // A lost session took its transaction with it.
  }
  b.HeldOrderClause = listedClause_;
  giveBoardBack();
  if (outcome_ == Outcome::ChangedElsewhere) {
    zdlg::DialogMessage = changedElsewhereText();
    m.showInformation();
  } else {
    // The board's command handler shows it, and opens a lost connection again at the next command.
    std::rethrow_exception(failure);
  }
}

bool ClosingRun::scanGridRow(int row) {
  Board &b = board_;
  GridModel &grid = b.NextGrid1;
  if (row < 0 || row >= grid.rowCount()) return false;  // no grid row, no mark
  bool marked = false;
  for (int c = 0; c < grid.columnCount(); ++c) {
    GridCell &cell = grid.cell(c, row);
    cell.colour = zcolour::BtnFace;
    // No break: with two marks the rightmost register decides.
    if (c >= 3 && cell.text == QLatin1String("Ok")) {
      marked = true;
      lookUp(b.QueryKasaAdi, QStringLiteral("Select*From Kasa Where KasaAdi = \"") +
                                 zdb::quoted(grid.columns[size_t(c)].caption) + QLatin1Char('"'));
    }
  }
  emit b.gridChanged();
  return marked;
}

void ClosingRun::closeOrder(qint64 orderNo, int row) {
  Board &b = board_;
  zdlg::Messenger &m = b.messenger();
  const QString number = QString::number(orderNo);
  const qsizetype clauseLength = b.HeldOrderClause.size();
  b.HeldOrderClause += QStringLiteral(" Adisyonno = ") + number + QStringLiteral(" or ");

  b.openOrderLines(number);
  lookUp(b.QueryMusteriTuru, QStringLiteral("select * from cari Where Carino = \"") +
                                 zdb::quoted(b.QueryMainSip.field(QStringLiteral("CariNo")).asString()) +
                                 QLatin1Char('"'));
  lookUp(b.QueryKisimBolum, QStringLiteral("select*from KisimBolum Where No = \"") +
                                zdb::quoted(b.QueryMainSip.field(QStringLiteral("kisimBolumNo")).asString()) +
                                QLatin1Char('"'));

  // Re-setting a savepoint of the same name replaces the previous order's one.
  b.Connect.savepoint(kOrderSavepoint);
  const QVariant billNo = records_.writeClosedBill(
      b.QueryGenhar, {b.QueryMainSip, b.QueryKasaAdi, b.QueryKisimBolum, b.QueryMusteriTuru, b.QueryStation});

  const int lines = b.QueryTemp.recordCount();
  m.setLinesMaximum(lines);
  records_.beginOrderLines();
  // The lines go in multi-row inserts (one for an ordinary order): a round trip per order, not per
  // line. The progress window still moves line by line while they are bound.
  for (int written = 0; written < lines;) {
    const int rows = std::min(kStockRowsPerInsert, lines - written);
    try {
      b.QueryStokhar.setText(stokharInsertText(rows));
      for (int r = 0; r < rows; ++r) {
        records_.bindStockLine(b.QueryStokhar, r, billNo,
                               {b.QueryTemp, b.QueryMainSip, b.QueryKasaAdi, b.QuerySube});
        b.QueryTemp.next();
        m.processEvents();
      }
      b.QueryStokhar.execute();
      written += rows;
    } catch (const zdb::DbError &e) {
      // A bill without all its lines must not stay, nor may its lines leave temp: the order is
      // given up and stays open. If even the savepoint is gone (lost session, deadlock), the
      // whole run goes.
      try {
        b.Connect.rollbackToSavepoint(kOrderSavepoint);
      } catch (const zdb::DbError &) {
        throw e;
      }
      m.showError(zdlg::errorBoxText(e.text()));
      b.HeldOrderClause.truncate(clauseLength);
      addToRelease(orderNo);
      ++givenUpCount_;
      return;
    }
  }

  ++closedCount_;
  closedLines_ += b.QueryTemp.recordCount();
  closedAmount_ += zfmt::parseAmount(b.NextGrid1.cell(2, row).text);
}

void ClosingRun::finish() {
  Board &b = board_;
  if (closedCount_ > 0) {
    // The final " or " loses its "or" and the blank before it: the clause ends with one blank.
    QString &clause = b.HeldOrderClause;
    clause.chop(4);
    clause += QLatin1Char(' ');
    b.QueryTemp.setText(QStringLiteral("delete From temp Where ") + clause);
    b.QueryTemp.execute();
    const int linesDeleted = b.QueryTemp.rowsAffected();
    b.QueryMainSip.setText(QStringLiteral("delete From mainsip Where ") + clause);
    b.QueryMainSip.execute();
    // Another terminal closed an order meanwhile, or its lines changed after they were read.
    if (b.QueryMainSip.rowsAffected() != closedCount_ || linesDeleted != closedLines_) throw ChangedElsewhere{};
  }
  // Also when nothing was closed: the orders walked must not stay held by nobody.
  if (!ReleaseClause.isEmpty()) {
    ReleaseClause.chop(2);
    ReleaseClause += QLatin1Char(')');
    b.QueryMainSip.setText(QStringLiteral("update Mainsip set lockdurum =\"0\" ") + ReleaseClause);
    b.QueryMainSip.execute();
  }
  b.Connect.commit();
  outcome_ = closedCount_ > 0 ? Outcome::Closed : Outcome::NothingClosed;
}

void ClosingRun::giveBoardBack() {
  board_.Timer1.stop();
  setBoardEnabled_(true);
  board_.messenger().closeProgress();
}

qint64 ClosingRun::currentOrderNumber() const {
  // The number is pasted unquoted into the delete and release statements: only a whole number
  // may go there.
  const QString text = board_.QueryMainSip.field(QStringLiteral("ADISYONNO")).asString();
  bool ok = false;
  const qint64 number = text.toLongLong(&ok);
  if (!ok) throw zdb::DbError(QStringLiteral("Geçersiz adisyon numarası: ") + text);
  return number;
}

void ClosingRun::lookUp(zdb::Query &query, const QString &statement) {
  // Inside the run's transaction these rows read the same every time: its reads share one
  // snapshot (the server's default isolation) and it writes none of these tables. So each distinct
  // look-up is asked once per run, not once per order.
  const auto known = lookups_.constFind(statement);
  if (known != lookups_.constEnd()) {
    // Still open on this run's answer (the same register or section as the order before).
    if (!(query.isOpen() && query.text() == statement)) query.restore(*known);
    return;
  }
  query.setText(statement);
  query.open();
  lookups_.insert(statement, query.result());
}

void ClosingRun::addToRelease(qint64 orderNo) {
  if (ReleaseClause.isEmpty()) ReleaseClause = QStringLiteral("where adisyonno in (");
  ReleaseClause += QString::number(orderNo) + QStringLiteral(", ");
}

}  // namespace zboard
