#pragma once
#include <QByteArray>
#include <QString>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace ztest {

// A receipt printer on the network as the tests need it: a listener on 127.0.0.1 that records
// the bytes of every connection (one slip per connection), or one that never answers.
class FakePrinter {
 public:
  enum class Mode {
    Takes,    // accepts and reads every connection to its end
    NoAnswer  // its queue of connections is full: a new one gets no answer at all
  };
  explicit FakePrinter(Mode mode = Mode::Takes);
  ~FakePrinter();
  FakePrinter(const FakePrinter &) = delete;
  FakePrinter &operator=(const FakePrinter &) = delete;

  // "127.0.0.1:PORT", as FisYazici names it.
  QString address() const;
  // What each finished connection carried, in order.
  std::vector<QByteArray> jobs() const;
  // Lets up to `ms` pass until `count` connections have ended; returns whether they did.
  bool waitForJobs(size_t count, int ms = 5000) const;
  // Connections accepted so far (also those still open).
  int connections() const { return connections_; }

  // "127.0.0.1:PORT" of a port on which nobody listens: a printer that refuses.
  static QString refusingAddress();

 private:
  void serve();

  int listener_ = -1;
  int filler_ = -1;
  quint16 port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<QByteArray> jobs_;
  std::thread thread_;
};

}  // namespace ztest
