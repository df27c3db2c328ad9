#include "tests/support/game_fixture.h"

#include <cstring>
#include <string>

#include "app/state_registry.h"
#include "platform/headless/headless.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"

void ResetEverything() {
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    switch (e.type) {
      case StateType::U8: std::memset(e.data, 0, size_t(e.count)); break;
      case StateType::I16: std::memset(e.data, 0, size_t(e.count) * 2); break;
      case StateType::I32:
      case StateType::F32: std::memset(e.data, 0, size_t(e.count) * 4); break;
      case StateType::Str:
        for (int k = 0; k < e.count; ++k) static_cast<std::string*>(e.data)[k].clear();
        break;
    }
  }
  headless::Reset();
  ResetSoundEffects();
  SetUpSurfaces();
}
