// The multi-player session service as the session class sees it. One object is
// one connection to the service: a provider is chosen, then at most one session
// is hosted or joined with one local player. Releasing the object leaves the
// session: the other players are told "player destroyed" at once.
//
// Every operation that fails throws SessionError. Messages are only ever taken
// by polling; a real service wakes the game's thread when one arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class SessionError : public std::runtime_error {
 public:
  SessionError(int32_t number, const std::string& description) : std::runtime_error(description), number_(number) {}
  int32_t number() const { return number_; }

 private:
  int32_t number_;
};

// The longest text one message carries, in bytes of UTF-8; the service refuses more.
inline constexpr size_t kMaxMessageBody = 4000;

// Error numbers the game tells apart.
inline constexpr int32_t kSessionErrGeneric = 1;
inline constexpr int32_t kSessionErrDuplicateName = 5;  // a player of that name is in the session

// Session flags.
inline constexpr int32_t DPSESSION_JOINDISABLED = 0x20;
inline constexpr int32_t DPSESSION_DIRECTPLAYPROTOCOL = 0x2000;

// Service messages arrive from player id 0 with one of these types.
inline constexpr int32_t DPSYS_CREATEPLAYERORGROUP = 3;
inline constexpr int32_t DPSYS_DESTROYPLAYERORGROUP = 5;

struct SessionDesc {
  std::string guidApplication;
  std::string sessionName;
  std::string password;
  int32_t maxPlayers = 0;
  int32_t currentPlayers = 0;
  int32_t flags = 0;
  // Where a listed session can be reached; the service's own business.
  std::string address;
};

struct SessionPlayer {
  int32_t id = 0;  // non-zero, unique in the session
  std::string friendlyName;
  std::string formalName;
};

struct SessionMessage {
  int32_t from = 0;  // 0: a service message
  int32_t to = 0;
  int32_t type = 0;  // the 32-bit type that opens every message
  std::string body;  // one UTF-8 text, possibly empty
};

class SessionService {
 public:
  virtual ~SessionService() = default;

  // The ways to connect, entries 1..n in this order.
  virtual std::vector<std::string> ProviderNames() = 0;
  // Binds provider `entry` (1-based) for the listing or hosting that follows.
  virtual void InitializeConnection(int32_t entry) = 0;
  // Sessions carrying filter.guidApplication that can still be joined. The
  // service may ask the user where to look; a cancelled question throws.
  virtual std::vector<SessionDesc> EnumSessions(const SessionDesc& filter) = 0;
  // Hosts a new session described by desc (name, maximum players, application, flags).
  virtual void OpenCreate(const SessionDesc& desc) = 0;
  // Joins a session from the last listing.
  virtual void OpenJoin(const SessionDesc& desc) = 0;
  // The local player of the open session; returns its id.
  virtual int32_t CreatePlayer(const std::string& friendlyName, const std::string& formalName) = 0;

  virtual SessionDesc GetSessionDesc() = 0;
  virtual void SetSessionDesc(const SessionDesc& desc) = 0;  // host only
  virtual std::vector<SessionPlayer> Players() = 0;          // in the order they entered
  virtual std::string PlayerFriendlyName(int32_t playerId) = 0;

  // Messages waiting for the local player.
  virtual int32_t MessageCount(int32_t playerId) = 0;
  // Takes the oldest waiting message; throws when none waits.
  virtual SessionMessage Receive() = 0;
  // To every other player of the session, reliably and in order; throws when
  // the body is over kMaxMessageBody or not UTF-8, or the session has ended.
  virtual void Send(int32_t fromPlayerId, int32_t type, const std::string& body) = 0;
};

// Starts a new connection to the service; throws when the service cannot be had.
using SessionServiceFactory = std::function<std::unique_ptr<SessionService>()>;
