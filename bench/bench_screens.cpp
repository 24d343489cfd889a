// Screen benchmark: the operator's commands through the real screens (the board with its grid,
// summary, lines grid and charts, the progress window, the boxes) against the same commands on
// the headless board alone, in one process, on the seeded restaurant:
//
//   - the listing of the courier's N orders (a tap on the courier),
//   - a tap on a register cell of the last row,
//   - "Tümünü Seç" from the first row,
//   - the closing run of all N orders, from the second "Evet" to the success box.
//
// Through the screens a command counts until its effect is painted: the grid has painted after
// it, or the success box has. The boxes are the real ones, answered by a script.
//
// The board is laid out at the design size (factor 1). With --factors it also lists the courier's
// orders (the last shape) with the board's window sized for each factor, e.g. 1,1.5: the whole
// design scaled by the factor, as on a till at 150 %.
//
//   bench_screens --port P [--host H] [--shapes 200x4,1000x8] [--reps R] [--memory-orders N]
//                 [--factors 1,1.5]
//
// Needs a platform for the screens: QT_QPA_PLATFORM=offscreen (scripts/bench_screens.sh).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "board/board.h"
#include "board/screen/paket_islemleri.h"
#include "board/screen/payment_grid.h"
#include "db/db_error.h"
#include "dialogs/dialog_values.h"
#include "dialogs/screen/form_uyari.h"
#include "dialogs/screen/form_yes_no.h"
#include "dialogs/screen/screen_messenger.h"
#include "dialogs/screen/unit_gauge.h"
#include "answering_messenger.h"
#include "restaurant_seed.h"

namespace zbench {
namespace {

[[noreturn]] void fail(const QString &what) {
  std::fprintf(stderr, "bench_screens: %s\n", qPrintable(what));
  std::exit(1);
}

void check(bool ok, const QString &what) {
  if (!ok) fail(what);
}

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

// Kilobytes of a "VmHWM:"-like line of /proc/self/status.
long statusKilobytes(const char *key) {
  std::ifstream status("/proc/self/status");
  std::string name;
  long value = -1;
  while (status >> name) {
    if (name == key) {
      status >> value;
      return value;
    }
    status.ignore(1 << 12, '\n');
  }
  return -1;
}

// Lets events run for `ms` milliseconds: the operator's hand between two taps. Waits for them
// rather than spinning, so that the process is idle as the program would be.
void pause(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void click(QWidget *target, QPoint at) {
  const QPointF local(at), global(target->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &press);
  QCoreApplication::sendEvent(target, &release);
}

// Counts the paint events of one widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
  int paints = 0;
  std::function<void()> onPaint;

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Paint) {
      ++paints;
      if (onPaint) onPaint();
    }
    return false;
  }
};

// From the second "Evet" to the success box; each way keeps one.
struct RunWatch {
  QElapsedTimer timer;
  int questions = 0;
  std::optional<double> seconds;
  void answered() {
    if (++questions == 2) timer.start();
  }
  void reached() {
    if (questions >= 2 && !seconds) seconds = double(timer.nsecsElapsed()) / 1e9;
  }
  void reset() {
    questions = 0;
    seconds.reset();
  }
};


// The real boxes and progress window, answered by a script: "Evet" to every question once the
// box runs, "Tamam" once the information box has painted. Error boxes are only recorded: the
// benchmark fails on any.
class ScriptedScreens : public zdlg::Messenger {
 public:
  ScriptedScreens(TFormgauge &gauge, TFormYsNo &yesNo, TFormUyar &information)
      : screens_(gauge, yesNo, information), yesNo_(yesNo), information_(information), informationPaints_(&information) {
    informationPaints_.onPaint = [this] {
      if (!informationOpen_) return;
      informationOpen_ = false;
      watch.reached();
      QTimer::singleShot(0, &information_, [this] { information_.button1()->click(); });
    };
  }

  void showInformation() override {
    informations << zdlg::DialogMessage;
    informationOpen_ = true;
    QTimer::singleShot(2000, &information_, [this] {  // never hangs on a box that did not paint
      if (information_.isVisible()) information_.button1()->click();
    });
    screens_.showInformation();
  }
  void showQuestion() override {
    QTimer::singleShot(0, &yesNo_, [this] {
      watch.answered();
      yesNo_.button1()->click();
    });
    screens_.showQuestion();
  }
  void setQuestionLabelColour(quint32 rgb) override { screens_.setQuestionLabelColour(rgb); }
  void showPlainMessage(const QString &text) override { errors << text; }
  void showError(const QString &text) override { errors << text; }
  void processEvents() override {
    ++processed;
    screens_.processEvents();
  }
  void setOrdersMaximum(int maximum) override { screens_.setOrdersMaximum(maximum); }
  void setLinesMaximum(int maximum) override { screens_.setLinesMaximum(maximum); }
  void showProgress() override { screens_.showProgress(); }
  void closeProgress() override { screens_.closeProgress(); }

  QStringList informations, errors;
  long processed = 0;
  RunWatch watch;

 private:
  ScreenMessenger screens_;
  TFormYsNo &yesNo_;
  TFormUyar &information_;
  PaintCounter informationPaints_;
  bool informationOpen_ = false;
};

// What one way measured, in seconds.
struct Figures {
  std::vector<double> listing, tap, selectAll, closing;
};

void prepareBoard(zboard::Board &board) {
  configure(board.Connect);
  board.Connect.open();
  board.setHostName([] { return std::optional<QString>(kTerminal.toLower()); });
  board.ListBox1.items = QStringList{kSection};
  board.user.SignedInUserName = kOperator;
  board.user.SignedInUserNo = kOperatorNo;
}

void checkClosed(zboard::Board &board, const QStringList &errors, const QStringList &informations, long processed,
                 int orders, int lines, const char *way) {
  const QString w = QString::fromLatin1(way);
  check(errors.isEmpty(), w + QStringLiteral(": ") + errors.join(QLatin1Char('\n')));
  check(informations.size() == 1 && informations.front().endsWith(QStringLiteral(">>> Başarı İle Tahsil edilmiştir")),
        w + QStringLiteral(": no success message"));
  check(processed >= long(orders) * (lines + 1), w + QStringLiteral(": pending events were not let run"));
  check(scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM mainsip")).toInt() == 0 &&
            scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM genhar")).toInt() == orders &&
            scalarOrDie(QStringLiteral("SELECT COUNT(*) FROM stokhar")).toInt() == orders * lines,
        w + QStringLiteral(": not every order closed"));
  check(board.NextGrid1.rowCount() == 0, w + QStringLiteral(": orders left on the board"));
}

// ---------------------------------------------------------------- the headless board

class HeadlessWay {
 public:
  HeadlessWay() : board_(messenger_, QStringLiteral("bench_headless")) {
    messenger_.onQuestion = [this] { watch_.answered(); };
    messenger_.onInformation = [this] { watch_.reached(); };
    prepareBoard(board_);
    check(board_.FormShow() == zboard::StartupResult::Ready, QStringLiteral("headless: start-up failed"));
  }

  void measure(int orders, int lines, Figures &f) {
    seedOrders(orders, lines);
    messenger_.informations.clear();
    messenger_.errors.clear();
    messenger_.processed = 0;
    watch_.reset();
    const int courier = int(board_.ListBox2.items.indexOf(kCourier));
    check(courier >= 0, QStringLiteral("headless: courier not listed"));
    QElapsedTimer t;
    t.start();
    board_.selectCourier(courier);
    f.listing.push_back(seconds(t));
    check(board_.NextGrid1.rowCount() == orders && board_.BoardErrorText.isEmpty(),
          QStringLiteral("headless: listing incomplete"));

    const int last = orders - 1;
    t.start();
    board_.NextGrid1CellClick(4, last);
    f.tap.push_back(seconds(t));
    check(board_.NextGrid1.cell(4, last).text == QLatin1String("Ok"), QStringLiteral("headless: tap did not mark"));

    board_.NextGrid1CellClick(4, 0);
    t.start();
    board_.HepsiniSecClick();
    f.selectAll.push_back(seconds(t));
    check(board_.Summary.runtimeLabels.at(4).caption == QString::number(orders),
          QStringLiteral("headless: Tümünü Seç did not mark every row"));

    board_.Button2Click();
    check(watch_.seconds.has_value(), QStringLiteral("headless: the run did not reach its success box"));
    f.closing.push_back(*watch_.seconds);
    checkClosed(board_, messenger_.errors, messenger_.informations, messenger_.processed, orders, lines, "headless");
  }

 private:
  AnsweringMessenger messenger_;  // every question "Evet", every box closed at once
  RunWatch watch_;
  zboard::Board board_;
};

// ---------------------------------------------------------------- the real screens

class ScreenWay {
 public:
  ScreenWay()
      : messenger_(gauge_, yesNo_, information_),
        board_(messenger_, QStringLiteral("bench_screens")),
        form_(board_),
        gridPaints_(form_.nextGrid1()->viewport()) {
    prepareBoard(board_);
    gauge_.setRowSources([this] { return board_.QueryMainSip.recNo(); }, [this] { return board_.QueryTemp.recNo(); });
    yesNo_.setAnchor(&form_);
    information_.setAnchor(&form_);
    form_.show();  // its showing runs the board's start-up
    pause(100);
    check(form_.lastStartup() == zboard::StartupResult::Ready, QStringLiteral("screens: start-up failed"));
    resizeTo(1.0);
  }

  // Gives the board's window the client size of its design at `factor`, as a till's screen does.
  void resizeTo(double factor) {
    form_.setWindowState(Qt::WindowNoState);
    form_.resize(qRound(TForm1::DesignClientWidth * factor), qRound(TForm1::DesignClientHeight * factor));
    pause(100);
    check(std::abs(form_.factor() - factor) < 1e-9, QStringLiteral("screens: the board is not at factor %1").arg(factor));
  }

  // Lists the courier by tapping its name; the seconds until the grid has painted.
  double list(int orders) {
    QListWidget *couriers = form_.listBox2();
    const int courier = int(board_.ListBox2.items.indexOf(kCourier));
    check(courier >= 0, QStringLiteral("screens: courier not listed"));
    const QPoint at = couriers->visualItemRect(couriers->item(courier)).center();
    const double s = untilGridPainted([&] { click(couriers->viewport(), at); });
    check(board_.NextGrid1.rowCount() == orders && form_.nextGrid1()->model()->rowCount() == orders &&
              board_.BoardErrorText.isEmpty() && messenger_.errors.isEmpty(),
          QStringLiteral("screens: listing incomplete"));
    return s;
  }

  void measure(int orders, int lines, Figures &f) {
    seedOrders(orders, lines);
    messenger_.informations.clear();
    messenger_.errors.clear();
    messenger_.processed = 0;
    messenger_.watch.reset();
    zboard::PaymentGrid *grid = form_.nextGrid1();
    f.listing.push_back(list(orders));

    const int last = orders - 1;
    grid->scrollToBottom();
    pause(60);
    f.tap.push_back(untilGridPainted([&] { click(grid->viewport(), cellCentre(4, last)); }));
    check(grid->model()->index(last, 4).data().toString() == QLatin1String("Ok"),
          QStringLiteral("screens: tap did not mark"));

    grid->scrollToTop();
    pause(60);
    click(grid->viewport(), cellCentre(4, 0));
    pause(60);
    f.selectAll.push_back(untilGridPainted([&] { form_.hepsiniSec()->trigger(); }));
    check(form_.runtimeLabels().at(4)->text() == QString::number(orders),
          QStringLiteral("screens: Tümünü Seç did not mark every row"));
    pause(60);

    form_.button2()->click();
    check(messenger_.watch.seconds.has_value(), QStringLiteral("screens: the run did not reach its success box"));
    f.closing.push_back(*messenger_.watch.seconds);
    checkClosed(board_, messenger_.errors, messenger_.informations, messenger_.processed, orders, lines, "screens");
    check(form_.nextGrid1()->model()->rowCount() == 0, QStringLiteral("screens: the grid still shows orders"));
    pause(150);  // the progress window and the board's timer settle
  }

 private:
  QPoint cellCentre(int column, int row) const {
    zboard::PaymentGrid *grid = form_.nextGrid1();
    return grid->visualRect(grid->model()->index(row, column)).center();
  }

  // Runs `action` and lets events run until the grid has painted after it.
  double untilGridPainted(const std::function<void()> &action) {
    gridPaints_.paints = 0;
    QElapsedTimer t;
    t.start();
    action();
    while (gridPaints_.paints == 0) {
      if (t.elapsed() > 5000) fail(QStringLiteral("screens: the grid did not paint"));
      QCoreApplication::processEvents();
    }
    return seconds(t);
  }

  TFormgauge gauge_;
  TFormYsNo yesNo_;
  TFormUyar information_;
  ScriptedScreens messenger_;
  zboard::Board board_;
  TForm1 form_;
  PaintCounter gridPaints_;
};

// ---------------------------------------------------------------- main

struct Shape {
  int orders, lines;
};

struct Options {
  std::vector<Shape> shapes = {{200, 4}, {1000, 8}};
  int reps = 5;
  int memoryOrders = 1000;
  int memoryLines = 8;
  std::vector<double> factors;
};

Options parse(const QStringList &args) {
  Options o;
  for (int i = 1; i < args.size(); ++i) {
    const QString &a = args[i];
    auto text = [&]() -> QString {
      if (i + 1 >= args.size()) fail(a + QStringLiteral(" needs a value"));
      return args[++i];
    };
    auto number = [&]() -> int {
      bool ok = false;
      const int v = text().toInt(&ok);
      if (!ok || v < 1) fail(a + QStringLiteral(" needs a positive number"));
      return v;
    };
    if (a == QLatin1String("--port")) {
      server().port = number();
    } else if (a == QLatin1String("--host")) {
      server().host = text();
    } else if (a == QLatin1String("--server-pid")) {
      server().pid = number();
    } else if (a == QLatin1String("--reps")) {
      o.reps = number();
    } else if (a == QLatin1String("--factors")) {
      for (const QString &f : text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const double v = f.toDouble(&ok);
        if (!ok || v < 0.2 || v > 4) fail(QStringLiteral("bad factor ") + f);
        o.factors.push_back(v);
      }
    } else if (a == QLatin1String("--memory-orders")) {
      o.memoryOrders = number();
    } else if (a == QLatin1String("--shapes")) {
      o.shapes.clear();
      for (const QString &s : text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList p = s.split(QLatin1Char('x'));
        bool ok1 = false, ok2 = false;
        if (p.size() != 2) fail(QStringLiteral("a shape reads ORDERSxLINES: ") + s);
        const Shape shape{p[0].toInt(&ok1), p[1].toInt(&ok2)};
        if (!ok1 || !ok2 || shape.orders < 2 || shape.lines < 1) fail(QStringLiteral("bad shape ") + s);
        o.shapes.push_back(shape);
      }
    } else {
      fail(QStringLiteral("unknown argument ") + a);
    }
  }
  if (server().port == 0) fail(QStringLiteral("--port of the private server is required"));
  if (server().port == 3306) fail(QStringLiteral("refusing port 3306: run against the private server"));
  return o;
}

int run(const Options &o) {
  seedRestaurant();
  ScreenWay screens;
  HeadlessWay headless;

  // Memory first, before the larger runs raise the peak: the program with its screens, after
  // listing the orders.
  const long before = statusKilobytes("VmHWM:");
  seedOrders(o.memoryOrders, o.memoryLines);
  screens.list(o.memoryOrders);
  pause(100);
  const long peak = statusKilobytes("VmHWM:");

  struct Result {
    Shape shape;
    Figures screens, headless;
  };
  std::vector<Result> results;
  for (const Shape &shape : o.shapes) {
    Result r{shape, {}, {}};
    for (int rep = 0; rep < o.reps; ++rep) {
      // Which goes first alternates, so that a drift of the machine's load weighs on both.
      if (rep % 2 == 0) headless.measure(shape.orders, shape.lines, r.headless);
      screens.measure(shape.orders, shape.lines, r.screens);
      if (rep % 2 == 1) headless.measure(shape.orders, shape.lines, r.headless);
      std::fprintf(stderr, "%dx%d rep %d: closing run screens %.3f s, headless %.3f s\n", shape.orders, shape.lines,
                   rep + 1, r.screens.closing.back(), r.headless.closing.back());
    }
    results.push_back(std::move(r));
  }

  std::printf("medians of %d repetitions, in ms (screens / headless = ratio)\n", o.reps);
  auto line = [](const char *what, const std::vector<double> &s, const std::vector<double> &h) {
    const double ms = median(s) * 1e3, mh = median(h) * 1e3;
    const QString name = QString::fromUtf8(what).leftJustified(16);  // in characters, not bytes
    std::printf("  %s %9.1f / %9.1f = %.2f\n", name.toUtf8().constData(), ms, mh, mh > 0 ? ms / mh : 0.0);
  };
  for (const Result &r : results) {
    std::printf("%d orders x %d lines:\n", r.shape.orders, r.shape.lines);
    line("listing", r.screens.listing, r.headless.listing);
    line("tap, last row", r.screens.tap, r.headless.tap);
    line("Tümünü Seç", r.screens.selectAll, r.headless.selectAll);
    line("closing run", r.screens.closing, r.headless.closing);
  }
  if (!o.factors.empty()) {
    // The listing at each factor, the factors taken in turns so that a drift weighs on all.
    const Shape shape = o.shapes.back();
    std::vector<std::vector<double>> listing(o.factors.size());
    for (int rep = 0; rep < o.reps; ++rep) {
      for (size_t k = 0; k < o.factors.size(); ++k) {
        const size_t i = rep % 2 == 0 ? k : o.factors.size() - 1 - k;
        screens.resizeTo(o.factors[i]);
        seedOrders(shape.orders, shape.lines);
        listing[i].push_back(screens.list(shape.orders));
        pause(60);
      }
    }
    screens.resizeTo(1.0);
    std::printf("listing %d orders x %d lines on the board at each factor (medians, in ms; / the first factor):\n",
                shape.orders, shape.lines);
    const double base = median(listing.front());
    for (size_t i = 0; i < o.factors.size(); ++i)
      std::printf("  factor %.2f %9.1f = %.2f\n", o.factors[i], median(listing[i]) * 1e3,
                  base > 0 ? median(listing[i]) / base : 0.0);
  }
  std::printf("peak resident memory after listing %d orders x %d lines on the screens: %.1f MB (%.1f MB before)\n",
              o.memoryOrders, o.memoryLines, double(peak) / 1024, double(before) / 1024);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  return 0;
}

}  // namespace
}  // namespace zbench

int main(int argc, char **argv) {
  // The offscreen platform cannot raise a window; the progress window asks it at every run.
  static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (message.contains(QLatin1String("does not support raise()"))) return;
    if (previous) previous(type, context, message);
  });
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tahsilmatik"));
  const zbench::Options options = zbench::parse(app.arguments());
  try {
    return zbench::run(options);
  } catch (const zdb::DbError &e) {
    zbench::fail(QStringLiteral("database error: ") + e.text());
  }
}
