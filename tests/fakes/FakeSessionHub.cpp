#include "fakes/FakeSessionHub.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <utility>

class FakeHubConnection : public SessionService {
 public:
  explicit FakeHubConnection(std::shared_ptr<FakeSessionHub> hub) : hub_(std::move(hub)) {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    ++hub_->connections_;
  }

  // Leaving the session: the others hear "player destroyed"; a host's leaving closes it.
  ~FakeHubConnection() override {
    bool rang = false;
    {
      std::lock_guard<std::mutex> lock(hub_->mu_);
      --hub_->connections_;
      if (player_ != 0) {
        auto it = hub_->sessions_.find(session_);
        if (it != hub_->sessions_.end()) {
          auto& list = it->second.players;
          list.erase(std::remove(list.begin(), list.end(), player_), list.end());
          it->second.desc.currentPlayers = static_cast<int32_t>(list.size());
          rang = hub_->QueueToOthers(session_, 0, DPSYS_DESTROYPLAYERORGROUP, "");
          if (host_) it->second.open = false;
        }
        hub_->players_.erase(player_);
      } else if (host_) {
        auto it = hub_->sessions_.find(session_);
        if (it != hub_->sessions_.end()) it->second.open = false;
      }
    }
    if (rang) hub_->Ring();
  }

  std::vector<std::string> ProviderNames() override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (hub_->failProviders) throw SessionError(kSessionErrGeneric, "The service providers cannot be listed.");
    return hub_->providers;
  }

  void InitializeConnection(int32_t entry) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (hub_->failInitialize || entry < 1 || entry > static_cast<int32_t>(hub_->providers.size()))
      throw SessionError(kSessionErrGeneric, "The connection cannot be made.");
    provider_ = entry;
  }

  std::vector<SessionDesc> EnumSessions(const SessionDesc& filter) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (provider_ == 0) throw SessionError(kSessionErrGeneric, "No connection is initialised.");
    if (hub_->cancelListing) throw SessionError(kSessionErrGeneric, "The search was cancelled.");
    std::vector<SessionDesc> out;
    for (const auto& [id, s] : hub_->sessions_) {
      const SessionDesc& d = s.desc;
      const bool full = d.maxPlayers > 0 && d.currentPlayers >= d.maxPlayers;
      if (!s.open || full || (d.flags & DPSESSION_JOINDISABLED) || d.guidApplication != filter.guidApplication)
        continue;
      out.push_back(d);
    }
    return out;
  }

  void OpenCreate(const SessionDesc& desc) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (provider_ == 0) throw SessionError(kSessionErrGeneric, "No connection is initialised.");
    if (hub_->failCreate) throw SessionError(kSessionErrGeneric, "The port is in use.");
    if (session_ != 0) throw SessionError(kSessionErrGeneric, "A session is already open.");
    session_ = hub_->nextSession_++;
    FakeSessionHub::Session s;
    s.desc = desc;
    s.desc.currentPlayers = 0;
    s.desc.address = std::to_string(session_);
    hub_->sessions_[session_] = s;
    host_ = true;
  }

  void OpenJoin(const SessionDesc& desc) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (session_ != 0) throw SessionError(kSessionErrGeneric, "A session is already open.");
    const int id = std::atoi(desc.address.c_str());
    auto it = hub_->sessions_.find(id);
    if (it == hub_->sessions_.end() || !it->second.open)
      throw SessionError(kSessionErrGeneric, "The session no longer exists.");
    const SessionDesc& d = it->second.desc;
    if (d.maxPlayers > 0 && d.currentPlayers >= d.maxPlayers)
      throw SessionError(kSessionErrGeneric, "The session is full.");
    session_ = id;
  }

  int32_t CreatePlayer(const std::string& friendlyName, const std::string& formalName) override {
    bool rang = false;
    int32_t id = 0;
    {
      std::lock_guard<std::mutex> lock(hub_->mu_);
      auto it = hub_->sessions_.find(session_);
      if (it == hub_->sessions_.end() || !it->second.open)
        throw SessionError(kSessionErrGeneric, "No session is open.");
      FakeSessionHub::Session& s = it->second;
      for (int32_t p : s.players)
        if (hub_->players_[p].friendlyName == friendlyName)
          throw SessionError(kSessionErrDuplicateName, "A player of that name is in the session.");
      if (s.desc.maxPlayers > 0 && static_cast<int32_t>(s.players.size()) >= s.desc.maxPlayers)
        throw SessionError(kSessionErrGeneric, "The session is full.");
      id = ++hub_->nextPlayer_;
      FakeSessionHub::Player pl;
      pl.id = id;
      pl.session = session_;
      pl.friendlyName = friendlyName;
      pl.formalName = formalName;
      hub_->players_[id] = pl;
      rang = hub_->QueueToOthers(session_, 0, DPSYS_CREATEPLAYERORGROUP, "");
      s.players.push_back(id);
      s.desc.currentPlayers = static_cast<int32_t>(s.players.size());
      player_ = id;
    }
    if (rang) hub_->Ring();
    return id;
  }

  SessionDesc GetSessionDesc() override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    return Open().desc;
  }

  void SetSessionDesc(const SessionDesc& desc) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (!host_) throw SessionError(kSessionErrGeneric, "Only the host may change the session.");
    FakeSessionHub::Session& s = Open();
    s.desc.flags = desc.flags;
    s.desc.sessionName = desc.sessionName;
    s.desc.maxPlayers = desc.maxPlayers;
  }

  std::vector<SessionPlayer> Players() override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (hub_->failPlayers) throw SessionError(kSessionErrGeneric, "The players cannot be listed.");
    std::vector<SessionPlayer> out;
    for (int32_t p : Open().players) {
      const auto& pl = hub_->players_[p];
      out.push_back({pl.id, pl.friendlyName, pl.formalName});
    }
    return out;
  }

  std::string PlayerFriendlyName(int32_t playerId) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    auto it = hub_->players_.find(playerId);
    if (it == hub_->players_.end() || it->second.session != session_)
      throw SessionError(kSessionErrGeneric, "There is no such player in the session.");
    return it->second.friendlyName;
  }

  int32_t MessageCount(int32_t playerId) override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    if (player_ == 0 || playerId != player_) throw SessionError(kSessionErrGeneric, "No such local player.");
    return static_cast<int32_t>(hub_->players_[player_].queue.size());
  }

  SessionMessage Receive() override {
    std::lock_guard<std::mutex> lock(hub_->mu_);
    auto it = hub_->players_.find(player_);
    if (it == hub_->players_.end() || it->second.queue.empty())
      throw SessionError(kSessionErrGeneric, "No message is waiting.");
    SessionMessage m = it->second.queue.front();
    it->second.queue.pop_front();
    return m;
  }

  void Send(int32_t fromPlayerId, int32_t type, const std::string& body) override {
    bool rang = false;
    {
      std::lock_guard<std::mutex> lock(hub_->mu_);
      if (player_ == 0 || fromPlayerId != player_) throw SessionError(kSessionErrGeneric, "No such local player.");
      if (body.size() > kMaxMessageBody) throw SessionError(kSessionErrGeneric, "The message is too long.");
      Open();
      rang = hub_->QueueToOthers(session_, fromPlayerId, type, body);
    }
    if (rang) hub_->Ring();
  }

 private:
  FakeSessionHub::Session& Open() {
    auto it = hub_->sessions_.find(session_);
    if (it == hub_->sessions_.end() || !it->second.open)
      throw SessionError(kSessionErrGeneric, "The session has closed.");
    return it->second;
  }

  std::shared_ptr<FakeSessionHub> hub_;
  int32_t provider_ = 0;
  int session_ = 0;
  int32_t player_ = 0;
  bool host_ = false;
};

SessionServiceFactory FakeSessionHub::Factory() {
  std::weak_ptr<FakeSessionHub> weak = shared_from_this();
  return [weak]() -> std::unique_ptr<SessionService> {
    auto hub = weak.lock();
    if (!hub) throw SessionError(kSessionErrGeneric, "The service is gone.");
    return std::make_unique<FakeHubConnection>(hub);
  };
}

bool FakeSessionHub::QueueToOthers(int session, int32_t from, int32_t type, const std::string& body) {
  auto it = sessions_.find(session);
  if (it == sessions_.end()) return false;
  bool any = false;
  for (int32_t p : it->second.players) {
    if (p == from) continue;
    players_[p].queue.push_back({from, p, type, body});
    any = true;
  }
  return any;
}

void FakeSessionHub::Ring() {
  std::function<void()> ring;
  {
    std::lock_guard<std::mutex> lock(mu_);
    ring = onDeliver;
  }
  if (ring) ring();
}

void FakeSessionHub::Deliver(int32_t toPlayerId, const SessionMessage& m) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = players_.find(toPlayerId);
    if (it == players_.end()) return;
    SessionMessage copy = m;
    copy.to = toPlayerId;
    it->second.queue.push_back(copy);
  }
  Ring();
}

int FakeSessionHub::OpenConnections() const {
  std::lock_guard<std::mutex> lock(mu_);
  return connections_;
}

std::vector<std::string> FakeSessionHub::SessionNames() const {
  std::lock_guard<std::mutex> lock(mu_);
  std::vector<std::string> out;
  for (const auto& [id, s] : sessions_)
    if (s.open) out.push_back(s.desc.sessionName);
  return out;
}

std::vector<int32_t> SendRecord::Types() const {
  std::vector<int32_t> out;
  for (const Sent& s : Snapshot()) out.push_back(s.type);
  return out;
}

namespace {

class RecordingService : public SessionService {
 public:
  RecordingService(std::unique_ptr<SessionService> inner, std::shared_ptr<SendRecord> record)
      : inner_(std::move(inner)), record_(std::move(record)) {}
  ~RecordingService() override {
    inner_.reset();
    std::lock_guard<std::mutex> lock(record_->mu);
    record_->released = true;
  }
  std::vector<std::string> ProviderNames() override { return inner_->ProviderNames(); }
  void InitializeConnection(int32_t entry) override { inner_->InitializeConnection(entry); }
  std::vector<SessionDesc> EnumSessions(const SessionDesc& filter) override { return inner_->EnumSessions(filter); }
  void OpenCreate(const SessionDesc& desc) override { inner_->OpenCreate(desc); }
  void OpenJoin(const SessionDesc& desc) override { inner_->OpenJoin(desc); }
  int32_t CreatePlayer(const std::string& f, const std::string& n) override { return inner_->CreatePlayer(f, n); }
  SessionDesc GetSessionDesc() override { return inner_->GetSessionDesc(); }
  void SetSessionDesc(const SessionDesc& desc) override { inner_->SetSessionDesc(desc); }
  std::vector<SessionPlayer> Players() override { return inner_->Players(); }
  std::string PlayerFriendlyName(int32_t id) override { return inner_->PlayerFriendlyName(id); }
  int32_t MessageCount(int32_t id) override { return inner_->MessageCount(id); }
  SessionMessage Receive() override { return inner_->Receive(); }
  void Send(int32_t from, int32_t type, const std::string& body) override {
    {
      std::lock_guard<std::mutex> lock(record_->mu);
      record_->sent.push_back({type, body});
    }
    inner_->Send(from, type, body);
  }

 private:
  std::unique_ptr<SessionService> inner_;
  std::shared_ptr<SendRecord> record_;
};

}  // namespace

SessionServiceFactory RecordingFactory(SessionServiceFactory inner, std::shared_ptr<SendRecord> record) {
  return [inner = std::move(inner), record = std::move(record)]() -> std::unique_ptr<SessionService> {
    {
      std::lock_guard<std::mutex> lock(record->mu);
      record->released = false;
    }
    return std::make_unique<RecordingService>(inner(), record);
  };
}

void FakeListBox::SetListIndex(int row) {
  if (row < 0 || row >= ListCount()) throw std::out_of_range("no such row");
  index = row;
}
