#include "turkish_format.h"

#include <QLocale>
#include <cmath>

namespace zfmt {

namespace {
QString groupedDigits(const QString &digits) {
  QString out;
  const int n = int(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += QLatin1Char('.');
    out += digits.at(i);
  }
  return out;
}
}  // namespace

QString amount(double value) {
  if (!std::isfinite(value)) return general(value);
  // Round at 12 significant digits first, then to two decimals.
  const double v12 = QString::number(value, 'g', 12).toDouble();
  QString fixed = QString::number(std::fabs(v12), 'f', 2);
  const qsizetype dot = fixed.indexOf(QLatin1Char('.'));
  const QString whole = fixed.left(dot);
  const QString decimals = fixed.mid(dot + 1);
  QString text = groupedDigits(whole) + QLatin1Char(',') + decimals;
  const bool isZero = whole == QLatin1String("0") && decimals == QLatin1String("00");
  if (v12 < 0 && !isZero) text.prepend(QLatin1Char('-'));
  return text;
}

QString number(double value, int maxDecimals, bool groupThousands) {
  if (!std::isfinite(value)) value = 0;
  const QString text = QString::number(std::fabs(value), 'f', maxDecimals);
  QString whole = text, fraction;
  const qsizetype dot = text.indexOf(QLatin1Char('.'));
  if (dot >= 0) {
    whole = text.left(dot);
    fraction = text.mid(dot + 1);
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
  }
  const bool zero = whole.count(QLatin1Char('0')) == whole.size() && fraction.isEmpty();
  QString out = groupThousands ? groupedDigits(whole) : whole;
  if (!fraction.isEmpty()) out += QLatin1Char(',') + fraction;
  if (value < 0 && !zero) out.prepend(QLatin1Char('-'));
  return out;
}

double parseAmount(const QString &text, bool *ok) {
  QString plain = text;
  plain.remove(QLatin1Char('.'));
  plain.replace(QLatin1Char(','), QLatin1Char('.'));
  bool good = false;
  const double value = plain.trimmed().isEmpty() ? 0.0 : plain.toDouble(&good);
  if (ok) *ok = good;
  return good ? value : 0.0;
}

QString general(double value) {
  if (value == 0) return QStringLiteral("0");
  QString text = QString::number(value, 'g', 15);
  text.replace(QLatin1Char('.'), QLatin1Char(','));
  return text;
}

QString longDate(const QDate &date) {
  static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
  return turkish.toString(date, QStringLiteral("d MMMM yyyy dddd"));
}

}  // namespace zfmt
