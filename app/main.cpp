#include "app/replay_recorder.h"
#include "app/startup.h"

int main() {
  SetReplayRecording(true);
  StartUp();
}
