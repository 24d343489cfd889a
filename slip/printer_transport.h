#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

namespace zslip {

// How long the till waits for the printer: to reach it (the name looked up and the connection
// made, or the system's print queue answering), then to hand it the slip.
inline constexpr int kConnectSeconds = 3;
inline constexpr int kSendSeconds = 3;

// FisYazici: "HOST:PORT" (an address or a name, "[v6 address]:PORT") is a printer on the network
// taking ESC/POS on a raw TCP port; anything else names a printer of the system.
struct PrinterTarget {
  QString host;
  quint16 port = 0;
  QString systemPrinter;
  bool onNetwork() const { return port != 0; }
};
PrinterTarget printerTarget(const QString &printer);

struct SendResult {
  bool ok = true;
  QString reason;  // why not, in Turkish, naming the printer
};

// Sends `bytes` to the printer in one write and waits until they are handed over, within the
// bounds above. Blocks its thread.
//   network: a TCP connection to the raw port;
//   Windows: the printer through the spooler as a RAW document;
//   elsewhere: the CUPS queue of that name, raw (lp -o raw).
SendResult sendToPrinter(const QString &printer, const QByteArray &bytes);

// sendToPrinter on a thread of its own, so that the screens keep painting: `whileWaiting` runs
// every few milliseconds until it ends. Whatever the printer does, this returns within the bounds
// (and a second); a send still stuck then is left to end on its own.
SendResult sendWithinBounds(const QString &printer, const QByteArray &bytes,
                            const std::function<void()> &whileWaiting);

}  // namespace zslip
