#include "board/Board.h"

void Board::mnuGame_Click(int16_t) {}

void Board::mnuOpt_Click(int16_t index) { view_.SetOptChecked(index, !view_.OptChecked(index)); }
