// The run as a video: the play picture at the game's own 23.26 frames a
// second (one frame every 43 ms of the virtual clock), scaled by a whole
// factor with nearest-neighbour pixels, and the music the game asked for,
// rendered through FluidSynth from the same MIDI files and soundfont.
#pragma once

#include <cstdint>
#include <string>

// Opens OUT (the container from its name: .mp4, .mkv...). H.264 when the
// encoder is there, else MPEG-4 part 2; AAC sound. Without a soundfont the
// video is silent (said on stderr). False with `error` set.
bool OpenVideo(const std::string& path, int scale, std::string* error);
// The clock has reached `now`: every frame due until then shows `pixels`
// (0x00RRGGBB, the play picture's size), with the music up to its moment.
void AddVideoFramesUntil(uint32_t now, const uint32_t* pixels);
// A music command of the game ("open PATH", "play", "replay", "stop",
// "close"), given at the clock's moment `now`.
void PlayVideoMusicCommand(uint32_t now, const std::string& command);
// Ends the streams and writes the file's index. False with `error` set.
bool CloseVideo(std::string* error);
