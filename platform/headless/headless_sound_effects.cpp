// The recording sound-effect device: every effect that would sound, in order,
// with the number of frames presented before it (16 bytes each, so that hours
// of play record little).
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/sound_effects.h"

namespace {
std::vector<headless::SoundEffectRecord> gEffects;
}  // namespace

void ResetHeadlessSoundEffects() { gEffects.clear(); }

namespace headless {
const std::vector<SoundEffectRecord>& SoundEffects() { return gEffects; }
}  // namespace headless

namespace platform {
uint32_t SoundEffectClockMs() { return headless::Clock(); }
void PlaySoundEffect(SoundEffect effect) { gEffects.push_back({effect, headless::PresentCount()}); }
void ChangeSoundEffectsVolume(int) {}
}  // namespace platform
