#pragma once
#include <QString>

class QVariant;

namespace zdb {

// Escapes a value for placement between the double quotes of a MySQL string literal that the
// statement text already holds: «Ali "Baba"» -> «Ali ""Baba""». Backslash, both quote characters
// and control characters are escaped, so the value can neither end the literal nor stack a second
// statement. A double quote is doubled rather than backslash-escaped so that every quote-aware
// parser (ours, the server's) sees the same literal boundaries.
QString quoted(const QString &value);

// A typed value as a literal of a statement's text, for statements that carry their values in the
// text (several statements sent in one request): NULL for a null value or a null text, a text
// between double quotes escaped by quoted(), numbers as the server reads them back exactly, a
// date or time in the server's form, bytes in hex. The server stores it as it would store the
// same value bound as a parameter.
QString literal(const QVariant &value);
// Appends literal(value) to `out` without building a separate string.
void appendLiteral(QString &out, const QVariant &value);

}  // namespace zdb
