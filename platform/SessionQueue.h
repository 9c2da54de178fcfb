// The unread messages of the local player, bounded. Each entry remembers its
// origin: the player it comes from, or the player a "created" or "destroyed"
// service message is about. When the queue is full, the origin with the most
// entries waiting is the one flooding it, and it loses them all; so a quiet
// player is never the one punished for a noisy one.
//
// The game must see every player it may know of leave: a "destroyed" about a
// player whose "created" is not waiting here (read, or never queued) is never
// discarded and may go past the cap. That is one per player, so it is not
// counted as waiting. A player whose unread "created" is discarded was never
// known to the game, and gets no "destroyed" either. Plain C++; the owner locks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <unordered_set>
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
    if (!Destroyed(entry.message)) Forget(entry.origin);
    return std::move(entry.message);
  }

  void Clear() {
    entries_.clear();
    waiting_.clear();
    unknown_.clear();
  }

  // The host's way: queues `message`. A full queue first discards the entries
  // of the origin with the most waiting (`origin` itself on a tie), and the new
  // entry too if it was its own and not its "destroyed"; that origin is
  // returned, or 0 when nothing was discarded.
  int32_t Add(int32_t origin, SessionMessage message) {
    if (Settled(origin, message)) return 0;
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
      Evict(flooder);
      if (flooder == origin && (!Destroyed(message) || Settled(origin, message))) {
        Lost(origin, message);
        return flooder;
      }
    }
    Push(origin, std::move(message));
    return flooder;
  }

  // A client's way: queues `message` unless the queue is full, where it
  // refuses it (false); but a "destroyed" always goes.
  bool Offer(int32_t origin, SessionMessage message) {
    if (Settled(origin, message)) return true;
    if (Full() && !Destroyed(message)) {
      Lost(origin, message);
      return false;
    }
    Push(origin, std::move(message));
    return true;
  }

 private:
  struct Entry {
    int32_t origin;
    SessionMessage message;
  };

  static bool Notice(const SessionMessage& m, int32_t type) { return m.from == 0 && m.type == type; }
  static bool Created(const SessionMessage& m) { return Notice(m, DPSYS_CREATEPLAYERORGROUP); }
  static bool Destroyed(const SessionMessage& m) { return Notice(m, DPSYS_DESTROYPLAYERORGROUP); }

  // True when `message` is a "destroyed" the game must not see: its player was
  // never known, or leaves while its "created" is all of it still unread (that
  // is taken back).
  bool Settled(int32_t origin, const SessionMessage& message) {
    if (!Destroyed(message)) return false;
    if (unknown_.erase(origin)) return true;
    if (Waiting(origin) != 1) return false;
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.origin == origin && Created(e.message); });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    Forget(origin);
    return true;
  }

  // Discards the entries of `who`. Its "destroyed" stays unless its unread
  // "created" goes too; a "destroyed" still to come is then not wanted.
  void Evict(int32_t who) {
    bool created = false, destroyed = false;
    for (const Entry& e : entries_) {
      if (e.origin != who) continue;
      created = created || Created(e.message);
      destroyed = destroyed || Destroyed(e.message);
    }
    std::erase_if(entries_, [&](const Entry& e) { return e.origin == who && (created || !Destroyed(e.message)); });
    waiting_.erase(who);
    if (created && !destroyed) unknown_.insert(who);
  }

  // `message` of `origin` was not queued.
  void Lost(int32_t origin, const SessionMessage& message) {
    if (Created(message)) unknown_.insert(origin);
  }

  void Push(int32_t origin, SessionMessage message) {
    if (!Destroyed(message)) ++waiting_[origin];
    entries_.push_back({origin, std::move(message)});
  }

  // Entries of `origin` waiting, its "destroyed" aside.
  size_t Waiting(int32_t origin) const {
    const auto it = waiting_.find(origin);
    return it == waiting_.end() ? 0 : it->second;
  }

  void Forget(int32_t origin) {
    const auto it = waiting_.find(origin);
    if (it != waiting_.end() && --it->second == 0) waiting_.erase(it);
  }

  size_t cap_;
  std::deque<Entry> entries_;
  std::unordered_map<int32_t, size_t> waiting_;
  // Players whose "created" was discarded unread and who are still to leave.
  std::unordered_set<int32_t> unknown_;
};
