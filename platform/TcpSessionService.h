// Our session service over TCP/IP (docs/protocol.md). The host listens on TCP
// for players and on UDP, on the same port number, for discovery queries; it
// owns the session and relays every message to the other players. The socket
// work runs on a thread of its own; the game's thread only polls, and is woken
// by a posted event when a message arrives.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "network/SessionService.h"

// The fixed default port; DRAVENHOLT_PORT (1..65535) replaces it.
inline constexpr uint16_t kDefaultSessionPort = 28760;
uint16_t DefaultSessionPort();

struct TcpSessionConfig {
  // Hosting listens here (0: any free port, see HostedPort); a typed address
  // without a port and the local-network search use it too.
  uint16_t port = DefaultSessionPort();
  // Asks where to look for sessions: an address, blank for the local network,
  // nullopt when cancelled. Empty: the service's own small dialog.
  std::function<std::optional<std::string>()> askAddress;
  // Where the local-network search sends its query; tests send it to 127.0.0.1.
  std::string discoveryTarget = "255.255.255.255";
  // A heartbeat goes out this often; a peer heard from for no longer than
  // peerTimeout is dropped, so a frozen peer is gone within timeout + interval.
  std::chrono::milliseconds heartbeat{2000};
  std::chrono::milliseconds peerTimeout{8000};
  // A connection must finish its handshake (and a join or a listing must be
  // answered) within this time.
  std::chrono::milliseconds handshakeTimeout{4000};
  // How long the local-network search collects answers.
  std::chrono::milliseconds searchTime{1500};
};

class TcpSessionService : public SessionService {
 public:
  // Starts the service's thread; throws SessionError without a QCoreApplication.
  explicit TcpSessionService(TcpSessionConfig config = {});
  // Leaves the session (the peers see "player destroyed" at once) and joins the thread.
  ~TcpSessionService() override;
  TcpSessionService(const TcpSessionService&) = delete;
  TcpSessionService& operator=(const TcpSessionService&) = delete;

  std::vector<std::string> ProviderNames() override;
  void InitializeConnection(int32_t entry) override;
  std::vector<SessionDesc> EnumSessions(const SessionDesc& filter) override;
  void OpenCreate(const SessionDesc& desc) override;
  void OpenJoin(const SessionDesc& desc) override;
  int32_t CreatePlayer(const std::string& friendlyName, const std::string& formalName) override;
  SessionDesc GetSessionDesc() override;
  void SetSessionDesc(const SessionDesc& desc) override;
  std::vector<SessionPlayer> Players() override;
  std::string PlayerFriendlyName(int32_t playerId) override;
  int32_t MessageCount(int32_t playerId) override;
  SessionMessage Receive() override;
  // Once the session is lost (the host went away) a send fails, as a send to a
  // closed session does anywhere: nothing can reach the others any more.
  void Send(int32_t fromPlayerId, int32_t type, const std::string& body) override;

  // The TCP port of the hosted session (the one bound for port 0); 0 if none.
  uint16_t HostedPort() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The service's own question for EnumSessions: a small modal dialog over the
// active window; nullopt when cancelled or when there are no widgets to show.
std::optional<std::string> AskSessionAddress(uint16_t defaultPort);

std::unique_ptr<SessionService> CreateTcpSessionService(TcpSessionConfig config = {});
SessionServiceFactory TcpSessionServiceFactory(TcpSessionConfig config = {});
