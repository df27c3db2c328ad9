// Sound effects: a layer beside the game that answers its events with short
// sounds. The game raises an effect where the event happens; raising reads
// nothing and writes nothing of the game (no global, no random number, no
// wait), so play is the same with the effects on or off.
//
// Each effect is a WAV file of the same name in the sounds folder beside the
// executable, made at build time by tools/gen_sfx from assets/sounds/effects.sfx.
#pragma once

#include <cstdint>

enum class SoundEffect : uint8_t {
  Shot,          // a normal shot leaves the ship
  ChargedShot1,  // charged shots by the charge reached (kinds 2, 3, 4)
  ChargedShot2,
  ChargedShot3,
  EnemyHit,        // a shot hits an enemy that survives
  ExplosionSmall,  // an enemy of scale below 2 is destroyed
  ExplosionLarge,  // an enemy of scale 2 or more is destroyed
  ExplosionBoss,   // the boss is destroyed
  BossFall,        // the destroyed boss's light starts to grow
  Bomb,            // a bomb is dropped
  ShieldHit,       // the ship loses a shield point
  ShipDestroyed,   // the ship is hit with no shield left
  ItemPickup,      // the bomb or the shield item is taken
  BonusCapsule,    // the bonus capsule is taken
  ChargeFull,      // the charge reaches its top
  MenuMove,        // a menu cursor moves
  MenuConfirm,     // a menu choice is made
  Continue,        // the continue prompt is answered yes
  StageClear,      // the stage-clear caption begins
};
constexpr int kSoundEffectCount = 19;

// The effect's name: its WAV file's name without ".wav", and its name in the
// headless dump ("shot", "explosion-large", ...).
const char* SoundEffectName(SoundEffect effect);
// The shortest time between two starts of the same effect, in milliseconds;
// a raise sooner than that after the last one is dropped, so that an effect
// raised every frame does not turn into a buzz.
uint32_t SoundEffectMinimumIntervalMs(SoundEffect effect);

// The event happened: the effect sounds unless the effects are off or the
// same effect started less than its minimum interval ago.
void RaiseSoundEffect(SoundEffect effect);

// The sound-effects volume 0..10 (0 = off); values outside are clamped.
// Default 6, under the music.
constexpr int kDefaultEffectsVolume = 6;
void ApplyEffectsVolumeSetting(int volume);
int EffectsVolume();

// While silenced, raised effects are dropped (a replay run through unseen).
void SilenceSoundEffects(bool silenced);

// Back to a fresh program: default volume, no effect raised yet (for tests).
void ResetSoundEffects();

namespace platform {
// Implemented by each back-end. The back-end's own clock for the minimum
// intervals (the headless one reads its virtual clock without counting a poll).
uint32_t SoundEffectClockMs();
// Starts the effect (the SDL back-end), or records it (the headless one).
void PlaySoundEffect(SoundEffect effect);
// The effects volume 0..10 from now on, for the effects already sounding too.
void ChangeSoundEffectsVolume(int volume);
}  // namespace platform
