#include "settlement_slip.h"

#include <algorithm>
#include <map>

#include "db/turkish_format.h"

namespace zslip {

namespace {

QString cut(const QString &text, int width) { return text.left(std::max(0, width)); }
QString left(const QString &text, int width) { return cut(text, width).leftJustified(width, QLatin1Char(' ')); }
QString right(const QString &text, int width) { return cut(text, width).rightJustified(width, QLatin1Char(' ')); }
QString centred(const QString &text, int width) {
  const QString t = cut(text, width);
  return QString((width - int(t.size())) / 2, QLatin1Char(' ')) + t;
}
QString pieces(const QString &count) { return count + QStringLiteral(" Adet"); }

class Layout {
 public:
  explicit Layout(int width) { slip_.width = width; }
  void line(const QString &text = {}, bool emphasised = false) {
    slip_.lines.push_back({cut(text, slip_.width), emphasised});
  }
  void rule(QChar c) { line(QString(slip_.width, c)); }
  int width() const { return slip_.width; }
  Slip take() { return std::move(slip_); }

 private:
  Slip slip_;
};

}  // namespace

Slip composeSlip(const RunOutcome &run, int width) {
  Layout out(width);
  const int w = width;

  // Column widths shared by every table of the slip, so that the amounts stand in one column.
  int numberWidth = 2, amountWidth = 5, registerWidth = 4, countWidth = 0;
  double closedTotal = 0, openTotal = 0;
  std::map<QString, std::pair<int, double>> registers;  // name -> count, amount
  std::vector<QString> registerOrder;                   // as first met in the listing
  for (const std::vector<SlipOrder> *orders : {&run.closed, &run.notClosed}) {
    for (const SlipOrder &o : *orders) {
      numberWidth = std::max(numberWidth, int(o.number.size()));
      amountWidth = std::max(amountWidth, int(zfmt::amount(o.amount).size()));
    }
  }
  for (const SlipOrder &o : run.closed) {
    closedTotal += o.amount;
    registerWidth = std::max(registerWidth, int(o.registerName.size()));
    auto [it, added] = registers.try_emplace(o.registerName, 0, 0.0);
    if (added) registerOrder.push_back(o.registerName);
    it->second.first += 1;
    it->second.second += o.amount;
  }
  for (const SlipOrder &o : run.notClosed) openTotal += o.amount;
  amountWidth = std::max({amountWidth, int(zfmt::amount(closedTotal).size()), int(zfmt::amount(openTotal).size())});
  countWidth = int(pieces(QString::number(std::max(run.closed.size(), run.notClosed.size()))).size());
  // The customer takes what the number, the register and the amount leave; the register at most
  // half of the rest.
  const int rest = w - numberWidth - amountWidth - 3;
  registerWidth = std::min(registerWidth, std::max(4, rest / 2));
  const int customerWidth = std::max(1, rest - registerWidth);
  const int openCustomerWidth = std::max(1, w - numberWidth - amountWidth - 2);
  const int nameWidth = std::max(1, w - countWidth - amountWidth - 2);

  auto orderLine = [&](const SlipOrder &o) {
    return right(o.number, numberWidth) + QLatin1Char(' ') + left(o.customer, customerWidth) + QLatin1Char(' ') +
           left(o.registerName, registerWidth) + QLatin1Char(' ') + right(zfmt::amount(o.amount), amountWidth);
  };
  auto openOrderLine = [&](const SlipOrder &o) {
    return right(o.number, numberWidth) + QLatin1Char(' ') + left(o.customer, openCustomerWidth) + QLatin1Char(' ') +
           right(zfmt::amount(o.amount), amountWidth);
  };
  auto totalLine = [&](const QString &name, qsizetype count, double amount) {
    return left(name, nameWidth) + QLatin1Char(' ') + right(pieces(QString::number(count)), countWidth) +
           QLatin1Char(' ') + right(zfmt::amount(amount), amountWidth);
  };
  auto field = [&](const char *label, const QString &value) {
    out.line(QString::fromUtf8(label).leftJustified(9, QLatin1Char(' ')) + QStringLiteral(": ") + value);
  };

  if (!run.branch.trimmed().isEmpty()) out.line(centred(run.branch, w));
  out.line(centred(kSlipTitle, w), true);
  out.rule(QLatin1Char('='));
  field("Tarih", run.time.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
  field("Terminal", run.terminal);
  field("Kasiyer", run.operatorName);
  field("Kurye", run.courier);
  out.rule(QLatin1Char('='));

  out.line(QStringLiteral("TAHSİL EDİLEN ADİSYONLAR"), true);
  out.line(left(QStringLiteral("No"), numberWidth) + QLatin1Char(' ') + left(QStringLiteral("Müşteri"), customerWidth) +
           QLatin1Char(' ') + left(QStringLiteral("Kasa"), registerWidth) + QLatin1Char(' ') +
           right(QStringLiteral("Tutar"), amountWidth));
  out.rule(QLatin1Char('-'));
  for (const SlipOrder &o : run.closed) out.line(orderLine(o));
  out.rule(QLatin1Char('-'));
  out.line(QStringLiteral("KASA TOPLAMLARI"), true);
  for (const QString &name : registerOrder) {
    const auto &[count, amount] = registers.at(name);
    out.line(totalLine(name, count, amount));
  }
  out.rule(QLatin1Char('-'));
  out.line(totalLine(QStringLiteral("TOPLAM"), qsizetype(run.closed.size()), closedTotal), true);

  if (!run.notClosed.empty()) {
    out.rule(QLatin1Char('='));
    out.line(QStringLiteral("TAHSİL EDİLMEYEN ADİSYONLAR"), true);
    out.line(QStringLiteral("(kuryede kalan)"));
    out.rule(QLatin1Char('-'));
    for (const SlipOrder &o : run.notClosed) out.line(openOrderLine(o));
    out.rule(QLatin1Char('-'));
    out.line(totalLine(QStringLiteral("KALAN"), qsizetype(run.notClosed.size()), openTotal), true);
  }
  out.rule(QLatin1Char('='));

  // Room to sign under each name.
  for (const char *who : {"Teslim Eden (Kurye)", "Teslim Alan"}) {
    out.line();
    out.line(QString::fromUtf8(who));
    out.line();
    out.line();
    out.line(QString(std::min(w, 32), QLatin1Char('.')));
  }
  return out.take();
}

Slip reprinted(const Slip &slip) {
  Slip again = slip;
  auto title = std::find_if(again.lines.begin(), again.lines.end(),
                            [](const SlipLine &l) { return l.text.trimmed() == kSlipTitle; });
  const auto at = title == again.lines.end() ? again.lines.begin() : title + 1;
  again.lines.insert(at, {centred(kReprintLine, slip.width), true});
  return again;
}

}  // namespace zslip
