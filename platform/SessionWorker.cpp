#include "platform/SessionWorker.h"

#include <sys/socket.h>

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <climits>
#include <set>

using wire::Frame;
using wire::Kind;

namespace {

SessionError Failure(const std::string& description) { return SessionError(kSessionErrGeneric, description); }

template <class T>
void Reject(const Reply<T>& reply, const SessionError& error) {
  if (reply) reply->set_exception(std::make_exception_ptr(error));
}

// A refusal keeps the duplicate-name number, which the game tells apart; any
// other number from the network becomes the generic one.
int32_t RefusalNumber(int32_t number) {
  return number == kSessionErrDuplicateName ? kSessionErrDuplicateName : kSessionErrGeneric;
}

bool Joinable(const wire::SessionInfo& s) {
  return !(s.flags & DPSESSION_JOINDISABLED) && (s.maxPlayers == 0 || s.currentPlayers < s.maxPlayers);
}

SessionDesc ToDesc(const wire::SessionInfo& s, std::string address) {
  SessionDesc d;
  d.guidApplication = s.appId;
  d.sessionName = s.name;
  d.maxPlayers = s.maxPlayers;
  d.currentPlayers = s.currentPlayers;
  d.flags = s.flags;
  d.address = std::move(address);
  return d;
}

std::string HostText(const QHostAddress& address) {
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  if (mapped) return QHostAddress(v4).toString().toStdString();
  QHostAddress plain = address;
  plain.setScopeId({});
  return plain.toString().toStdString();
}

}  // namespace

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

SessionWorker::SessionWorker(SessionState& state, const TcpSessionConfig& config, std::function<void()> wake)
    : state_(state), config_(config), wake_(std::move(wake)) {
  clock_.start();
  heartbeat_ = new QTimer(this);
  heartbeat_->setInterval(config_.heartbeat);
  connect(heartbeat_, &QTimer::timeout, this, [this] { Heartbeat(); });
  createTimer_ = new QTimer(this);
  createTimer_->setSingleShot(true);
  connect(createTimer_, &QTimer::timeout, this, [this] {
    Reject(createReply_, Failure("The session did not answer."));
    createReply_.reset();
  });
}

SessionWorker::~SessionWorker() { Shutdown(); }

// ---- Links ---------------------------------------------------------------------------

SessionWorker::Link* SessionWorker::NewLink(QTcpSocket* socket, Stage stage) {
  auto* link = new Link(this);
  link->stage = stage;
  link->socket = socket;
  // Straight to the peer: never through a proxy of the desktop or the environment.
  socket->setProxy(QNetworkProxy::NoProxy);
  socket->setReadBufferSize(64 * 1024);  // we take it all at each readyRead anyway
  socket->setParent(link);
  link->lastHeard = clock_.elapsed();
  link->deadline = new QTimer(link);
  link->deadline->setSingleShot(true);
  link->deadline->setInterval(config_.handshakeTimeout);
  connect(link->deadline, &QTimer::timeout, link, [this, link] {
    if (link->dead) return;
    switch (link->role) {
      case Link::Role::Peer:
        DropPeer(link);
        break;
      case Link::Role::Session:
        FailJoin("The computer at " + link->address + " did not answer.");
        Close(link);
        break;
      case Link::Role::Listing:
        if (link->listing) link->listing->set_value({});
        Close(link);
        break;
    }
  });
  connect(socket, &QTcpSocket::readyRead, link, [this, link] { ReadLink(link); });
  connect(socket, &QTcpSocket::disconnected, link, [this, link] { LinkClosed(link); });
  connect(socket, &QTcpSocket::errorOccurred, link, [this, link] {
    if (link->socket->state() == QAbstractSocket::UnconnectedState) LinkClosed(link);
  });
  link->deadline->start();
  return link;
}

void SessionWorker::ReadLink(Link* link) {
  while (!link->dead) {
    const QByteArray chunk = link->socket->read(16384);
    if (chunk.isEmpty()) return;
    link->lastHeard = clock_.elapsed();
    link->reader.Feed(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())));
    Frame frame;
    for (;;) {
      const auto result = link->reader.Next(frame);
      if (result == wire::FrameReader::Result::NeedMore) break;
      if (result == wire::FrameReader::Result::Error) {
        // A malformed or oversized frame: this connection ends, nothing else.
        if (link->role == Link::Role::Peer) {
          DropPeer(link);
        } else if (link->role == Link::Role::Session) {
          if (link->stage == Stage::Member) {
            LoseSession();
          } else {
            FailJoin("The computer at " + link->address + " does not speak this game's protocol.");
          }
          Close(link);
        } else {
          if (link->listing) link->listing->set_value({});
          Close(link);
        }
        return;
      }
      switch (link->role) {
        case Link::Role::Peer:
          HostFrame(link, frame);
          break;
        case Link::Role::Session:
          ClientFrame(link, frame);
          break;
        case Link::Role::Listing:
          QueryFrame(link, frame);
          break;
      }
      if (link->dead) return;
    }
  }
}

void SessionWorker::LinkClosed(Link* link) {
  if (link->dead) return;
  ReadLink(link);  // what it sent before closing still counts
  if (link->dead) return;
  switch (link->role) {
    case Link::Role::Peer:
      DropPeer(link);
      return;
    case Link::Role::Listing:
      if (link->listing) link->listing->set_value({});
      Close(link);
      return;
    case Link::Role::Session:
      break;
  }
  if (link->stage == Stage::Member) {
    LoseSession();
  } else {
    const std::string& at = link->address;
    switch (link->socket->error()) {
      case QAbstractSocket::ConnectionRefusedError:
        FailJoin("The computer at " + at + " refused the connection: no session is open there.");
        break;
      case QAbstractSocket::HostNotFoundError:
        FailJoin("The computer " + at + " could not be found.");
        break;
      case QAbstractSocket::RemoteHostClosedError:
        FailJoin("The session at " + at + " closed the connection.");
        break;
      default:
        FailJoin("The connection to " + at + " failed: " + link->socket->errorString().toStdString());
        break;
    }
  }
  Close(link);
}

bool SessionWorker::Write(Link* link, const Frame& frame) {
  if (link->dead) return false;
  const auto bytes = wire::Encode(frame);
  if (!bytes) return false;
  link->socket->write(bytes->data(), static_cast<qint64>(bytes->size()));
  if (link->socket->bytesToWrite() > kMaxBacklog) {
    // It has stopped reading; holding ever more for it helps no one.
    if (link->role == Link::Role::Peer) {
      DropPeer(link);
    } else {
      if (link->role == Link::Role::Session) LoseSession();
      Close(link);
    }
    return false;
  }
  return true;
}

void SessionWorker::Close(Link* link) {
  if (link->dead) return;
  link->dead = true;
  link->deadline->stop();
  if (link == hostLink_) hostLink_ = nullptr;
  QTcpSocket* socket = link->socket;
  socket->flush();
  // Unread input would make the close a reset, which may discard what we just
  // wrote before the peer reads it; so read it away first.
  const auto fd = socket->socketDescriptor();
  if (fd != -1) {
    char scratch[4096];
    for (int i = 0; i < 64 && ::recv(static_cast<int>(fd), scratch, sizeof scratch, MSG_DONTWAIT) > 0; ++i) {
    }
  }
  socket->abort();
  link->deleteLater();
}

void SessionWorker::Heartbeat() {
  const qint64 now = clock_.elapsed();
  const qint64 timeout = config_.peerTimeout.count();
  const auto peers = peers_;
  for (Link* link : peers) {
    if (link->dead || link->stage != Stage::Member) continue;
    if (now - link->lastHeard > timeout) {
      DropPeer(link);
    } else {
      Write(link, Frame{.kind = Kind::Ping});
    }
  }
  if (Link* link = hostLink_; link && link->stage == Stage::Member) {
    if (now - link->lastHeard > timeout) {
      LoseSession();
      Close(link);
    } else {
      Write(link, Frame{.kind = Kind::Ping});
    }
  }
}

// ---- Host ----------------------------------------------------------------------------

void SessionWorker::Host(uint16_t port, Reply<uint16_t> reply) {
  if (server_ || hostLink_) return Reject(reply, Failure("A session is already open."));
  server_ = new QTcpServer(this);
  server_->setProxy(QNetworkProxy::NoProxy);
  // Any: IPv6 and IPv4 on one socket, or IPv4 alone where there is no IPv6.
  if (!server_->listen(QHostAddress::Any, port)) {
    const std::string why = server_->errorString().toStdString();
    delete server_;
    server_ = nullptr;
    return Reject(reply, Failure("Cannot host on port " + std::to_string(port) + ": " + why));
  }
  connect(server_, &QTcpServer::newConnection, this, [this] { Accept(); });
  discovery_ = new QUdpSocket(this);
  discovery_->setProxy(QNetworkProxy::NoProxy);
  // Without the discovery port the session can still be found by its address.
  if (discovery_->bind(QHostAddress::Any, server_->serverPort())) {
    connect(discovery_, &QUdpSocket::readyRead, this, [this] { AnswerQueries(); });
  } else {
    delete discovery_;
    discovery_ = nullptr;
  }
  {
    std::lock_guard lock(state_.mutex);
    state_.open = true;
    state_.hosting = true;
  }
  heartbeat_->start();
  reply->set_value(server_->serverPort());
}

void SessionWorker::Accept() {
  while (server_ && server_->hasPendingConnections()) {
    QTcpSocket* socket = server_->nextPendingConnection();
    if (peers_.size() >= kMaxLinks) {
      socket->abort();
      delete socket;
      continue;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Link* link = NewLink(socket, Stage::Hello);
    link->role = Link::Role::Peer;
    peers_.push_back(link);
    ReadLink(link);
  }
}

void SessionWorker::AnswerQueries() {
  while (discovery_ && discovery_->hasPendingDatagrams()) {
    const QNetworkDatagram datagram = discovery_->receiveDatagram(wire::kMaxDatagram + 1);
    const QByteArray& data = datagram.data();
    if (!datagram.isValid() || data.size() > static_cast<qsizetype>(wire::kMaxDatagram) || datagram.senderPort() <= 0)
      continue;
    const auto appId = wire::DecodeQuery(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    const wire::SessionInfo info = Info();
    if (!appId || *appId != info.appId) continue;
    // A few answers a second are plenty for people looking for a game.
    const qint64 window = clock_.elapsed() / 1000;
    if (window != answerWindow_) {
      answerWindow_ = window;
      answersInWindow_ = 0;
    }
    if (++answersInWindow_ > 20) continue;
    const auto answer = wire::EncodeAnswer({info, server_->serverPort()});
    if (!answer) continue;
    discovery_->writeDatagram(answer->data(), static_cast<qint64>(answer->size()), datagram.senderAddress(),
                              static_cast<quint16>(datagram.senderPort()));
  }
}

wire::SessionInfo SessionWorker::Info() {
  std::lock_guard lock(state_.mutex);
  const SessionDesc& d = state_.desc;
  return {d.guidApplication, d.sessionName, d.maxPlayers, static_cast<int32_t>(state_.players.size()), d.flags};
}

std::string SessionWorker::Unjoinable() {
  const wire::SessionInfo info = Info();
  if (info.flags & DPSESSION_JOINDISABLED) return "The session does not accept new players.";
  if (!Joinable(info) || static_cast<size_t>(info.currentPlayers) >= kMaxPlayers) return "The session is full.";
  return {};
}

void SessionWorker::HostFrame(Link* link, Frame& frame) {
  if (link->stage == Stage::Hello) {
    if (frame.kind != Kind::Hello) return DropPeer(link);
    return Greet(link, frame);
  }
  switch (frame.kind) {
    case Kind::CreatePlayer:
      if (link->playerId != 0) return DropPeer(link);
      return AddRemotePlayer(link, frame);
    case Kind::Send: {
      if (link->playerId == 0) return DropPeer(link);
      if (!Deliver(link->playerId, frame.type, frame.body, false)) return DropPeer(link);
      const Frame relay{.kind = Kind::Message, .id = link->playerId, .type = frame.type, .body = frame.body};
      const auto peers = peers_;
      for (Link* other : peers)
        if (other != link && other->playerId != 0) Write(other, relay);
      return;
    }
    case Kind::Ping:
      return;
    default:
      return DropPeer(link);
  }
}

void SessionWorker::Greet(Link* link, const Frame& hello) {
  const wire::SessionInfo info = Info();
  auto refuse = [&](const std::string& why) {
    Write(link, Frame{.kind = Kind::Refuse, .number = kSessionErrGeneric, .text = why});
    DropPeer(link);
  };
  if (hello.version != wire::kVersion)
    return refuse("The session speaks another version of the network protocol (" + std::to_string(wire::kVersion) +
                  ", not " + std::to_string(hello.version) + ").");
  if (hello.appId != info.appId) return refuse("The session belongs to another program.");
  if (hello.purpose == wire::Purpose::Query) {
    Write(link, Frame{.kind = Kind::Session, .session = info});
    return DropPeer(link);
  }
  if (const std::string why = Unjoinable(); !why.empty()) return refuse(why);

  link->stage = Stage::Member;
  link->deadline->stop();
  std::vector<SessionPlayer> players;
  {
    std::lock_guard lock(state_.mutex);
    players = state_.players;
  }
  Frame welcome{.kind = Kind::Welcome, .session = info};
  welcome.session.currentPlayers = static_cast<int32_t>(players.size());
  Write(link, welcome);
  for (const SessionPlayer& p : players)
    Write(link,
          Frame{.kind = Kind::PlayerAdded, .id = p.id, .friendlyName = p.friendlyName, .formalName = p.formalName});
}

void SessionWorker::AddRemotePlayer(Link* link, const Frame& frame) {
  std::string why = Unjoinable();
  int32_t number = kSessionErrGeneric;
  int32_t id = 0;
  int32_t hostId = 0;
  {
    std::lock_guard lock(state_.mutex);
    auto& players = state_.players;
    if (std::any_of(players.begin(), players.end(),
                    [&](const SessionPlayer& p) { return p.friendlyName == frame.friendlyName; })) {
      why = "A player with the same name already exists in that session.";
      number = kSessionErrDuplicateName;
    }
    if (why.empty()) {
      do {
        id = static_cast<int32_t>(QRandomGenerator::global()->bounded(1, INT32_MAX));
      } while (std::any_of(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id == id; }));
      players.push_back({id, frame.friendlyName, frame.formalName});
      hostId = state_.localId;
    }
  }
  if (!why.empty()) {
    Write(link, Frame{.kind = Kind::PlayerRefused, .number = number, .text = why});
    return;
  }
  link->playerId = id;
  Write(link, Frame{.kind = Kind::YouAre, .id = id});
  const Frame added{
      .kind = Kind::PlayerAdded, .id = id, .friendlyName = frame.friendlyName, .formalName = frame.formalName};
  const auto peers = peers_;
  for (Link* other : peers)
    if (other != link && other->stage == Stage::Member) Write(other, added);
  if (hostId != 0) Deliver(0, DPSYS_CREATEPLAYERORGROUP, std::to_string(id), true);
}

void SessionWorker::DropPeer(Link* link) {
  if (link->dead) return;
  peers_.erase(std::remove(peers_.begin(), peers_.end(), link), peers_.end());
  const int32_t id = link->playerId;
  Close(link);
  if (id == 0) return;
  int32_t hostId;
  {
    std::lock_guard lock(state_.mutex);
    auto& players = state_.players;
    players.erase(std::remove_if(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id == id; }),
                  players.end());
    hostId = state_.localId;
  }
  const auto peers = peers_;
  for (Link* other : peers)
    if (other->stage == Stage::Member) Write(other, Frame{.kind = Kind::PlayerRemoved, .id = id});
  if (hostId != 0) Deliver(0, DPSYS_DESTROYPLAYERORGROUP, std::to_string(id), true);
}

void SessionWorker::SessionChanged() {
  const Frame update{.kind = Kind::SessionUpdate, .session = Info()};
  const auto peers = peers_;
  for (Link* link : peers)
    if (link->stage == Stage::Member) Write(link, update);
}

// ---- Client --------------------------------------------------------------------------

void SessionWorker::Query(std::string host, uint16_t port, std::string appId, Reply<std::vector<SessionDesc>> reply) {
  auto* socket = new QTcpSocket;
  Link* link = NewLink(socket, Stage::Greeting);
  link->role = Link::Role::Listing;
  link->address = wire::FormatAddress(host, port);
  link->appId = std::move(appId);
  link->listing = std::move(reply);
  connect(socket, &QTcpSocket::connected, link, [this, link] {
    if (!link->dead) Write(link, Frame{.kind = Kind::Hello, .purpose = wire::Purpose::Query, .appId = link->appId});
  });
  socket->connectToHost(QString::fromStdString(host), port);
}

void SessionWorker::QueryFrame(Link* link, Frame& frame) {
  std::vector<SessionDesc> found;
  if (frame.kind == Kind::Session && frame.version == wire::kVersion && frame.session.appId == link->appId)
    found.push_back(ToDesc(frame.session, link->address));
  if (link->listing) link->listing->set_value(std::move(found));
  link->listing.reset();
  Close(link);
}

void SessionWorker::Search(std::string target, uint16_t port, std::string appId,
                           Reply<std::vector<SessionDesc>> reply) {
  QHostAddress to;
  const auto query = wire::EncodeQuery(appId);
  if (!to.setAddress(QString::fromStdString(target)) || port == 0 || !query)
    return Reject(reply, Failure("The local network cannot be searched."));
  auto* socket = new QUdpSocket(this);
  socket->setProxy(QNetworkProxy::NoProxy);
  const bool v6 = to.protocol() == QAbstractSocket::IPv6Protocol;
  if (!socket->bind(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
    delete socket;
    return Reject(reply, Failure("The local network cannot be searched."));
  }
  auto found = std::make_shared<std::vector<SessionDesc>>();
  auto seen = std::make_shared<std::set<std::string>>();
  connect(socket, &QUdpSocket::readyRead, socket, [socket, found, seen, appId] {
    while (socket->hasPendingDatagrams()) {
      const QNetworkDatagram datagram = socket->receiveDatagram(wire::kMaxDatagram + 1);
      const QByteArray& data = datagram.data();
      const auto answer = wire::DecodeAnswer(std::string_view(data.constData(), static_cast<size_t>(data.size())));
      if (!answer || answer->session.appId != appId || found->size() >= 64) continue;
      const std::string address = wire::FormatAddress(HostText(datagram.senderAddress()), answer->port);
      if (seen->insert(address).second) found->push_back(ToDesc(answer->session, address));
    }
  });
  // A datagram may be lost: ask three times within the first half of the search.
  const QByteArray bytes(query->data(), static_cast<qsizetype>(query->size()));
  const int span = static_cast<int>(config_.searchTime.count());
  for (int at : {0, span / 4, span / 2})
    QTimer::singleShot(at, socket, [socket, bytes, to, port] { socket->writeDatagram(bytes, to, port); });
  QTimer::singleShot(span, socket, [socket, found, reply] {
    reply->set_value(*found);
    socket->deleteLater();
  });
}

void SessionWorker::Join(std::string host, uint16_t port, std::string appId, Reply<void> reply) {
  if (server_ || hostLink_ || joinReply_) return Reject(reply, Failure("A session is already open."));
  auto* socket = new QTcpSocket;
  Link* link = NewLink(socket, Stage::Greeting);
  link->role = Link::Role::Session;
  link->address = wire::FormatAddress(host, port);
  hostLink_ = link;
  joinReply_ = std::move(reply);
  joinAppId_ = std::move(appId);
  connect(socket, &QTcpSocket::connected, link, [this, link] {
    if (link->dead) return;
    link->socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Write(link, Frame{.kind = Kind::Hello, .purpose = wire::Purpose::Join, .appId = joinAppId_});
  });
  socket->connectToHost(QString::fromStdString(host), port);
}

void SessionWorker::FailJoin(const std::string& why) {
  Reject(joinReply_, Failure(why));
  joinReply_.reset();
}

void SessionWorker::ClientFrame(Link* link, Frame& frame) {
  auto broken = [&] {
    if (link->stage == Stage::Member) {
      LoseSession();
    } else {
      FailJoin("The computer at " + link->address + " does not speak this game's protocol.");
    }
    Close(link);
  };
  auto addPlayer = [&](const SessionPlayer& player) {
    std::lock_guard lock(state_.mutex);
    auto& players = state_.players;
    if (players.size() >= kMaxPlayers ||
        std::any_of(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id == player.id; }))
      return false;
    players.push_back(player);
    return true;
  };

  if (link->stage == Stage::Greeting) {
    if (frame.kind == Kind::Refuse) {
      Reject(joinReply_, SessionError(RefusalNumber(frame.number), frame.text));
      joinReply_.reset();
      return Close(link);
    }
    if (frame.kind != Kind::Welcome || frame.version != wire::kVersion || frame.session.appId != joinAppId_ ||
        static_cast<size_t>(frame.session.currentPlayers) > kMaxPlayers)
      return broken();
    {
      std::lock_guard lock(state_.mutex);
      state_.desc = ToDesc(frame.session, link->address);
      state_.players.clear();
    }
    welcomePlayers_ = static_cast<size_t>(frame.session.currentPlayers);
    link->stage = Stage::Welcoming;
  } else if (link->stage == Stage::Welcoming) {
    if (frame.kind != Kind::PlayerAdded || !addPlayer({frame.id, frame.friendlyName, frame.formalName}))
      return broken();
    --welcomePlayers_;
  } else {
    int32_t localId;
    {
      std::lock_guard lock(state_.mutex);
      localId = state_.localId;
    }
    switch (frame.kind) {
      case Kind::PlayerAdded:
        if (frame.id == localId || !addPlayer({frame.id, frame.friendlyName, frame.formalName})) return broken();
        if (localId != 0) Deliver(0, DPSYS_CREATEPLAYERORGROUP, std::to_string(frame.id), true);
        return;
      case Kind::PlayerRemoved: {
        bool known = false;
        if (frame.id != localId) {
          std::lock_guard lock(state_.mutex);
          auto& players = state_.players;
          const auto it =
              std::find_if(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id == frame.id; });
          known = it != players.end();
          if (known) players.erase(it);
        }
        if (known && localId != 0) Deliver(0, DPSYS_DESTROYPLAYERORGROUP, std::to_string(frame.id), true);
        return;
      }
      case Kind::YouAre: {
        if (!createReply_ || localId != 0) return broken();
        SessionPlayer me = pendingPlayer_;
        me.id = frame.id;
        if (!addPlayer(me)) return broken();
        {
          std::lock_guard lock(state_.mutex);
          state_.localId = me.id;
        }
        createTimer_->stop();
        createReply_->set_value(me.id);
        createReply_.reset();
        return;
      }
      case Kind::PlayerRefused:
        if (!createReply_) return broken();
        createTimer_->stop();
        Reject(createReply_, SessionError(RefusalNumber(frame.number), frame.text));
        createReply_.reset();
        return;
      case Kind::Message: {
        bool known;
        {
          std::lock_guard lock(state_.mutex);
          const auto& players = state_.players;
          known = frame.id != localId &&
                  std::any_of(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id == frame.id; });
        }
        if (localId == 0 || !known) return;  // not for a player of ours: dropped
        if (!Deliver(frame.id, frame.type, frame.body, false)) return broken();
        return;
      }
      case Kind::SessionUpdate: {
        if (frame.session.appId != joinAppId_) return broken();
        std::lock_guard lock(state_.mutex);
        state_.desc.sessionName = frame.session.name;
        state_.desc.maxPlayers = frame.session.maxPlayers;
        state_.desc.flags = frame.session.flags;
        return;
      }
      case Kind::Ping:
        return;
      default:
        return broken();
    }
  }
  if (link->stage == Stage::Welcoming && welcomePlayers_ == 0) {
    link->stage = Stage::Member;
    link->deadline->stop();
    {
      std::lock_guard lock(state_.mutex);
      state_.open = true;
      state_.hosting = false;
    }
    heartbeat_->start();
    if (joinReply_) joinReply_->set_value();
    joinReply_.reset();
  }
}

void SessionWorker::CreatePlayer(std::string friendlyName, std::string formalName, Reply<int32_t> reply) {
  if (!server_) {
    if (!hostLink_ || hostLink_->stage != Stage::Member) return Reject(reply, Failure("The session has ended."));
    if (createReply_) return Reject(reply, Failure("A player is being created already."));
    pendingPlayer_ = {0, friendlyName, formalName};
    createReply_ = std::move(reply);
    createTimer_->start(config_.handshakeTimeout);
    Write(hostLink_, Frame{.kind = Kind::CreatePlayer, .friendlyName = friendlyName, .formalName = formalName});
    return;
  }
  // The host's own player.
  std::string why = Unjoinable();
  int32_t id = 0;
  {
    std::lock_guard lock(state_.mutex);
    auto& players = state_.players;
    if (std::any_of(players.begin(), players.end(),
                    [&](const SessionPlayer& p) { return p.friendlyName == friendlyName; })) {
      return Reject(
          reply, SessionError(kSessionErrDuplicateName, "A player with the same name already exists in that session."));
    }
    if (!why.empty()) return Reject(reply, Failure(why));
    do {
      id = static_cast<int32_t>(QRandomGenerator::global()->bounded(1, INT32_MAX));
    } while (std::any_of(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id == id; }));
    players.push_back({id, friendlyName, formalName});
    state_.localId = id;
  }
  const Frame added{.kind = Kind::PlayerAdded, .id = id, .friendlyName = friendlyName, .formalName = formalName};
  const auto peers = peers_;
  for (Link* link : peers)
    if (link->stage == Stage::Member) Write(link, added);
  reply->set_value(id);
}

void SessionWorker::Send(int32_t type, std::string body) {
  int32_t localId;
  {
    std::lock_guard lock(state_.mutex);
    localId = state_.localId;
  }
  if (localId == 0) return;
  if (!server_) {
    if (hostLink_ && hostLink_->stage == Stage::Member)
      Write(hostLink_, Frame{.kind = Kind::Send, .type = type, .body = std::move(body)});
    return;
  }
  const Frame message{.kind = Kind::Message, .id = localId, .type = type, .body = std::move(body)};
  const auto peers = peers_;
  for (Link* link : peers)
    if (link->playerId != 0) Write(link, message);
}

void SessionWorker::LoseSession() {
  if (hostLink_) hostLink_ = nullptr;
  createTimer_->stop();
  Reject(createReply_, Failure("The session has ended."));
  createReply_.reset();
  std::vector<int32_t> gone;
  {
    std::lock_guard lock(state_.mutex);
    if (state_.lost) return;
    state_.lost = true;
    auto& players = state_.players;
    for (const SessionPlayer& p : players)
      if (p.id != state_.localId) gone.push_back(p.id);
    if (state_.localId == 0) gone.clear();
    players.erase(
        std::remove_if(players.begin(), players.end(), [&](const SessionPlayer& p) { return p.id != state_.localId; }),
        players.end());
  }
  if (!server_) heartbeat_->stop();
  for (int32_t id : gone) Deliver(0, DPSYS_DESTROYPLAYERORGROUP, std::to_string(id), true);
}

// ---- Both ----------------------------------------------------------------------------

bool SessionWorker::Deliver(int32_t from, int32_t type, std::string body, bool system) {
  {
    std::lock_guard lock(state_.mutex);
    if (state_.localId == 0) return true;  // no player of ours to take it
    if (!system && state_.queue.size() >= kMaxQueued) return false;
    state_.queue.push_back({from, state_.localId, type, std::move(body)});
  }
  Wake();
  return true;
}

void SessionWorker::Wake() {
  if (wake_) wake_();
}

void SessionWorker::Shutdown() {
  heartbeat_->stop();
  createTimer_->stop();
  peers_.clear();
  hostLink_ = nullptr;
  // Every link still open is a child of ours; close each so the peer hears at once.
  for (QObject* child : children()) {
    if (auto* link = dynamic_cast<Link*>(child)) Close(link);
  }
  if (server_) server_->close();
  if (discovery_) discovery_->close();
}
