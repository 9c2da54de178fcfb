#include <string>

#include "board/Board.h"

void Board::ResolveArtillery(const std::string&) {}
void Board::ResolveTankContacts(const std::string&) {}
void Board::CheckCaptures(const std::string&, const std::string&, int16_t) {}
void Board::CheckMines(const std::string&, const std::string&, int16_t, bool& hit) { hit = false; }
void Board::ResolveBattle(const std::string&, const std::string&, int16_t, int16_t, int16_t, int16_t, bool& goOn) {
  goOn = true;
}
