// tessivane-headless: runs the game from StartUp on the headless platform,
// driven by a script of inputs on the virtual clock, and writes the state of
// every global as JSON and the play picture as PNG at chosen moments.
// Usage and contract: docs/headless.md.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/pause.h"
#include "app/practice.h"
#include "app/start_request.h"
#include "app/replay_recorder.h"
#include "app/replay_viewer.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/state_digest.h"
#include "app/state_json.h"
#include "app/state_registry.h"
#include "frontend/replay_list.h"
#include "platform/blit.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/posix/program_folder.h"
#include "platform/replay_file.h"
#include "platform/replay_stream.h"
#include "platform/screenshot.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "tools/headless/headless_replay.h"
#include "tools/headless/headless_script.h"
#include "tools/headless/headless_submit.h"
#include "tools/headless/headless_video.h"

namespace {

constexpr int kUsageError = 2;

struct Capture {
  uint32_t at;
  std::string file;
  bool taken;
};

struct Options {
  std::string dir;
  uint32_t seed = 0;
  uint32_t until = 0;
  bool hasUntil = false;
  std::string inputFile;
  std::string dumpFile;
  std::vector<Capture> shots;
  std::vector<Capture> dumps;
  std::string digestFile;
  uint32_t digestEvery = 1000;
  bool record = true;
  std::string replayFile;
  std::vector<uint32_t> seeks;  // seconds of the replay's game, in order
  bool takeOver = false;        // at the last seek, the input script plays on
  bool practice = false;
  PracticeChoice practiceChoice;
  StartAt startAt = StartAt::Title;  // --back-to
  std::string videoFile;
  uint32_t videoScale = 2;
  uint32_t effectsVolume = kDefaultEffectsVolume;
  bool effectsVolumeGiven = false;
  std::string lang;  // "" keeps the original texts
};
Options gOptions;
bool gWriteFailed = false;

[[noreturn]] void Usage(const std::string& why) {
  std::fprintf(
      stderr,
      "tessivane-headless: %s\n"
      "usage: tessivane-headless [--dir DIR] [--seed S] [--until MS] [--input FILE]\n"
      "                          [--dump FILE] [--shot MS:FILE]... [--dump-at MS:FILE]...\n"
      "                          [--digest FILE [--digest-every MS]] [--effects-volume N] [--lang en|ja]\n"
      "                          [--no-record] [--replay FILE] [--video OUT.mp4 [--scale N]]\n"
      "                          [--replay-list] [--replay FILE [--seek S]... [--input VIEWER-KEYS]]\n"
      "                          [--replay FILE --take-over S --input FILE]\n"
      "                          [--practice STAGE[:boss] [--difficulty normal|hard|easy]] [--back-to table|replays]\n"
      "       tessivane-headless --replay-info FILE\n"
      "       tessivane-headless --verify FILE\n"
      "       tessivane-headless --submit URL FILE\n",
      why.c_str());
  std::exit(kUsageError);
}

bool ParseUnsigned(const std::string& s, uint32_t* value) {
  if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long v = std::strtoull(s.c_str(), nullptr, 10);
  if (v > 0xFFFFFFFFull) return false;
  *value = uint32_t(v);
  return true;
}

Capture ParseCapture(const std::string& option, const std::string& arg) {
  const size_t colon = arg.find(':');
  Capture c{0, std::string(), false};
  if (colon == std::string::npos || !ParseUnsigned(arg.substr(0, colon), &c.at) || colon + 1 >= arg.size())
    Usage(option + " takes MS:FILE, got '" + arg + "'");
  c.file = arg.substr(colon + 1);
  return c;
}

void ParseArguments(int argc, char** argv) {
  gOptions.dir = platform::ProgramFolder();
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (opt == "--no-record") {
      gOptions.record = false;
      continue;
    }
    if (opt == "--replay-list") {
      OfferReplayList(true);
      // Choosing a replay ends the run, saying which one (the game would
      // start itself anew on it).
      SetReplayListWatcher([](const std::string& path) {
        std::printf("watch %s\n", path.c_str());
        platform::EndProcess();
      });
      continue;
    }
    if (i + 1 >= argc) Usage("missing value after " + opt);
    const std::string arg = argv[++i];
    if (opt == "--dir") {
      gOptions.dir = arg;
      while (gOptions.dir.size() > 1 && gOptions.dir.back() == '/') gOptions.dir.pop_back();
    } else if (opt == "--seed") {
      if (!ParseUnsigned(arg, &gOptions.seed)) Usage("--seed takes a number 0..4294967295");
    } else if (opt == "--until") {
      if (!ParseUnsigned(arg, &gOptions.until) || gOptions.until == 0)
        Usage("--until takes a number of milliseconds 1..4294967295");
      gOptions.hasUntil = true;
    } else if (opt == "--input") {
      gOptions.inputFile = arg;
    } else if (opt == "--dump") {
      gOptions.dumpFile = arg;
    } else if (opt == "--shot") {
      gOptions.shots.push_back(ParseCapture(opt, arg));
    } else if (opt == "--dump-at") {
      gOptions.dumps.push_back(ParseCapture(opt, arg));
    } else if (opt == "--digest") {
      gOptions.digestFile = arg;
    } else if (opt == "--digest-every") {
      if (!ParseUnsigned(arg, &gOptions.digestEvery) || gOptions.digestEvery == 0)
        Usage("--digest-every takes a number of milliseconds 1..4294967295");
    } else if (opt == "--lang") {
      if (arg != "en" && arg != "ja") Usage("--lang takes en or ja");
      gOptions.lang = arg;
    } else if (opt == "--video") {
      gOptions.videoFile = arg;
    } else if (opt == "--scale") {
      if (!ParseUnsigned(arg, &gOptions.videoScale) || gOptions.videoScale < 1 || gOptions.videoScale > 8)
        Usage("--scale takes a whole factor 1..8");
    } else if (opt == "--replay") {
      gOptions.replayFile = arg;
    } else if (opt == "--seek") {
      uint32_t seconds;
      if (!ParseUnsigned(arg, &seconds) || seconds > 0xFFFFFFFFu / 1000)
        Usage("--seek takes a second of the replay's game 0..4294967");
      gOptions.seeks.push_back(seconds * 1000);
    } else if (opt == "--take-over") {
      uint32_t seconds;
      if (!ParseUnsigned(arg, &seconds) || seconds > 0xFFFFFFFFu / 1000)
        Usage("--take-over takes a second of the replay's game 0..4294967");
      gOptions.takeOver = true;
      gOptions.seeks.push_back(seconds * 1000);
    } else if (opt == "--practice") {
      const std::string stage = arg.substr(0, arg.find(':'));
      const std::string at = arg.size() > stage.size() ? arg.substr(stage.size() + 1) : std::string();
      uint32_t n;
      if (!ParseUnsigned(stage, &n) || n < 1 || n > 8 || (!at.empty() && at != "boss"))
        Usage("--practice takes a stage 1..8, with :boss to start at its boss");
      gOptions.practice = true;
      gOptions.practiceChoice.stage = uint8_t(n);
      gOptions.practiceChoice.boss = !at.empty();
    } else if (opt == "--back-to") {
      if (arg == "table") {
        gOptions.startAt = StartAt::TableReplayList;
      } else if (arg == "replays") {
        gOptions.startAt = StartAt::EscapeReplayList;
      } else {
        Usage("--back-to takes table or replays");
      }
    } else if (opt == "--difficulty") {
      static const char* const kNames[] = {"normal", "hard", "easy"};
      int found = -1;
      for (int d = 0; d < 3; ++d)
        if (arg == kNames[d]) found = d;
      if (found < 0) Usage("--difficulty takes normal, hard or easy");
      gOptions.practiceChoice.difficulty = uint8_t(found);
    } else if (opt == "--effects-volume") {
      gOptions.effectsVolumeGiven = true;
      if (!ParseUnsigned(arg, &gOptions.effectsVolume) || gOptions.effectsVolume > 10)
        Usage("--effects-volume takes a number 0..10");
    } else {
      Usage("unknown option " + opt);
    }
  }
}

// ---- Replays ----------------------------------------------------------------

bool gReplayMismatch = false;

[[noreturn]] void OnReplayEnd(bool mismatch, const char* why) {
  // A seek past the end lands on the replay's last moment instead.
  if (!mismatch && std::strcmp(why, machine::kPlaybackWindowClosed) != 0) ReplayViewerTakesEnd();
  if (mismatch) {
    std::fprintf(stderr, "tessivane-headless: %s: playback stopped: %s\n", gOptions.replayFile.c_str(), why);
    gReplayMismatch = true;
  }
  platform::EndProcess();
}

std::FILE* gDigest = nullptr;
uint32_t gNextDigestAt = 0;
bool gCapturesHeld = false;
size_t gSeeksDone = 0;
void TakeDueCaptures(uint32_t now);

// A seek landed: the next one begins, or after the last the times of the
// captures, the digests and --until count from here.
void LoadScript(uint32_t base);

void OnSeekLanded(uint32_t) {
  if (++gSeeksDone < gOptions.seeks.size()) {
    SeekReplay(gOptions.seeks[gSeeksDone]);
    return;
  }
  const uint32_t base = headless::Clock();
  if (gOptions.takeOver) {
    if (!TakeOverReplay()) {
      std::fprintf(stderr, "tessivane-headless: %s: the game is not in play at second %u\n",
                   gOptions.replayFile.c_str(), gOptions.seeks.back() / 1000);
      std::exit(kUsageError);
    }
    // The script plays on from here, its times counted from the take-over.
    LoadScript(base);
  }
  for (Capture& c : gOptions.shots) c.at += base;
  for (Capture& c : gOptions.dumps) c.at += base;
  gNextDigestAt += base;
  if (gOptions.hasUntil) headless::SetStopTime(base + gOptions.until);
  gCapturesHeld = false;
  TakeDueCaptures(base);
}

// With an input script or seeks, the replay plays in the viewer: the
// script's keys are the viewer's (pause, step, speed, seek), and the seeks
// are made in order once the replay's game has started.
void OpenViewer(const ReplayInfo& info) {
  OpenReplayViewer(info.gameStart, !gOptions.inputFile.empty() && !gOptions.takeOver);
  machine::SetPlaybackWaitFilter(ReplayViewerShouldWait);
  machine::SetPlaybackPresentFilter(ReplayViewerShouldPresent);
  if (gOptions.seeks.empty()) return;
  gCapturesHeld = true;
  SetReplayLandingHandler(OnSeekLanded);
  SeekReplay(gOptions.seeks[0]);
}

// A replay holds its game only: the virtual clock moves on to where the
// recorded run's game began, so that the times of the run are the recorded
// ones. The digest moments in between belong to what the replay left out;
// pictures and dumps due in between are taken of the game's start.
void OnGameStartPlayed(uint32_t clockMs) {
  const uint32_t from = headless::Clock();
  if (int32_t(clockMs - from) <= 0) return;
  if (gOptions.hasUntil && gOptions.seeks.empty() && int32_t(clockMs - gOptions.until) >= 0) {
    headless::SetClock(gOptions.until);
    throw headless::StopReached{};
  }
  headless::SetClock(clockMs);
  while (gDigest && int32_t(gNextDigestAt - clockMs) <= 0) gNextDigestAt += gOptions.digestEvery;
  if (!gCapturesHeld) TakeDueCaptures(clockMs);
}

// Loads the replay and plays it back in place of a script: the headless
// machine is still asked everything (its answers dropped), and its dialogs are
// answered as the replay's were, so the dump reads as the recorded run's did.
void LoadReplay() {
  ReplayInfo info;
  std::string why;
  std::vector<uint8_t> bytes;
  const bool viewer = !gOptions.seeks.empty() || !gOptions.inputFile.empty();
  if (!ReadReplayFile(gOptions.replayFile, &bytes, &why) ||
      !StartReplayPlayback(bytes, !gOptions.hasUntil && !viewer, OnReplayEnd, &info, &why)) {
    std::fprintf(stderr, "tessivane-headless: %s: %s\n", gOptions.replayFile.c_str(), why.c_str());
    std::exit(kReplayRefused);
  }
  SetGameStartPlayedHandler(OnGameStartPlayed);
  if (viewer) OpenViewer(info);
}

// The input script, its times from `base` of the headless clock.
void LoadScript(uint32_t base) {
  if (gOptions.inputFile.empty()) return;
  std::FILE* in = files::OpenFile(gOptions.inputFile, "rb");
  if (!in) Usage("cannot read the input script " + gOptions.inputFile);
  std::string text;
  char block[4096];
  for (size_t n; (n = std::fread(block, 1, sizeof block, in)) > 0;) text.append(block, n);
  const bool readWhole = !std::ferror(in);
  std::fclose(in);
  if (!readWhole) Usage("cannot read the input script " + gOptions.inputFile);
  Script script;
  std::string error;
  if (!ParseScript(text, gOptions.inputFile, &script, &error)) {
    std::fprintf(stderr, "tessivane-headless: %s\n", error.c_str());
    std::exit(kUsageError);
  }
  for (const ScriptKey& k : script.keys) headless::HoldKey(k.vk, k.from + base, k.to + base);
  if (!script.joy.empty()) headless::SetJoystickPresent(true);
  for (const ScriptJoy& j : script.joy) headless::SetJoystick(j.from + base, j.to + base, j.state);
  for (bool yes : script.answers) headless::QueueAnswer(yes);
  for (const ScriptName& n : script.names) {
    if (n.accept) {
      headless::QueueName(n.text);
    } else {
      headless::QueueNameCancel();
    }
  }
  for (uint32_t at : script.closes) headless::RequestCloseAt(at + base);
  for (uint32_t at : script.terms) headless::RequestTerminationAt(at + base);
  for (const auto& u : script.unfocused) headless::SetUnfocused(u.first + base, u.second + base);
}

// ---- JSON ---------------------------------------------------------------------

// Calls `emit(name, json)` for every member of the dump but the clock, in the
// dump's order.
template <typename Emit>
void ForEachMember(Emit emit) {
  std::string value;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    value.clear();
    AppendStateEntry(value, e);
    emit(e.name, value);
  }
  emit("framesPresented", std::to_string(headless::PresentCount()));
  // Only during practice, so that the dumps of the game's own modes stay as they were.
  if (InPractice()) emit("practice", PracticeTookOver() ? "\"took over\"" : "\"menu\"");
  value = "{";
  for (int i = 0; i < kSettingAllCount; ++i) {
    // A later setting shows only once set, so that older dumps stay as they were.
    if (IsLaterSetting(i) && IsAtDefault(SettingId(i))) continue;
    value += value.size() > 1 ? ", " : "";
    AppendJsonString(value, kSettingRows[i].name);
    value += ": ";
    if (kSettingRows[i].kind == SettingKind::Number) {
      value += std::to_string(Setting(SettingId(i)));
    } else {
      AppendJsonString(value, SettingText(SettingId(i)));
    }
  }
  value += "}";
  emit("settings", value);
  value = "[";
  bool first = true;
  for (const headless::Message& m : headless::Messages()) {
    value += first ? "\n    {\"kind\": " : ",\n    {\"kind\": ";
    first = false;
    AppendJsonString(value, m.kind);
    value += ", \"text\": ";
    AppendJsonString(value, m.text);
    value += ", \"title\": ";
    AppendJsonString(value, m.title);
    value += m.critical ? ", \"critical\": true" : ", \"critical\": false";
    value += ", \"answer\": ";
    AppendJsonString(value, m.answer);
    value += '}';
  }
  value += first ? "]" : "\n  ]";
  emit("messageBoxes", value);
  value = "[";
  first = true;
  for (const std::string& c : headless::MusicCommands()) {
    value += first ? "\n    " : ",\n    ";
    first = false;
    AppendJsonString(value, c);
  }
  value += first ? "]" : "\n  ]";
  emit("musicCommands", value);
  value = "[";
  first = true;
  for (const headless::SoundEffectRecord& r : headless::SoundEffects()) {
    value += first ? "\n    {\"name\": " : ",\n    {\"name\": ";
    first = false;
    AppendJsonString(value, SoundEffectName(r.effect));
    value += ", \"frame\": " + std::to_string(r.frame) + "}";
  }
  value += first ? "]" : "\n  ]";
  emit("soundEffects", value);
}

std::string StateJson() {
  std::string out = "{\n";
  bool clockWritten = false;
  ForEachMember([&](const char* name, const std::string& value) {
    if (!clockWritten && std::strcmp(name, "framesPresented") == 0) {
      out += "  \"virtualClockMs\": " + std::to_string(headless::Clock()) + ",\n";
      clockWritten = true;
    }
    out += "  ";
    AppendJsonString(out, name);
    out += ": ";
    out += value;
    out += ",\n";
  });
  out.resize(out.size() - 2);  // the last member's ","
  out += "\n}\n";
  return out;
}

// ---- Digests --------------------------------------------------------------------
// A digest of the state every --digest-every ms: one line "@MS" per moment,
// then "NAME HASH" for each dump member whose value changed since the moment
// before (all of them at the first), HASH being the FNV-1a hash of the
// member's JSON text. Long runs can be compared member by member at little
// cost; see tests/golden.

std::vector<std::pair<std::string, uint32_t>> gDigestLast;

void WriteDigest(uint32_t at) {
  std::fprintf(gDigest, "@%u\n", at);
  size_t index = 0;
  ForEachMember([&](const char* name, const std::string& value) {
    const uint32_t h = TextDigest(value);
    if (index >= gDigestLast.size()) gDigestLast.emplace_back(name, h ^ 1u);
    auto& last = gDigestLast[index++];
    if (last.second != h || last.first != name) {
      last = {name, h};
      std::fprintf(gDigest, "%s %08x\n", name, h);
    }
  });
}

void TakeDueDigests(uint32_t now) {
  if (!gDigest || gCapturesHeld) return;
  while (gNextDigestAt <= now) {
    WriteDigest(gNextDigestAt);
    if (gNextDigestAt > UINT32_MAX - gOptions.digestEvery) {
      gDigest = nullptr;  // no moment left on the clock
      return;
    }
    gNextDigestAt += gOptions.digestEvery;
  }
}

void WriteDump(const std::string& file) {
  const std::string json = StateJson();
  std::FILE* f = files::OpenFile(file, "wb");
  // fclose flushes: a full disk may show only there.
  const bool written = f && std::fwrite(json.data(), 1, json.size(), f) == json.size();
  if (!(f && std::fclose(f) == 0 && written)) {
    std::fprintf(stderr, "tessivane-headless: cannot write %s\n", file.c_str());
    gWriteFailed = true;
  }
}

// ---- Pictures -----------------------------------------------------------------

uint32_t gBlank[kScreenWidth * kScreenHeight];

void WriteShot(const std::string& file) {
  // Before the surfaces exist the picture is black.
  uint32_t* pixels = scrmain.pixels ? scrmain.pixels : gBlank;
  const int w = kScreenWidth, h = kScreenHeight;
  Surface picture;
  picture.pixels = pixels;
  picture.width = w;
  picture.height = h;
  const std::vector<uint8_t> png = EncodePng(picture);
  int error = 0;
  if (!files::ReplaceFileAtomically(file, png.data(), png.size(), &error)) {
    std::fprintf(stderr, "tessivane-headless: cannot write %s\n", file.c_str());
    gWriteFailed = true;
  }
}

void TakeDueCaptures(uint32_t now) {
  if (gCapturesHeld) return;
  for (Capture& c : gOptions.shots)
    if (!c.taken && c.at <= now) {
      WriteShot(c.file);
      c.taken = true;
    }
  for (Capture& c : gOptions.dumps)
    if (!c.taken && c.at <= now) {
      WriteDump(c.file);
      c.taken = true;
    }
}

// ---- Video ---------------------------------------------------------------------

bool gVideoOpen = false;
size_t gMusicCommandsSeen = 0;

void AddVideoUntil(uint32_t from, uint32_t to) {
  if (!gVideoOpen) return;
  // The music commands given since the last move were given at `from`.
  const std::vector<std::string>& commands = headless::MusicCommands();
  for (; gMusicCommandsSeen < commands.size(); ++gMusicCommandsSeen)
    PlayVideoMusicCommand(from, commands[gMusicCommandsSeen]);
  AddVideoFramesUntil(to, scrmain.pixels ? scrmain.pixels : gBlank);
}

void OnClockMoved(uint32_t from, uint32_t to) {
  AddVideoUntil(from, to);
  TakeDueCaptures(to);
  TakeDueDigests(to);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--replay-info") == 0) return PrintReplayInfo(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--verify") == 0) {
    return VerifyReplay(argv[2], platform::ProgramFolder());
  }
  if (argc >= 2 && std::strcmp(argv[1], "--submit") == 0) {
    if (argc != 4) Usage("--submit takes URL FILE");
    return SubmitReplay(argv[2], argv[3]);
  }
  ParseArguments(argc, argv);
  headless::Reset();
  headless::SetBaseDirectory(gOptions.dir);
  headless::SetSeed(gOptions.seed);
  if (gOptions.effectsVolumeGiven) OverrideSetting(kSettingEffectsVolume, int32_t(gOptions.effectsVolume));
  // The language plays the locale's part: the automatic choice follows it.
  if (gOptions.lang == "en") language::SetSystemLocale("en_US.UTF-8");
  if (gOptions.lang == "ja") language::SetSystemLocale("ja_JP.UTF-8");
  if (gOptions.takeOver && (gOptions.seeks.size() != 1 || gOptions.replayFile.empty() || gOptions.inputFile.empty()))
    Usage("--take-over goes with --replay and --input, without --seek");
  if (gOptions.takeOver && !gOptions.videoFile.empty()) Usage("--take-over and --video cannot go together");
  if (gOptions.practice && !gOptions.replayFile.empty()) Usage("--practice and --replay cannot go together");
  if (gOptions.practiceChoice.difficulty != 0 && !gOptions.practice) Usage("--difficulty goes with --practice");
  if (gOptions.hasUntil && gOptions.seeks.empty()) headless::SetStopTime(gOptions.until);
  if (!gOptions.seeks.empty() && gOptions.replayFile.empty()) Usage("--seek goes with --replay");
  if (!gOptions.seeks.empty() && !gOptions.videoFile.empty()) Usage("--seek and --video cannot go together");
  if (gOptions.practice) AskToStartAt(StartAt::Practice, gOptions.practiceChoice);
  if (gOptions.startAt != StartAt::Title) AskToStartAt(gOptions.startAt);
  if (!gOptions.replayFile.empty()) {
    LoadReplay();
  } else {
    SetReplayRecording(gOptions.record);
  }
  if (!gOptions.takeOver) LoadScript(0);
  std::FILE* digest = nullptr;
  if (!gOptions.digestFile.empty()) {
    digest = files::OpenFile(gOptions.digestFile, "wb");
    if (!digest) {
      std::fprintf(stderr, "tessivane-headless: cannot write %s\n", gOptions.digestFile.c_str());
      return 1;
    }
    gDigest = digest;
    gNextDigestAt = gOptions.digestEvery;
  }
  if (!gOptions.videoFile.empty()) {
    std::string why;
    if (!OpenVideo(gOptions.videoFile, int(gOptions.videoScale), &why)) {
      std::fprintf(stderr, "tessivane-headless: %s\n", why.c_str());
      return 1;
    }
    gVideoOpen = true;
  }
  headless::SetClockObserver(OnClockMoved);

  try {
    StartUp();
  } catch (const headless::StopReached&) {
    // ran to --until: a game in progress is kept as it stands
    EndReplaySession(headless::Clock());
  } catch (const headless::ProcessEnded& end) {
    // The program ended itself. A start-up refusal, which ends the real game
    // with a failing status, is told on stderr; the run itself succeeded.
    if (end.status != 0) std::fprintf(stderr, "tessivane-headless: the game ended with status %d\n", end.status);
    EndReplaySession(0);
  }
  headless::SetClockObserver(nullptr);
  if (gVideoOpen) {
    AddVideoUntil(headless::Clock(), headless::Clock());
    std::string why;
    if (!CloseVideo(&why)) {
      std::fprintf(stderr, "tessivane-headless: %s: %s\n", gOptions.videoFile.c_str(), why.c_str());
      gWriteFailed = true;
    }
  }

  TakeDueCaptures(headless::Clock());
  for (const Capture& c : gOptions.shots)
    if (!c.taken)
      std::fprintf(stderr, "tessivane-headless: %s not written: the run ended before %u ms\n", c.file.c_str(),
                   c.at);
  for (const Capture& c : gOptions.dumps)
    if (!c.taken)
      std::fprintf(stderr, "tessivane-headless: %s not written: the run ended before %u ms\n", c.file.c_str(),
                   c.at);
  if (!gOptions.dumpFile.empty()) WriteDump(gOptions.dumpFile);
  if (digest && (std::ferror(digest) || std::fclose(digest) != 0)) {
    std::fprintf(stderr, "tessivane-headless: cannot write %s\n", gOptions.digestFile.c_str());
    gWriteFailed = true;
  }
  if (gReplayMismatch) return kReplayRefused;
  return gWriteFailed ? 1 : 0;
}
