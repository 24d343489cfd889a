#include "dialog_values.h"

namespace zdlg {
QString DialogMessage;
int DialogAnswer = 0;
}  // namespace zdlg

#include "messenger.h"

namespace zdlg {
QString errorBoxText(const QString &message) {
  QString text = message.trimmed();
  if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
  return text;
}
}  // namespace zdlg
