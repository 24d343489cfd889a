#pragma once
#include <QDateTime>
#include <QString>
#include <vector>

namespace zslip {

// One order of a booked closing run as the board listed it.
struct SlipOrder {
  QString number;
  QString customer;
  QString registerName;  // the register it was closed with; empty for an order not closed
  double amount = 0;     // to the cent, as the grid showed it
};

// What a booked closing run closed and what it left to the courier: the slip is made of this
// alone (no widgets, no database).
struct RunOutcome {
  QDateTime time;  // when the run started
  QString branch;
  QString terminal;
  QString operatorName;
  QString courier;
  std::vector<SlipOrder> closed;     // in the order of the listing
  std::vector<SlipOrder> notClosed;  // listed but left unmarked or given up
};

// A slip as lines of text, each at most `width` characters, ready for the printer.
struct SlipLine {
  QString text;
  bool emphasised = false;  // printed bold
};

struct Slip {
  int width = 48;
  std::vector<SlipLine> lines;
};

inline const QString kSlipTitle = QStringLiteral("KURYE TAHSİLAT FİŞİ");
inline const QString kReprintLine = QStringLiteral("TEKRAR BASIM");

// The slip of a run, laid out for `width` characters a line.
Slip composeSlip(const RunOutcome &run, int width);
// The same slip once more, word for word, marked "TEKRAR BASIM" under its title.
Slip reprinted(const Slip &slip);

}  // namespace zslip
