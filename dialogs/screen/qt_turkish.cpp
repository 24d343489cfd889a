#include "qt_turkish.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTurkish(QCoreApplication &app) {
  // Turkish whatever the workstation's own language: the program's screens are Turkish.
  auto *translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_tr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}
