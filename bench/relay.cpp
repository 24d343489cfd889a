#include "relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <stdexcept>

namespace zbench {

namespace {

using Clock = std::chrono::steady_clock;

thread_local std::uint32_t hookSession = 0;

// The connection id in the server's greeting: after the 4-byte packet header, protocol 10, the
// server version ending in NUL, then the id in 4 little-endian bytes.
std::uint32_t greetingSession(const std::string &bytes) {
  if (bytes.size() < 6 || static_cast<unsigned char>(bytes[4]) != 10) return 0;
  const size_t end = bytes.find('\0', 5);
  if (end == std::string::npos || end + 5 > bytes.size()) return 0;
  std::uint32_t id = 0;
  for (int i = 3; i >= 0; --i) id = (id << 8) | static_cast<unsigned char>(bytes[end + 1 + size_t(i)]);
  return id;
}

void sendAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("relay: send failed");
    data += n;
    size -= size_t(n);
  }
}

void noDelay(int fd) {
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

// One relayed connection: the program's socket, the server's, and a queue per direction of what
// is on its way.
struct Relay::Link {
  int client = -1;
  int server = -1;
  enum class Speaker { Nobody, Client, Server };
  std::atomic<Speaker> lastSpeaker{Speaker::Nobody};
  // Set when the answer of the request in flight is to be lost.
  std::atomic<bool> loseAnswer{false};
  std::atomic<bool> keepServer{false};  // a dropped client's server side stays open
  std::atomic<bool> closed{false};
  // Frozen directions: nothing is delivered until thawed (or the link closes).
  std::atomic<bool> holdToServer{false}, holdToClient{false};
  std::mutex holdMutex;
  std::condition_variable holdChanged;
  std::atomic<std::uint32_t> session{0};  // the server's id of this session
  std::vector<std::thread> threads;  // two readers, two writers
  std::atomic<int> finished{0};

  struct Chunk {
    Clock::time_point due;
    std::string bytes;
    bool end = false;  // the sender closed its side
  };
  struct Queue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Chunk> chunks;
  } toServer, toClient;

  void hold(bool toServer, bool toClient) {
    std::lock_guard<std::mutex> lock(holdMutex);
    holdToServer = toServer;
    holdToClient = toClient;
    holdChanged.notify_all();
  }
  // Until the direction is thawed; false when the link closed meanwhile.
  bool waitUnheld(bool toServer) {
    std::unique_lock<std::mutex> lock(holdMutex);
    holdChanged.wait(lock, [&] { return !(toServer ? holdToServer : holdToClient) || closed; });
    return !closed;
  }
  void close() {
    if (closed.exchange(true)) return;
    {
      std::lock_guard<std::mutex> lock(holdMutex);
      holdChanged.notify_all();
    }
    ::shutdown(client, SHUT_RDWR);
    if (!keepServer) ::shutdown(server, SHUT_RDWR);
    for (Queue *q : {&toServer, &toClient}) {
      std::lock_guard<std::mutex> lock(q->mutex);
      q->chunks.push_back({Clock::now(), {}, true});
      q->ready.notify_all();
    }
  }
  ~Link() {
    if (client >= 0) ::close(client);
    if (server >= 0) ::close(server);
  }
};

Relay::Relay(int serverPort) : serverPort_(serverPort) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listenFd_ < 0) throw std::runtime_error("relay: no socket");
  const int on = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listenFd_, 16) != 0)
    throw std::runtime_error("relay: cannot listen");
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&address), &length);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

Relay::~Relay() {
  stopping_ = true;
  ::shutdown(listenFd_, SHUT_RDWR);
  ::close(listenFd_);
  acceptor_.join();
  cutAll();
  // Joined without the lock: a reader may still be waiting for it to ask the fault hook.
  std::vector<std::shared_ptr<Link>> links;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    links.swap(links_);
  }
  for (const std::shared_ptr<Link> &link : links)
    for (std::thread &t : link->threads) t.join();
  for (const int server : keptServers_) ::close(server);
}

std::uint32_t Relay::currentSession() { return hookSession; }

void Relay::setFaultHook(FaultHook hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  hook_ = std::move(hook);
  requests_ = 0;
}

void Relay::cutAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::shared_ptr<Link> &link : links_) link->close();
}

void Relay::refuseNewConnections(int serverError, const std::string &message) {
  std::lock_guard<std::mutex> lock(refusalMutex_);
  refusalText_ = message;
  refusal_ = serverError;
}

void Relay::thaw() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::shared_ptr<Link> &link : links_) link->hold(false, false);
}

void Relay::acceptLoop() {
  while (!stopping_) {
    const int client = ::accept(listenFd_, nullptr, nullptr);
    if (client < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (const int code = refusal_.load()) {
      // An error packet where the greeting would be: 0xFF, the error number, '#', the state.
      std::string text;
      {
        std::lock_guard<std::mutex> lock(refusalMutex_);
        text = refusalText_;
      }
      std::string payload = "\xff";
      payload += char(code & 0xff);
      payload += char((code >> 8) & 0xff);
      payload += "#08004" + text;
      std::string packet;
      packet += char(payload.size() & 0xff);
      packet += char((payload.size() >> 8) & 0xff);
      packet += char((payload.size() >> 16) & 0xff);
      packet += '\0';
      packet += payload;
      try {
        sendAll(client, packet.data(), packet.size());
      } catch (const std::exception &) {
      }
      ::shutdown(client, SHUT_RDWR);
      ::close(client);
      continue;
    }
    auto link = std::make_shared<Link>();
    link->client = client;
    link->server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(serverPort_));
    if (link->server < 0 ||
        ::connect(link->server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
      continue;  // the program sees its connection refused as the server's own would be
    }
    noDelay(link->client);
    noDelay(link->server);
    std::lock_guard<std::mutex> lock(mutex_);
    // Connections that ended are let go, so a long soak's reconnects do not pile up.
    for (auto it = links_.begin(); it != links_.end();) {
      if ((*it)->finished == int((*it)->threads.size())) {
        for (std::thread &t : (*it)->threads) t.join();
        it = links_.erase(it);
      } else {
        ++it;
      }
    }
    links_.push_back(link);
    Link *l = link.get();
    for (const bool fromClient : {true, false}) {
      l->threads.emplace_back([this, l, fromClient] {
        pump(*l, fromClient);
        ++l->finished;
      });
      l->threads.emplace_back([this, l, fromClient] {
        forward(*l, fromClient);
        ++l->finished;
      });
    }
  }
}

// Reads one direction and queues what it read, due after the delay.
void Relay::pump(Link &link, bool fromClient) {
  const int from = fromClient ? link.client : link.server;
  Link::Queue &queue = fromClient ? link.toServer : link.toClient;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const Clock::time_point arrived = Clock::now();
    std::string bytes(buffer, size_t(n));
    if (fromClient) {
      if (link.lastSpeaker.exchange(Link::Speaker::Client) != Link::Speaker::Client) {
        const std::int64_t number = ++requests_;
        Fault fault = Fault::None;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          hookSession = link.session;
          if (hook_) fault = hook_(number, bytes);
        }
        if (fault == Fault::CutBeforeRequest) {
          ++faults_;
          link.close();
          return;
        }
        if (fault == Fault::CutAfterRequest) {
          ++faults_;
          link.loseAnswer = true;
        }
        if (fault == Fault::FreezeAfterRequest || fault == Fault::FreezeBeforeRequest) {
          ++faults_;
          link.hold(fault == Fault::FreezeBeforeRequest, true);
        }
        if (fault == Fault::DropClientAfterRequest) {
          ++faults_;
          link.loseAnswer = true;
          link.keepServer = true;
          std::lock_guard<std::mutex> lock(mutex_);
          keptServers_.push_back(::dup(link.server));
        }
      }
    } else {
      if (link.lastSpeaker == Link::Speaker::Nobody && link.session == 0) link.session = greetingSession(bytes);
      link.lastSpeaker = Link::Speaker::Server;
      if (link.loseAnswer) {
        link.close();
        return;
      }
    }
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.chunks.push_back({arrived + std::chrono::microseconds(delayMicros_.load()), std::move(bytes), false});
    queue.ready.notify_all();
  }
  std::lock_guard<std::mutex> lock(queue.mutex);
  queue.chunks.push_back({Clock::now() + std::chrono::microseconds(delayMicros_.load()), {}, true});
  queue.ready.notify_all();
}

// Writes one direction's queue to its receiver once each chunk is due.
void Relay::forward(Link &link, bool fromClient) {
  const int to = fromClient ? link.server : link.client;
  Link::Queue &queue = fromClient ? link.toServer : link.toClient;
  for (;;) {
    Link::Chunk chunk;
    {
      std::unique_lock<std::mutex> lock(queue.mutex);
      queue.ready.wait(lock, [&] { return !queue.chunks.empty(); });
      chunk = std::move(queue.chunks.front());
      queue.chunks.pop_front();
    }
    // A frozen direction delivers what waited once thawed, the end of the connection last.
    if (!link.waitUnheld(fromClient) && !chunk.end) break;
    std::this_thread::sleep_until(chunk.due);
    if (chunk.end) break;
    try {
      sendAll(to, chunk.bytes.data(), chunk.bytes.size());
    } catch (const std::exception &) {
      break;
    }
  }
  link.close();
}

}  // namespace zbench
