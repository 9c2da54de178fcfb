// The game's random numbers: a 64-bit generator whose reseeding mixes the clock
// into its state, so two reseeds within one clock tick still draw fresh numbers.
#pragma once

#include <cstdint>

#include "board/Ports.h"

class ClockRandom : public RandomSource {
 public:
  ClockRandom();
  void Randomize() override;
  float Rnd() override;

 private:
  uint64_t state_;
};
