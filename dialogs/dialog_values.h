#pragma once
#include <QString>

// The text of the next message box and the answer of the yes/no box. Program-wide, one instance
// each, never reset by the boxes: the last text and the last answer stay until overwritten.
namespace zdlg {
extern QString DialogMessage;
extern int DialogAnswer;  // 1 = "Evet", 0 = "Hayır"
}  // namespace zdlg
