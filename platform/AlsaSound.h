// Plays wave files through ALSA, decoded by libsndfile.
#pragma once

#include <string>

#include "board/Ports.h"

class AlsaSound : public SoundPort {
 public:
  explicit AlsaSound(std::string device = "default");
  void PlaySound(const std::string& path, bool wait) override;

 private:
  std::string device_;
};
