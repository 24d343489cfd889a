#include "printer_transport.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#ifdef Q_OS_WIN
#include <windows.h>
#include <winspool.h>
#endif

namespace zslip {

namespace {

SendResult failed(const QString &reason) { return {false, reason}; }

QString seconds(int s) { return QString::number(s) + QStringLiteral(" saniye"); }

// A system printer that did not take the slip, and what the system said.
SendResult notTaken(const QString &name, const QString &said) {
  return failed(QStringLiteral("\"") + name + QStringLiteral("\" yazıcısı fişi almadı") +
                (said.isEmpty() ? QString() : QStringLiteral(": ") + said));
}

QString socketReason(const QTcpSocket &socket, const QString &where, int waited) {
  switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError: return QStringLiteral("yazıcı bağlantıyı reddetti (") + where + ')';
    case QAbstractSocket::HostNotFoundError: return QStringLiteral("yazıcının adresi bulunamadı (") + where + ')';
    case QAbstractSocket::SocketTimeoutError:
      return QStringLiteral("yazıcı ") + seconds(waited) + QStringLiteral(" içinde cevap vermedi (") + where + ')';
    case QAbstractSocket::RemoteHostClosedError: return QStringLiteral("yazıcı bağlantıyı kesti (") + where + ')';
    case QAbstractSocket::NetworkError: return QStringLiteral("yazıcıya ağdan ulaşılamıyor (") + where + ')';
    default: return QStringLiteral("yazıcıya bağlanılamadı (") + where + QStringLiteral("): ") + socket.errorString();
  }
}

SendResult sendOverNetwork(const PrinterTarget &target, const QByteArray &bytes) {
  const QString where = target.host + QLatin1Char(':') + QString::number(target.port);
  QDeadlineTimer reach(kConnectSeconds * 1000);
  QHostAddress address;
  if (!address.setAddress(target.host)) {
    const QHostInfo info = QHostInfo::fromName(target.host);
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
      return failed(QStringLiteral("yazıcının adresi bulunamadı (") + where + ')');
    address = info.addresses().constFirst();
    for (const QHostAddress &a : info.addresses())  // the printers of a shop answer on IPv4
      if (a.protocol() == QAbstractSocket::IPv4Protocol) {
        address = a;
        break;
      }
  }
  QTcpSocket socket;
  socket.connectToHost(address, target.port);
  if (!socket.waitForConnected(int(std::max<qint64>(1, reach.remainingTime()))))
    return failed(socketReason(socket, where, kConnectSeconds));

  // One write: the printer gets the slip whole, never interleaved with another sender's bytes.
  QDeadlineTimer hand(kSendSeconds * 1000);
  if (socket.write(bytes) != bytes.size()) return failed(socketReason(socket, where, kSendSeconds));
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(int(std::max<qint64>(1, hand.remainingTime())))) {
      if (socket.error() == QAbstractSocket::SocketTimeoutError)
        return failed(QStringLiteral("yazıcı fişi ") + seconds(kSendSeconds) + QStringLiteral(" içinde almadı (") +
                      where + ')');
      return failed(socketReason(socket, where, kSendSeconds));
    }
  }
  socket.disconnectFromHost();
  if (socket.state() != QAbstractSocket::UnconnectedState)
    socket.waitForDisconnected(int(std::max<qint64>(1, hand.remainingTime())));
  return {};
}

#ifdef Q_OS_WIN

QString windowsError(DWORD code) {
  wchar_t *text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  QString message = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("hata %1").arg(code);
  if (text) LocalFree(text);
  return message;
}

// The spooler takes the bytes as they are (RAW) and sends them when the printer is ready.
SendResult sendToSystemPrinter(const QString &name, const QByteArray &bytes) {
  HANDLE printer = nullptr;
  std::wstring wname = name.toStdWString();
  if (!OpenPrinterW(wname.data(), &printer, nullptr))
    return failed(QStringLiteral("\"") + name + QStringLiteral("\" yazıcısı bulunamadı: ") + windowsError(GetLastError()));
  wchar_t docName[] = L"Kurye tahsilat fisi";
  wchar_t dataType[] = L"RAW";
  DOC_INFO_1W doc{docName, nullptr, dataType};
  SendResult result;
  DWORD written = 0;
  if (StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)) == 0) {
    result = notTaken(name, windowsError(GetLastError()));
  } else {
    if (!StartPagePrinter(printer) ||
        !WritePrinter(printer, const_cast<char *>(bytes.constData()), DWORD(bytes.size()), &written) ||
        written != DWORD(bytes.size()))
      result = notTaken(name, windowsError(GetLastError()));
    EndPagePrinter(printer);
    EndDocPrinter(printer);
  }
  ClosePrinter(printer);
  return result;
}

#else

// The CUPS queue of that name, through the lp command (cups-client), unfiltered.
SendResult sendToSystemPrinter(const QString &name, const QByteArray &bytes) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("lp"));
  if (program.isEmpty())
    return failed(QStringLiteral("yazdırma komutu lp bulunamadı (cups-client paketi kurulu değil)"));
  QProcess lp;
  lp.start(program, {QStringLiteral("-d"), name, QStringLiteral("-o"), QStringLiteral("raw"),
                                  QStringLiteral("-t"), QStringLiteral("Kurye tahsilat fisi")});
  if (!lp.waitForStarted(kConnectSeconds * 1000))
    return failed(QStringLiteral("yazdırma komutu lp çalıştırılamadı (cups-client paketi kurulu mu?)"));
  lp.write(bytes);
  lp.closeWriteChannel();
  if (!lp.waitForFinished((kConnectSeconds + kSendSeconds) * 1000)) {
    lp.kill();
    lp.waitForFinished(1000);
    return failed(QStringLiteral("yazdırma sistemi ") + seconds(kConnectSeconds + kSendSeconds) +
                  QStringLiteral(" içinde cevap vermedi (\"") + name + QStringLiteral("\")"));
  }
  if (lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
    return notTaken(name, QString::fromLocal8Bit(lp.readAllStandardError()).simplified());
  }
  return {};
}

#endif

}  // namespace

PrinterTarget printerTarget(const QString &printer) {
  static const QRegularExpression hostPort(QStringLiteral(R"(^(\[[0-9A-Fa-f:.]+\]|[^\s:\[\]\\/]+):(\d{1,5})$)"));
  PrinterTarget target;
  const QRegularExpressionMatch m = hostPort.match(printer);
  const uint port = m.hasMatch() ? m.captured(2).toUInt() : 0;
  if (port > 0 && port <= 65535) {
    target.host = m.captured(1);
    if (target.host.startsWith(QLatin1Char('['))) target.host = target.host.mid(1, target.host.size() - 2);
    target.port = quint16(port);
  } else {
    target.systemPrinter = printer;
  }
  return target;
}

SendResult sendToPrinter(const QString &printer, const QByteArray &bytes) {
  const PrinterTarget target = printerTarget(printer);
  return target.onNetwork() ? sendOverNetwork(target, bytes) : sendToSystemPrinter(target.systemPrinter, bytes);
}

SendResult sendWithinBounds(const QString &printer, const QByteArray &bytes,
                            const std::function<void()> &whileWaiting) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    SendResult result;
  };
  auto shared = std::make_shared<Shared>();
  // A thread of Qt's own: a socket needs its thread's event dispatcher, which Qt sets up and takes
  // down with a QThread (a plain thread's left the Windows program to crash when it ended).
  QThread *worker = QThread::create([shared, printer, bytes] {
    SendResult result = sendToPrinter(printer, bytes);
    const std::lock_guard<std::mutex> lock(shared->mutex);
    shared->result = std::move(result);
    shared->done = true;
    shared->ended.notify_all();
  });
  // It goes once it has ended, also when nobody waits for it any more.
  QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();

  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(kConnectSeconds + kSendSeconds + 1);
  std::unique_lock<std::mutex> lock(shared->mutex);
  while (!shared->ended.wait_for(lock, std::chrono::milliseconds(20), [&] { return shared->done; })) {
    if (std::chrono::steady_clock::now() >= giveUp)
      return failed(QStringLiteral("yazıcı ") + seconds(kConnectSeconds + kSendSeconds) +
                    QStringLiteral(" içinde cevap vermedi"));
    lock.unlock();
    if (whileWaiting) whileWaiting();
    lock.lock();
  }
  return shared->result;
}

}  // namespace zslip
