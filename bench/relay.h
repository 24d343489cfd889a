#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zbench {

// A TCP relay between the program and its database server, standing in for the shop's network:
// it adds a delay to every byte in each direction and counts the program's requests. A request is
// a burst of bytes from the program after the server last spoke: one network round trip, however
// many statements it carries.
//
// It also injects the faults of a real network at a chosen request: the request never reaching
// the server, or its answer never reaching the program (the server did the work). Either way the
// connection is dropped as a failing link drops it.
class Relay {
 public:
  enum class Fault {
    None,
    CutBeforeRequest,  // the connection drops before the request reaches the server
    CutAfterRequest,   // the request reaches the server; its answer is lost with the connection
    // The program's side drops after the request (a pulled cable): the server runs the request and
    // its session lives on, unaware, until the relay goes.
    DropClientAfterRequest,
    // The program stops (a till frozen or without power): nothing passes either way until thaw(),
    // and the server's session stays open, silent. The request reaches the server first (its
    // answer waits at the relay), or waits at the relay itself.
    FreezeAfterRequest,
    FreezeBeforeRequest
  };
  // Asked at every request with its number (1 for the first since the hook was set or the count
  // reset) and the request's first bytes (the MySQL packet: 4 header bytes, a command byte, the
  // statement text).
  using FaultHook = std::function<Fault(std::int64_t request, const std::string &firstBytes)>;

  // Relays to the server at 127.0.0.1:`serverPort`; listens on a free port of 127.0.0.1.
  explicit Relay(int serverPort);
  ~Relay();
  Relay(const Relay &) = delete;
  Relay &operator=(const Relay &) = delete;

  int port() const { return port_; }
  // Delay added to each direction (half the round trip it adds).
  void setDelay(std::chrono::microseconds eachWay) { delayMicros_ = eachWay.count(); }
  std::int64_t requests() const { return requests_; }
  void resetCount() { requests_ = 0; }
  void setFaultHook(FaultHook hook);
  // Faults injected so far.
  int faults() const { return faults_; }
  // Inside the fault hook: the server's id of the session whose request it is (0 if unknown), as
  // the server's greeting gave it.
  static std::uint32_t currentSession();
  // Drops every relayed connection at once.
  void cutAll();
  // New connections are refused as a server refuses them before its greeting, with its error
  // (1040 too many connections, 1129 host blocked); 0 lets them through again. A fault hook may
  // call it.
  void refuseNewConnections(int serverError, const std::string &message = std::string());
  // Lets every frozen connection go on: what waited is delivered, a side the server closed
  // meanwhile then closes for the program too.
  void thaw();

 private:
  struct Link;
  void acceptLoop();
  void pump(Link &link, bool fromClient);
  void forward(Link &link, bool fromClient);

  int listenFd_ = -1;
  int serverPort_ = 0;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<std::int64_t> delayMicros_{0};
  std::atomic<std::int64_t> requests_{0};
  std::atomic<int> faults_{0};
  std::atomic<int> refusal_{0};
  std::mutex refusalMutex_;  // refusalText_; apart from mutex_, so that a fault hook may refuse
  std::string refusalText_;
  std::mutex mutex_;  // links_, hook_
  FaultHook hook_;
  std::vector<std::shared_ptr<Link>> links_;
  std::vector<int> keptServers_;  // server sides of dropped clients, closed when the relay goes
  std::thread acceptor_;
};

}  // namespace zbench
