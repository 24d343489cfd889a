#include "db_error.h"

#include <QSqlError>

namespace zdb {

QString serverErrorText(const QSqlError &error) {
  QString text = error.databaseText().trimmed();
  if (text.isEmpty()) text = error.driverText().trimmed();
  if (text.isEmpty()) text = error.text().trimmed();
  if (text.isEmpty()) text = QStringLiteral("Bilinmeyen veritabanı hatası");
  return text;
}

}  // namespace zdb
