#pragma once
#include <QHash>
#include <QString>

namespace zslip {

// The till's receipt printer, from the settings file's later lines (keys without regard to case):
//   FisYazici=192.168.1.50:9100   a network printer's raw port, or the name of a system printer
//   FisGenisligi=48               characters per line: 48 (80 mm, font A), 42, 32 (58 mm)
//   FisKodSayfasi=13              the number ESC t takes for code page 857 on this printer
// Without FisYazici no slip is made.
struct PrinterSettings {
  QString printer;
  int width = 48;
  int codePage = 13;
  bool configured() const { return !printer.isEmpty(); }
};

// Narrowest and widest line the slip is laid out for.
inline constexpr int kNarrowestLine = 32;
inline constexpr int kWidestLine = 80;

// `settings` as zsignin::laterSettings gives them (keys in lower case). A value it cannot use
// leaves that setting at its default.
PrinterSettings printerSettings(const QHash<QString, QString> &settings);

}  // namespace zslip
