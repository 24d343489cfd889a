#pragma once
#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "board/board_models.h"
#include "board/closing_transaction.h"
#include "db/connection.h"
#include "db/query.h"
#include "dialogs/messenger.h"
#include "slip/printer_settings.h"
#include "slip/settlement_slip.h"

namespace zboard {

struct ClosingRunValues;

// Sign-in results, program-wide: the operator signed in on the keypad.
struct SignedInUser {
  QString SignedInUserName;
  qint64 SignedInUserNo = 0;
};

// How a showing of the board ended its start-up.
enum class StartupResult {
  Ready,            // the board is ready for the operator
  TerminalRefused,  // this terminal may not close bills: the program ends
  Failed            // a database error was shown; the board stays as far as it was built
};

// The headless delivery-order board (`TForm1` without its widgets): owns the connection and every
// query component, the models of the widgets the logic touches, and the board-wide values. Every
// command runs on the thread that owns the connection.
class Board : public QObject {
  Q_OBJECT
 public:
  // Injected seams: the clock and the local host name (nullopt when it cannot be obtained).
  using Clock = std::function<QDateTime()>;
  using HostName = std::function<std::optional<QString>()>;

  Board(zdlg::Messenger &messenger, const QString &connectionName = QStringLiteral("Connect"),
        QObject *parent = nullptr);
  ~Board() override;

  void setClock(Clock clock) { clock_ = std::move(clock); }
  void setHostName(HostName hostName) { hostName_ = std::move(hostName); }
  QDateTime now() const { return clock_(); }
  // Every box opened through it announces itself first (boxOpening).
  zdlg::Messenger &messenger() { return messenger_; }

  // ---- database
  zdb::Connection Connect;
  zdb::Query QueryMainSip, QueryTemp, QueryKullanici, QueryKisimYetki, QueryStation, QuerySetup4,
      QueryMainSipKuryeSirala, QueryKasaAdi, QuerySube, QueryGrafik, QueryGrafikKapali, QueryLanguage,
      QueryMusteriTuru, QueryKisimBolum, QueryGenhar, QueryStokhar;

  // ---- widget models
  ListModel ListBox1;  // sections
  ListModel ListBox2;  // couriers
  GridModel NextGrid1;
  SummaryModel Summary;
  QString Button2Caption;
  QString Label2Caption = QStringLiteral("Kurye Seçiniz");
  QDate DTPBugun;  // the working date
  QString SpeedButtonAsagiCaption, SpeedButtonYukariCaption;
  bool enabled = true;  // the board takes input
  QTimer Timer1;        // gives the board back after a closing run

  // ---- program-wide and board-wide values
  SignedInUser user;
  QString LocalHostName;
  QString ReadyOrderFilter;
  QString HeldOrderClause;
  QString BoardErrorText;
  bool BoardInitialised = false;
  int ClickedRow = 0;
  int ClickedColumn = 0;
  QString ClickedOrderNo;
  std::vector<double> RegisterCounts, RegisterAmounts;
  int markedCount = 0;  // the marks the summary counted, which Label7 shows
  int SummaryColumnCount = 0;

  // ---- board creation and start-up
  void FormCreate();
  // Runs at every showing; database errors are shown in the error box.
  StartupResult FormShow();

  // The two courier chart statements (open orders, closed bills); `:0` is the working date.
  static QString openOrdersChartStatement();
  static QString closedBillsChartStatement();

  // ---- order listing and holds
  void LoadCourierOrders();  // throws zdb::DbError
  // "GÜNCELLE" and a selection in either list: load, then rebuild the summary; errors shown.
  void Refresh();
  void selectSection(int index);  // ListBox1 tap: select and refresh
  void selectCourier(int index);  // ListBox2 tap: select and refresh
  // "TERK": releases the held orders of the working date; true when the board may close.
  bool Terk();

  // Opens QueryTemp on the lines of one order (the lines grid follows it).
  void openOrderLines(const QString &orderNo);
  // The statement that reads the lines of one order.
  static QString orderLinesStatement(const QString &orderNo);

  // ---- payment grid and summary
  void NextGrid1CellClick(int column, int row);
  void HepsiniSecClick();      // "Tümünü Seç"
  void TumSecimiIptalClick();  // "Tüm Seçimi İptal Et"
  void RebuildRegisterSummary();

  // ---- closing run
  void Button2Click();
  // Whether all four tables a closing run writes (genhar, stokhar, mainsip, temp) have
  // transactions, as the server told at the connection's last opening. Without (MyISAM, Aria,
  // MEMORY, also one of them alone) a run keeps exactly once by other means.
  bool tablesHaveTransactions() const;
  // The read of those tables' kinds, sent with the session's settings at every opening.
  static QString tableKindsStatement();
  // Longest wait of a run for another terminal's run, on tables without transactions.
  int closingLockWaitSeconds = zdb::Connection::kLockWaitSeconds;
  // Longest silence of a closing run's session at the server: a till that stops in the middle of
  // a run leaves its session open, and the server ends it (and whatever it holds) after this.
  int closingSilenceSeconds = kRunSilenceSeconds;
  // A run on tables without transactions that could not be taken back (or finished) for want of
  // the server: settled first at the next command that reaches the server.
  void keepUnsettledRun(std::unique_ptr<ClosingTransaction> run);
  bool hasUnsettledRun() const { return unsettledRun_ != nullptr; }
  // The courier shown: ListBox2's item at its item index.
  QString courierName() const { return ListBox2.selectedText(); }

  // ---- the courier's settlement slip on the receipt printer (off without a printer)
  void setSlipPrinter(const zslip::PrinterSettings &printer) { slipPrinter_ = printer; }
  // Noted by a closing run once it is booked, while the grid still shows what it closed.
  void noteBookedRun(const std::vector<qint64> &closed, const ClosingRunValues &values);
  // The slip of the run just booked, once the run's command and its boxes are over. A printer
  // fault is told in the information box; it never touches the run.
  void printBookedRunSlip();
  // A tap on the summary panel: the last slip again, after a question.
  void ScrollBox1Click();
  const std::optional<zslip::Slip> &lastSlip() const { return lastSlip_; }

  // ---- Timer1: gives the board back once the order query holds no row.
  void Timer1Timer();

  // Runs a command; a database error is shown in the error box and the command abandoned.
  // Returns false when it failed. A connection lost in an earlier command is opened again first,
  // with the same parameters; never in the middle of a command. A run left unsettled is settled
  // then, before the command; while it cannot be, the command does not run.
  bool runCommand(const std::function<void()> &command);
  // After a failed statement: notes whether the connection itself is gone.
  void noteFailure();

 signals:
  // The grid may have changed in any way: shape, captions, widths, texts, colours.
  void gridChanged();
  // Only texts and colours of rows first..last changed.
  void gridRowsChanged(int first, int last);
  void listsChanged();
  void summaryChanged();
  void captionsChanged();
  void enabledChanged(bool enabled);
  void registerColumnsAdded();
  // A command runs from commandStarted to commandFinished, announced once for the outermost of
  // nested commands. Screens may put off redrawing meanwhile, but must draw what they put off
  // before a box opens (boxOpening), and may draw it whenever pending events are let run.
  void commandStarted();
  void commandFinished();
  void boxOpening();

 private:
  // Hands every call on to the messenger given, announcing a box before it opens. Every call: one
  // left to the interface's default would reach the screens as another call.
  class AnnouncingMessenger : public zdlg::Messenger {
   public:
    AnnouncingMessenger(Board &board, zdlg::Messenger &target) : board_(board), target_(target) {}
    void showInformation() override;
    void showQuestion() override;
    void setQuestionLabelColour(quint32 rgb) override { target_.setQuestionLabelColour(rgb); }
    void showPlainMessage(const QString &text) override;
    void showError(const QString &text) override;
    void showErrorAndNote(const QString &text, const QString &note) override;
    void processEvents() override { target_.processEvents(); }
    void setOrdersMaximum(int maximum) override { target_.setOrdersMaximum(maximum); }
    void setLinesMaximum(int maximum) override { target_.setLinesMaximum(maximum); }
    void showProgress() override { target_.showProgress(); }
    void closeProgress() override { target_.closeProgress(); }

   private:
    Board &board_;
    zdlg::Messenger &target_;
  };

  void setEnabled(bool on);
  void runClosing();
  // Statement condition on the shown courier and section.
  QString courierSectionCondition() const;

  AnnouncingMessenger messenger_;
  std::unique_ptr<ClosingTransaction> unsettledRun_;
  int commandDepth_ = 0;
  bool connectionLost_ = false;
  Clock clock_;
  HostName hostName_;

  // The settlement slip: the printer, the run booked and not yet printed, the last one printed.
  void printSlip(const zslip::Slip &slip);
  zslip::PrinterSettings slipPrinter_;
  std::optional<zslip::RunOutcome> bookedRun_;
  std::optional<zslip::RunOutcome> lastRun_;
  std::optional<zslip::Slip> lastSlip_;
};

// The local computer's host name (nullopt when the platform cannot tell it).
std::optional<QString> localHostName();

}  // namespace zboard
