// Raising sound effects: the per-effect minimum interval and the volume.
#include "platform/sound_effects.h"

namespace {

struct EffectRule {
  const char* name;
  uint32_t minimumIntervalMs;
};
// clang-format off
constexpr EffectRule kEffectRules[kSoundEffectCount] = {
    {"shot",              70},
    {"charged-shot-1",   120},
    {"charged-shot-2",   120},
    {"charged-shot-3",   120},
    {"enemy-hit",         90},
    {"explosion-small",   60},
    {"explosion-large",  120},
    {"explosion-boss",   500},
    {"boss-fall",        500},
    {"bomb",             200},
    {"shield-hit",       200},
    {"ship-destroyed",   500},
    {"item-pickup",      100},
    {"bonus-capsule",    300},
    {"charge-full",      200},
    {"menu-move",         40},
    {"menu-confirm",     100},
    {"continue",         300},
    {"stage-clear",      500},
};
// clang-format on
static_assert(sizeof(kEffectRules) / sizeof(kEffectRules[0]) == int(SoundEffect::StageClear) + 1,
              "one rule per effect");

// Not game state: nothing of the game reads these.
int effectsVolume = kDefaultEffectsVolume;
bool effectStarted[kSoundEffectCount];
uint32_t effectStartMs[kSoundEffectCount];
bool effectsSilenced = false;

}  // namespace

const char* SoundEffectName(SoundEffect effect) {
  const int i = int(effect);
  return i >= 0 && i < kSoundEffectCount ? kEffectRules[i].name : "";
}

uint32_t SoundEffectMinimumIntervalMs(SoundEffect effect) {
  const int i = int(effect);
  return i >= 0 && i < kSoundEffectCount ? kEffectRules[i].minimumIntervalMs : 0;
}

void RaiseSoundEffect(SoundEffect effect) {
  const int i = int(effect);
  if (effectsVolume == 0 || effectsSilenced || i < 0 || i >= kSoundEffectCount) return;
  const uint32_t now = platform::SoundEffectClockMs();
  // The clock wraps at 2^32: differences modulo 2^32.
  if (effectStarted[i] && now - effectStartMs[i] < kEffectRules[i].minimumIntervalMs) return;
  effectStarted[i] = true;
  effectStartMs[i] = now;
  platform::PlaySoundEffect(effect);
}

void ApplyEffectsVolumeSetting(int volume) {
  effectsVolume = volume < 0 ? 0 : volume > 10 ? 10 : volume;
  platform::ChangeSoundEffectsVolume(effectsVolume);
}

int EffectsVolume() { return effectsVolume; }

void SilenceSoundEffects(bool silenced) { effectsSilenced = silenced; }

void ResetSoundEffects() {
  effectsVolume = kDefaultEffectsVolume;
  effectsSilenced = false;
  for (int i = 0; i < kSoundEffectCount; ++i) {
    effectStarted[i] = false;
    effectStartMs[i] = 0;
  }
}
