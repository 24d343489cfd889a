#include "printer_settings.h"

namespace zslip {

PrinterSettings printerSettings(const QHash<QString, QString> &settings) {
  PrinterSettings p;
  p.printer = settings.value(QStringLiteral("fisyazici"));
  bool ok = false;
  const int width = settings.value(QStringLiteral("fisgenisligi")).toInt(&ok);
  if (ok && width >= kNarrowestLine && width <= kWidestLine) p.width = width;
  const int codePage = settings.value(QStringLiteral("fiskodsayfasi")).toInt(&ok);
  if (ok && codePage >= 0 && codePage <= 255) p.codePage = codePage;
  return p;
}

}  // namespace zslip
