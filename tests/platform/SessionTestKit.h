// Helpers for the session service tests: services on loopback with ports the
// system picks, short time-outs, and a raw socket that speaks (or garbles) the
// protocol by hand.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/SessionWire.h"
#include "platform/TcpSessionService.h"

namespace kit {

using namespace std::chrono_literals;

inline const std::string kApp = "{11383C2A-E405-4C40-ACF1-7880B460ADC7}";

// The address question always answers `typed`; the local-network search goes
// to 127.0.0.1 only; every time-out is short.
inline TcpSessionConfig Quick(const std::string& typed = "", uint16_t port = 0) {
  TcpSessionConfig c;
  c.port = port;
  c.askAddress = [typed] { return std::optional<std::string>(typed); };
  c.discoveryTarget = "127.0.0.1";
  c.heartbeat = 100ms;
  c.peerTimeout = 600ms;
  c.handshakeTimeout = 500ms;
  c.searchTime = 300ms;
  return c;
}

// Quick, but a handshake or a silent peer is given half a minute: a link that
// a test sees closed within a few seconds was closed for another reason.
inline TcpSessionConfig Patient(const std::string& typed = "") {
  TcpSessionConfig c = Quick(typed);
  c.handshakeTimeout = 30s;
  c.peerTimeout = 30s;
  return c;
}

// Runs the test thread's events until `done()` or the limit.
template <class F>
bool WaitUntil(F done, std::chrono::milliseconds limit = 3s) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit.count()) return false;
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

inline SessionMessage Next(SessionService& s, int32_t me, std::chrono::milliseconds limit = 3s) {
  if (!WaitUntil([&] { return s.MessageCount(me) > 0; }, limit)) ADD_FAILURE() << "no message arrived";
  return s.Receive();
}

struct Member {
  std::unique_ptr<TcpSessionService> service;
  int32_t id = 0;
  uint16_t port = 0;  // the host's
};

inline Member Host(int32_t maxPlayers, TcpSessionConfig config = Quick(), const std::string& name = "Alice") {
  Member m;
  m.service = std::make_unique<TcpSessionService>(std::move(config));
  m.service->InitializeConnection(1);
  SessionDesc desc;
  desc.guidApplication = kApp;
  desc.sessionName = "Dravenholt";
  desc.maxPlayers = maxPlayers;
  desc.flags = DPSESSION_DIRECTPLAYPROTOCOL;
  m.service->OpenCreate(desc);
  m.id = m.service->CreatePlayer(name, "");
  m.port = m.service->HostedPort();
  return m;
}

inline std::vector<SessionDesc> ListAt(const std::string& typed, uint16_t defaultPort = 0,
                                       const std::string& app = kApp) {
  TcpSessionService client(Quick(typed, defaultPort));
  client.InitializeConnection(1);
  SessionDesc filter;
  filter.guidApplication = app;
  return client.EnumSessions(filter);
}

// Lists the host at 127.0.0.1 and joins its session as `name`.
inline Member Join(uint16_t port, const std::string& name, TcpSessionConfig config = Quick()) {
  Member m;
  m.port = port;
  config.askAddress = [port] { return std::optional<std::string>("127.0.0.1:" + std::to_string(port)); };
  m.service = std::make_unique<TcpSessionService>(std::move(config));
  m.service->InitializeConnection(1);
  SessionDesc filter;
  filter.guidApplication = kApp;
  const auto found = m.service->EnumSessions(filter);
  if (found.size() != 1) {
    ADD_FAILURE() << "listed " << found.size() << " sessions";
    return m;
  }
  m.service->OpenJoin(found[0]);
  m.id = m.service->CreatePlayer(name, "Player");
  return m;
}

inline bool HaveIpv6Loopback() {
  const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in6 a{};
  a.sin6_family = AF_INET6;
  a.sin6_addr = in6addr_loopback;
  const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// A plain blocking socket on 127.0.0.1, driven by hand.
class RawPeer {
 public:
  // Connects to `port`, or listens on a free port when `port` is 0.
  explicit RawPeer(uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    if (port != 0) {
      EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    } else {
      EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
      EXPECT_EQ(::listen(fd_, 4), 0);
      socklen_t length = sizeof a;
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
      port_ = ntohs(a.sin_port);
    }
  }
  ~RawPeer() { ::close(fd_); }
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  uint16_t Port() const { return port_; }
  // For a listening peer: the next connection within 3 seconds, as a raw peer
  // of its own (one that reads nothing when none came).
  std::unique_ptr<RawPeer> Accept() const {
    pollfd p{fd_, POLLIN, 0};
    const int fd = ::poll(&p, 1, 3000) > 0 ? ::accept(fd_, nullptr, nullptr) : -1;
    return std::unique_ptr<RawPeer>(new RawPeer(fd, 0));
  }

  void Write(const std::string& bytes) const {
    EXPECT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }
  void Write(const wire::Frame& frame) const { Write(wire::Encode(frame).value()); }

  // The next frame, or nullopt when none comes within a second.
  std::optional<wire::Frame> Read() const {
    std::string length = Take(4), payload;
    if (length.size() == 4) {
      const auto* p = reinterpret_cast<const unsigned char*>(length.data());
      payload = Take(size_t{p[0]} << 24 | size_t{p[1]} << 16 | size_t{p[2]} << 8 | p[3]);
    }
    return wire::DecodePayload(payload);
  }

  // True when the other end closes the connection within `limit`; whatever it
  // sends before is read and dropped.
  bool ClosedWithin(std::chrono::milliseconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    char scratch[4096];
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      if (::recv(fd_, scratch, sizeof scratch, 0) <= 0) return true;
    }
    return false;
  }

 private:
  RawPeer(int fd, int) : fd_(fd) {}
  std::string Take(size_t n) const {
    std::string out;
    char scratch[4096];
    while (out.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) break;
      const ssize_t got = ::recv(fd_, scratch, std::min(sizeof scratch, n - out.size()), 0);
      if (got <= 0) break;
      out.append(scratch, static_cast<size_t>(got));
    }
    return out;
  }

  int fd_ = -1;
  uint16_t port_ = 0;
};

// A host played by hand: `script` gets the first connection to it, on a thread
// of its own, which Finish (or the end of this) waits for.
class FakeHost {
 public:
  explicit FakeHost(std::function<void(RawPeer&)> script) : thread_([this, script] { script(*listener_.Accept()); }) {}
  ~FakeHost() { Finish(); }
  void Finish() {
    if (thread_.joinable()) thread_.join();
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // What a listing of it would have found.
  SessionDesc Desc() const {
    SessionDesc d;
    d.guidApplication = kApp;
    d.address = "127.0.0.1:" + std::to_string(listener_.Port());
    return d;
  }

 private:
  RawPeer listener_{0};
  std::thread thread_;
};

inline wire::Frame Hello(const std::string& app = kApp) {
  return {.kind = wire::Kind::Hello, .purpose = wire::Purpose::Join, .appId = app};
}

}  // namespace kit
