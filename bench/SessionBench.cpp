// dh_session_bench [messages] [idle seconds]: two session service objects in
// one process, a host and a player joined over loopback (real sockets, default
// heartbeat). Times Send on one to Receive taking the message on the other,
// one message at a time, with the receiving thread asleep in its event loop as
// the game's is; then the CPU the pair uses while idle in the session.
#include <time.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/TcpSessionService.h"

namespace {

using Clock = std::chrono::steady_clock;
const char* const kApp = "{11383C2A-E405-4C40-ACF1-7880B460ADC7}";

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Microseconds from each Send on `from` to the Receive on `to` that takes it.
std::vector<double> Latencies(SessionService& from, int32_t fromId, SessionService& to, int32_t toId, int count) {
  std::vector<double> us;
  us.reserve(static_cast<size_t>(count));
  const std::string body = "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16";  // about a turn message
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    from.Send(fromId, 5, body);
    while (to.MessageCount(toId) == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    to.Receive();
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(us.begin(), us.end());
  return us;
}

void Report(const char* what, const std::vector<double>& us) {
  const auto at = [&](double q) {
    return us[std::min(us.size() - 1, static_cast<size_t>(q * static_cast<double>(us.size())))];
  };
  std::printf("%-16s %zu messages: median %.0f us, 99th percentile %.0f us, max %.0f us\n", what, us.size(), at(0.5),
              at(0.99), us.back());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int count = argc > 1 ? std::max(100, std::atoi(argv[1])) : 2000;
  const int idle = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

  TcpSessionConfig hostConfig;
  hostConfig.port = 0;
  TcpSessionService host(hostConfig);
  host.InitializeConnection(1);
  SessionDesc desc;
  desc.guidApplication = kApp;
  desc.sessionName = "Dravenholt";
  desc.maxPlayers = 2;
  desc.flags = DPSESSION_DIRECTPLAYPROTOCOL;
  host.OpenCreate(desc);
  const int32_t hostId = host.CreatePlayer("Host", "");

  TcpSessionConfig clientConfig;
  const std::string address = "127.0.0.1:" + std::to_string(host.HostedPort());
  clientConfig.askAddress = [address] { return std::optional<std::string>(address); };
  TcpSessionService client(clientConfig);
  client.InitializeConnection(1);
  SessionDesc filter;
  filter.guidApplication = kApp;
  const auto found = client.EnumSessions(filter);
  if (found.size() != 1) {
    std::fprintf(stderr, "the session was not listed\n");
    return 1;
  }
  client.OpenJoin(found[0]);
  const int32_t clientId = client.CreatePlayer("Client", "Player");
  while (host.MessageCount(hostId) == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  host.Receive();  // the client's "player created"

  Report("client -> host", Latencies(client, clientId, host, hostId, count));
  Report("host -> client", Latencies(host, hostId, client, clientId, count));

  // Idle: both ends in the session, heartbeats only, the main thread asleep.
  QEventLoop wait;
  QTimer::singleShot(idle * 1000, &wait, &QEventLoop::quit);
  const double cpu0 = CpuSeconds();
  const auto wall0 = Clock::now();
  wait.exec();
  const double cpu = CpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
  std::printf("idle session     %.1f s, host and client together: %.3f ms CPU, %.4f%% of one core\n", wall, cpu * 1e3,
              100.0 * cpu / wall);
  return 0;
}
