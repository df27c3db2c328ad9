#include "app/startup.h"

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/settings.h"
#include "data/map_file.h"
#include "data/score_file.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/music.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "world/world_state.h"

namespace {

constexpr const char* kTitle = "Tessivane";

void RestoreScreenSaver() {
  if (screenSaverWasActive == 1) platform::SetScreenSaverEnabled(true);
}

[[noreturn]] void RefuseStart(const char* message) {
  platform::ShowMessage(message, kTitle, true);
  RestoreScreenSaver();
  platform::EndProcess();
}

void OnCloseButton() {
  int16_t cancel = 0;
  Form_Unload(cancel);
}

}  // namespace

void StartUp() {
  screenSaverWasActive = platform::IsScreenSaverEnabled() ? 1 : 0;
  if (screenSaverWasActive == 1) platform::SetScreenSaverEnabled(false);

  if (!platform::ClaimSingleInstance()) RefuseStart("多重起動はできません。");
  if (!LoadMapFile(platform::BaseDirectory() + "/Qapo.map")) RefuseStart("マップデータが見つかりません");

  LoadScoreFile();
  LoadSettings();
  Randomize(platform::RandomSeed());

  platform::CreateGameWindow(kTitle, kScreenWidth, kScreenHeight);
  SetUpSurfaces();
  SetWindowEventHandlers(OnCloseButton, Timer1_Timer);
  SetFullScreenToggledHandler(FollowFullScreenShortcut);
  FlushInput();

  inputLatch = 0;
  gameMode = 3;
  battlePhase = 0;
  scrollPos = -1720.0f;
  selectedStage = 1;
  // The player's settings: the window, the volume, and the fire and bomb
  // keys into buttonKeys (A and S, each in both of its slots, by default).
  ApplyAllSettings();

  DetectJoystick(16384);

  MusicStop();
  MusicClose();
  MusicOpen("select.mid");
  MusicPlay();
  MusicStop();
  MusicClose();
  MusicOpen("opening2.mid");
  MusicPlay();

  RunMainLoop();
}

void ExitProgram() {
  MusicStop();
  MusicClose();
  RestoreScreenSaver();
  platform::EndProcess();
}

void Form_Unload(int16_t& cancel) {
  if (platform::AskYesNo("終了しますか？", kTitle)) ExitProgram();
  cancel = 1;
  FlushInput();
}
