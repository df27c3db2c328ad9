// Seeking in the replay viewer: the viewer is opened with its keys on a
// replay (an hour-long one, made by bench/replay_seek.sh), which first runs
// the whole replay through unseen to keep its snapshots; then seeks are made
// one after another, each timed from the request to its landing (the first
// pass at the target, its last frames drawn): forward by minutes, backward
// by minutes, and to random seconds. Prints the opening scan's time, the
// seeks' median, 90th percentile and worst, the snapshots kept and their
// memory. Asserts nothing; the goal is every seek under 0.5 s.
//
//   bench_replay_seek FILE [RANDOM_SEEKS]
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/replay_viewer.h"
#include "app/startup.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/machine.h"
#include "platform/posix/program_folder.h"
#include "platform/replay_file.h"
#include "tools/headless/headless_replay.h"

namespace {

double NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Seek {
  const char* kind;
  uint32_t target;
  double ms = 0;
  uint32_t landed = 0;
};

double gOpened = 0;
double gScanMs = 0;
uint32_t gLengthMs = 0;
bool gLengthKnown = false;
int gRandomSeeks = 200;
std::vector<Seek> gSeeks;
size_t gNext = 0;
double gSeekStarted = 0;

// The seeks: every minute forward from the start, every minute back from
// the end, then random seconds (a fixed generator, the same every run).
void PlanSeeks() {
  for (uint32_t ms = 60000; ms < gLengthMs; ms += 60000) gSeeks.push_back({"forward", ms});
  for (uint32_t ms = gLengthMs - gLengthMs % 60000; ms >= 60000; ms -= 60000)
    gSeeks.push_back({"backward", ms - 30000});
  uint32_t r = 2463534242u;
  for (int i = 0; i < gRandomSeeks; ++i) {
    r ^= r << 13;
    r ^= r >> 17;
    r ^= r << 5;
    gSeeks.push_back({"random", (r % (gLengthMs / 1000)) * 1000});
  }
}

void StartNext() {
  gSeekStarted = NowMs();
  SeekReplay(gSeeks[gNext].target);
}

void OnLanding(uint32_t ms) {
  const double now = NowMs();
  if (gScanMs == 0) {
    // Opened, scanned and back at the start: now to the last moment.
    gScanMs = now - gOpened;
    SeekReplay(0xFFFFFFF0u);
    return;
  }
  if (!gLengthKnown) {
    gLengthKnown = true;
    gLengthMs = ms;
    PlanSeeks();
    return StartNext();
  }
  gSeeks[gNext].ms = now - gSeekStarted;
  gSeeks[gNext].landed = ms;
  if (++gNext < gSeeks.size()) return StartNext();
  platform::EndProcess();
}

[[noreturn]] void OnEnd(bool mismatch, const char* why) {
  if (!mismatch) ReplayViewerTakesEnd();
  std::fprintf(stderr, "playback stopped: %s\n", why);
  std::exit(1);
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_replay_seek FILE [RANDOM_SEEKS]\n");
    return 2;
  }
  if (argc > 2) gRandomSeeks = std::atoi(argv[2]);
  std::vector<uint8_t> bytes;
  ReplayInfo info;
  std::string why;
  headless::Reset();
  headless::SetBaseDirectory(platform::ProgramFolder() + "/..");
  if (!ReadReplayFile(argv[1], &bytes, &why) || !StartReplayPlayback(bytes, false, OnEnd, &info, &why)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], why.c_str());
    return 1;
  }
  OpenReplayViewer(info.gameStart, true);
  machine::SetPlaybackWaitFilter(ReplayViewerShouldWait);
  machine::SetPlaybackPresentFilter(ReplayViewerShouldPresent);
  SetReplayLandingHandler(OnLanding);
  gOpened = NowMs();
  try {
    StartUp();
  } catch (const headless::ProcessEnded&) {
  } catch (const headless::StopReached&) {
  }
  if (gNext < gSeeks.size() || gSeeks.empty()) {
    std::fprintf(stderr, "the replay ended before the seeks were made\n");
    return 1;
  }
  size_t count = 0;
  const size_t bytesKept = ReplayViewerSnapshotBytes(&count);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("replay: %s, its game %u:%02u long\n", argv[1], gLengthMs / 60000, gLengthMs / 1000 % 60);
  std::printf("opening (start-up, the whole replay run through unseen, back to the start): %.0f ms\n", gScanMs);
  std::printf("snapshots kept: %zu, %zu bytes in all (%zu each), peak RSS %ld MB\n", count, bytesKept,
              count ? bytesKept / count : 0, usage.ru_maxrss / 1024);
  std::printf("%-9s %6s %10s %10s %10s\n", "seeks", "count", "median ms", "p90 ms", "worst ms");
  for (const char* kind : {"forward", "backward", "random", "all"}) {
    std::vector<double> ms;
    for (const Seek& s : gSeeks)
      if (std::string(kind) == "all" || std::string(kind) == s.kind) ms.push_back(s.ms);
    if (ms.empty()) continue;
    std::printf("%-9s %6zu %10.1f %10.1f %10.1f\n", kind, ms.size(), Percentile(ms, 0.5), Percentile(ms, 0.9),
                *std::max_element(ms.begin(), ms.end()));
  }
  // A seek lands at the first main-loop pass at or after its target: a frame
  // (43 ms) later at most, unless a screen with a loop of its own held the
  // pass longer.
  int early = 0, late = 0;
  uint32_t latest = 0;
  for (const Seek& s : gSeeks) {
    early += s.landed < s.target;
    if (s.landed > s.target + 43) ++late, latest = std::max(latest, s.landed - s.target);
  }
  std::printf("landed before the target: %d; more than a frame after it: %d (at most %u ms after)\n", early, late,
              latest);
  const Seek& worst =
      *std::max_element(gSeeks.begin(), gSeeks.end(), [](const Seek& a, const Seek& b) { return a.ms < b.ms; });
  std::printf("worst: %s to %u:%02u, %.1f ms (goal: under 500 ms)\n", worst.kind, worst.target / 60000,
              worst.target / 1000 % 60, worst.ms);
  return 0;
}
