#include "closing_run.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <utility>

#include "board/board.h"
#include "db/batch.h"
#include "db/db_error.h"
#include "db/quoting.h"
#include "db/turkish_format.h"
#include "dialogs/colours.h"
#include "dialogs/dialog_values.h"
#include "dialogs/messenger.h"

namespace zboard {

namespace {

// Session variable that carries a long order's bill number to its stock lines.
const QString kBillNumber = QStringLiteral("@kapanan_genharno");

// Marked orders whose reads go in one request, and whose writes go in another. Enough that a
// round trip is small beside a group's work; few enough that the progress window keeps moving.
constexpr int kGroupOrders = 32;
// Most characters of statements one request carries, well below the smallest packet limit a
// restaurant's server may have (1 MB on old servers); a longer statement goes alone.
constexpr qsizetype kRequestCharacters = 256 * 1024;

// An order's piece of the closing list while the run goes.
QString closingPiece(qint64 orderNo) {
  return QStringLiteral(" Adisyonno = ") + QString::number(orderNo) + QStringLiteral(" or ");
}

// "where adisyonno in (103, 104)".
QString releaseClause(const std::vector<qint64> &orders) {
  QStringList numbers;
  numbers.reserve(qsizetype(orders.size()));
  for (const qint64 orderNo : orders) numbers << QString::number(orderNo);
  return QStringLiteral("where adisyonno in (") + numbers.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// An amount to the cent, as the grid shows it.
double toCents(double amount) { return std::round(amount * 100.0) / 100.0; }

QString changedElsewhereText() {
  return QStringLiteral(
      "Bu adisyonlar başka bir terminalde değiştirilmiş veya kapatılmış. Hiçbir hesap tahsil "
      "edilmedi. Lütfen Güncelle Butonuna Tıklayınız");
}

}  // namespace

// ------------------------------------------------------------------------------- Board

void Board::Button2Click() {
  runCommand([this] {
    if (markedCount == 0) return;  // Label7 shows "0"
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
  printBookedRunSlip();
}

void Board::runClosing() {
  ClosingRunValues values;
  values.ClosingStartTime = now();
  QueryLanguage.setText(QStringLiteral("SELECT * FROM setup ISLEMTARIHI"));
  try {
    QueryLanguage.open();
  } catch (const zdb::DbError &e) {
    // Nothing is written before the questions.
    noteFailure();
    messenger_.showErrorAndNote(zdlg::errorBoxText(e.text()), notBookedNote());
    return;
  }
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

  transaction_ = chooseTransaction();
  std::exception_ptr failure;
  std::optional<zdb::DbError> error;
  try {
    // The run begins with the first group's reads, in the same request.
    beginPending_ = true;
    b.QueryMainSip.first();
    while (!b.QueryMainSip.eof()) {
      std::vector<Order> group = takeGroup();
      readGroup(group);
      writeGroup(group);
    }
    if (std::exchange(beginPending_, false)) {  // nothing listed
      zdb::Batch start(b.Connect);
      transaction_->begin(start);
      start.send(zdb::Batch::OnFailure::Keep);
      transaction_->begun(start);
    }
    finish();
  } catch (const ChangedElsewhere &) {
    outcome_ = Outcome::ChangedElsewhere;
  } catch (const ClosingBusy &) {
    outcome_ = Outcome::Busy;
  } catch (const zdb::DbError &e) {
    outcome_ = Outcome::Failed;
    error = e;
  } catch (...) {
    outcome_ = Outcome::Failed;
    failure = std::current_exception();
  }

  RunTruth truth = RunTruth::NotBooked;
  if (!error && outcome_ != Outcome::Closed && outcome_ != Outcome::NothingClosed) {
    // Nothing of the run may stay. Where that cannot be done on the session, the look below
    // settles it on another, or the board does at its next command.
    try {
      transaction_->undo();
    } catch (const zdb::DbError &e) {
      truth = transaction_->findOutWhatWasBooked();
      if (truth == RunTruth::CannotTell) {
        outcome_ = Outcome::Failed;
        error = e;
      }
    }
  } else if (error) {
    truth = transaction_->findOutWhatWasBooked();
    if (truth == RunTruth::Booked) outcome_ = Outcome::Closed;
    // A deadlock or a lock wait that ran out met another terminal working on these orders.
    if (truth == RunTruth::ChangedElsewhere || (truth == RunTruth::NotBooked && error->isLockConflict()))
      outcome_ = Outcome::ChangedElsewhere;
  }
  // What could not be settled for want of the server is the board's to settle first, at its
  // next command; until then it starts no run.
  if (transaction_->unsettled()) b.keepUnsettledRun(std::move(transaction_));

  if (outcome_ == Outcome::Closed || outcome_ == Outcome::NothingClosed) {
    giveBoardBack();
    showRefusedLines();
    b.HeldOrderClause.clear();
    if (!closing_.empty()) {
      b.noteBookedRun(closing_, records_.values());
      // The summary's figures stand only when they are what was closed: not when an order was
      // given up, nor when a row carried two marks and was counted twice.
      const int closed = int(closing_.size());
      const bool asSummary = givenUpCount_ == 0 && b.markedCount == closed;
      const QString count = asSummary ? b.Summary.Label7.caption : zfmt::general(closed);
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

  // Nothing of the run stays written (or, when the server cannot be asked, the next command
  // settles it and its reload shows what is there); the board still holds every order it listed.
  b.HeldOrderClause = listedClause_;
  giveBoardBack();
  showRefusedLines();
  if (outcome_ == Outcome::ChangedElsewhere) {
    zdlg::DialogMessage = changedElsewhereText();
    m.showInformation();
  } else if (outcome_ == Outcome::Busy) {
    zdlg::DialogMessage = closingBusyText();
    m.showInformation();
  } else if (error) {
    // What a part-booked run closed goes on the courier's slip, the rest under what he still owes.
    if (truth == RunTruth::Partly && transaction_) b.noteBookedRun(transaction_->bookedOrders(), records_.values());
    // A connection that stays lost is opened again by the board at the next command.
    m.showErrorAndNote(zdlg::errorBoxText(error->text()), truth == RunTruth::CannotTell ? cannotTellNote()
                                                          : truth == RunTruth::Partly   ? partlyBookedNote()
                                                                                        : notBookedNote());
  } else {
    std::rethrow_exception(failure);
  }
}

void ClosingRun::showRefusedLines() {
  for (const QString &text : std::exchange(refusedLines_, {})) board_.messenger().showError(text);
}

std::vector<ClosingRun::Order> ClosingRun::takeGroup() {
  Board &b = board_;
  std::vector<Order> group;
  int marked = 0;
  while (!b.QueryMainSip.eof() && marked < kGroupOrders) {
    Order order;
    order.recNo = b.QueryMainSip.recNo();
    order.row = order.recNo - 1;
    order.number = currentOrderNumber();
    order.amount = toCents(b.QueryMainSip.field(QStringLiteral("Tutar")).asFloat());
    order.registerLookups = markedRegisterLookups(order.row);
    if (order.marked()) {
      ++marked;
      order.customerLookup = QStringLiteral("select * from cari Where Carino = \"") +
                             zdb::quoted(b.QueryMainSip.field(QStringLiteral("CariNo")).asString()) +
                             QLatin1Char('"');
      order.sectionLookup = QStringLiteral("select*from KisimBolum Where No = \"") +
                            zdb::quoted(b.QueryMainSip.field(QStringLiteral("kisimBolumNo")).asString()) +
                            QLatin1Char('"');
    }
    group.push_back(std::move(order));
    b.QueryMainSip.next();
  }
  return group;
}

std::vector<qint64> ClosingRun::markedOrders() const {
  const zdb::Query &orders = board_.QueryMainSip;
  std::vector<qint64> marked;
  for (int r = 0; r < orders.recordCount(); ++r) {
    if (markedRegisterLookups(r).isEmpty()) continue;
    bool ok = false;
    const qint64 number = orders.value(r, QStringLiteral("ADISYONNO")).toString().toLongLong(&ok);
    if (ok) marked.push_back(number);  // any other stops the walk when it comes to it
  }
  return marked;
}

std::unique_ptr<ClosingTransaction> ClosingRun::chooseTransaction() const {
  Board &b = board_;
  if (b.tablesHaveTransactions()) return serverTransaction(b.Connect, bills_, markedOrders(), b.closingSilenceSeconds);
  UndoingRun run;
  run.marked = markedOrders();
  run.lockWaitSeconds = b.closingLockWaitSeconds;
  run.silenceSeconds = b.closingSilenceSeconds;
  run.operatorName = records_.values().operatorName;
  run.station = closingTerminal(b.QueryStation);
  run.startTime = records_.values().ClosingStartTime;
  run.workDate = records_.values().ClosingWorkDate;
  return undoingTransaction(b.Connect, bills_, std::move(run));
}

QStringList ClosingRun::markedRegisterLookups(int row) const {
  const GridModel &grid = board_.NextGrid1;
  QStringList lookups;
  // Every "Ok" cell is looked up, left to right; the rightmost decides the register.
  for (const int c : grid.markedColumns(row))
    lookups << QStringLiteral("Select*From Kasa Where KasaAdi = \"") + zdb::quoted(grid.columns[size_t(c)].caption) +
                   QLatin1Char('"');
  return lookups;
}

void ClosingRun::readGroup(std::vector<Order> &group) {
  zdb::Batch batch(board_.Connect);
  const bool first = std::exchange(beginPending_, false);
  if (first) transaction_->begin(batch);
  std::map<QString, int> asked;  // look-ups of this batch -> their statement
  auto lookUp = [&](const QString &statement) {
    if (lookups_.count(statement) == 0 && asked.count(statement) == 0) asked[statement] = batch.add(statement, true);
  };
  std::vector<int> lines(group.size(), -1);
  for (size_t i = 0; i < group.size(); ++i) {
    const Order &order = group[i];
    if (!order.marked()) continue;
    for (const QString &statement : order.registerLookups) lookUp(statement);
    lines[i] = batch.add(Board::orderLinesStatement(QString::number(order.number)), true);
    lookUp(order.customerLookup);
    lookUp(order.sectionLookup);
  }
  const int last = batch.size() - 1;
  if (first) {
    // What the run's start got is learnt even when a read after it failed.
    batch.send(zdb::Batch::OnFailure::Keep);
    transaction_->begun(batch);
    batch.expectRan(last);
  } else {
    batch.send();
  }
  for (size_t i = 0; i < group.size(); ++i)
    if (lines[i] >= 0) group[i].lines = batch.takeRows(lines[i]);
  for (const auto &[statement, index] : asked) lookups_[statement] = batch.takeRows(index);
}

void ClosingRun::writeGroup(std::vector<Order> &group) {
  Board &b = board_;
  zdlg::Messenger &m = b.messenger();
  std::vector<Order *> composed;
  b.QueryMainSip.moveTo(group.front().recNo);
  for (Order &order : group) {
    paintGridRow(order.row);
    if (!order.marked()) {
      released_.push_back(order.number);
    } else {
      composeOrder(order);
      composed.push_back(&order);
    }
    b.QueryMainSip.next();
    if (order.marked()) m.processEvents();
  }

  // The group's writes go in as few requests as the server takes (one, for ordinary orders).
  // When the server rejects a line, the statements before it stand, its order is given up, and
  // the statements after that order's go again.
  std::vector<Write> writes;
  for (Order *order : composed)
    for (int i = 0; i < int(order->writes.size()); ++i) writes.push_back({order, i});
  std::vector<const Order *> givenUp;
  size_t next = 0;
  while (next < writes.size()) {
    zdb::Batch batch(b.Connect);
    const size_t first = next;
    qsizetype bytes = 0;
    while (next < writes.size()) {
      const QString &statement = writes[next].order->writes.at(writes[next].index);
      if (!batch.isEmpty() && bytes + statement.size() > kRequestCharacters) break;
      batch.add(statement);
      bytes += statement.size();
      ++next;
    }
    try {
      batch.send();
      noteBills(writes, first, next, batch);
    } catch (const zdb::BatchError &e) {
      const Write &failed = writes[first + size_t(e.statement())];
      noteBills(writes, first, first + size_t(e.statement()), batch);
      // The order's start, the bill or its number failed: the whole run goes.
      if (failed.index < failed.order->firstLineWrite) throw;
      giveUp(*failed.order, e);
      givenUp.push_back(failed.order);
      next = first + size_t(e.statement()) + 1;
      while (next < writes.size() && writes[next].order == failed.order) ++next;
    }
  }
  for (const Order *order : composed)
    if (std::find(givenUp.begin(), givenUp.end(), order) == givenUp.end()) countClosed(*order);
  showClosingList();
}

void ClosingRun::noteBills(const std::vector<Write> &writes, size_t first, size_t end, const zdb::Batch &batch) {
  for (size_t w = first; w < end; ++w) {
    if (writes[w].index != writes[w].order->billWrite) continue;
    bool ok = false;
    const qint64 id = batch.lastInsertId(int(w - first)).toLongLong(&ok);
    if (ok && id > 0) bills_[id] = writes[w].order->number;
  }
}

void ClosingRun::paintGridRow(int row) {
  GridModel &grid = board_.NextGrid1;
  if (row < 0 || row >= grid.rowCount()) return;
  for (int c = 0; c < grid.columnCount(); ++c) grid.cell(c, row).colour = zcolour::BtnFace;
  emit board_.gridRowsChanged(row, row);
}

void ClosingRun::composeOrder(Order &order) {
  Board &b = board_;
  zdlg::Messenger &m = b.messenger();
  // The order is in the closing list while it is written; a given-up order leaves it again.
  b.HeldOrderClause += closingPiece(order.number);

  restoreLookup(b.QueryKasaAdi, order.registerLookups.last());
  b.QueryTemp.restore(std::move(order.lines));
  restoreLookup(b.QueryMusteriTuru, order.customerLookup);
  restoreLookup(b.QueryKisimBolum, order.sectionLookup);

  // Its start, its bill, and its lines in multi-row inserts that take the bill's number from the
  // bill's own insert on this session.
  order.writes.clear();
  transaction_->startOrder(order.number, order.writes);
  order.billWrite = int(order.writes.size());
  order.writes << records_.closedBillStatement(
      {b.QueryMainSip, b.QueryKasaAdi, b.QueryKisimBolum, b.QueryMusteriTuru, b.QueryStation});
  const int lines = b.QueryTemp.recordCount();
  // One insert can take the number straight from the bill's insert; the second insert of a long
  // order would see the first one's number instead, so a long order keeps it in a variable.
  const bool longOrder = lines > kStockRowsPerInsert;
  if (longOrder) order.writes << QStringLiteral("SET ") + kBillNumber + QStringLiteral(" = LAST_INSERT_ID()");
  order.firstLineWrite = int(order.writes.size());
  const QString billNo = longOrder ? kBillNumber : QStringLiteral("LAST_INSERT_ID()");

  order.lineCount = lines;
  m.setLinesMaximum(lines);
  records_.beginOrderLines();
  // The progress window moves line by line while the lines are put into the inserts.
  QString insert;
  for (int r = 0; r < lines; ++r) {
    if (r % kStockRowsPerInsert == 0) {
      if (r > 0) order.writes << insert;
      insert = stokharInsertHead();
      insert.reserve(insert.size() + std::min(lines - r, kStockRowsPerInsert) * 700);
    } else {
      insert += QLatin1String(", ");
    }
    records_.appendStockRow(insert, billNo, {b.QueryTemp, b.QueryMainSip, b.QueryKasaAdi, b.QuerySube});
    b.QueryTemp.next();
    m.processEvents();
  }
  if (lines > 0) order.writes << insert;
}

void ClosingRun::countClosed(const Order &order) {
  closing_.push_back(order.number);
  closedLines_ += order.lineCount;
  closedAmount_ += order.amount;
}

void ClosingRun::giveUp(const Order &order, const zdb::DbError &error) {
  // A bill without all its lines must not stay, nor may its lines leave temp: the order is given
  // up and stays open.
  qint64 bill = 0;
  for (const auto &[id, orderNo] : bills_)
    if (orderNo == order.number) bill = id;
  transaction_->giveUpOrder(bill, error);
  // Shown once the run has ended: a box now would keep the run's locks while it waits.
  refusedLines_ << zdlg::errorBoxText(error.text());
  std::erase_if(bills_, [&](const auto &bill) { return bill.second == order.number; });
  released_.push_back(order.number);
  ++givenUpCount_;
}

void ClosingRun::finish() {
  Board &b = board_;
  // The deletes and the release go in one request, with what keeps them all or nothing.
  RunEnd expected;
  if (!closing_.empty()) {
    expected.clause = closingListClause(closing_);
    expected.deletes = closingDeletes(expected.clause);
    expected.orders = int(closing_.size());
    expected.lines = closedLines_;
    b.HeldOrderClause = expected.clause;
  }
  // Also when nothing was closed: the orders walked must not stay held by nobody.
  if (!released_.empty()) expected.release = QStringLiteral("update Mainsip set lockdurum =\"0\" ") + releaseClause(released_);
  const RunDeleted deleted = transaction_->end(expected);
  if (!expected.deletes.isEmpty()) {
    b.QueryTemp.noteExecuted(expected.deletes.at(0), deleted.lines);
    b.QueryMainSip.noteExecuted(expected.deletes.at(1), deleted.orders);
  }
  if (!expected.release.isEmpty()) b.QueryMainSip.noteExecuted(expected.release, deleted.released);
  outcome_ = closing_.empty() ? Outcome::NothingClosed : Outcome::Closed;
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

void ClosingRun::restoreLookup(zdb::Query &query, const QString &statement) {
  // Still open on this run's answer (the same register or section as the order before).
  if (query.isOpen() && query.text() == statement) return;
  const auto known = lookups_.find(statement);
  if (known == lookups_.end()) throw zdb::DbError(QStringLiteral("Okunmamış sorgu: ") + statement);
  query.restore(known->second);
}

void ClosingRun::showClosingList() {
  QString list;
  for (const qint64 orderNo : closing_) list += closingPiece(orderNo);
  board_.HeldOrderClause = list;
}

}  // namespace zboard
