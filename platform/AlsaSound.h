// Plays wave files through ALSA, decoded by libsndfile.
#pragma once

#include <string>
#include <thread>

#include "board/Ports.h"

// One sound at a time, as the desktop's own sound call does: a new sound first
// stops a background one that is still playing. Every failure (no file, no
// device) is silent and quick.
class AlsaSound : public SoundPort {
 public:
  explicit AlsaSound(std::string device = "default");
  // Stops a background sound that is still playing and waits for its thread.
  ~AlsaSound() override = default;

  AlsaSound(const AlsaSound&) = delete;
  AlsaSound& operator=(const AlsaSound&) = delete;

  void PlaySound(const std::string& path, bool wait) override;

 private:
  std::string device_;
  std::jthread background_;
};
