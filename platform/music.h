// Background music: one current tune from the QapoMidi folder.
#pragma once

#include <cstdint>
#include <string>

extern int16_t musicLooping;  // -1 after MusicPlay; 0 after open, stop and close

void MusicOpen(const std::string& file);
void MusicPlay();
void MusicStop();
void MusicClose();
void MusicLoopCheck();
void SwitchMusic(const std::string& file);
// Opens, starts and drops `primer` at once, then opens and plays `file`.
void SwitchMusicPrimed(const std::string& primer, const std::string& file);

// While silenced the game's music calls are kept but not played (a replay
// run through unseen); on the way out the tune the game has open starts
// again from its beginning if it plays.
void SilenceMusic(bool silenced);

// The music as the game has it, for a snapshot of the game (and back).
struct MusicState {
  std::string tune;
  bool playing;
  int16_t looping;
};
MusicState SaveMusicState();
void RestoreMusicState(const MusicState& state);
