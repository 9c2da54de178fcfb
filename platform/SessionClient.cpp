// The client's half of the session worker: listing by address or by a
// local-network search, joining, and the session as the host reports it.
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>
#include <set>

#include "platform/SessionWorker.h"

using wire::Frame;
using wire::Kind;
using namespace session;

namespace {

std::string HostText(const QHostAddress& address) {
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  if (mapped) return QHostAddress(v4).toString().toStdString();
  QHostAddress plain = address;
  plain.setScopeId({});
  return plain.toString().toStdString();
}

}  // namespace

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
  FinishListing(link, std::move(found));
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
  auto broken = [&] { EndLink(link, Unspoken(link)); };
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
        if (!Deliver(frame.id, 0, DPSYS_CREATEPLAYERORGROUP, std::to_string(frame.id))) return broken();
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
        if (known) Deliver(frame.id, 0, DPSYS_DESTROYPLAYERORGROUP, std::to_string(frame.id));
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
        if (!Deliver(frame.id, frame.id, frame.type, frame.body)) return broken();
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
  for (int32_t id : gone) Deliver(id, 0, DPSYS_DESTROYPLAYERORGROUP, std::to_string(id));
}
