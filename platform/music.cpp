#include "platform/music.h"

int16_t musicLooping;

void MusicOpen(const std::string& /*file*/) { musicLooping = 0; }
void MusicPlay() { musicLooping = -1; }
void MusicStop() { musicLooping = 0; }
void MusicClose() { musicLooping = 0; }
void MusicLoopCheck() {}
void SwitchMusic(const std::string& file) {
  MusicStop();
  MusicClose();
  MusicOpen(file);
  MusicPlay();
}
void SwitchMusicPrimed(const std::string& file) {
  MusicStop();
  MusicClose();
  MusicOpen("select.mid");
  MusicPlay();
  MusicStop();
  MusicClose();
  MusicOpen(file);
  MusicPlay();
}
void OpenStageMusic() {}
