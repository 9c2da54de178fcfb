// Start-up cost of the board window, measured against an empty Qt main window.
//
// Each sample is a fresh process that builds its window, shows it, waits until it
// is on screen and exits; the parent times it and reads its peak memory. Samples
// of the two kinds alternate so both see the same machine. ALSA is pointed at a
// card that does not exist, so the cues cost what they cost without a sound device.
//
//   dh_startup_bench [runs] [other]   (default 15; uses $QT_QPA_PLATFORM / $DISPLAY as set)
//
// "other" is another build's dh_startup_bench: its board window joins the same
// alternation, so a change is measured side by side with the build before it.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board/ui/frmBoard.h"

extern char** environ;

namespace {

void WaitUntilExposed(QWidget& w) {
  while (!w.windowHandle() || !w.windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  QCoreApplication::processEvents();
}

int Child(const std::string& kind, int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (kind == "empty") {
    QMainWindow w;
    w.setWindowTitle("Empty");
    w.resize(604, 622);
    w.show();
    WaitUntilExposed(w);
  } else {
    frmBoard w;
    w.Load();
    w.show();
    WaitUntilExposed(w);
  }
  return 0;
}

struct Sample {
  double ms;
  long maxRssKiB;
};

Sample RunOnce(const std::string& exe, const std::string& kind) {
  std::vector<std::string> args = {exe, "--child", kind};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    std::perror("posix_spawn");
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s child failed\n", kind.c_str());
    std::exit(1);
  }
  return {ms, usage.ru_maxrss};
}

template <typename T>
T Median(std::vector<T> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2], argc, argv);

  int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string other = argc >= 3 ? std::filesystem::canonical(argv[2]).string() : std::string();
  // The board window finds its sounds beside the game's executable, which sits one folder up.
  std::string self = std::filesystem::canonical("/proc/self/exe").string();
  std::string dir = std::filesystem::path(self).parent_path().string();
  std::string conf = dir + "/no-sound-device.conf";
  {
    std::ofstream out(conf);
    out << "</usr/share/alsa/alsa.conf>\npcm.!default { type hw card 99 }\n";
  }
  setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  std::printf("platform: %s, runs: %d each, no sound device\n",
              platform ? platform : (std::getenv("DISPLAY") ? "xcb" : "default"), runs);

  std::vector<double> emptyMs, boardMs, otherMs;
  std::vector<long> emptyRss, boardRss, otherRss;
  RunOnce(self, "empty");  // warm the file cache for all
  RunOnce(self, "board");
  if (!other.empty()) RunOnce(other, "board");
  // Each round starts with the next kind in turn, so no kind always runs first
  // after the previous round's last (the X server is still tearing that one down).
  const int kinds = other.empty() ? 2 : 3;
  for (int i = 0; i < runs; ++i) {
    for (int k = 0; k < kinds; ++k) {
      switch ((i + k) % kinds) {
        case 0: {
          Sample e = RunOnce(self, "empty");
          emptyMs.push_back(e.ms);
          emptyRss.push_back(e.maxRssKiB);
          break;
        }
        case 1: {
          Sample b = RunOnce(self, "board");
          boardMs.push_back(b.ms);
          boardRss.push_back(b.maxRssKiB);
          break;
        }
        default: {
          Sample o = RunOnce(other, "board");
          otherMs.push_back(o.ms);
          otherRss.push_back(o.maxRssKiB);
          break;
        }
      }
    }
  }

  double em = Median(emptyMs), bm = Median(boardMs);
  long er = Median(emptyRss), br = Median(boardRss);
  std::printf("%-22s %12s %14s %10s\n", "", "median ms", "median RSS MiB", "x empty");
  std::printf("%-22s %12.1f %14.1f\n", "empty QMainWindow", em, er / 1024.0);
  std::printf("%-22s %12.1f %14.1f %5.2f %4.2f\n", "Dravenholt board", bm, br / 1024.0, bm / em,
              static_cast<double>(br) / static_cast<double>(er));
  if (!other.empty()) {
    double om = Median(otherMs);
    long orss = Median(otherRss);
    std::printf("%-22s %12.1f %14.1f %5.2f %4.2f\n", "other build's board", om, orss / 1024.0, om / em,
                static_cast<double>(orss) / static_cast<double>(er));
  }
  std::printf("%-22s %+12.1f %+14.1f\n", "difference", bm - em, (br - er) / 1024.0);
  return 0;
}
