#include "app/startup.h"

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/start_request.h"
#include "app/online_scores.h"
#include "app/replay_recorder.h"
#include "app/replay_viewer.h"
#include "app/settings.h"
#include "data/map_file.h"
#include "data/score_file.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/music.h"
#include "platform/question_buttons.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "world/world_state.h"

namespace {

constexpr const char* kTitle = "Tessivane";
constexpr int kRefusedStatus = 1;

void RestoreScreenSaver() {
  if (screenSaverWasActive == 1) platform::SetScreenSaverEnabled(true);
}

// A refusal ends with a failing status, so that launchers and scripts can
// tell that the game did not run.
[[noreturn]] void RefuseStart(const char* message) {
  platform::ShowMessage(message, kTitle, true);
  RestoreScreenSaver();
  platform::EndProcess(kRefusedStatus);
}

// Saves interrupted by a crash or a kill leave their temporary files beside
// the file they were replacing; those older than a minute are no one's save
// under way. Only the game's own names are touched, and never while a replay
// plays back (it never touches the player's files).
constexpr int kStaleSeconds = 60;

// The temporary files of saves of `path` and of `extra` names beside it. A
// save through a symbolic link writes beside the link's target, under the
// target's name.
void RemoveStaleTemporaryFilesOf(const std::string& path, std::vector<std::string> extra) {
  const std::string folder = files::FolderOf(path);
  extra.push_back(path.substr(path.find_last_of("/\\") + 1));
  files::RemoveStaleTemporaryFiles(folder, extra, kStaleSeconds);
  const std::string target = files::FollowLinks(path);
  if (target != path)
    files::RemoveStaleTemporaryFiles(files::FolderOf(target), {target.substr(target.find_last_of("/\\") + 1)},
                                     kStaleSeconds);
}

void RemoveStaleTemporaryFiles() {
  if (machine::IsPlayingBack()) return;
  // The damaged score file's copy is written beside the score file's name.
  RemoveStaleTemporaryFilesOf(ScoreFilePath(), {"Qapo.sco.damaged"});
  const std::string settings = SettingsPath();
  if (!settings.empty()) RemoveStaleTemporaryFilesOf(settings, {});
  files::RemoveStaleTemporaryFiles(ReplayFolder(), {kReplayExtension}, kStaleSeconds);
  if (!ReplayFolder().empty()) RemoveStaleTemporaryFilesOf(ReplayIndexPath(), {});
  files::RemoveStaleTemporaryFiles(OutboxFolder(), {kReplayExtension}, kStaleSeconds);
}

void OnCloseButton() {
  int16_t cancel = 0;
  Form_Unload(cancel);
}

}  // namespace

void StartUp() {
  BeginReplaySession();
  screenSaverWasActive = machine::IsScreenSaverEnabled() ? 1 : 0;
  if (screenSaverWasActive == 1) platform::SetScreenSaverEnabled(false);

  if (!machine::ClaimSingleInstance()) RefuseStart(language::Translate("多重起動はできません。"));
  if (!LoadMapFile(platform::BaseDirectory() + "/Qapo.map"))
    RefuseStart(language::Translate("マップデータが見つかりません"));

  RemoveStaleTemporaryFiles();
  LoadScoreFile();
  LoadSettings();
  Randomize(machine::RandomSeed());

  platform::CreateGameWindow(kTitle, kScreenWidth, kScreenHeight);
  SetUpSurfaces();
  SetWindowEventHandlers(OnCloseButton, Timer1_Timer);
  SetQuitHandler(ExitProgram);
  SetFullScreenToggledHandler(FollowFullScreenShortcut);
  FlushInput();

  inputLatch = 0;
  gameMode = kModeLeaveForTitle;
  battlePhase = kBattleWaves;
  scrollPos = -1720.0f;
  selectedStage = 1;
  // The player's settings: the window, the volume, and the fire and bomb
  // keys into buttonKeys (A and S, each in both of its slots, by default).
  ApplyAllSettings();
  // What the last run could not send to the score server (online scores on).
  SendQueuedReplays();
  // Where the program was asked to start in place of the title's intro.
  ReadStartRequest();

  DetectJoystick(16384);

  SwitchMusicPrimed("select.mid", "opening2.mid");

  RunMainLoop();
}

void ExitProgram() {
  // A replay sought past the recorded program's end lands on its last moment.
  ReplayViewerTakesEnd();
  EndReplaySession(0);
  MusicStop();
  MusicClose();
  RestoreScreenSaver();
  platform::EndProcess();
}

void Form_Unload(int16_t& cancel) {
  platform::SetQuestionButtons(language::Translate(language::TranslatedLater("Yes")),
                               language::Translate(language::TranslatedLater("No")));
  if (machine::AskYesNo(language::Translate("終了しますか？"), kTitle)) ExitProgram();
  cancel = 1;
  FlushInput();
}
