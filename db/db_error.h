#pragma once
#include <QString>
#include <stdexcept>

class QSqlError;

namespace zdb {

// A statement the server rejected, a lost connection, or a field read that cannot be done.
// Carries the server's (or data layer's) text; thrown, so a caller cannot silently ignore it.
class DbError : public std::runtime_error {
 public:
  explicit DbError(const QString &text, int serverCode = 0)
      : std::runtime_error(text.toStdString()), text_(text), serverCode_(serverCode) {}
  // The server's (or client library's) text and error number.
  explicit DbError(const QSqlError &error);
  const QString &text() const { return text_; }
  // The MySQL error number, 0 when the error did not come from the server or its client library.
  int serverCode() const { return serverCode_; }
  // The server gave up waiting for another session's row locks (a deadlock, or the session's lock
  // wait limit): another terminal is working on the same rows.
  bool isLockConflict() const;

 private:
  QString text_;
  int serverCode_ = 0;
};

// The server's own text of an error, falling back to the driver's.
QString serverErrorText(const QSqlError &error);

}  // namespace zdb
