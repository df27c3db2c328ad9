// Frame pacing on the real clock: 500 frames of 43 ms with 0.5 ms of work,
// paced by the game's own PaceFrame over the SDL back-end's clock and Idle.
// Prints the period, drift, errors and the processor time spent; asserts
// nothing.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "platform/clock.h"

namespace {

double NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double CpuMs() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void Work(double ms) {
  const double until = NowMs() + ms;
  while (NowMs() < until) {
  }
}

}  // namespace

int main() {
  constexpr int kFrames = 500;
  constexpr double kWorkMs = 0.5;
  std::vector<double> starts;
  starts.reserve(kFrames + 1);
  double workCpu = 0, waitCpu = 0, waitWall = 0;
  for (int f = 0; f <= kFrames; ++f) {
    frameStartMs = ClockMs();
    starts.push_back(NowMs());
    if (f == kFrames) break;
    const double c0 = CpuMs();
    Work(kWorkMs);
    const double c1 = CpuMs(), w1 = NowMs();
    PaceFrame(kFramePeriodMs);
    workCpu += c1 - c0;
    waitCpu += CpuMs() - c1;
    waitWall += NowMs() - w1;
  }
  std::vector<double> errors;
  for (int f = 1; f <= kFrames; ++f) errors.push_back(std::fabs(starts[f] - starts[f - 1] - kFramePeriodMs));
  const double mean = (starts.back() - starts.front()) / kFrames;
  const double drift = starts.back() - starts.front() - kFrames * double(kFramePeriodMs);
  std::sort(errors.begin(), errors.end());
  std::printf("frames: %d of %d ms with %.1f ms of work\n", kFrames, int(kFramePeriodMs), kWorkMs);
  std::printf("mean period: %.3f ms (goal 43.00 +- 0.05)\n", mean);
  std::printf("drift over the run: %+.2f ms\n", drift);
  std::printf("period error: median %.3f ms, p99 %.3f ms (goal <= 0.5), worst %.3f ms (goal <= 2)\n",
              errors[errors.size() / 2], errors[errors.size() * 99 / 100], errors.back());
  const long late = std::count_if(errors.begin(), errors.end(), [](double e) { return e > 0.5; });
  std::printf("frames more than 0.5 ms off: %ld of %d\n", late, kFrames);
  std::printf("processor while waiting: %.2f%% of one core (goal <= 5%%); work used %.0f ms\n",
              100.0 * waitCpu / waitWall, workCpu);
  return 0;
}
