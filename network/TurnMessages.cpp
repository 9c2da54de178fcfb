#include <string>

#include "board/Board.h"

void Board::SendPositions(const std::string&) {}
void Board::SendFireMissions(const std::string&) {}
void Board::SendStats(const std::string&) {}
void Board::DecodePositions(const std::string&) {}
void Board::DecodeFireMissions(const std::string&) {}
void Board::DecodeStats(const std::string&) {}
