#pragma once
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace zdb {

// MySQL's zero date-time '0000-00-00 00:00:00' (or zero date '0000-00-00'), which the restaurant's
// other programs store for "not yet" and test for. Qt reads it as an invalid date-time and would
// send that as NULL, so a zero read from the server is kept as this value instead.
struct ZeroDateTime {
  bool dateOnly = false;  // read from a DATE column
  friend bool operator==(ZeroDateTime, ZeroDateTime) = default;
};
QVariant zeroDateTime();
bool isZeroDateTime(const QVariant &value);

// Escapes a value for placement between the double quotes of a MySQL string literal that the
// statement text already holds: «Ali "Baba"» -> «Ali ""Baba""». Backslash, both quote characters
// and control characters are escaped, so the value can neither end the literal nor stack a second
// statement. A double quote is doubled rather than backslash-escaped so that every quote-aware
// parser (ours, the server's) sees the same literal boundaries.
QString quoted(const QString &value);

// A typed value as a literal of a statement's text, for statements that carry their values in the
// text (several statements sent in one request): NULL for a null value or a null text, a text
// between double quotes escaped by quoted(), numbers as the server reads them back exactly, a
// date 'yyyy-MM-dd', a date-time 'yyyy-MM-dd HH:mm:ss' and a time 'HH:mm:ss' without a fraction
// of a second (a server that rounds would move 23:59:59.6 into the next day), the zero date-time
// as '0000-00-00 00:00:00', bytes in hex. The server stores it as it would store the
// same value bound as a parameter.
QString literal(const QVariant &value);
// Appends literal(value) to `out` without building a separate string.
void appendLiteral(QString &out, const QVariant &value);

// A parameter's value as the driver must bind it so that the server stores what literal() would
// make it store: date-times and times without the fraction of a second, the zero date-time as
// its text.
QVariant boundValue(const QVariant &value);

}  // namespace zdb

Q_DECLARE_METATYPE(zdb::ZeroDateTime)
