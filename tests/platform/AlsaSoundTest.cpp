// Plays real wave files through ALSA into a file device set up by the test:
// a pcm of type `file` over the `null` pcm records every frame it is given,
// with the format, rate and channels it was opened with, into a wave file.
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/AlsaSound.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Writes interleaved 16-bit samples as a wave file in the given sample format.
void WriteWave(const fs::path& path, int format, int rate, int channels, const std::vector<short>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
  ASSERT_EQ(sf_writef_short(file, samples.data(), frames), frames);
  sf_close(file);
}

// The recording holds exactly these frames, at this rate and channel count, as
// 16-bit PCM: what the device was told, not only the bytes it was given.
testing::AssertionResult Recorded(const fs::path& path, int rate, int channels, const std::vector<short>& expected) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return testing::AssertionFailure() << "no recording: " << sf_strerror(nullptr);
  std::vector<short> actual(static_cast<size_t>(info.frames) * static_cast<size_t>(std::max(info.channels, 0)));
  sf_readf_short(file, actual.data(), info.frames);
  sf_close(file);
  if (info.format != (SF_FORMAT_WAV | SF_FORMAT_PCM_16)) {
    return testing::AssertionFailure() << "recorded in format 0x" << std::hex << info.format;
  }
  if (info.samplerate != rate || info.channels != channels) {
    return testing::AssertionFailure() << "recorded at " << info.samplerate << " Hz, " << info.channels << " channels";
  }
  if (expected.size() != actual.size()) {
    return testing::AssertionFailure() << "expected " << expected.size() << " samples, got " << actual.size();
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      return testing::AssertionFailure() << "sample " << i << ": expected " << expected[i] << ", got " << actual[i];
    }
  }
  return testing::AssertionSuccess();
}

// A tone over a rising ramp, so a dropped, doubled or shifted frame shows.
std::vector<short> Tone(size_t frames, double rate, double hz, int offset) {
  std::vector<short> samples(frames);
  for (size_t i = 0; i < frames; ++i) {
    samples[i] =
        static_cast<short>(offset + static_cast<int>(i) + std::lround(12000 * std::sin(6.283185307 * hz * i / rate)));
  }
  return samples;
}

}  // namespace

class AlsaSoundTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/dh_alsa_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = new fs::path(pattern);
    const char* old = std::getenv("ALSA_CONFIG_PATH");
    if (old != nullptr) oldConfigPath_ = new std::string(old);

    // ALSA_CONFIG_PATH replaces the whole search, so the system's top file is
    // pulled in first. `dh_out` is a plug like the usual default device, over a
    // recorder that takes 16-bit little-endian only: a player that opens it in
    // another sample format gets converted, and garbled, samples on record.
    // `dh_nocard` is a sound card that isn't there.
    const fs::path conf = *dir_ / "asound.conf";
    std::ofstream(conf) << "</usr/share/alsa/alsa.conf>\n"
                        << "pcm.dh_out {\n  type plug\n  slave {\n    pcm \"dh_rec\"\n    format S16_LE\n  }\n}\n"
                        << "pcm.dh_rec {\n  type file\n  slave.pcm \"null\"\n  file \"" << OutFile().string()
                        << "\"\n  format \"wav\"\n}\n"
                        << "pcm.dh_nocard {\n  type hw\n  card 97\n}\n";
    setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    snd_config_update_free_global();  // forget any configuration read before
  }

  static void TearDownTestSuite() {
    if (oldConfigPath_ != nullptr) {
      setenv("ALSA_CONFIG_PATH", oldConfigPath_->c_str(), 1);
    } else {
      unsetenv("ALSA_CONFIG_PATH");
    }
    snd_config_update_free_global();
    std::error_code ignored;
    fs::remove_all(*dir_, ignored);
    delete dir_;
    delete oldConfigPath_;
    dir_ = nullptr;
    oldConfigPath_ = nullptr;
  }

  void SetUp() override { fs::remove(OutFile()); }

  static fs::path OutFile() { return *dir_ / "out.wav"; }
  static fs::path Dir() { return *dir_; }

 private:
  static inline fs::path* dir_ = nullptr;
  static inline std::string* oldConfigPath_ = nullptr;
};

TEST_F(AlsaSoundTest, PlaysEveryFrameAsDecodedWhateverRateChannelsAndSampleFormat) {
  AlsaSound sound("dh_out");

  // 0.2 s of 16-bit mono at 22050 Hz, as the game's cues are made.
  const std::vector<short> mono = Tone(4410, 22050, 440, -2000);
  WriteWave(Dir() / "mono.wav", SF_FORMAT_PCM_16, 22050, 1, mono);
  sound.PlaySound((Dir() / "mono.wav").string(), true);
  EXPECT_TRUE(Recorded(OutFile(), 22050, 1, mono)) << "mono 22050 Hz";

  // Stereo at another rate: left and right differ, so a swap or mix shows.
  const std::vector<short> left = Tone(1600, 8000, 300, 5000);
  const std::vector<short> right = Tone(1600, 8000, 1100, -9000);
  std::vector<short> stereo;
  for (size_t i = 0; i < left.size(); ++i) {
    stereo.push_back(left[i]);
    stereo.push_back(right[i]);
  }
  WriteWave(Dir() / "stereo.wav", SF_FORMAT_PCM_16, 8000, 2, stereo);
  fs::remove(OutFile());
  sound.PlaySound((Dir() / "stereo.wav").string(), true);
  EXPECT_TRUE(Recorded(OutFile(), 8000, 2, stereo)) << "stereo 8000 Hz";

  // 8-bit unsigned samples come out widened to 16 bits, not as raw bytes.
  std::vector<short> eightBit;
  for (int i = 0; i < 1000; ++i) eightBit.push_back(static_cast<short>(((i * 7) % 256 - 128) * 256));
  WriteWave(Dir() / "u8.wav", SF_FORMAT_PCM_U8, 11025, 1, eightBit);
  fs::remove(OutFile());
  sound.PlaySound((Dir() / "u8.wav").string(), true);
  EXPECT_TRUE(Recorded(OutFile(), 11025, 1, eightBit)) << "8-bit mono 11025 Hz";
}

TEST_F(AlsaSoundTest, FailuresReturnQuicklyAndPrintNothing) {
  const fs::path cue = Dir() / "cue.wav";
  WriteWave(cue, SF_FORMAT_PCM_16, 22050, 1, Tone(2205, 22050, 440, 0));
  const fs::path garbage = Dir() / "garbage.wav";
  std::ofstream(garbage) << "not a wave file at all\n";

  struct Case {
    const char* what;
    std::string device;
    std::string path;
    bool reachesDevice;
  };
  const Case cases[] = {
      {"missing file", "dh_out", (Dir() / "missing.wav").string(), false},
      {"missing folder", "dh_out", "/nonexistent-dh-folder/sounds/.wav", false},
      {"unreadable file", "dh_out", garbage.string(), false},
      {"unknown device", "dh_no_such_device", cue.string(), true},
      {"absent sound card", "dh_nocard", cue.string(), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AlsaSound sound(c.device);
    snd_config_update_free_global();
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    sound.PlaySound(c.path, true);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_LT(took, 2s);
    if (!c.reachesDevice) {
      // A file that can't be read costs nothing: ALSA's configuration is not even loaded.
      EXPECT_EQ(snd_config, nullptr);
      EXPECT_FALSE(fs::exists(OutFile()));
    }
  }
}

TEST_F(AlsaSoundTest, BackgroundSoundPlaysToItsEndAndNeverCrashesOnTheWayOut) {
  const std::vector<short> samples = Tone(4410, 22050, 660, 1000);
  WriteWave(Dir() / "bg.wav", SF_FORMAT_PCM_16, 22050, 1, samples);
  {
    AlsaSound sound("dh_out");
    sound.PlaySound((Dir() / "bg.wav").string(), false);
    // The player returned at once; the recording fills in behind it.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!Recorded(OutFile(), 22050, 1, samples) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(Recorded(OutFile(), 22050, 1, samples));

    // A long sound still playing when the player goes away.
    WriteWave(Dir() / "long.wav", SF_FORMAT_PCM_16, 22050, 1, std::vector<short>(22050 * 5, 100));
    sound.PlaySound((Dir() / "long.wav").string(), false);
  }
  // And one left behind by a player whose sound was a missing file.
  AlsaSound other("dh_out");
  other.PlaySound((Dir() / "missing.wav").string(), false);
}
