#include <memory>
#include <string>

#include "board/Board.h"
#include "network/SessionService.h"

void Board::mnuGame_Click(int16_t index) {
  switch (index) {
    case 0:  // Start New Solo Game
      ResetGame();
      Panel(1, "Starting Solo Game");
      GameMode = ModeSolo;
      PlaceBuildings(0, 0);
      break;

    case 2:  // Network Game
      ResetGame();
      Panel(1, "Starting Network Game");
      view_.ShowDeviceWindow();
      if (!ReadyState.empty()) {
        // The client takes the option from the host.
        if (GameMode == ModeClient) view_.SetOptEnabled(1, false);
        PlaceBuildings(0, 0);
      } else {
        Panel(1, "");
      }
      break;

    case 3: {  // Send Text Message
      if (GameMode != ModeHost && GameMode != ModeClient) break;
      // After a join window closed without joining there is no session to talk to:
      // asking for a message that could go nowhere would only mislead.
      if (!gDirPlay || !gDirPlay->InSession()) break;
      std::string text = view_.InputBox("Enter your message", "Chat Message", kMaxMessageBody);
      if (text.empty()) break;
      std::shared_ptr<SessionPort> session = gDirPlay;  // the box let the UI run
      if (!session) break;
      try {
        session->SendDPText(msgChat, text);
      } catch (...) {
        // A chat line lost to a broken session must not take the game down with it.
      }
      break;
    }

    case 5: {  // Exit
      Panel(1, "Exiting");
      int16_t cancel = 0;
      Form_Unload(cancel);
      break;
    }

    default:  // separators
      break;
  }
}

void Board::mnuOpt_Click(int16_t index) { view_.SetOptChecked(index, !view_.OptChecked(index)); }
