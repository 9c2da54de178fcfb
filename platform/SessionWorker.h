// The socket side of TcpSessionService: lives on the service's own thread and
// owns every socket and timer. The game's thread reaches it only through
// queued calls and the locked SessionState.
#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "network/SessionService.h"
#include "platform/SessionQueue.h"
#include "platform/SessionWire.h"
#include "platform/TcpSessionService.h"

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

// Bounds on what peers can make us hold.
inline constexpr size_t kMaxLinks = 64;
inline constexpr size_t kMaxPlayers = 64;
inline constexpr size_t kMaxQueued = 4096;
inline constexpr qint64 kMaxBacklog = 1 << 20;   // unsent bytes to one peer
inline constexpr size_t kAnswersPerSecond = 20;  // discovery answers, to everyone
inline constexpr size_t kAnswersPerSource = 5;   // of those, to any one address

// The discovery answers of the last second, so that in any one second a
// source gets at most its share and everyone together at most the total.
// Only those answers are remembered: never more than kAnswersPerSecond.
class AnswerBudget {
 public:
  // Whether `source` may have an answer at `now` (in ms of a steady clock);
  // if so, that answer is counted.
  bool Take(const QHostAddress& source, qint64 now) {
    while (!given_.empty() && now - given_.front().first >= 1000) given_.pop_front();
    const auto mine = std::count_if(given_.begin(), given_.end(), [&](const auto& g) { return g.second == source; });
    if (given_.size() >= kAnswersPerSecond || static_cast<size_t>(mine) >= kAnswersPerSource) return false;
    given_.emplace_back(now, source);
    return true;
  }

 private:
  std::deque<std::pair<qint64, QHostAddress>> given_;  // oldest first
};

// What both threads see, under `mutex`.
struct SessionState {
  std::mutex mutex;
  bool open = false;
  bool hosting = false;
  bool lost = false;  // a client whose host went away
  SessionDesc desc;
  std::vector<SessionPlayer> players;  // in the order they entered
  int32_t localId = 0;
  SessionQueue queue{kMaxQueued};
};

template <class T>
using Reply = std::shared_ptr<std::promise<T>>;

class SessionWorker : public QObject {
 public:
  SessionWorker(SessionState& state, const TcpSessionConfig& config, std::function<void()> wake);
  ~SessionWorker() override;

  // Each answers through its Reply, with a SessionError on failure.
  void Host(uint16_t port, Reply<uint16_t> reply);  // the session is in state.desc
  void Query(std::string host, uint16_t port, std::string appId, Reply<std::vector<SessionDesc>> reply);
  void Search(std::string target, uint16_t port, std::string appId, Reply<std::vector<SessionDesc>> reply);
  void Join(std::string host, uint16_t port, std::string appId, Reply<void> reply);
  void CreatePlayer(std::string friendlyName, std::string formalName, Reply<int32_t> reply);
  void Send(int32_t type, std::string body);
  void SessionChanged();  // host: tell the players the new description
  // Leaves the session at once and closes every socket.
  void Shutdown();

 private:
  struct Link;
  // Host side: Hello, then Member. Client side: Greeting, Welcoming, then Member.
  enum class Stage { Hello, Greeting, Welcoming, Member };

  Link* NewLink(QTcpSocket* socket, Stage stage);
  void ReadLink(Link* link);
  void LinkClosed(Link* link);
  void EndLink(Link* link, const std::string& why);
  void FinishListing(Link* link, std::vector<SessionDesc> found);
  std::string Unspoken(Link* link);
  bool Write(Link* link, const wire::Frame& frame);
  void Close(Link* link);
  void Heartbeat();

  // Host side.
  void Accept();
  void AnswerQueries();
  void HostFrame(Link* link, wire::Frame& frame);
  void Greet(Link* link, const wire::Frame& hello);
  void AddRemotePlayer(Link* link, const wire::Frame& frame);
  void DropPeer(Link* link);
  Link* PeerOf(int32_t playerId);
  // The session with currentPlayers = its players (Info), or = every seat
  // taken, welcomed connections without a player yet but `except` included (Listed).
  wire::SessionInfo Info();
  wire::SessionInfo Listed(const Link* except = nullptr);
  // Why no one (but `joining`, whose seat is its own) may join now, "" if one may.
  std::string Unjoinable(const Link* joining = nullptr);

  // Client side.
  void ClientFrame(Link* link, wire::Frame& frame);
  void QueryFrame(Link* link, wire::Frame& frame);
  void FailJoin(const std::string& why);
  void LoseSession();

  // Queues a message from or about player `origin` for our player. A full
  // queue on the host drops the flooder's connection (perhaps the sender's);
  // on a client it refuses the message (false), but never a "destroyed".
  bool Deliver(int32_t origin, int32_t from, int32_t type, std::string body);
  void Wake();

  SessionState& state_;
  TcpSessionConfig config_;
  std::function<void()> wake_;
  QElapsedTimer clock_;
  QTimer* heartbeat_;
  QTcpServer* server_ = nullptr;
  QUdpSocket* discovery_ = nullptr;
  AnswerBudget answers_;
  std::vector<Link*> peers_;  // host: every accepted connection, in order
  Link* hostLink_ = nullptr;  // client: the connection to the host
  Reply<void> joinReply_;
  Reply<int32_t> createReply_;
  QTimer* createTimer_;
  SessionPlayer pendingPlayer_;
  size_t welcomePlayers_ = 0;  // PlayerAdded frames still due after Welcome
  std::string joinAppId_;
};

// One TCP connection. It owns its socket; a closed link is marked dead at once
// and deleted when control is back in the event loop, so a handler that
// closed it can still look at it.
struct SessionWorker::Link : QObject {
  enum class Role { Peer, Session, Listing };
  explicit Link(QObject* parent) : QObject(parent) {}

  Role role = Role::Peer;
  Stage stage = Stage::Hello;
  QTcpSocket* socket = nullptr;
  QTimer* deadline = nullptr;
  wire::FrameReader reader;
  int32_t playerId = 0;
  qint64 lastHeard = 0;
  bool dead = false;
  std::string address;  // as typed, for messages
  std::string appId;    // what a listing asks for
  Reply<std::vector<SessionDesc>> listing;
};

// Shared by the host and client halves of the worker.
namespace session {

inline SessionError Failure(const std::string& description) { return SessionError(kSessionErrGeneric, description); }

template <class T>
void Reject(const Reply<T>& reply, const SessionError& error) {
  if (reply) reply->set_exception(std::make_exception_ptr(error));
}

// A refusal keeps the duplicate-name number, which the game tells apart; any
// other number from the network becomes the generic one.
inline int32_t RefusalNumber(int32_t number) {
  return number == kSessionErrDuplicateName ? kSessionErrDuplicateName : kSessionErrGeneric;
}

inline bool Joinable(const wire::SessionInfo& s) {
  return !(s.flags & DPSESSION_JOINDISABLED) && (s.maxPlayers == 0 || s.currentPlayers < s.maxPlayers);
}

inline SessionDesc ToDesc(const wire::SessionInfo& s, std::string address) {
  SessionDesc d;
  d.guidApplication = s.appId;
  d.sessionName = s.name;
  d.maxPlayers = s.maxPlayers;
  d.currentPlayers = s.currentPlayers;
  d.flags = s.flags;
  d.address = std::move(address);
  return d;
}

}  // namespace session
