#include "platform/AlsaSound.h"

#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <algorithm>
#include <mutex>
#include <stop_token>
#include <utility>
#include <vector>

namespace {

// ALSA prints its own complaints to stderr; a machine without a sound card
// would fill the terminal with them on every cue.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

struct Pcm16 {
  std::vector<short> samples;  // interleaved
  int channels = 0;
  int rate = 0;
};

// Decodes the whole file to 16-bit frames; false if it can't be read.
bool Decode(const std::string& path, Pcm16& out) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return false;
  bool ok = info.channels > 0 && info.samplerate > 0;
  if (ok) {
    out.channels = info.channels;
    out.rate = info.samplerate;
    // Read in chunks instead of trusting the frame count in the header.
    constexpr sf_count_t kChunk = 4096;
    std::vector<short> chunk(static_cast<size_t>(kChunk) * static_cast<size_t>(info.channels));
    sf_count_t got;
    while ((got = sf_readf_short(file, chunk.data(), kChunk)) > 0) {
      out.samples.insert(out.samples.end(), chunk.begin(), chunk.begin() + got * info.channels);
    }
  }
  sf_close(file);
  return ok && !out.samples.empty();
}

// Plays decoded frames to their end, or until stop is requested.
void Play(const Pcm16& sound, const std::string& device, const std::stop_token& stop) {
  snd_pcm_t* pcm = nullptr;
  // Non-blocking open so a busy or absent device fails at once instead of waiting.
  if (snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return;
  constexpr unsigned kLatencyUs = 100000;
  if (snd_pcm_nonblock(pcm, 0) < 0 ||
      snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(sound.channels),
                         static_cast<unsigned>(sound.rate), 1, kLatencyUs) < 0) {
    snd_pcm_close(pcm);
    return;
  }
  const auto channels = static_cast<snd_pcm_uframes_t>(sound.channels);
  const snd_pcm_uframes_t total = sound.samples.size() / channels;
  // Small slices so a stop request is noticed within ~50 ms.
  const auto slice = std::max<snd_pcm_uframes_t>(1, static_cast<snd_pcm_uframes_t>(sound.rate) / 20);
  snd_pcm_uframes_t done = 0;
  bool stopped = false;
  int stalls = 0;  // writes in a row that moved nothing; a device stuck there is given up
  while (done < total) {
    if (stop.stop_requested() || stalls > 10) {
      stopped = true;
      break;
    }
    const short* from = sound.samples.data() + done * channels;
    snd_pcm_sframes_t n = snd_pcm_writei(pcm, from, std::min(slice, total - done));
    if (n > 0) {
      done += static_cast<snd_pcm_uframes_t>(n);
      stalls = 0;
      continue;
    }
    ++stalls;
    // Underrun or suspend: recover and carry on; anything else ends the sound.
    if (n < 0 && snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) {
      stopped = true;
      break;
    }
  }
  if (stopped) {
    snd_pcm_drop(pcm);
  } else {
    snd_pcm_drain(pcm);
  }
  snd_pcm_close(pcm);
}

void PlayFile(const std::string& path, const std::string& device, const std::stop_token& stop) {
  try {
    Pcm16 sound;
    // The file first: a missing cue must not touch the sound device at all.
    if (!Decode(path, sound)) return;
    Play(sound, device, stop);
  } catch (...) {
    // Out of memory on a huge file: stay silent like any other failure.
  }
}

}  // namespace

AlsaSound::AlsaSound(std::string device) : device_(std::move(device)) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(&QuietAlsa); });
}

void AlsaSound::PlaySound(const std::string& path, bool wait) {
  try {
    background_ = std::jthread();  // stops and joins the previous background sound
    if (wait) {
      PlayFile(path, device_, std::stop_token());
    } else {
      background_ =
          std::jthread([path, device = device_](const std::stop_token& stop) { PlayFile(path, device, stop); });
    }
  } catch (...) {
    // No thread to be had: the sound is skipped.
  }
}
