#include "quoting.h"

#include <QDateTime>
#include <QLocale>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace zdb {

namespace {

bool needsEscape(QChar ch) {
  switch (ch.unicode()) {
    case '\\': case '"': case '\'': case '\0': case '\n': case '\r': case '\t': case '\b': case 0x1A:
      return true;
    default:
      return false;
  }
}

void appendQuoted(QString &out, QStringView value) {
  // Most texts hold nothing to escape: taken whole.
  if (std::none_of(value.begin(), value.end(), needsEscape)) {
    out += value;
    return;
  }
  for (const QChar ch : value) {
    switch (ch.unicode()) {
      case '\\': out += QLatin1String("\\\\"); break;
      case '"': out += QLatin1String("\"\""); break;
      case '\'': out += QLatin1String("\\'"); break;
      case '\0': out += QLatin1String("\\0"); break;
      case '\n': out += QLatin1String("\\n"); break;
      case '\r': out += QLatin1String("\\r"); break;
      case '\t': out += QLatin1String("\\t"); break;
      case '\b': out += QLatin1String("\\b"); break;
      case 0x1A: out += QLatin1String("\\Z"); break;
      default: out += ch;
    }
  }
}

// Zero-padded digits; dates and times are formatted by hand because a run writes thousands.
void appendDigits(QString &out, int value, int width) {
  char digits[12];
  int n = 0;
  unsigned v = unsigned(value < 0 ? -value : value);
  do {
    digits[n++] = char('0' + v % 10);
    v /= 10;
  } while (v > 0);
  if (value < 0) out += QLatin1Char('-');
  for (int i = n; i < width; ++i) out += QLatin1Char('0');
  while (n > 0) out += QLatin1Char(digits[--n]);
}

// yyyy-MM-dd
void appendDate(QString &out, const QDate &d) {
  appendDigits(out, d.year(), 4);
  out += QLatin1Char('-');
  appendDigits(out, d.month(), 2);
  out += QLatin1Char('-');
  appendDigits(out, d.day(), 2);
}

// HH:mm:ss: the fraction is dropped here, not left to the server, which may round it up.
void appendTime(QString &out, const QTime &t) {
  appendDigits(out, t.hour(), 2);
  out += QLatin1Char(':');
  appendDigits(out, t.minute(), 2);
  out += QLatin1Char(':');
  appendDigits(out, t.second(), 2);
}

QString zeroText(const ZeroDateTime &zero) {
  return zero.dateOnly ? QStringLiteral("0000-00-00") : QStringLiteral("0000-00-00 00:00:00");
}

void appendText(QString &out, QStringView value) {
  out += QLatin1Char('"');
  appendQuoted(out, value);
  out += QLatin1Char('"');
}

}  // namespace

QVariant zeroDateTime() { return QVariant::fromValue(ZeroDateTime{}); }

bool isZeroDateTime(const QVariant &value) { return value.metaType() == QMetaType::fromType<ZeroDateTime>(); }

QString quoted(const QString &value) {
  QString out;
  out.reserve(value.size() + 8);
  appendQuoted(out, value);
  return out;
}

void appendLiteral(QString &out, const QVariant &value) {
  if (!value.isValid() || value.isNull()) {
    out += QLatin1String("NULL");
    return;
  }
  if (isZeroDateTime(value)) {
    appendText(out, zeroText(value.value<ZeroDateTime>()));
    return;
  }
  switch (value.typeId()) {
    case QMetaType::Bool:
      out += value.toBool() ? QLatin1Char('1') : QLatin1Char('0');
      return;
    case QMetaType::Int: case QMetaType::Short: case QMetaType::SChar: case QMetaType::Long:
    case QMetaType::LongLong:
      out += QString::number(value.toLongLong());
      return;
    case QMetaType::UInt: case QMetaType::UShort: case QMetaType::UChar: case QMetaType::ULong:
    case QMetaType::ULongLong:
      out += QString::number(value.toULongLong());
      return;
    case QMetaType::Double: case QMetaType::Float: {
      const double d = value.toDouble();
      if (!std::isfinite(d)) {
        out += QLatin1String("NULL");  // no column can hold it; a bound value would fail the same way
        return;
      }
      // The shortest text that reads back as the same double; the exponent makes the server
      // read it as a double too, not as an exact decimal.
      if (d == std::trunc(d) && std::fabs(d) < 1e15 && !std::signbit(d)) {
        out += QString::number(qint64(d));  // a whole amount: exact, and the common case
        out += QLatin1String("e0");
        return;
      }
      const QString number = QString::number(d, 'g', QLocale::FloatingPointShortest);
      out += number;
      if (!number.contains(QLatin1Char('e'))) out += QLatin1String("e0");
      return;
    }
    case QMetaType::QDateTime: case QMetaType::QDate: case QMetaType::QTime: {
      // Between quotes in the server's form: yyyy-MM-dd, HH:mm:ss, or both.
      const int type = value.typeId();
      const QDateTime dateTime = value.toDateTime();
      const bool hasDate = type != QMetaType::QTime, hasTime = type != QMetaType::QDate;
      const QDate date = type == QMetaType::QDate ? value.toDate() : dateTime.date();
      const QTime time = type == QMetaType::QTime ? value.toTime() : dateTime.time();
      if (type == QMetaType::QDateTime ? !dateTime.isValid() : !(hasDate ? date.isValid() : time.isValid())) break;
      out += QLatin1Char('"');
      if (hasDate) appendDate(out, date);
      if (hasDate && hasTime) out += QLatin1Char(' ');
      if (hasTime) appendTime(out, time);
      out += QLatin1Char('"');
      return;
    }
    case QMetaType::QByteArray: {
      const QByteArray bytes = value.toByteArray();
      if (bytes.isEmpty()) {
        out += QLatin1String("\"\"");
      } else {
        out += QLatin1String("X'") + QString::fromLatin1(bytes.toHex()) + QLatin1Char('\'');
      }
      return;
    }
    case QMetaType::QString: {
      const QString &text = *static_cast<const QString *>(value.constData());
      if (text.isNull()) break;  // as the driver binds it
      appendText(out, text);
      return;
    }
    default:
      appendText(out, value.toString());
      return;
  }
  out += QLatin1String("NULL");
}

QString literal(const QVariant &value) {
  QString out;
  appendLiteral(out, value);
  return out;
}

QVariant boundValue(const QVariant &value) {
  if (isZeroDateTime(value)) return QVariant(zeroText(value.value<ZeroDateTime>()));
  switch (value.typeId()) {
    case QMetaType::QDateTime: {
      QDateTime dateTime = value.toDateTime();
      if (!dateTime.isValid() || dateTime.time().msec() == 0) return value;
      const QTime t = dateTime.time();
      dateTime.setTime(QTime(t.hour(), t.minute(), t.second()));
      return QVariant(dateTime);
    }
    case QMetaType::QTime: {
      const QTime t = value.toTime();
      if (!t.isValid() || t.msec() == 0) return value;
      return QVariant(QTime(t.hour(), t.minute(), t.second()));
    }
    default:
      return value;
  }
}

}  // namespace zdb
