#pragma once

class QCoreApplication;

// Qt's own texts (the standard boxes' buttons, "Tamam") in Turkish, from Qt's Turkish translation
// in Qt's translations folder (Debian package qt6-translations-l10n). Returns false when the
// translation is missing: the program then runs with Qt's English texts.
bool installQtTurkish(QCoreApplication &app);
