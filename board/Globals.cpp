#include "board/Globals.h"

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
    : view_(view), sound_(sound), random_(random), appPath_(std::move(appPath)) {}

std::string Globals::SoundBaseName(int sound) {
  if (sound < 0 || sound >= static_cast<int>(kSoundNames.size())) return "";
  return kSoundNames[static_cast<size_t>(sound)];
}

void Globals::PlaySnd(int16_t& sound, bool wait) {
  // A cue must never stop the game: every failure is passed over.
  try {
    if (!view_.OptChecked(0)) sound = 0;
    std::string base = SoundBaseName(sound);
    if (sound == 5) {
      random_.Randomize();
      int n = static_cast<int>(std::floor(random_.Rnd() * 6.0f)) + 1;
      base += std::to_string(n);
    }
    sound_.PlaySound(appPath_ + "/sounds/" + base + ".wav", wait);
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
