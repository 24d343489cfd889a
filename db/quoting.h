#pragma once
#include <QString>

namespace zdb {

// Escapes a value for placement between the double quotes of a MySQL string literal that the
// statement text already holds: «Ali "Baba"» -> «Ali ""Baba""». Backslash, both quote characters
// and control characters are escaped, so the value can neither end the literal nor stack a second
// statement. A double quote is doubled rather than backslash-escaped so that every quote-aware
// parser (ours, the server's) sees the same literal boundaries.
QString quoted(const QString &value);

}  // namespace zdb
