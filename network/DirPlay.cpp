#include "network/DirPlay.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "board/Globals.h"

namespace {

bool IsTurnMessage(int32_t type) { return type >= msgPositions && type <= msgOpponentLeft; }

std::string DescriptionOf(const std::exception& e) { return e.what(); }

}  // namespace

DirPlay::DirPlay(const SessionServiceFactory& factory, BoardView& view) : view_(view) {
  try {
    if (!factory) throw SessionError(kSessionErrGeneric, "No session service is available.");
    objDP_ = factory();
    if (!objDP_) throw SessionError(kSessionErrGeneric, "The session service could not be started.");
    initialized_ = true;
  } catch (...) {
    objDP_.reset();
    Box("Failed to initialize DirectPlay.");
    view_.EndProgram();
  }
}

DirPlay::~DirPlay() { Dismantle(); }

void DirPlay::Box(const std::string& prompt) { view_.MsgBox(prompt, vbOKOnly, kAppTitle); }

void DirPlay::Dismantle() {
  dpEnumConnections_.clear();
  connectionsListed_ = false;
  dpEnumSessions_.clear();
  sessionsListed_ = false;
  // Releasing the service leaves the session: the others hear "player destroyed".
  objDP_.reset();
  heldBack_.clear();
  state_ = State::Dismantled;
}

bool DirPlay::InitConnectionList(ListBoxPort& lstBox) {
  lstBox.Clear();
  try {
    if (!objDP_) throw SessionError(kSessionErrGeneric, "No session service.");
    dpEnumConnections_ = objDP_->ProviderNames();
    connectionsListed_ = true;
    for (const std::string& name : dpEnumConnections_) lstBox.AddItem(name);
    lstBox.SetListIndex(0);  // fails on an empty list
  } catch (...) {
    Box("Unable to list connections.");
    return false;
  }
  state_ = State::ProvidersListed;
  return true;
}

bool DirPlay::InitConnection(int32_t index) {
  try {
    const int64_t entry = static_cast<int64_t>(index) + 1;
    if (!objDP_ || !connectionsListed_ || entry < 1 || entry > static_cast<int64_t>(dpEnumConnections_.size()))
      throw std::out_of_range("no such service provider");
    objDP_->InitializeConnection(static_cast<int32_t>(entry));
  } catch (...) {
    Box("Failed to initialize connection.");
    return false;
  }
  return true;
}

bool DirPlay::ListSessions(int32_t index, ListBoxPort& lstBox) {
  if (!InitConnection(index)) return false;
  try {
    lstBox.Clear();
    SessionDesc filter;
    filter.guidApplication = APP_GUID;
    filter.password = "";
    dpEnumSessions_ = objDP_->EnumSessions(filter);
    sessionsListed_ = true;
    const auto count = static_cast<int16_t>(dpEnumSessions_.size());
    for (int16_t i = 1; i <= count; ++i) {
      const SessionDesc& s = dpEnumSessions_.at(static_cast<size_t>(i - 1));
      lstBox.AddItem(s.sessionName + " (" + std::to_string(s.currentPlayers) + "/" + std::to_string(s.maxPlayers) +
                     ")");
    }
    if (lstBox.ListCount() < 1) {
      Box("No Sessions found");
      return false;
    }
    lstBox.SetListIndex(0);
  } catch (...) {
    Box("Unable to list available games.");
    return false;
  }
  state_ = State::SessionsListed;
  return true;
}

bool DirPlay::HostGame(int32_t index, const std::string& strPlayerName, const std::string& strSessionName,
                       int16_t intMaxPlayers) {
  if (!InitConnection(index)) return false;
  try {
    SessionDesc desc;
    desc.maxPlayers = intMaxPlayers;
    desc.sessionName = strSessionName;
    desc.guidApplication = APP_GUID;
    desc.flags = DPSESSION_DIRECTPLAYPROTOCOL;
    objDP_->OpenCreate(desc);
    lngMyPlayerID_ = objDP_->CreatePlayer(strPlayerName, "");
  } catch (...) {
    Box("Unable to create game.");
    return false;
  }
  state_ = State::InSessionHost;
  return true;
}

bool DirPlay::JoinGame(int32_t index, const std::string& strPlayerName) {
  try {
    const int64_t entry = static_cast<int64_t>(index) + 1;
    if (!objDP_ || !sessionsListed_ || entry < 1 || entry > static_cast<int64_t>(dpEnumSessions_.size()))
      throw SessionError(kSessionErrGeneric, "That session is not in the list.");
    const SessionDesc desc = dpEnumSessions_.at(static_cast<size_t>(entry - 1));
    objDP_->OpenJoin(desc);
    lngMyPlayerID_ = objDP_->CreatePlayer(strPlayerName, "Player");
  } catch (const SessionError& e) {
    if (e.number() == kSessionErrDuplicateName)
      Box("A player with the same name already exists in that session.");
    else
      Box("Unable to join game.\r\n" + DescriptionOf(e));
    return false;
  } catch (const std::exception& e) {
    Box("Unable to join game.\r\n" + DescriptionOf(e));
    return false;
  } catch (...) {
    Box("Unable to join game.\r\n");
    return false;
  }
  state_ = State::InSessionClient;
  return true;
}

void DirPlay::DisableJoin() {
  if (!objDP_) throw SessionError(kSessionErrGeneric, "No session is open.");
  SessionDesc desc = objDP_->GetSessionDesc();
  desc.flags |= DPSESSION_JOINDISABLED;
  objDP_->SetSessionDesc(desc);
}

std::string DirPlay::UpdatePlayers(ListBoxPort& lstBox) {
  std::string result;
  try {
    if (!objDP_) throw SessionError(kSessionErrGeneric, "No session is open.");
    const std::vector<SessionPlayer> players = objDP_->Players();
    const auto n = static_cast<int16_t>(players.size());
    result = std::to_string(n) + " people in the session.";
    lstBox.Clear();
    for (int16_t i = 1; i <= n; ++i) lstBox.AddItem(players.at(static_cast<size_t>(i - 1)).friendlyName);
  } catch (...) {
    Box("Error listing players.");
  }
  return result;
}

int16_t DirPlay::CountPlayers() {
  try {
    if (!objDP_) throw SessionError(kSessionErrGeneric, "No session is open.");
    return static_cast<int16_t>(objDP_->Players().size());
  } catch (...) {
    Box("Error counting players.");
    return 0;
  }
}

int32_t DirPlay::Take(int32_t& from, int32_t& to, bool forLobby) {
  if (!forLobby && !heldBack_.empty()) {
    const SessionMessage m = heldBack_.front();
    heldBack_.pop_front();
    from = m.from;
    to = m.to;
    body_ = m.body;
    return m.type;
  }
  if (!objDP_) return 0;
  int32_t count = 0;
  try {
    count = objDP_->MessageCount(lngMyPlayerID_);
  } catch (...) {
    return 0;
  }
  if (count <= 0) return 0;
  SessionMessage m;
  try {
    m = objDP_->Receive();
  } catch (...) {
    // A queue that cannot be read is, to the game, an empty one.
    return 0;
  }
  from = m.from;
  to = m.to;
  body_ = m.body;
  if (m.from == 0) return m.type == DPSYS_CREATEPLAYERORGROUP || m.type == DPSYS_DESTROYPLAYERORGROUP ? 1 : 0;
  if (forLobby && IsTurnMessage(m.type)) heldBack_.push_back(m);
  return m.type;
}

int32_t DirPlay::GetMessages(int32_t& lngFromPlayerID, int32_t& lngToPlayerID) {
  return Take(lngFromPlayerID, lngToPlayerID, false);
}

int32_t DirPlay::GetLobbyMessages(int32_t& lngFromPlayerID, int32_t& lngToPlayerID) {
  return Take(lngFromPlayerID, lngToPlayerID, true);
}

std::string DirPlay::GetPlayerName(int32_t lngPlayerID) {
  if (!objDP_) throw SessionError(kSessionErrGeneric, "No session is open.");
  return objDP_->PlayerFriendlyName(lngPlayerID);
}

bool DirPlay::InSession() const {
  return objDP_ && (state_ == State::InSessionHost || state_ == State::InSessionClient);
}

bool DirPlay::SendDPText(int32_t lngMsgType, const std::string& strChatText) {
  if (!InSession()) return false;
  try {
    objDP_->Send(lngMyPlayerID_, lngMsgType, strChatText);
  } catch (...) {
    // A session the service has closed takes nothing more; the game learns of
    // the peer's departure from the "player destroyed" that comes with it.
    return false;
  }
  return true;
}
