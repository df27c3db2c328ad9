#include "frontend/replay_list.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/replay_recorder.h"
#include "app/replay_watch.h"
#include "data/score_file.h"
#include "frontend/title.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/replay_file.h"
#include "platform/sound_effects.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "world/world_state.h"

namespace {

constexpr int kShownRows = 6;
constexpr int16_t kHeadingY = 70;
constexpr int16_t kRowTop = 120;
constexpr int16_t kRowStep = 42;  // two lines and a gap
constexpr int16_t kRowExit = 390;
constexpr int16_t kCursorX = 8;

struct ListedReplay {
  std::string path;
  ReplayInfo info;
  int place;  // 0..4 when the run stands in the table, else -1
};

bool gOffered = false;
void WatchByDefault(const std::string& path) { WatchReplayFromGame(path); }
void (*gWatch)(const std::string&) = WatchByDefault;
bool gAtTableRuns = false;
std::vector<ListedReplay> gList;

void ListReplays(bool atTableRuns) {
  gList.clear();
  const std::string folder = ReplayFolder();
  for (const StoredReplay& stored : ListStoredReplays(folder)) {
    const ListedReplay r{folder + "/" + stored.name, stored.info, TablePlaceOf(stored.info)};
    if (atTableRuns && r.place < 0) continue;
    gList.push_back(r);
  }
  std::sort(gList.begin(), gList.end(), [&](const ListedReplay& a, const ListedReplay& b) {
    if (atTableRuns) return a.place < b.place;
    if (a.info.recordedAt != b.info.recordedAt) return a.info.recordedAt > b.info.recordedAt;
    return a.path > b.path;
  });
}

std::string RowText(const ListedReplay& r) {
  static const char kDifficulty[] = {'N', 'H', 'E', 'X'};
  char date[16];
  const std::time_t t = std::time_t(r.info.recordedAt);
  std::tm parts;
  localtime_r(&t, &parts);
  std::strftime(date, sizeof date, "%m/%d %H:%M", &parts);
  char stage[8];
  if (r.info.ending == kReplayEndedByEnding) {
    std::snprintf(stage, sizeof stage, "END");
  } else {
    std::snprintf(stage, sizeof stage, "ST%u", unsigned(r.info.stageReached));
  }
  return std::string(date) + " " + stage + " " + (r.info.difficulty < 4 ? kDifficulty[r.info.difficulty] : '?');
}

void DrawReplayList(int first, int cursor) {
  DrawBackground();
  PrintText(100, kHeadingY, 19, 15, language::Translate("REPLAYS"));
  if (gList.empty()) PrintText(80, kRowTop, 15, 7, language::Translate("NO REPLAYS KEPT"));
  for (int row = 0; row < kShownRows && first + row < int(gList.size()); ++row) {
    const ListedReplay& r = gList[size_t(first + row)];
    const int y = kRowTop + kRowStep * row;
    const int colour = first + row == cursor ? 15 : 7;
    if (r.place >= 0) PrintText(kCursorX + 36, y + 4, 19, 14, std::to_string(r.place + 1));
    PrintText(kCursorX + 60, y, 15, colour, RowText(r));
    PrintText(kCursorX + 60, y + 19, 13, colour, FormatScore(r.info.score));
  }
  PrintText(120, kRowExit, 19, 15, language::Translate("EXIT"));
  DrawMenuCursor();
  DrawPresents();
}

}  // namespace

void OfferReplayList(bool offered) { gOffered = offered; }
void SetReplayListWatcher(void (*watch)(const std::string&)) { gWatch = watch ? watch : WatchByDefault; }
bool IsReplayListOffered() { return gOffered; }

bool ReplayListOfTable() { return gAtTableRuns; }

void ShowReplayList(bool atTableRuns) {
  gAtTableRuns = atTableRuns;
  ListReplays(atTableRuns);
  const int16_t savedX = cursorX, savedY = cursorY;
  const int rows = int(gList.size());
  int cursor = rows > 0 ? 0 : rows;  // `rows` is the EXIT row
  int first = 0;
  inputLatch = -1;
  for (;;) {
    frameStartMs = ClockMs();
    ReadInput();
    const bool up = inputY == -1 || KeyPressed(kVkNum8);
    const bool down = inputY == 1 || KeyPressed(kVkNum2);
    const bool back = BombPressed() || KeyPressed(kVkEscape);
    if (inputLatch == 0 && (up || down)) {
      cursor = (cursor + (up ? rows : 1)) % (rows + 1);
      inputLatch = -1;
      RaiseSoundEffect(SoundEffect::MenuMove);
    }
    if (inputLatch == 0 && (back || FirePressed())) RaiseSoundEffect(SoundEffect::MenuConfirm);
    if (inputLatch == 0 && (back || (FirePressed() && cursor == rows))) break;
    if (inputLatch == 0 && FirePressed()) gWatch(gList[size_t(cursor)].path);
    if (!up && !down && !back && !FirePressed() && !KeyPressed(kVkCtrl)) inputLatch = 0;

    if (cursor < rows) {
      if (cursor < first) first = cursor;
      if (cursor >= first + kShownRows) first = cursor - kShownRows + 1;
    }
    cursorX = kCursorX;
    cursorY = int16_t(cursor < rows ? kRowTop + kRowStep * (cursor - first) : kRowExit);
    StepAnimCounters();
    DrawReplayList(first, cursor);
    FinishScreenFrame();
  }
  cursorX = savedX;
  cursorY = savedY;
  inputLatch = -1;
  gList.clear();
}
