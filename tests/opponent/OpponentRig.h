// A started program whose opponent is the real computer player.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fakes/Fakes.h"
#include "opponent/ComputerPlayer.h"

using Sq = std::pair<int, int>;

struct OpponentRig : Rig {
  ComputerPlayer cp{board};
  OpponentRig() {
    board.SetOpponent(&cp);
    board.GameMode = ModeSolo;
  }
  Sq At(int side, int unit) const { return {board.UnitPos[side][unit][1], board.UnitPos[side][unit][2]}; }
  // Squares the picture Imag(imag) was moved to, in order.
  std::vector<Sq> Shows(int imag) const {
    std::vector<Sq> out;
    const std::string prefix = std::to_string(imag) + "@";
    for (const std::string& e : log.only("show:")) {
      if (e.rfind(prefix, 0) != 0) continue;
      const std::string rest = e.substr(prefix.size());
      const size_t comma = rest.find(',');
      const int left = std::stoi(rest.substr(0, comma));
      const int top = std::stoi(rest.substr(comma + 1));
      out.emplace_back((left - kSquareOffsetTwips) / kSquareTwips + 1, (top - kSquareOffsetTwips) / kSquareTwips + 1);
    }
    return out;
  }
  // Index of the first log entry equal to e, or -1.
  int IndexOf(const std::string& e) const {
    for (size_t i = 0; i < log.events.size(); ++i)
      if (log.events[i] == e) return static_cast<int>(i);
    return -1;
  }
};
