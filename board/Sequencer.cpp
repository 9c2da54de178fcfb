#include "board/Board.h"

void Board::Timing_Timer() {}
Board::WaitResult Board::WaitForMessage(int32_t) { return WaitResult::Ended; }
void Board::SequencerPhase11() {}
void Board::SequencerPhase13() {}
