// The host's half of the session worker: listening, discovery answers,
// admitting players and relaying their messages.
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>
#include <climits>

#include "platform/SessionWorker.h"

using wire::Frame;
using wire::Kind;
using namespace session;

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
    const wire::SessionInfo info = Listed();
    if (!appId || *appId != info.appId) continue;
    // A few answers a second are plenty for people looking for a game, and
    // one asker may have only a share of them, so it cannot starve the rest.
    const QHostAddress source = datagram.senderAddress();
    if (!answers_.Take(source, clock_.elapsed())) continue;
    const auto answer = wire::EncodeAnswer({info, server_->serverPort()});
    if (!answer) continue;
    discovery_->writeDatagram(answer->data(), static_cast<qint64>(answer->size()), source,
                              static_cast<quint16>(datagram.senderPort()));
  }
}

wire::SessionInfo SessionWorker::Info() {
  std::lock_guard lock(state_.mutex);
  const SessionDesc& d = state_.desc;
  return {d.guidApplication, d.sessionName, d.maxPlayers, static_cast<int32_t>(state_.players.size()), d.flags};
}

wire::SessionInfo SessionWorker::Listed(const Link* except) {
  wire::SessionInfo info = Info();
  info.currentPlayers += static_cast<int32_t>(std::count_if(peers_.begin(), peers_.end(), [&](const Link* link) {
    return link != except && link->stage == Stage::Member && link->playerId == 0;
  }));
  return info;
}

std::string SessionWorker::Unjoinable(const Link* joining) {
  const wire::SessionInfo info = Listed(joining);
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
      Deliver(link->playerId, link->playerId, frame.type, frame.body);
      if (link->dead) return;  // it was flooding us
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
    Write(link, Frame{.kind = Kind::Session, .session = Listed()});
    return DropPeer(link);
  }
  if (const std::string why = Unjoinable(); !why.empty()) return refuse(why);

  // Its deadline runs on: a welcomed connection that never creates its player
  // must not hold its seat for long.
  link->stage = Stage::Member;
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
  std::string why = Unjoinable(link);
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
  link->deadline->stop();
  Write(link, Frame{.kind = Kind::YouAre, .id = id});
  const Frame added{
      .kind = Kind::PlayerAdded, .id = id, .friendlyName = frame.friendlyName, .formalName = frame.formalName};
  const auto peers = peers_;
  for (Link* other : peers)
    if (other != link && other->stage == Stage::Member) Write(other, added);
  if (hostId != 0) Deliver(id, 0, DPSYS_CREATEPLAYERORGROUP, std::to_string(id));
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
  if (hostId != 0) Deliver(id, 0, DPSYS_DESTROYPLAYERORGROUP, std::to_string(id));
}

SessionWorker::Link* SessionWorker::PeerOf(int32_t playerId) {
  const auto it = std::find_if(peers_.begin(), peers_.end(), [&](const Link* l) { return l->playerId == playerId; });
  return it == peers_.end() ? nullptr : *it;
}

void SessionWorker::SessionChanged() {
  const Frame update{.kind = Kind::SessionUpdate, .session = Info()};
  const auto peers = peers_;
  for (Link* link : peers)
    if (link->stage == Stage::Member) Write(link, update);
}
