// The unread messages of the local player, bounded. Each entry remembers its
// origin: the player it comes from, or the player a "created" or "destroyed"
// service message is about. When the queue is full, the origin with the most
// entries waiting is the one flooding it, and it loses them all; so a quiet
// player is never the one punished for a noisy one. Plain C++; the owner locks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>

#include "network/SessionService.h"

class SessionQueue {
 public:
  explicit SessionQueue(size_t cap) : cap_(cap) {}

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  bool Full() const { return entries_.size() >= cap_; }

  // The oldest entry; the queue must not be empty.
  SessionMessage Pop() {
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    Forget(entry.origin);
    return std::move(entry.message);
  }

  void Clear() {
    entries_.clear();
    waiting_.clear();
  }

  // Queues `message`. A full queue first discards every entry of the origin
  // with the most waiting (`origin` itself on a tie), and the new entry too if
  // that was its own; that origin is returned, or 0 when nothing was discarded.
  int32_t Add(int32_t origin, SessionMessage message) {
    if (TakeBack(origin, message)) return 0;
    int32_t flooder = 0;
    if (Full()) {
      flooder = origin;
      size_t most = Waiting(origin);
      for (const auto& [who, count] : waiting_) {
        if (count > most) {
          flooder = who;
          most = count;
        }
      }
      std::erase_if(entries_, [&](const Entry& e) { return e.origin == flooder; });
      waiting_.erase(flooder);
      if (flooder == origin) return flooder;
    }
    Push(origin, std::move(message));
    return flooder;
  }

  // Past the cap, for the few notices a client has when it loses its session.
  void AddPastCap(int32_t origin, SessionMessage message) {
    if (!TakeBack(origin, message)) Push(origin, std::move(message));
  }

  size_t Waiting(int32_t origin) const {
    const auto it = waiting_.find(origin);
    return it == waiting_.end() ? 0 : it->second;
  }

 private:
  struct Entry {
    int32_t origin;
    SessionMessage message;
  };

  // A player that leaves while its "created" is all the game has yet to read
  // of it leaves no trace: the game never knew it.
  bool TakeBack(int32_t origin, const SessionMessage& message) {
    if (message.from != 0 || message.type != DPSYS_DESTROYPLAYERORGROUP || Waiting(origin) != 1) return false;
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
      return e.origin == origin && e.message.from == 0 && e.message.type == DPSYS_CREATEPLAYERORGROUP;
    });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    Forget(origin);
    return true;
  }

  void Push(int32_t origin, SessionMessage message) {
    entries_.push_back({origin, std::move(message)});
    ++waiting_[origin];
  }

  void Forget(int32_t origin) {
    const auto it = waiting_.find(origin);
    if (it != waiting_.end() && --it->second == 0) waiting_.erase(it);
  }

  size_t cap_;
  std::deque<Entry> entries_;
  std::unordered_map<int32_t, size_t> waiting_;
};
