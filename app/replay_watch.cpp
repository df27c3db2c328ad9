#include "app/replay_watch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/replay_recorder.h"
#include "app/replay_viewer.h"
#include "app/startup.h"
#include "frontend/replay_list.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/posix/program_folder.h"
#include "platform/replay_file.h"

namespace {

constexpr const char* kTitle = "Tessivane";
constexpr const char* kWatchOption = "--watch-from-game";

ReplayInfo gInfo;
std::vector<uint8_t> gStream;
bool gBackToGame = false;
// The replay list the watched replay was chosen from ("" for none): the game
// comes back to it.
std::string gBackTo;

void RestartByExecuting(const std::string& replayPath, const std::string& backTo) {
  std::vector<std::string> arguments;
  if (!replayPath.empty()) arguments = {kWatchOption, replayPath};
  if (!backTo.empty()) arguments.insert(arguments.end(), {kBackToOption, backTo});
  platform::RunProgramAfresh(arguments);
  if (!replayPath.empty()) std::fprintf(stderr, "Tessivane: cannot start the replay\n");
}
void (*gRestart)(const std::string& replayPath, const std::string& backTo) = RestartByExecuting;

[[noreturn]] void StartGameAfresh() {
  gRestart(std::string(), gBackTo);
  platform::EndProcess();  // the restart failed: the program simply ends
}

bool BeforeTheGame() { return machine::PlayedSize() < gInfo.gameStart; }

[[noreturn]] void StopWatching(bool mismatch, const char* why) {
  // A seek past the end lands on the replay's last moment instead.
  if (!mismatch && std::strcmp(why, machine::kPlaybackWindowClosed) != 0) ReplayViewerTakesEnd();
  CloseReplayViewer();
  if (mismatch) {
    const std::string text =
        language::Translate("This replay stopped matching the game:") + std::string("\n") + why;
    platform::ShowMessage(text.c_str(), kTitle, true);
  }
  machine::GoLive();
  if (gBackToGame) StartGameAfresh();
  ExitProgram();
}

void StopAtViewersWord() { StopWatching(false, ""); }

// The frames shown and waited for: none before the game starts, then as the
// viewer's speed has it.
bool ShouldWait(uint32_t ms) { return !BeforeTheGame() && ReplayViewerShouldWait(ms); }
bool ShouldPresent() { return !BeforeTheGame() && ReplayViewerShouldPresent(); }

}  // namespace

void WatchReplay(const std::string& path, bool backToGame, const std::string& backTo) {
  gBackToGame = backToGame;
  gBackTo = backTo == kBackToTable || backTo == kBackToReplays ? backTo : std::string();
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadReplayFile(path, &bytes, &why)) {
    why = language::Translate("The replay cannot be read: ") + path + "\n" + why;
  } else if (!LoadReplay(bytes.data(), bytes.size(), kBuildIdentity, &gInfo, &gStream, &why)) {
    why = path + "\n" + why;
  }
  if (!why.empty()) {
    platform::ShowMessage(why.c_str(), kTitle, true);
    if (backToGame) StartGameAfresh();
    std::exit(1);
  }
  if (gInfo.formatVersion >= 2) OfferReplayList((gInfo.flags & kReplayFlagListOffered) != 0);
  OpenReplayViewer(gInfo.gameStart, true);
  SetReplayViewerStop(StopAtViewersWord);
  machine::SetPlaybackEndHandler(StopWatching);
  machine::SetPlaybackWaitFilter(ShouldWait);
  machine::SetPlaybackPresentFilter(ShouldPresent);
  machine::StartPlaying(gStream.data(), gStream.size(), false, gInfo.formatVersion >= 2);
  StartUp();
}

void WatchReplayFromGame(const std::string& path) {
  // The recorded program left for the replay here: a playback ends, and
  // never starts another program.
  if (machine::IsPlayingBack()) machine::StopPlayback("the recorded game went to watch a replay");
  EndReplaySession(0);
  gRestart(path, ReplayListOfTable() ? kBackToTable : kBackToReplays);
  platform::EndProcess();
}

bool IsWatchingReplay() { return machine::IsPlayingBack() && gStream.size() > 0 && !BeforeTheGame(); }

void SetProgramRestarter(void (*restart)(const std::string& replayPath, const std::string& backTo)) {
  gRestart = restart ? restart : RestartByExecuting;
}
