// The courier's settlement slip: the settings that turn it on, its content and bytes, and the
// slip a real closing run sends to a printer on the network (a local listener standing in),
// with the printer off, refusing or slow, and again on a tap on the summary panel.
#include <iconv.h>

#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>
#include <QSqlError>
#include <QSqlQuery>
#include <set>
#include <sstream>

#include "board/screen/paket_islemleri.h"
#include "board_fixture.h"
#include "fake_printer.h"
#include "signin/connection_startup.h"
#include "slip/escpos.h"
#include "slip/printer_settings.h"
#include "slip/printer_transport.h"
#include "slip/settlement_slip.h"
#include "widget_input.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

static void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QStringList &l, std::ostream *os) {
  for (const QString &s : l) *os << "\n  |" << s.toStdString() << '|';
}
// A slip's lines in a failure message.
static std::string show(const QStringList &l) {
  std::ostringstream os;
  PrintTo(l, &os);
  return os.str();
}

namespace {

QString utf(const char *s) { return QString::fromUtf8(s); }

// Code page 857 read back by the C library's converter, not by the program's own table.
QString fromCodePage857(const QByteArray &bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP857");
  if (cd == iconv_t(-1)) {
    ADD_FAILURE() << "iconv knows no CP857";
    return {};
  }
  QByteArray in = bytes, out(bytes.size() * 4 + 4, '\0');
  char *inp = in.data(), *outp = out.data();
  size_t inLeft = size_t(in.size()), outLeft = size_t(out.size());
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)) ADD_FAILURE() << "not code page 857";
  iconv_close(cd);
  return QString::fromUtf8(out.constData(), out.size() - qsizetype(outLeft));
}

// A slip as the printer got it: its opening commands, its lines, what follows the last line.
struct Printed {
  QByteArray opening;
  QStringList lines;
  QByteArray ending;
};

Printed readSlip(const QByteArray &job) {
  Printed p;
  p.opening = job.left(5);
  const qsizetype feed = job.lastIndexOf(QByteArray("\x1b" "d"));
  p.ending = feed < 0 ? QByteArray() : job.mid(feed);
  QByteArray body = job.mid(5, (feed < 0 ? job.size() : feed) - 5);
  body.replace(QByteArray("\x1b" "E\x01", 3), QByteArray());
  body.replace(QByteArray("\x1b" "E\x00", 3), QByteArray());
  p.lines = fromCodePage857(body).split(QLatin1Char('\n'));
  if (!p.lines.isEmpty() && p.lines.last().isEmpty()) p.lines.removeLast();
  return p;
}

// The line that holds all of `words` (blanks between them of any width).
QString lineWith(const QStringList &lines, const QStringList &words) {
  for (const QString &line : lines) {
    const QStringList got = line.simplified().split(QLatin1Char(' '));
    bool all = true;
    qsizetype from = 0;
    for (const QString &w : words) {
      const qsizetype at = got.indexOf(w, from);
      if (at < 0) {
        all = false;
        break;
      }
      from = at + 1;
    }
    if (all) return line;
  }
  return {};
}

// ------------------------------------------------------------------------- settings file

TEST(SlipSettings, LaterLinesTurnThePrinterOnKeysWithoutRegardToCase) {
  const QStringList lines = zsignin::splitSettingsLines(
      utf("fisyazici=127.0.0.1:9100\r\nFISGENISLIGI = 42\r\n FisKodSayfasi=18 \r\nZumrutmasa=localhost\r\nbozuk satır\r\n"));
  // The first line is the server whatever it looks like.
  const zslip::PrinterSettings p = zslip::printerSettings(zsignin::laterSettings(lines));
  EXPECT_FALSE(p.configured());
  EXPECT_EQ(p.width, 42);
  EXPECT_EQ(p.codePage, 18);

  const zslip::PrinterSettings q = zslip::printerSettings(
      zsignin::laterSettings({"192.168.1.10", "[Zumrutek]", "FisYazici=EPSON TM-T20II Receipt"}));
  EXPECT_TRUE(q.configured());
  EXPECT_EQ(q.printer, "EPSON TM-T20II Receipt");
  EXPECT_EQ(q.width, 48);
  EXPECT_EQ(q.codePage, 13);

  // Values it cannot use leave the defaults.
  const zslip::PrinterSettings r = zslip::printerSettings(
      zsignin::laterSettings({"localhost", "FisYazici=", "FisGenisligi=12", "FisKodSayfasi=on üç", "FisGenisligi"}));
  EXPECT_FALSE(r.configured());
  EXPECT_EQ(r.width, 48);
  EXPECT_EQ(r.codePage, 13);
}

TEST(SlipSettings, HostAndPortIsANetworkPrinterAnythingElseASystemPrinter) {
  auto target = [](const char *s) { return zslip::printerTarget(QString::fromUtf8(s)); };
  EXPECT_EQ(target("192.168.1.50:9100").host, "192.168.1.50");
  EXPECT_EQ(target("192.168.1.50:9100").port, 9100);
  EXPECT_EQ(target("fis-yazici.local:9100").host, "fis-yazici.local");
  EXPECT_EQ(target("[fe80::1]:9100").host, "fe80::1");
  for (const char *name : {"EPSON TM-T20II Receipt", "\\\\KASA-PC\\Fis", "Fis", "yazici:0", "a:b:9100x"}) {
    EXPECT_FALSE(target(name).onNetwork()) << name;
    EXPECT_EQ(target(name).systemPrinter, QString::fromUtf8(name));
  }
}

// -------------------------------------------------------------------- content and bytes

zslip::RunOutcome outcome(int closed, int open) {
  zslip::RunOutcome run;
  run.time = QDateTime(QDate(2026, 12, 9), QTime(14, 30, 59));
  run.branch = utf("Merkez Şube");
  run.terminal = "KASA-PC";
  run.operatorName = "KASA1";
  run.courier = "Ali";
  for (int i = 0; i < closed + open; ++i) {
    zslip::SlipOrder o{QString::number(100001 + i), utf("Müşteri Çağlayan Şişli İstinye Sokak %1").arg(i),
                       i % 3 ? utf("Kredi Kartı") : utf("Yemek Kartı Sodexo Pass"), 1234.5 + i};
    if (i < closed)
      run.closed.push_back(o);
    else
      run.notClosed.push_back({o.number, o.customer, {}, o.amount});
  }
  return run;
}

TEST(SlipContent, TwoHundredOrdersComposedInUnderTwentyMillisecondsNoLineTooLong) {
  const zslip::RunOutcome run = outcome(200, 20);
  for (const int width : {48, 42, 32}) {
    QElapsedTimer t;
    t.start();
    const QByteArray bytes = zslip::encodeEscPos(zslip::composeSlip(run, width), 13);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::cout << "slip of 200 orders at " << width << " characters: " << ms << " ms, " << bytes.size()
              << " bytes\n";
    EXPECT_LT(ms, 20.0);
    const Printed p = readSlip(bytes);
    for (const QString &line : p.lines) EXPECT_LE(line.size(), width) << line.toStdString();
    // Cut to fit, the numbers and amounts whole.
    EXPECT_FALSE(lineWith(p.lines, {"100200"}).isEmpty());
    EXPECT_TRUE(lineWith(p.lines, {"100200"}).endsWith(utf("1.433,50")));
  }
}

TEST(SlipContent, TurkishLettersInCodePage857) {
  EXPECT_EQ(zslip::toCodePage857(utf("ÇüıİŞşĞğÖöÜç")), QByteArray("\x80\x81\x8d\x98\x9e\x9f\xa6\xa7\x99\x94\x9a\x87"));
  EXPECT_EQ(zslip::toCodePage857(utf("a€\tb")), QByteArray("a? b"));
  EXPECT_EQ(fromCodePage857(zslip::toCodePage857(utf("KURYE TAHSİLAT FİŞİ, Öğüt"))), utf("KURYE TAHSİLAT FİŞİ, Öğüt"));
}

// ------------------------------------------------------------ a real run, a network printer

const char *kFailed = "Tahsilat fişi yazdırılamadı";

class SlipPrinting : public ztest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ztest::seedRestaurant(4);
  }

  void usePrinter(const QString &printer, int width = 48, int codePage = 13) {
    board->setSlipPrinter({printer, width, codePage});
  }

  // Ali's four orders: 101 and 103 for Nakit, 102 moved to Kredi Kartı, 104 left unmarked.
  void listAndMark() {
    ztest::addOrder({.no = 101, .amount = 1234.5, .customer = utf("Şükrü Öğütçü İğdeli Çalışkanlar Ümraniye Şb.")});
    ztest::addOrder({.no = 102, .amount = 20});
    ztest::addOrder({.no = 103, .amount = 35.75});
    ztest::addOrder({.no = 104, .amount = 15});
    ASSERT_EQ(showBoard(), zboard::StartupResult::Ready);
    listCourier("Ali");
    board->NextGrid1CellClick(4, 1);
    board->NextGrid1CellClick(3, 3);
    ASSERT_EQ(board->Summary.Label7.caption, "3");
  }

  // The run, with the printer's state and the time noted when the success box closes.
  void run() {
    successClosed_.invalidate();
    fake.onInformation = [this] {
      if (successClosed_.isValid()) return;
      // A slip sent inside the run would reach the printer while the box is up.
      sentBeforeSuccess_ = printer_ && printer_->waitForJobs(1, 300) ? 1 : 0;
      successClosed_.start();
    };
    confirmAndRun();
    freeAfterMs_ = successClosed_.isValid() ? successClosed_.elapsed() : -1;
    fake.onInformation = nullptr;
  }

  static bool booked() {
    return ztest::count("SELECT * FROM genhar WHERE ADISYONNO IN (101, 102, 103)") == 3 &&
           ztest::count("SELECT * FROM mainsip WHERE ADISYONNO IN (101, 102, 103)") == 0;
  }

  ztest::FakePrinter *printer_ = nullptr;
  QElapsedTimer successClosed_;
  int sentBeforeSuccess_ = -1;
  qint64 freeAfterMs_ = -1;
};

TEST_F(SlipPrinting, AfterTheSuccessBoxTheSlipNamesWhatWasClosedAndWhatTheCourierStillOwes) {
  ztest::FakePrinter printer;
  printer_ = &printer;
  usePrinter(printer.address());
  listAndMark();
  run();

  ASSERT_TRUE(booked());
  ASSERT_EQ(fake.informations.size(), 1) << fake.informations.join("\n").toStdString();
  const QString success = fake.informations.at(0);
  ASSERT_TRUE(success.startsWith(utf("Ali Adına Kayıtlı 3 Adet 1.290,25 Tutarındaki Hesap"))) << success.toStdString();
  EXPECT_EQ(sentBeforeSuccess_, 0) << "the slip went out before the success box was closed";
  ASSERT_TRUE(printer.waitForJobs(1));
  ASSERT_EQ(printer.jobs().size(), 1u);
  const QByteArray job = printer.jobs().at(0);
  const Printed p = readSlip(job);

  EXPECT_EQ(p.opening, QByteArray("\x1b@\x1bt\x0d"));
  EXPECT_EQ(p.ending, QByteArray("\x1b" "d\x05\x1dV\x01"));
  for (const QString &line : p.lines) EXPECT_LE(line.size(), 48) << line.toStdString();
  EXPECT_EQ(p.lines.value(0).trimmed(), utf("Merkez Şube"));
  EXPECT_EQ(p.lines.value(1).trimmed(), utf("KURYE TAHSİLAT FİŞİ"));
  EXPECT_FALSE(lineWith(p.lines, {"Tarih", ":", "09.12.2026", "14:30"}).isEmpty()) << show(p.lines);
  EXPECT_FALSE(lineWith(p.lines, {"Terminal", ":", "KASA-PC"}).isEmpty()) << show(p.lines);
  EXPECT_FALSE(lineWith(p.lines, {"Kasiyer", ":", "KASA1"}).isEmpty()) << show(p.lines);
  EXPECT_FALSE(lineWith(p.lines, {"Kurye", ":", "Ali"}).isEmpty()) << show(p.lines);

  // Every closed order with its customer (cut to fit), register and amount, in the listing's order.
  const QString first = lineWith(p.lines, {"101", utf("Şükrü")});
  EXPECT_TRUE(first.contains(utf("Şükrü Öğütçü"))) << show(p.lines);
  EXPECT_TRUE(first.contains(utf(" Nakit ")) && first.endsWith(utf(" 1.234,50"))) << first.toStdString();
  EXPECT_FALSE(lineWith(p.lines, {"102", utf("Müşteri"), "102", "Kredi", utf("Kartı"), "20,00"}).isEmpty()) << show(p.lines);
  EXPECT_FALSE(lineWith(p.lines, {"103", utf("Müşteri"), "103", "Nakit", "35,75"}).isEmpty()) << show(p.lines);
  EXPECT_LT(p.lines.indexOf(first), p.lines.indexOf(lineWith(p.lines, {"103", "Nakit"})));

  // Per register, and the total as the success box said it.
  EXPECT_FALSE(lineWith(p.lines, {"Nakit", "2", "Adet", "1.270,25"}).isEmpty()) << show(p.lines);
  EXPECT_FALSE(lineWith(p.lines, {"Kredi", utf("Kartı"), "1", "Adet", "20,00"}).isEmpty()) << show(p.lines);
  EXPECT_FALSE(lineWith(p.lines, {"TOPLAM", "3", "Adet", "1.290,25"}).isEmpty()) << show(p.lines);
  EXPECT_TRUE(lineWith(p.lines, {"Yemek"}).isEmpty()) << "a register that closed nothing";

  // What stays with the courier, under its own heading after the closed ones.
  const qsizetype heading = p.lines.indexOf(utf("TAHSİL EDİLMEYEN ADİSYONLAR"));
  ASSERT_GE(heading, 0) << show(p.lines);
  const QString open = lineWith(p.lines, {"104", utf("Müşteri"), "104", "15,00"});
  EXPECT_GT(p.lines.indexOf(open), heading);
  EXPECT_GT(heading, p.lines.indexOf(lineWith(p.lines, {"TOPLAM"})));

  // Room to sign, last.
  const qsizetype courierSigns = p.lines.indexOf(utf("Teslim Eden (Kurye)"));
  const qsizetype cashierSigns = p.lines.indexOf(utf("Teslim Alan"));
  EXPECT_GT(courierSigns, p.lines.indexOf(open));
  EXPECT_GT(cashierSigns, courierSigns);
  EXPECT_TRUE(p.lines.last().startsWith("....")) << show(p.lines);

  // Reprint on a tap on the summary panel: asked first; "Hayır" prints nothing.
  board->ScrollBox1Click();
  ASSERT_EQ(fake.questions.size(), 3);  // the run's two and this one
  EXPECT_TRUE(fake.questions.last().startsWith(utf("Son tahsilat fişi (Ali, 09.12.2026 14:30)"))) << fake.questions.last().toStdString();
  EXPECT_FALSE(printer.waitForJobs(2, 300));
  fake.answer(1);
  board->ScrollBox1Click();
  ASSERT_TRUE(printer.waitForJobs(2));
  const Printed again = readSlip(printer.jobs().at(1));
  EXPECT_EQ(again.lines.value(2).trimmed(), utf("TEKRAR BASIM"));
  QStringList withoutMark = again.lines;
  withoutMark.removeAt(2);
  EXPECT_EQ(withoutMark, p.lines);
  EXPECT_EQ(fake.informations.size(), 1) << "a printed slip shows nothing";
}

// Tables without transactions, and a delete the server refuses half-way through the run's end
// (a crashed table refuses the same way): the orders it closed are booked, and their slip is
// printed once the error box is closed, the others under what the courier still owes.
TEST_F(SlipPrinting, ARunBookedInPartPrintsWhatItClosed) {
  ztest::FakePrinter printer;
  usePrinter(printer.address());
  ztest::setClosingTablesEngine("MyISAM");
  board->Connect.reopen();  // the engines are read when the board connects
  QSqlQuery trigger(ztest::admin());
  ASSERT_TRUE(trigger.exec("CREATE TRIGGER zt_bozuk BEFORE DELETE ON temp FOR EACH ROW BEGIN IF OLD.ADISYONNO = 103 "
                           "THEN SIGNAL SQLSTATE 'HY000' SET MESSAGE_TEXT = 'Tablo bozuk'; END IF; END"))
      << trigger.lastError().text().toStdString();
  listAndMark();
  int sentBeforeErrorClosed = -1;
  fake.onError = [&] { sentBeforeErrorClosed = printer.waitForJobs(1, 300) ? 1 : 0; };
  confirmAndRun();
  fake.onError = nullptr;

  ASSERT_EQ(fake.errors.size(), 1);
  EXPECT_TRUE(fake.errors.front().contains(utf("Hesapların bir kısmı tahsil edildi"))) << fake.errors.front().toStdString();
  ASSERT_EQ(ztest::count("SELECT * FROM mainsip WHERE ADISYONNO IN (101, 102)"), 0);
  ASSERT_EQ(ztest::count("SELECT * FROM genhar WHERE ADISYONNO IN (103, 104)"), 0);
  EXPECT_EQ(sentBeforeErrorClosed, 0) << "the slip went out while the error box was up";
  ASSERT_TRUE(printer.waitForJobs(1));
  const Printed p = readSlip(printer.jobs().at(0));
  EXPECT_FALSE(lineWith(p.lines, {"TOPLAM", "2", "Adet", "1.254,50"}).isEmpty()) << show(p.lines);
  const qsizetype heading = p.lines.indexOf(utf("TAHSİL EDİLMEYEN ADİSYONLAR"));
  ASSERT_GE(heading, 0) << show(p.lines);
  EXPECT_GT(p.lines.indexOf(lineWith(p.lines, {"103", utf("Müşteri"), "103", "35,75"})), heading) << show(p.lines);
  EXPECT_GT(p.lines.indexOf(lineWith(p.lines, {"104", utf("Müşteri"), "104", "15,00"})), heading) << show(p.lines);
  EXPECT_LT(p.lines.indexOf(lineWith(p.lines, {"102", "Kredi", utf("Kartı"), "20,00"})), heading) << show(p.lines);
}

TEST_F(SlipPrinting, NarrowerPaperAndAnotherCodePageNumber) {
  ztest::FakePrinter printer;
  listAndMark();
  for (const int width : {42, 32}) {
    usePrinter(printer.address(), width, 18);
    if (width == 32) {
      ASSERT_EQ(board->Summary.Label7.caption, "1");  // the order left open, listed again
    }
    confirmAndRun();
    ASSERT_TRUE(printer.waitForJobs(width == 42 ? 1 : 2));
    const QByteArray job = printer.jobs().back();
    EXPECT_EQ(job.left(5), QByteArray("\x1b@\x1bt\x12"));
    const Printed p = readSlip(job);
    for (const QString &line : p.lines) EXPECT_LE(line.size(), width) << width << ": " << line.toStdString();
    if (width == 42) {
      EXPECT_FALSE(lineWith(p.lines, {"TOPLAM", "3", "Adet", "1.290,25"}).isEmpty()) << show(p.lines);
      EXPECT_TRUE(lineWith(p.lines, {"101"}).endsWith(utf("1.234,50"))) << show(p.lines);
      EXPECT_FALSE(lineWith(p.lines, {"104", utf("Müşteri"), "104", "15,00"}).isEmpty()) << show(p.lines);
    } else {
      EXPECT_FALSE(lineWith(p.lines, {"104", "Nakit", "15,00"}).isEmpty()) << show(p.lines);
      EXPECT_FALSE(lineWith(p.lines, {"TOPLAM", "1", "Adet", "15,00"}).isEmpty()) << show(p.lines);
      EXPECT_EQ(p.lines.indexOf(utf("TAHSİL EDİLMEYEN ADİSYONLAR")), -1) << "nothing left open";
    }
  }
}

// Off, refusing, slow: the run stays booked, the board is free again within the bounds, and after
// the success box the operator is told why and how to print it again.
TEST_F(SlipPrinting, APrinterFaultNeverCostsTheRunNorHangsTheBoard) {
  ztest::FakePrinter slow(ztest::FakePrinter::Mode::NoAnswer);
  const struct {
    const char *what;
    QString address;
    const char *reason;
  } faults[] = {
      {"refusing", ztest::FakePrinter::refusingAddress(), "yazıcı bağlantıyı reddetti (127.0.0.1:"},
      {"slow to answer", slow.address(), "yazıcı 3 saniye içinde cevap vermedi (127.0.0.1:"},
      {"no such system printer", "Tahsilmatik Olmayan Yazici", "\"Tahsilmatik Olmayan Yazici\""},
  };
  bool first = true;
  int next = 105;
  for (const auto &fault : faults) {
    SCOPED_TRACE(fault.what);
    if (first) {
      listAndMark();
    } else {
      // The next run closes what the last one left and a new order, listed and marked.
      ztest::addOrder({.no = next++});
      board->Refresh();
      fake.informations.clear();
      fake.questions.clear();
      ASSERT_GE(board->NextGrid1.rowCount(), 1);
    }
    usePrinter(fault.address);
    run();
    if (first) {
      EXPECT_TRUE(booked());
    }
    first = false;
    ASSERT_EQ(fake.informations.size(), 2) << fake.informations.join("\n").toStdString();
    EXPECT_TRUE(fake.informations.at(0).contains(utf("Başarı İle Tahsil edilmiştir")));
    const QString told = fake.informations.at(1);
    EXPECT_TRUE(told.startsWith(utf(kFailed) + ": " + utf(fault.reason))) << told.toStdString();
    EXPECT_TRUE(told.contains(utf("kasa özetine (sağ üstteki mavi alan) dokunarak fişi tekrar yazdırabilirsiniz")))
        << told.toStdString();
    EXPECT_GE(freeAfterMs_, 0);
    EXPECT_LT(freeAfterMs_, (zslip::kConnectSeconds + 1) * 1000);
    expectBoardGivenBack();
    std::cout << fault.what << ": board free " << freeAfterMs_ << " ms after the success box\n";
  }
  EXPECT_EQ(ztest::count("SELECT * FROM mainsip"), 0);
  EXPECT_EQ(ztest::count("SELECT * FROM genhar"), 6);

  // The slip is kept: once the printer is back, a tap prints it.
  ztest::FakePrinter back;
  usePrinter(back.address());
  fake.answer(1);
  board->ScrollBox1Click();
  ASSERT_TRUE(back.waitForJobs(1));
  EXPECT_FALSE(lineWith(readSlip(back.jobs().at(0)).lines, {"TEKRAR", "BASIM"}).isEmpty());
}

TEST_F(SlipPrinting, WithoutAPrinterNotAByteAndNothingShown) {
  ztest::FakePrinter printer;
  listAndMark();
  run();
  ASSERT_TRUE(booked());
  EXPECT_EQ(fake.informations.size(), 1);
  board->ScrollBox1Click();
  EXPECT_EQ(fake.questions.size(), 2) << "only the run's two questions";
  EXPECT_FALSE(printer.waitForJobs(1, 300));
  EXPECT_EQ(printer.connections(), 0);
  EXPECT_FALSE(board->lastSlip().has_value());

  // A printer but no run booked yet, or a run that closed nothing: no slip, no question.
  usePrinter(printer.address());
  board->ScrollBox1Click();
  EXPECT_EQ(fake.questions.size(), 2);
  fake.answer(0);
  board->Button2Click();  // "Hayır": nothing closed
  EXPECT_EQ(printer.connections(), 0);
}

// A printer of the system: the CUPS queue that tests/printer/run_cups.sh starts (ctest slip_cups)
// gets the same bytes a network printer would, the reprint too.
TEST_F(SlipPrinting, ThroughASystemPrinterQueue) {
  const QString queue = qEnvironmentVariable("ZTEST_CUPS_QUEUE");
  const QString output = qEnvironmentVariable("ZTEST_CUPS_OUTPUT");
  if (queue.isEmpty()) GTEST_SKIP() << "no CUPS queue here: ctest slip_cups runs this with one";
  auto printed = [&] {
    QFile file(output);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  usePrinter(queue);
  listAndMark();
  run();
  ASSERT_TRUE(booked());
  EXPECT_EQ(fake.informations.size(), 1) << fake.informations.join("\n").toStdString();
  ASSERT_TRUE(board->lastSlip().has_value());
  ASSERT_TRUE(ztest::waitFor([&] { return !printed().isEmpty(); }, 10000));
  EXPECT_EQ(printed(), zslip::encodeEscPos(*board->lastSlip(), 13));
  EXPECT_FALSE(lineWith(readSlip(printed()).lines, {"TOPLAM", "3", "Adet", "1.290,25"}).isEmpty());

  QFile::remove(output);
  fake.answer(1);
  board->ScrollBox1Click();
  ASSERT_TRUE(ztest::waitFor([&] { return !printed().isEmpty(); }, 10000));
  EXPECT_EQ(printed(), zslip::encodeEscPos(zslip::reprinted(*board->lastSlip()), 13));
  EXPECT_EQ(fake.informations.size(), 1);
}

// The summary panel on the screen passes a tap on to the board.
TEST_F(SlipPrinting, ATapOnTheSummaryPanelOffersTheLastSlip) {
  ztest::FakePrinter printer;
  usePrinter(printer.address());
  listAndMark();
  TForm1 form(*board);
  form.show();
  run();
  ASSERT_TRUE(printer.waitForJobs(1));
  const qsizetype asked = fake.questions.size();
  QWidget *content = form.scrollBox1()->widget();
  ztest::click(content, {40, 200});  // below the rows, on the panel's blue
  EXPECT_EQ(fake.questions.size(), asked + 1);
  ztest::click(form.scrollBox1()->viewport(), {20, 12});  // on a heading label
  EXPECT_EQ(fake.questions.size(), asked + 2);
}

}  // namespace
