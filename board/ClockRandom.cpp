#include "board/ClockRandom.h"

#include <time.h>

#include <chrono>

namespace {
uint64_t SplitMix(uint64_t& s) {
  uint64_t z = (s += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t PreciseClock() { return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()); }

// The reseeds come hundreds of times a game: the coarse clock (the kernel's last
// tick, read without touching the hardware) costs a fraction of the precise one.
uint64_t CoarseClock() {
#ifdef CLOCK_MONOTONIC_COARSE
  timespec ts{};
  if (clock_gettime(CLOCK_MONOTONIC_COARSE, &ts) == 0)
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
#endif
  return PreciseClock();
}
}  // namespace

ClockRandom::ClockRandom() : state_(PreciseClock()) {}

void ClockRandom::Randomize() {
  // The clock goes into the state through a one-to-one mix, so reseeds within one
  // tick of the coarse clock never cancel out or bring back an earlier state.
  uint64_t mixed = state_ ^ CoarseClock();
  state_ = SplitMix(mixed);
}

float ClockRandom::Rnd() {
  // 24 random bits give every float in [0, 1) with 2^-24 spacing, never 1.0.
  return static_cast<float>(static_cast<int32_t>(SplitMix(state_) >> 40)) * (1.0f / 16777216.0f);
}
