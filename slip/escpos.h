#pragma once
#include <QByteArray>
#include <QString>

#include "slip/settlement_slip.h"

namespace zslip {

// Text in code page 857 (Turkish DOS), the receipt printers' Turkish table: one byte a character,
// "?" for a character the table lacks, control characters as blanks.
QByteArray toCodePage857(const QString &text);

// The slip as the printer takes it: ESC @ (reset), ESC t n (code page 857 is table n on this
// printer), each line in code page 857 ending in LF (bold lines between ESC E 1 and ESC E 0),
// then a feed past the cutter (ESC d) and a partial cut (GS V 1).
QByteArray encodeEscPos(const Slip &slip, int codePageNumber);

}  // namespace zslip
