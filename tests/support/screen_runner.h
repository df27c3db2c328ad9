// Runs a screen's own frame loop on the headless machine until it hands over.
#pragma once

#include <cstdint>

#include "app/main_loop.h"
#include "platform/headless/headless.h"

constexpr uint32_t kFrame = 43;

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
