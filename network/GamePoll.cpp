#include <string>

#include "board/Board.h"

void Board::CheckForData(int32_t& msgType) { msgType = 0; }
void Board::DecideWhoGoesFirst() {}
void Board::ApplyArtilleryFreeOption(const std::string&) {}
