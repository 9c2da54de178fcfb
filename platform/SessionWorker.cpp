#include "platform/SessionWorker.h"

#include <sys/socket.h>

#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>
#include <climits>

using wire::Frame;
using wire::Kind;
using namespace session;

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
  connect(link->deadline, &QTimer::timeout, link,
          [this, link] { EndLink(link, "The computer at " + link->address + " did not answer."); });
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
        return EndLink(link, Unspoken(link));
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
  const std::string& at = link->address;
  switch (link->socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
      return EndLink(link, "The computer at " + at + " refused the connection: no session is open there.");
    case QAbstractSocket::HostNotFoundError:
      return EndLink(link, "The computer " + at + " could not be found.");
    case QAbstractSocket::RemoteHostClosedError:
      return EndLink(link, "The session at " + at + " closed the connection.");
    default:
      return EndLink(link, "The connection to " + at + " failed: " + link->socket->errorString().toStdString());
  }
}

// However a link ends: a peer's player leaves, a client's join fails or its
// session is lost, a listing finds nothing there.
void SessionWorker::EndLink(Link* link, const std::string& why) {
  if (link->dead) return;
  switch (link->role) {
    case Link::Role::Peer:
      return DropPeer(link);
    case Link::Role::Session:
      if (link->stage == Stage::Member) {
        LoseSession();
      } else {
        FailJoin(why);
      }
      break;
    case Link::Role::Listing:
      FinishListing(link, {});
      break;
  }
  Close(link);
}

void SessionWorker::FinishListing(Link* link, std::vector<SessionDesc> found) {
  if (link->listing) link->listing->set_value(std::move(found));
  link->listing.reset();
}

std::string SessionWorker::Unspoken(Link* link) {
  return "The computer at " + link->address + " does not speak this game's protocol.";
}

bool SessionWorker::Write(Link* link, const Frame& frame) {
  if (link->dead) return false;
  const auto bytes = wire::Encode(frame);
  if (!bytes) return false;
  link->socket->write(bytes->data(), static_cast<qint64>(bytes->size()));
  if (link->socket->bytesToWrite() > kMaxBacklog) {
    // It has stopped reading; holding ever more for it helps no one.
    EndLink(link, "The computer at " + link->address + " stopped reading.");
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
      EndLink(link, {});
    } else {
      Write(link, Frame{.kind = Kind::Ping});
    }
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

// ---- Both ----------------------------------------------------------------------------

bool SessionWorker::Deliver(int32_t origin, int32_t from, int32_t type, std::string body) {
  int32_t flooder = 0;
  {
    std::lock_guard lock(state_.mutex);
    if (state_.localId == 0) return true;  // no player of ours to take it
    SessionMessage message{from, state_.localId, type, std::move(body)};
    if (!server_) {
      // Everyone reaches us through the host: we are the ones to go.
      if (!state_.queue.Offer(origin, std::move(message))) return false;
    } else {
      flooder = state_.queue.Add(origin, std::move(message));
    }
  }
  Wake();
  if (flooder != 0) {
    if (Link* link = PeerOf(flooder)) DropPeer(link);
  }
  return flooder != origin;
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
