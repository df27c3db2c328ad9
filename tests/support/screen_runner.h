// Runs a screen's own frame loop on the headless machine until it hands over.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "app/main_loop.h"
#include "platform/headless/headless.h"

constexpr uint32_t kFrame = 43;

// A key pressed for one frame at frame `frame` of the run.
struct Press {
  int vk;
  uint32_t frame;
};
inline void PressAt(int vk, uint32_t frame) { headless::HoldKey(vk, frame * kFrame, frame * kFrame + kFrame); }
inline void PressAll(std::initializer_list<Press> presses) {
  for (const Press& p : presses) PressAt(p.vk, p.frame);
}

enum class Ended { Stopped, EnteredMainLoop, ProgramEnded, Returned };

// Runs `screen` until it hands over, or until `frames` frames have run.
template <typename Screen>
Ended RunFrames(uint32_t frames, Screen screen) {
  headless::SetStopTime((frames - 1) * kFrame + 1);
  try {
    screen();
  } catch (const headless::StopReached&) {
    return Ended::Stopped;
  } catch (const MainLoopEntry&) {
    return Ended::EnteredMainLoop;
  } catch (const headless::ProcessEnded&) {
    return Ended::ProgramEnded;
  }
  return Ended::Returned;
}
