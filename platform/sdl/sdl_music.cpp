// Placeholder: music through SDL2_mixer is being written.
#include "platform/backend.h"

namespace platform {
bool OpenTune(const std::string&) { return false; }
void PlayTune() {}
void RewindAndPlayTune() {}
void StopTune() {}
void CloseTune() {}
bool IsTuneStopped() { return false; }
}  // namespace platform
