#include "app/replay_viewer.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/practice.h"
#include "app/state_snapshot.h"
#include "app/viewer_overlays.h"
#include "enemies/stage_flow.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/music.h"
#include "platform/screenshot.h"
#include "platform/sound_effects.h"
#include "presentation/renderer.h"
#include "world/world_state.h"

namespace {

// The speeds in order: 1/4, 1/2, 1, 2, 4, 8 and as fast as the machine
// allows.
constexpr int kSpeedCount = 7;
constexpr int kNormalSpeed = 2;
constexpr int kSpeedUnbounded = 6;

// The start of a stage or a boss playback has passed.
struct ReplayMark {
  uint32_t ms;
  uint8_t stage;
  bool boss;
};

struct KeptSnapshot {
  uint32_t ms;
  StateSnapshot snapshot;
};

constexpr uint32_t kSpeedTenths[kSpeedCount] = {25, 50, 100, 200, 400, 800, 0};  // in 1/100
constexpr const char* kSpeedNames[kSpeedCount] = {"1/4", "1/2", "1", "2", "4", "8", "max"};
constexpr uint32_t kSeekStepMs = 5000;
constexpr uint32_t kBeyondAnyReplayMs = 0xFFFFFFF0u;
constexpr uint32_t kUnboundedShowEveryMs = 33;
constexpr uint32_t kHelpShownMs = 6000;
constexpr uint32_t kBarAfterKeyMs = 1500;

bool gOpen = false;
bool gKeys = false;
uint64_t gGameStart = 0;
bool gStarted = false;
uint32_t gStartClock = 0;
uint32_t gNow = 0;

std::vector<KeptSnapshot> gSnapshots;
std::vector<ReplayMark> gMarks;
bool gExploredAny = false;
uint32_t gExplored = 0;
uint8_t gLastStage = 0;
uint8_t gLastPhase = 0;

bool gSeeking = false;
uint32_t gTarget = 0;
bool gPendingSeek = false;
uint32_t gPendingTarget = 0;

// With keys, the whole replay is first run through unseen, so that the bar
// and the stage keys know every stage and boss, then the game starts again.
bool gScanning = false;
bool gPaused = false;
bool gStep = false;
int gSpeed = kNormalSpeed;
uint32_t gFrame = 0;
uint32_t gLastShownWallMs = 0;
uint32_t gOpenedWallMs = 0;
uint32_t gLastKeyWallMs = 0;
bool gWasDown[256];

void (*gOnLanding)(uint32_t) = nullptr;

// The viewer's own time (the bar, the help), not a reading of the game.
uint32_t WallMs() { return platform::ReadClockMs(); }
void (*gStop)() = nullptr;

const KeptSnapshot* LatestAtOrBefore(uint32_t ms) {
  const KeptSnapshot* best = nullptr;
  for (const KeptSnapshot& k : gSnapshots) {
    if (k.ms > ms) break;
    best = &k;
  }
  return best;
}

// A seek runs on with nothing drawn or heard; drawing comes back for its last
// passes, so that the picture at the landing is the one the game showed.
constexpr uint32_t kDrawAheadMs = 150;
bool gDrawingHeld = false;
bool gSoundHeld = false;
bool gDrawingStill = false;
// Back from a take-over: the picture of the moment is drawn at the next pass.
bool gShowStill = false;

void HoldOutputs() {
  if (!gDrawingHeld) SetDrawingSkipped(true);
  if (!gSoundHeld) {
    SilenceMusic(true);
    SilenceSoundEffects(true);
  }
  gDrawingHeld = gSoundHeld = true;
}

void DrawAgain() {
  if (!gDrawingHeld) return;
  gDrawingHeld = false;
  SetDrawingSkipped(false);
  // Nothing was drawn while held: the background is built again.
  RebuildBackground(BuiltBackground());
}

void SoundAgain() {
  if (!gSoundHeld) return;
  gSoundHeld = false;
  SilenceMusic(false);
  SilenceSoundEffects(false);
}

// The picture of the game as it stands, when a seek landed with no pass
// drawn on the way (a snapshot restored right at the target): drawn as the
// pass would, then the state the drawing moved (its frame counters) put back.
void DrawStillPicture() {
  if (gameMode == kModeLeaveForTitle) return;
  StateSnapshot now;
  TakeSnapshot(&now);
  gDrawingStill = true;
  // What the drawing reads (the clock of its frame counter) is answered
  // without the stream or the machine.
  machine::HoldReadings(true);
  RenderFrame();
  machine::HoldReadings(false);
  gDrawingStill = false;
  RestoreSnapshot(now);
}

void BeginSeek(uint32_t target);

// At a pass top, the seek has come: the landing is told, and a seek it asks
// for begins at once.
void Land() {
  if (gDrawingHeld) {
    DrawAgain();
    DrawStillPicture();
  }
  SoundAgain();
  gSeeking = false;
  if (gScanning) {
    gScanning = false;
    gPaused = false;
    gOpenedWallMs = WallMs();
    BeginSeek(0);
    return;
  }
  if (gOnLanding) gOnLanding(gNow);
  if (gPendingSeek) {
    gPendingSeek = false;
    BeginSeek(gPendingTarget);
  }
}

// At a pass top: the first pass beyond what playback has seen before notes
// the stage and boss starts and keeps a snapshot every kSnapshotEveryMs.
void Explore() {
  if (gExploredAny && gNow <= gExplored) return;
  if (stageNo >= 1 && stageNo <= 8 && stageNo != gLastStage && InPlayMode()) {
    gMarks.push_back({gNow, stageNo, false});
    gLastStage = stageNo;
  }
  if (battlePhase == kBattleBoss && gLastPhase != kBattleBoss) gMarks.push_back({gNow, stageNo, true});
  gLastPhase = battlePhase;
  if (gSnapshots.empty() || (InPlayMode() && gNow >= gSnapshots.back().ms + kSnapshotEveryMs)) {
    gSnapshots.push_back({gNow, StateSnapshot{}});
    TakeSnapshot(&gSnapshots.back().snapshot);
  }
  gExplored = gNow;
  gExploredAny = true;
}

// At a pass top: goes to `target` (restoring the nearest snapshot when that
// is shorter than playing on), landing now or after an unseen run.
void BeginSeek(uint32_t target) {
  // A snapshot a little before the target, so that the last passes are drawn.
  const KeptSnapshot* best = LatestAtOrBefore(target > kDrawAheadMs ? target - kDrawAheadMs : 0);
  if (best && (target < gNow || best->ms > gNow)) {
    HoldOutputs();
    RestoreSnapshot(best->snapshot);
    gNow = best->ms;
  }
  gTarget = target < gNow ? gNow : target;
  if (gNow >= gTarget) return Land();
  HoldOutputs();
  if (gTarget <= gNow + kDrawAheadMs) DrawAgain();
  gSeeking = true;
}

// A press since the last look (a tap between two looks counts too).
bool KeyPressedNow(int vk) {
  const bool pressed = platform::QueryKey(vk) && !gWasDown[vk & 0xFF];
  gWasDown[vk & 0xFF] = platform::IsKeyDown(vk);
  if (pressed) gLastKeyWallMs = WallMs();
  return pressed;
}

void SeekToMark(bool forward) {
  if (forward) {
    for (const ReplayMark& m : gMarks)
      if (m.ms > gNow) return BeginSeek(m.ms);
    return BeginSeek(gExplored + kSnapshotEveryMs);  // beyond what was seen: on to find the next
  }
  const ReplayMark* previous = nullptr;
  // A little slack: a press just after a mark goes to the one before.
  for (const ReplayMark& m : gMarks)
    if (m.ms + 1000 < gNow) previous = &m;
  BeginSeek(previous ? previous->ms : 0);
}

void SeekToStage(uint8_t stage, bool boss) {
  for (const ReplayMark& m : gMarks)
    if (m.stage == stage && m.boss == boss) return BeginSeek(m.ms);
}

// The viewer's keys, read from the keyboard as it is now.
void ReadKeys() {
  if (KeyPressedNow(kVkEscape) && gStop) gStop();
  if (KeyPressedNow('T') && TakeOverReplay()) {
    gPaused = false;
    return;
  }
  if (KeyPressedNow(kVkP)) gPaused = !gPaused;
  if (KeyPressedNow('N') && gPaused) gStep = true;
  if (KeyPressedNow(kVkUp) && gSpeed + 1 < kSpeedCount) ++gSpeed;
  if (KeyPressedNow(kVkDown) && gSpeed > 0) --gSpeed;
  if (KeyPressedNow('I')) ToggleInputDisplay();
  if (KeyPressedNow(kVkH)) ToggleHitBoxes();
  if (KeyPressedNow(kVkLeft)) return BeginSeek(gNow > kSeekStepMs ? gNow - kSeekStepMs : 0);
  if (KeyPressedNow(kVkRight)) return BeginSeek(gNow + kSeekStepMs);
  if (KeyPressedNow('J')) return SeekToMark(false);
  if (KeyPressedNow('K')) return SeekToMark(true);
  if (KeyPressedNow('0')) return BeginSeek(0);
  const bool shift = platform::IsKeyDown(kVkShift);
  for (int stage = 1; stage <= 8; ++stage)
    if (KeyPressedNow('0' + stage)) return SeekToStage(uint8_t(stage), shift);
}

bool FastForwardHeld() { return gKeys && platform::IsKeyDown(kVkSpace); }

int FramesPerPicture() {
  if (FastForwardHeld()) return 4;
  return gSpeed > kNormalSpeed && gSpeed != kSpeedUnbounded ? int(kSpeedTenths[gSpeed] / 100) : 1;
}

// While paused at a pass top: the picture is shown again with the bar, and
// the keys are read, until the viewer plays, steps or seeks.
void HoldPaused() {
  while (gOpen && gPaused && !gStep && !gSeeking && machine::IsPlayingBack()) {
    for (;;) {
      const platform::WindowEvent e = platform::PollWindowEvent();
      if (e == platform::WindowEvent::None) break;
      if (e == platform::WindowEvent::CloseRequested && gStop) gStop();
      ActOutsideTheGame(e);  // a termination signal ends the game while paused too
    }
    ReadKeys();
    if (!gPaused || gStep || gSeeking) break;
    PresentWithNotice(scrmain);
    platform::Idle(16);
  }
}

std::string ClockText(uint32_t ms) {
  const uint32_t s = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u", s / 60, s % 60);
  return text;
}

void Fill(Surface& s, int x0, int y0, int x1, int y1, uint32_t rgb) {
  for (int y = y0 < 0 ? 0 : y0; y < y1 && y < s.height; ++y)
    for (int x = x0 < 0 ? 0 : x0; x < x1 && x < s.width; ++x) s.pixels[y * s.width + x] = rgb;
}

constexpr int kBarHeight = 30;
constexpr int kHelpPoints = 9;

// The bar along the bottom: the time line with the stage (white) and boss
// (red) starts, where the game stands, the time, the speed.
void DrawBar(Surface& s) {
  const int top = s.height - kBarHeight;
  DarkenArea(s, 0, top, s.width, s.height);
  const int left = 6, right = s.width - 6, lineY = top + 8;
  const uint32_t span = gExplored > gNow ? gExplored : (gNow > 0 ? gNow : 1);
  auto xAt = [&](uint32_t ms) { return left + int(int64_t(right - left) * (ms > span ? span : ms) / span); };
  Fill(s, left, lineY, right, lineY + 2, 0x606060);
  Fill(s, left, lineY, xAt(gNow), lineY + 2, 0xC0C0C0);
  for (const ReplayMark& m : gMarks)
    Fill(s, xAt(m.ms), lineY - 4, xAt(m.ms) + 1, lineY + 6, m.boss ? 0xFF4040 : 0xFFFFFF);
  Fill(s, xAt(gNow) - 1, lineY - 5, xAt(gNow) + 2, lineY + 7, 0xFFFF00);
  std::string text = ClockText(gNow) + " / " + ClockText(gExplored) + "   x" + std::string(kSpeedNames[gSpeed]);
  if (gPaused) text += std::string("   ") + language::Translate(language::TranslatedLater("PAUSED"));
  platform::DrawText(s, left, lineY + 7, kHelpPoints, 0xFFFFFF, text);
}

void DrawHelp(Surface& s) {
  static const char* const kLines[] = {
      language::TranslatedLater("P pause, N one frame, Up/Down speed"),
      language::TranslatedLater("Left/Right 5 s, J/K last/next stage or boss"),
      language::TranslatedLater("1-8 a stage, Shift+1-8 its boss, 0 the start"),
      language::TranslatedLater("Space held fast, T take over, Esc leave"),
      language::TranslatedLater("I input display, H hit boxes"),
  };
  constexpr int kLineCount = int(sizeof kLines / sizeof kLines[0]);
  const int lineHeight = kHelpPoints + 4;
  const int top = s.height - kBarHeight - 4 - lineHeight * kLineCount;
  DarkenArea(s, 0, top - 2, s.width, s.height - kBarHeight);
  for (int i = 0; i < kLineCount; ++i)
    platform::DrawText(s, 6, top + lineHeight * i, kHelpPoints, 0xE0E0E0, language::Translate(kLines[i]));
}

bool DrawOverlay(Surface& s) {
  if (!gOpen || !gKeys || !gStarted || gSeeking || !machine::IsPlayingBack()) return false;
  const bool overlays = DrawViewerOverlays(s);
  const uint32_t now = WallMs();
  const bool helping = gPaused || now - gOpenedWallMs < kHelpShownMs;
  const bool barShown = helping || now - gLastKeyWallMs < kBarAfterKeyMs;
  if (!barShown) return overlays;
  if (helping) DrawHelp(s);
  DrawBar(s);
  return true;
}

}  // namespace

void OpenReplayViewer(uint64_t gameStart, bool keys) {
  gOpen = true;
  gKeys = keys;
  gGameStart = gameStart;
  gStarted = false;
  gNow = 0;
  gSnapshots.clear();
  gMarks.clear();
  gExploredAny = false;
  gExplored = 0;
  gLastStage = 0;
  gLastPhase = 0;
  gSeeking = gPendingSeek = gPaused = gStep = false;
  gSpeed = kNormalSpeed;
  gFrame = 0;
  for (bool& d : gWasDown) d = false;
  ResetViewerOverlays();
  if (keys) SetPresentOverlay(DrawOverlay);
}

void CloseReplayViewer() {
  if (!gOpen) return;
  DrawAgain();
  SoundAgain();
  gOpen = gSeeking = gPendingSeek = gPaused = false;
  gSnapshots.clear();
  gSnapshots.shrink_to_fit();
  if (gKeys) SetPresentOverlay(nullptr);
}

void ReplayViewerPassBegins() {
  if (!gOpen || !machine::IsPlayingBack()) return;
  if (!gStarted) {
    if (machine::PlayedSize() < gGameStart) return;
    gStarted = true;
    gStartClock = machine::PlayedClockMs();
    if (gKeys) {
      gScanning = true;
      SeekReplay(kBeyondAnyReplayMs);
    }
  }
  gNow = machine::PlayedClockMs() - gStartClock;
  Explore();
  if (gPendingSeek) {
    gPendingSeek = false;
    BeginSeek(gPendingTarget);
  }
  if (gSeeking) {
    if (gTarget <= gNow + kDrawAheadMs) DrawAgain();
    if (gNow < gTarget) return;
    Land();
  }
  if (gShowStill) {
    gShowStill = false;
    DrawStillPicture();
  }
  if (!gKeys) return;
  gStep = false;
  ReadKeys();
  if (!gSeeking) HoldPaused();
}

bool ReplayViewerShouldWait(uint32_t ms) {
  if (!gOpen || !gStarted) return true;
  if (gSeeking || gPendingSeek) return false;
  if (gSpeed == kSpeedUnbounded && !FastForwardHeld()) return false;
  if (gSpeed < kNormalSpeed && !FastForwardHeld()) {
    platform::Idle(ms * (100 / kSpeedTenths[gSpeed] - 1));
    return true;
  }
  return gFrame % FramesPerPicture() == 0;
}

bool ReplayViewerShouldPresent() {
  if (gDrawingStill) return false;
  if (gOpen && gStarted) NoteFrameInput();
  ++gFrame;
  if (!gOpen || !gStarted) return true;
  if (gSeeking) return false;
  if (gSpeed == kSpeedUnbounded && !FastForwardHeld()) {
    const uint32_t now = WallMs();
    if (now - gLastShownWallMs < kUnboundedShowEveryMs) return false;
    gLastShownWallMs = now;
    return true;
  }
  return gFrame % FramesPerPicture() == 0;
}

bool ReplayViewerTakesEnd() {
  if (!gOpen || !gStarted || (!gSeeking && !gPendingSeek) || gSnapshots.empty()) return false;
  // A seek past the end lands on the last pass playback saw.
  gPendingSeek = false;
  const KeptSnapshot* best = LatestAtOrBefore(gExplored > kDrawAheadMs ? gExplored - kDrawAheadMs : 0);
  HoldOutputs();
  RestoreSnapshot(best->snapshot);
  gNow = best->ms;
  gTarget = gExplored;
  gSeeking = true;
  if (gKeys) gPaused = true;
  throw MainLoopEntry{};
}

void SeekReplay(uint32_t ms) {
  gPendingSeek = true;
  gPendingTarget = ms;
}

void ReplayViewerBackFromTakeOver() {
  if (!gOpen) return;
  gPaused = gKeys;
  gStep = false;
  gSeeking = gPendingSeek = false;
  gShowStill = true;
}

void SetReplayLandingHandler(void (*onLanding)(uint32_t)) { gOnLanding = onLanding; }
void SetReplayViewerStop(void (*stop)()) { gStop = stop; }

std::string ReplayViewerSpeedLabel() {
  if (FastForwardHeld()) return "4";
  return gSpeed == kNormalSpeed ? std::string() : kSpeedNames[gSpeed];
}

size_t ReplayViewerSnapshotBytes(size_t* count) {
  *count = gSnapshots.size();
  size_t bytes = 0;
  for (const KeptSnapshot& k : gSnapshots) {
    bytes += sizeof k + k.snapshot.values.size() + k.snapshot.music.tune.size();
    for (const std::string& text : k.snapshot.strings) bytes += sizeof text + text.size();
  }
  return bytes;
}
