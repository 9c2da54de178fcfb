// An in-process session service for tests: every connection made by the hub's
// factory sees the same sessions, so two or more DirPlay objects in one test
// can host, list, join and talk. Thread-safe: each machine of a test may run
// on a thread of its own.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "network/DirPlay.h"
#include "network/SessionService.h"

class FakeSessionHub : public std::enable_shared_from_this<FakeSessionHub> {
 public:
  static std::shared_ptr<FakeSessionHub> Create() { return std::shared_ptr<FakeSessionHub>(new FakeSessionHub); }

  // Each call of the factory opens one more connection to the hub.
  SessionServiceFactory Factory();

  // Set before connections are made; read under the hub's lock.
  std::vector<std::string> providers = {"TCP/IP"};
  bool failProviders = false;   // listing the providers throws
  bool failInitialize = false;  // binding a provider throws
  bool cancelListing = false;   // listing sessions throws, as a cancelled address prompt
  bool failCreate = false;      // hosting throws
  bool failPlayers = false;     // listing the players throws
  // Runs, outside the lock, after a message was queued for a player: a test
  // wakes whatever sleeps on it here.
  std::function<void()> onDeliver;

  // Puts a message into a player's queue as the service would.
  void Deliver(int32_t toPlayerId, const SessionMessage& m);
  int OpenConnections() const;
  std::vector<std::string> SessionNames() const;  // sessions still open

 private:
  friend class FakeHubConnection;
  FakeSessionHub() = default;

  struct Player {
    int32_t id = 0;
    int session = 0;
    std::string friendlyName, formalName;
    std::deque<SessionMessage> queue;
  };
  struct Session {
    SessionDesc desc;
    std::vector<int32_t> players;  // in the order they entered
    bool open = true;
  };

  // Under the lock; returns whether anything was queued.
  bool QueueToOthers(int session, int32_t from, int32_t type, const std::string& body);
  void Ring();

  mutable std::mutex mu_;
  std::map<int, Session> sessions_;
  std::map<int32_t, Player> players_;
  int nextSession_ = 1;
  int32_t nextPlayer_ = 0x51a0;
  int connections_ = 0;
};

// Wraps any session service and records what the game sends through it, so a
// test can tell what went over the wire whichever service is underneath.
struct SendRecord {
  struct Sent {
    int32_t type;
    std::string body;
  };
  mutable std::mutex mu;
  std::vector<Sent> sent;
  bool released = false;  // the game let go of the service
  std::vector<Sent> Snapshot() const {
    std::lock_guard<std::mutex> lock(mu);
    return sent;
  }
  std::vector<int32_t> Types() const;
};

SessionServiceFactory RecordingFactory(SessionServiceFactory inner, std::shared_ptr<SendRecord> record);

// A list box: rows and the selected one.
class FakeListBox : public ListBoxPort {
 public:
  std::vector<std::string> rows;
  int index = -1;
  void Clear() override {
    rows.clear();
    index = -1;
  }
  void AddItem(const std::string& text) override { rows.push_back(text); }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  void SetListIndex(int row) override;
  int ListIndex() const override { return index; }
};
