// The cost of recording: one frame's readings of the machine while a replay
// is recorded (the keys, the clock with a real clock's jitter, the window's
// events, the frame's wait), and how large an hour of such frames is once
// compressed ("bytes_per_hour", to stay under 1 MB).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/machine.h"

namespace {

constexpr int kFramesPerHour = 3600 * 1000 / 43;
constexpr int kGameKeys[] = {kVkLeft, kVkRight, kVkUp, kVkDown, kVkA, kVkS};

uint32_t gNoise = 12345;
uint32_t Noise() {
  gNoise ^= gNoise << 13;
  gNoise ^= gNoise >> 17;
  gNoise ^= gNoise << 5;
  return gNoise;
}

// The readings of one frame of play, as the main loop takes them.
void ReadOneFrame(int frame) {
  // A real clock: 43 ms a frame, give or take a millisecond.
  headless::SetClock(uint32_t(frame) * 43 + Noise() % 3);
  if (frame % 12 == 0)
    for (int vk : kGameKeys) headless::SetKeyDown(vk, Noise() % 4 == 0);
  benchmark::DoNotOptimize(machine::IsWindowInactive());
  benchmark::DoNotOptimize(machine::ReadClockMs());
  for (int vk : {kVkRight, kVkLeft, kVkDown, kVkUp, kVkA, kVkA, kVkS, kVkS})
    benchmark::DoNotOptimize(machine::IsKeyDown(vk));
  for (int vk : {kVkCtrl, kVkNum4, kVkNum6, kVkNum8, kVkNum2, kVkCtrl})
    benchmark::DoNotOptimize(machine::QueryKey(vk));
  benchmark::DoNotOptimize(machine::PollWindowEvent());
  benchmark::DoNotOptimize(machine::ReadClockMs());
  benchmark::DoNotOptimize(machine::ReadClockMs());
  machine::Idle(40 + Noise() % 3);
  benchmark::DoNotOptimize(machine::ReadClockMs());
  benchmark::DoNotOptimize(machine::PollWindowEvent());
}

void RecordedFrame(benchmark::State& state) {
  headless::Reset();
  machine::StartRecording();
  int frame = 0;
  for (auto _ : state) {
    ReadOneFrame(frame);
    if (++frame == kFramesPerHour) {  // a fresh hour: the buffer holds a few
      state.PauseTiming();
      machine::StartRecording();
      frame = 0;
      state.ResumeTiming();
    }
  }
  machine::StopRecording();
}
BENCHMARK(RecordedFrame);

void HourOfFrames(benchmark::State& state) {
  for (auto _ : state) {
    headless::Reset();
    machine::StartRecording();
    for (int frame = 0; frame < kFramesPerHour; ++frame) ReadOneFrame(frame);
    const uint8_t* data;
    size_t size = 0;
    uint64_t rawSize = 0;
    uint32_t crc;
    if (!machine::FlushRecording(&data, &size, &rawSize, &crc)) state.SkipWithError("the buffer overflowed");
    state.counters["bytes_per_hour"] = double(size);
    state.counters["raw_bytes_per_hour"] = double(rawSize);
    machine::StopRecording();
  }
}
BENCHMARK(HourOfFrames)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
