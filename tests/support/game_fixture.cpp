#include "tests/support/game_fixture.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/settings.h"
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

void UsePrivateDefaultSettings(const char* name) {
  static std::string folder;
  if (folder.empty()) {
    std::string pattern = std::string("/tmp/tessivane-") + name + "-XXXXXX";
    if (mkdtemp(pattern.data())) folder = pattern;
  }
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  SetDefaultSettings();
  ApplyAllSettings();
}
