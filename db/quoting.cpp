#include "quoting.h"

namespace zdb {

QString quoted(const QString &value) {
  QString out;
  out.reserve(value.size() + 8);
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
  return out;
}

}  // namespace zdb
