#include "fake_printer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace ztest {

namespace {

int listenOnLoopback(int backlog, quint16 *port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length) != 0)
    throw std::runtime_error("bind/listen");
  *port = ntohs(a.sin_port);
  return fd;
}

}  // namespace

FakePrinter::FakePrinter(Mode mode) {
  if (mode == Mode::NoAnswer) {
    // Linux queues one connection beyond a backlog of 0; with that one taken and never accepted,
    // the SYN of the next is dropped and its sender waits as for a printer that is off.
    listener_ = listenOnLoopback(0, &port_);
    filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port_);
    if (::connect(filler_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) throw std::runtime_error("filler");
    return;
  }
  listener_ = listenOnLoopback(8, &port_);
  thread_ = std::thread([this] { serve(); });
}

FakePrinter::~FakePrinter() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (filler_ >= 0) ::close(filler_);
  if (listener_ >= 0) ::close(listener_);
}

QString FakePrinter::address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

std::vector<QByteArray> FakePrinter::jobs() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return jobs_;
}

bool FakePrinter::waitForJobs(size_t count, int ms) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (jobs().size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return jobs().size() >= count;
}

void FakePrinter::serve() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0) continue;
    ++connections_;
    QByteArray job;
    char buffer[4096];
    while (!stop_) {
      pollfd q{c, POLLIN, 0};
      if (::poll(&q, 1, 20) <= 0) continue;
      const ssize_t n = ::read(c, buffer, sizeof buffer);
      if (n <= 0) break;
      job.append(buffer, qsizetype(n));
    }
    ::close(c);
    const std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(job);
  }
}

QString FakePrinter::refusingAddress() {
  quint16 port = 0;
  const int fd = listenOnLoopback(1, &port);
  ::close(fd);
  return QStringLiteral("127.0.0.1:%1").arg(port);
}

}  // namespace ztest
