#include "db_error.h"

#include <QSqlError>
#include <QStringDecoder>

namespace zdb {

namespace {
// The driver decodes the errors of prepared statements as Latin-1, while the server sends UTF-8:
// «kartı» arrives as «kartÄ±». Such a text is decoded again when it is valid UTF-8.
QString repairedUtf8(const QString &text) {
  bool wide = false;
  for (const QChar ch : text) {
    if (ch.unicode() > 0xFF) return text;
    if (ch.unicode() >= 0x80) wide = true;
  }
  if (!wide) return text;
  const QByteArray bytes = text.toLatin1();
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = decoder(bytes);
  return decoder.hasError() ? text : decoded;
}
}  // namespace

QString serverErrorText(const QSqlError &error) {
  QString text = repairedUtf8(error.databaseText().trimmed());
  if (text.isEmpty()) text = error.driverText().trimmed();
  if (text.isEmpty()) text = error.text().trimmed();
  if (text.isEmpty()) text = QStringLiteral("Bilinmeyen veritabanı hatası");
  return text;
}

DbError::DbError(const QSqlError &error) : DbError(serverErrorText(error), error.nativeErrorCode().toInt()) {}

bool DbError::isLockConflict() const {
  constexpr int kLockWaitTimeout = 1205;  // ER_LOCK_WAIT_TIMEOUT
  constexpr int kDeadlock = 1213;         // ER_LOCK_DEADLOCK, also a Galera certification conflict
  return serverCode_ == kLockWaitTimeout || serverCode_ == kDeadlock;
}

}  // namespace zdb
