#pragma once
#include <QString>
#include <stdexcept>

class QSqlError;

namespace zdb {

// A statement the server rejected, a lost connection, or a field read that cannot be done.
// Carries the server's (or data layer's) text; thrown, so a caller cannot silently ignore it.
class DbError : public std::runtime_error {
 public:
  explicit DbError(const QString &text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString &text() const { return text_; }

 private:
  QString text_;
};

// The server's own text of an error, falling back to the driver's.
QString serverErrorText(const QSqlError &error);

}  // namespace zdb
