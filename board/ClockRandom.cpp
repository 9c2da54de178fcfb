#include "board/ClockRandom.h"

#include <chrono>

namespace {
uint64_t SplitMix(uint64_t& s) {
  uint64_t z = (s += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
uint64_t ClockNow() { return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()); }
}  // namespace

ClockRandom::ClockRandom() : state_(ClockNow()) {}

void ClockRandom::Randomize() {
  uint64_t clock = ClockNow();
  state_ ^= SplitMix(clock);
}

float ClockRandom::Rnd() {
  // 24 random bits give every float in [0, 1) with 2^-24 spacing, never 1.0.
  return static_cast<float>(SplitMix(state_) >> 40) * (1.0f / 16777216.0f);
}
