#include "board/Globals.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <stdexcept>

namespace {
// Index = sound number. Spelling and case are the file names on disk.
constexpr std::array<const char*, 35> kSoundNames = {
    "Silence",   "TankMove", "Fire",   "DirectHit",   "OnTheWay",   "Incoming",   "Artillery",
    "LastRound", "MovinOut", "Target", "DirectFront", "DirectRear", "RightFlank", "LeftFlank",
    "three",     "two",      "rounds", "left",        "up",         "out",        "ArtilleryonCall",
    "GoLeft",    "GoRight",  "Won",    "Lost",        "HullDown",   "TankFires",  "ROCKET",
    "MINES",     "cant1",    "cant2",  "start",       "Destroyed",  "report",     "committed",
};
}  // namespace

Globals::Globals(BoardView& view, SoundPort& sound, RandomSource& random, std::string appPath)
    : view_(view), sound_(sound), random_(random), appPath_(std::move(appPath)) {
  const std::string folder = appPath_ + "/sounds/";
  for (size_t i = 0; i < kSoundNames.size(); ++i) soundPaths_[i] = folder + kSoundNames[i] + ".wav";
  for (size_t n = 0; n < incomingPaths_.size(); ++n)
    incomingPaths_[n] = folder + kSoundNames[5] + std::to_string(n + 1) + ".wav";
}

std::string Globals::SoundBaseName(int sound) {
  if (sound < 0 || sound >= static_cast<int>(kSoundNames.size())) return "";
  return kSoundNames[static_cast<size_t>(sound)];
}

void Globals::PlaySnd(int16_t& sound, bool wait) {
  // A cue must never stop the game: every failure is passed over.
  try {
    if (!view_.OptChecked(0)) sound = 0;
    if (sound == 5) {
      random_.Randomize();
      const int n = static_cast<int>(std::floor(random_.Rnd() * 6.0f)) + 1;
      sound_.PlaySound(incomingPaths_[static_cast<size_t>(std::clamp(n, 1, 6) - 1)], wait);
    } else if (sound >= 0 && sound < static_cast<int16_t>(soundPaths_.size())) {
      sound_.PlaySound(soundPaths_[static_cast<size_t>(sound)], wait);
    } else {
      sound_.PlaySound(appPath_ + "/sounds/.wav", wait);  // no such cue: a file that is not there
    }
  } catch (...) {
  }
}

bool Globals::Chance(int16_t percent) {
  random_.Randomize();
  float u = random_.Rnd();
  int r = static_cast<int>(std::floor(u * 100.0f + 1.0f));
  return r < percent;
}

void Globals::WriteTrace(const std::string& tag, const std::string& title, const std::string& body) {
  std::string path = appPath_ + "/DHData" + tag + ".txt";
  std::ofstream out(path, std::ios::app | std::ios::binary);
  if (!out) throw std::runtime_error("cannot open " + path);
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char when[64];
  std::strftime(when, sizeof when, "%x %X", &tm);
  out << when << "  [" << GameMode << "]\r\n" << title << "\r\n" << body << "\r\n" << std::string(70, '-') << "\r\n";
  if (!out) throw std::runtime_error("cannot write " + path);
}
