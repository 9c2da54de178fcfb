// The session class: the game's one wrapper around the session service. It
// lists the ways to connect and the sessions of this game, hosts or joins one
// with the local player, lists the players, and carries every network message
// of the game in one envelope: a 32-bit type and one text, sent to all players
// and taken one per poll. No threads and no callbacks of its own.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "board/Ports.h"
#include "network/SessionService.h"

// A list box as the session class fills it. Rows count from 0.
class ListBoxPort {
 public:
  virtual ~ListBoxPort() = default;
  virtual void Clear() = 0;
  virtual void AddItem(const std::string& text) = 0;
  virtual int ListCount() const = 0;
  // Selects a row; throws std::out_of_range when there is no such row.
  virtual void SetListIndex(int row) = 0;
  virtual int ListIndex() const = 0;  // -1 when no row is selected
};

inline constexpr const char* APP_GUID = "{11383C2A-E405-4C40-ACF1-7880B460ADC7}";

// The longest body the game ever sends in a turn message (sixteen type-5 records).
inline constexpr size_t kMaxTurnBodyChars = 167;

class DirPlay : public SessionPort {
 public:
  enum class State { Created, ProvidersListed, SessionsListed, InSessionHost, InSessionClient, Dismantled };

  // Class_Initialize: connects to the service. When that fails the user is told
  // and the program is ended through the view; the object then holds nothing.
  DirPlay(const SessionServiceFactory& factory, BoardView& view);
  // Class_Terminate.
  ~DirPlay() override;
  DirPlay(const DirPlay&) = delete;
  DirPlay& operator=(const DirPlay&) = delete;

  bool Initialized() const { return initialized_; }
  State state() const { return state_; }
  int32_t MyPlayerId() const { return lngMyPlayerID_; }

  void Dismantle();
  bool InitConnectionList(ListBoxPort& lstBox);
  bool ListSessions(int32_t index, ListBoxPort& lstBox);
  bool HostGame(int32_t index, const std::string& strPlayerName, const std::string& strSessionName,
                int16_t intMaxPlayers = 0);
  bool JoinGame(int32_t index, const std::string& strPlayerName);
  void DisableJoin();  // a failure passes to the caller
  std::string UpdatePlayers(ListBoxPort& lstBox);
  int16_t CountPlayers();

  // SessionPort: the game's poll. Messages the lobby held back come first, in
  // the order they arrived, then the service's queue.
  int32_t GetMessages(int32_t& lngFromPlayerID, int32_t& lngToPlayerID) override;
  std::string ReadString() override { return body_; }
  // Throws SessionError when the session cannot name the player.
  std::string GetPlayerName(int32_t lngPlayerID) override;
  // False, and nothing sent, when no session is open or the service refuses
  // the message (a body over kMaxMessageBody, a session that has ended).
  bool SendDPText(int32_t lngMsgType, const std::string& strChatText) override;
  bool InSession() const override;

  // The lobby's poll. A message of the game's turn (types 5 to 10) that the
  // lobby takes is not lost: it is held back for the game's poll.
  int32_t GetLobbyMessages(int32_t& lngFromPlayerID, int32_t& lngToPlayerID);
  size_t HeldBackCount() const { return heldBack_.size(); }

 private:
  bool InitConnection(int32_t index);
  int32_t Take(int32_t& from, int32_t& to, bool forLobby);
  void Box(const std::string& prompt);

  BoardView& view_;
  std::unique_ptr<SessionService> objDP_;
  std::vector<SessionDesc> dpEnumSessions_;
  bool sessionsListed_ = false;
  std::vector<std::string> dpEnumConnections_;
  bool connectionsListed_ = false;
  int32_t lngMyPlayerID_ = 0;

  bool initialized_ = false;
  State state_ = State::Created;
  std::string body_;  // the text of the last message taken
  std::deque<SessionMessage> heldBack_;
};

// The full session class behind a game's session port, or null when the port
// is something else (a test's scripted peer).
inline std::shared_ptr<DirPlay> AsDirPlay(const std::shared_ptr<SessionPort>& port) {
  return std::dynamic_pointer_cast<DirPlay>(port);
}
