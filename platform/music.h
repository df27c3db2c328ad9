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
