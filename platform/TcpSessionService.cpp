#include "platform/TcpSessionService.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <atomic>
#include <cstdlib>

#include "platform/SessionWorker.h"

namespace {

SessionError Failure(const std::string& description) { return SessionError(kSessionErrGeneric, description); }

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the game's thread; the event posted to it is what wakes a thread
// sleeping in its event loop. Only one wake-up is ever pending.
class Waker : public QObject {
 public:
  explicit Waker(std::atomic<bool>& pending) : pending_(pending) {}
  bool event(QEvent* e) override {
    if (e->type() != kWakeEvent) return QObject::event(e);
    pending_.store(false);
    return true;
  }

 private:
  std::atomic<bool>& pending_;
};

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

void CheckName(const std::string& name, size_t limit, const char* what) {
  if (name.size() > limit) throw Failure(std::string("The ") + what + " is too long.");
  if (!wire::IsUtf8(name)) throw Failure(std::string("The ") + what + " is not valid text.");
}

}  // namespace

uint16_t DefaultSessionPort() {
  const char* text = std::getenv("DRAVENHOLT_PORT");
  if (!text || !*text) return kDefaultSessionPort;
  char* end = nullptr;
  const long port = std::strtol(text, &end, 10);
  if (*end != '\0' || port < 1 || port > 65535) return kDefaultSessionPort;
  return static_cast<uint16_t>(port);
}

struct TcpSessionService::Impl {
  // Runs the worker's event loop; the worker is made and destroyed on it.
  class NetThread : public QThread {
   public:
    explicit NetThread(Impl& impl) : impl_(impl) {}
    std::promise<SessionWorker*> ready;

   protected:
    void run() override {
      SessionWorker worker(impl_.state, impl_.config, [this] { impl_.Wake(); });
      ready.set_value(&worker);
      exec();
    }

   private:
    Impl& impl_;
  };

  explicit Impl(TcpSessionConfig c) : config(std::move(c)), waker(wakePending) {}

  void Wake() {
    if (!wakePending.exchange(true)) QCoreApplication::postEvent(&waker, new QEvent(kWakeEvent));
  }

  // Runs `work` on the service's thread and waits for its answer. The worker
  // answers every call within its own time-outs; the limit here only guards
  // against a bug.
  template <class T, class F>
  T Call(F work) {
    auto reply = std::make_shared<std::promise<T>>();
    auto answer = reply->get_future();
    QMetaObject::invokeMethod(
        worker, [w = worker, work, reply] { work(*w, reply); }, Qt::QueuedConnection);
    const auto limit = config.handshakeTimeout + config.searchTime + std::chrono::seconds(10);
    if (answer.wait_for(limit) != std::future_status::ready) throw Failure("The session service did not answer.");
    try {
      return answer.get();
    } catch (const std::future_error&) {
      throw Failure("The session service has stopped.");
    }
  }

  TcpSessionConfig config;
  SessionState state;
  std::atomic<bool> wakePending{false};
  Waker waker;
  std::unique_ptr<NetThread> thread;
  SessionWorker* worker = nullptr;
  bool bound = false;
  uint16_t hostedPort = 0;
};

TcpSessionService::TcpSessionService(TcpSessionConfig config) {
  if (!QCoreApplication::instance()) throw Failure("The session service needs a running application.");
  impl_ = std::make_unique<Impl>(std::move(config));
  impl_->thread = std::make_unique<Impl::NetThread>(*impl_);
  impl_->thread->setObjectName("session");
  auto ready = impl_->thread->ready.get_future();
  impl_->thread->start();
  impl_->worker = ready.get();
}

TcpSessionService::~TcpSessionService() {
  QMetaObject::invokeMethod(
      impl_->worker, [w = impl_->worker] { w->Shutdown(); }, Qt::BlockingQueuedConnection);
  impl_->thread->quit();
  impl_->thread->wait();
}

std::vector<std::string> TcpSessionService::ProviderNames() { return {"TCP/IP"}; }

void TcpSessionService::InitializeConnection(int32_t entry) {
  if (entry != 1) throw Failure("There is no connection number " + std::to_string(entry) + ".");
  impl_->bound = true;
}

std::vector<SessionDesc> TcpSessionService::EnumSessions(const SessionDesc& filter) {
  if (!impl_->bound) throw Failure("No connection has been chosen.");
  {
    std::lock_guard lock(impl_->state.mutex);
    if (impl_->state.open) throw Failure("A session is already open.");
  }
  const TcpSessionConfig& config = impl_->config;
  const auto typed = config.askAddress ? config.askAddress() : AskSessionAddress(config.port);
  if (!typed) throw Failure("The search was cancelled.");
  const std::string appId = filter.guidApplication;

  std::vector<SessionDesc> found;
  if (Blank(*typed)) {
    found = impl_->Call<std::vector<SessionDesc>>(
        [target = config.discoveryTarget, port = config.port, appId](SessionWorker& w, auto reply) {
          w.Search(target, port, appId, reply);
        });
  } else {
    const auto address = wire::ParseAddress(*typed);
    if (!address) throw Failure("\"" + *typed + "\" is not the address of a computer.");
    const uint16_t port = address->port.value_or(config.port);
    if (port == 0) throw Failure("The address has no port.");
    found = impl_->Call<std::vector<SessionDesc>>(
        [host = address->host, port, appId](SessionWorker& w, auto reply) { w.Query(host, port, appId, reply); });
  }
  std::erase_if(found, [&](const SessionDesc& d) {
    const bool full = d.maxPlayers > 0 && d.currentPlayers >= d.maxPlayers;
    return d.guidApplication != appId || full || (d.flags & DPSESSION_JOINDISABLED);
  });
  return found;
}

void TcpSessionService::OpenCreate(const SessionDesc& desc) {
  if (!impl_->bound) throw Failure("No connection has been chosen.");
  CheckName(desc.sessionName, wire::kMaxName, "session name");
  CheckName(desc.guidApplication, wire::kMaxAppId, "application id");
  if (desc.maxPlayers < 0) throw Failure("The maximum number of players is negative.");
  {
    std::lock_guard lock(impl_->state.mutex);
    SessionState& s = impl_->state;
    if (s.open) throw Failure("A session is already open.");
    s.desc = desc;
    s.desc.currentPlayers = 0;
    s.desc.address.clear();
    s.players.clear();
    s.queue.Clear();
  }
  impl_->hostedPort =
      impl_->Call<uint16_t>([port = impl_->config.port](SessionWorker& w, auto reply) { w.Host(port, reply); });
}

void TcpSessionService::OpenJoin(const SessionDesc& desc) {
  {
    std::lock_guard lock(impl_->state.mutex);
    if (impl_->state.open) throw Failure("A session is already open.");
  }
  const auto address = wire::ParseAddress(desc.address);
  if (!address || !address->port) throw Failure("The session has no address to join.");
  impl_->Call<void>([host = address->host, port = *address->port, appId = desc.guidApplication](
                        SessionWorker& w, auto reply) { w.Join(host, port, appId, reply); });
}

int32_t TcpSessionService::CreatePlayer(const std::string& friendlyName, const std::string& formalName) {
  {
    std::lock_guard lock(impl_->state.mutex);
    const SessionState& s = impl_->state;
    if (!s.open) throw Failure("No session is open.");
    if (s.lost) throw Failure("The session has ended.");
    if (s.localId != 0) throw Failure("This computer has its player in the session already.");
  }
  CheckName(friendlyName, wire::kMaxName, "player name");
  CheckName(formalName, wire::kMaxName, "player name");
  return impl_->Call<int32_t>(
      [friendlyName, formalName](SessionWorker& w, auto reply) { w.CreatePlayer(friendlyName, formalName, reply); });
}

SessionDesc TcpSessionService::GetSessionDesc() {
  std::lock_guard lock(impl_->state.mutex);
  const SessionState& s = impl_->state;
  if (!s.open) throw Failure("No session is open.");
  SessionDesc desc = s.desc;
  desc.currentPlayers = static_cast<int32_t>(s.players.size());
  return desc;
}

void TcpSessionService::SetSessionDesc(const SessionDesc& desc) {
  CheckName(desc.sessionName, wire::kMaxName, "session name");
  if (desc.maxPlayers < 0) throw Failure("The maximum number of players is negative.");
  {
    std::lock_guard lock(impl_->state.mutex);
    SessionState& s = impl_->state;
    if (!s.open || !s.hosting) throw Failure("Only the host can change the session.");
    s.desc.sessionName = desc.sessionName;
    s.desc.maxPlayers = desc.maxPlayers;
    s.desc.flags = desc.flags;
    s.desc.password = desc.password;
  }
  QMetaObject::invokeMethod(
      impl_->worker, [w = impl_->worker] { w->SessionChanged(); }, Qt::QueuedConnection);
}

std::vector<SessionPlayer> TcpSessionService::Players() {
  std::lock_guard lock(impl_->state.mutex);
  if (!impl_->state.open) throw Failure("No session is open.");
  return impl_->state.players;
}

std::string TcpSessionService::PlayerFriendlyName(int32_t playerId) {
  std::lock_guard lock(impl_->state.mutex);
  for (const SessionPlayer& p : impl_->state.players)
    if (p.id == playerId) return p.friendlyName;
  throw Failure("There is no player " + std::to_string(playerId) + " in the session.");
}

int32_t TcpSessionService::MessageCount(int32_t playerId) {
  std::lock_guard lock(impl_->state.mutex);
  const SessionState& s = impl_->state;
  if (!s.open || s.localId == 0 || playerId != s.localId) throw Failure("That is not a player of this computer.");
  return static_cast<int32_t>(s.queue.size());
}

SessionMessage TcpSessionService::Receive() {
  std::lock_guard lock(impl_->state.mutex);
  auto& queue = impl_->state.queue;
  if (queue.empty()) throw Failure("No message is waiting.");
  return queue.Pop();
}

void TcpSessionService::Send(int32_t fromPlayerId, int32_t type, const std::string& body) {
  {
    std::lock_guard lock(impl_->state.mutex);
    const SessionState& s = impl_->state;
    if (!s.open || s.localId == 0 || fromPlayerId != s.localId) throw Failure("That is not a player of this computer.");
    if (s.lost) throw Failure("The session has ended.");
  }
  if (body.size() > wire::kMaxBody || !wire::IsUtf8(body)) throw Failure("The message cannot be sent: it is too long.");
  QMetaObject::invokeMethod(
      impl_->worker, [w = impl_->worker, type, body] { w->Send(type, body); }, Qt::QueuedConnection);
}

uint16_t TcpSessionService::HostedPort() const { return impl_->hostedPort; }

std::unique_ptr<SessionService> CreateTcpSessionService(TcpSessionConfig config) {
  return std::make_unique<TcpSessionService>(std::move(config));
}

SessionServiceFactory TcpSessionServiceFactory(TcpSessionConfig config) {
  return [config] { return CreateTcpSessionService(config); };
}
