#include "tools/headless/headless_replay.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/printable_text.h"
#include "app/replay_recorder.h"
#include "app/startup.h"
#include "app/state_json.h"
#include "frontend/replay_list.h"
#include "platform/blit.h"
#include "platform/headless/headless.h"
#include "platform/machine.h"
#include "platform/replay_file.h"
#include "platform/replay_stream.h"

namespace {
std::vector<uint8_t> gReplayStream;
}  // namespace

bool StartReplayPlayback(const std::vector<uint8_t>& bytes, bool keepStopTime, void (*onEnd)(bool, const char*),
                         ReplayInfo* info, std::string* why) {
  if (!::LoadReplay(bytes.data(), bytes.size(), kBuildIdentity, info, &gReplayStream, why)) return false;
  ScanStream(
      gReplayStream.data(), gReplayStream.size(), [](bool yes) { headless::QueueAnswer(yes); },
      [](bool ok, const std::string& name) {
        if (ok) {
          headless::QueueName(name);
        } else {
          headless::QueueNameCancel();
        }
      },
      why);
  why->clear();
  // A recording cut off by --until stops at the same moment.
  if (info->stopClockMs != 0 && keepStopTime) headless::SetStopTime(info->stopClockMs);
  // The table offers the replay list as it did in the recorded program
  // (the game always does; tessivane-headless when asked).
  if (info->formatVersion >= 2) OfferReplayList((info->flags & kReplayFlagListOffered) != 0);
  machine::SetPlaybackEndHandler(onEnd);
  machine::StartPlaying(gReplayStream.data(), gReplayStream.size(), true, info->formatVersion >= 2);
  return true;
}

namespace {

const char* DifficultyName(uint8_t d) {
  static const char* const kNames[] = {"normal", "hard", "easy", "hardest"};
  return d < 4 ? kNames[d] : "?";
}

// Seconds since 1970 as ISO 8601 UTC ("2026-12-10T14:29:00Z").
std::string IsoTime(uint64_t seconds) {
  const std::time_t t = std::time_t(seconds);
  std::tm parts;
  char buf[32];
  if (!gmtime_r(&t, &parts) || std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) return "?";
  return buf;
}

}  // namespace

int PrintReplayInfo(const char* file) {
  std::vector<uint8_t> bytes;
  ReplayInfo info;
  std::string why;
  if (!ReadReplayFile(file, &bytes, &why) || !DecodeReplayInfo(bytes.data(), bytes.size(), &info, &why)) {
    std::fprintf(stderr, "tessivane-headless: %s: %s\n", PrintableText(file).c_str(), PrintableText(why).c_str());
    return kReplayRefused;
  }
  std::vector<uint8_t> stream;
  ReplayInfo whole;
  std::string unplayable;
  const bool playable = ::LoadReplay(bytes.data(), bytes.size(), kBuildIdentity, &whole, &stream, &unplayable);
  static const char* const kEnds[] = {"quit", "game over", "ending"};
  std::printf(
      "build: %s\nplayable: %s\nformat: %u (%s)\nrecorded: %s\ndifficulty: %s\nstart stage: %u\n"
      "stage reached: %u\nended: %s\nscore: %.0f\nplace: %d\nname: %s\npractice: %s\n",
      PrintableText(info.build).c_str(), playable ? "yes" : ("no: " + PrintableText(unplayable)).c_str(),
      unsigned(info.formatVersion), info.formatVersion >= 2 ? "checked by state digests" : "no state digests",
      IsoTime(info.recordedAt).c_str(), DifficultyName(info.difficulty), unsigned(info.startStage),
      unsigned(info.stageReached), info.ending < 3 ? kEnds[info.ending] : "?", double(info.score),
      info.tablePlace == kReplayNoPlace ? 0 : info.tablePlace + 1, PrintableText(info.tableName).c_str(),
      (info.flags & kReplayFlagPractice) ? "yes" : "no");
  return 0;
}

namespace {

// ---- Verifying ------------------------------------------------------------------
// --verify FILE: plays the replay with nothing drawn, shown, heard or written,
// and prints one JSON object saying what the play reached and whether that is
// what the header claims, with every state digest equal. What it prints of
// the game is what playback reached, never the header's word.

std::string gMismatch;

[[noreturn]] void OnVerifyEnd(bool mismatch, const char* why) {
  if (mismatch) gMismatch = why;
  platform::EndProcess();
}

const char* EndingName(uint8_t ending) {
  static const char* const kNames[] = {"quit", "gameOver", "ending"};
  return ending < 3 ? kNames[ending] : "?";
}

// The medals a game earned at its ending, by name in medal order: a whole
// game on normal, the ending, 500000 points, a whole game on hard, on hardest.
std::string MedalNames(uint8_t medalBits) {
  static const char* const kNames[] = {"normalRun", "ending", "score500000", "hardRun", "hardestRun"};
  std::string out = "[";
  for (int k = 0; k < 5; ++k) {
    if (!(medalBits & (1u << k))) continue;
    if (out.size() > 1) out += ", ";
    AppendJsonString(out, kNames[k]);
  }
  return out + "]";
}

void AppendMember(std::string& out, const char* name, const std::string& json) {
  out += out.size() > 1 ? ", " : "";
  AppendJsonString(out, name);
  out += ": " + json;
}
std::string JsonText(const std::string& s) {
  std::string out;
  AppendJsonString(out, s);
  return out;
}

}  // namespace

int VerifyReplay(const std::string& file, const std::string& gameDir) {
  std::string out = "{";
  std::string reason;
  ReplayInfo header;
  ReplayInfo reached;
  uint32_t frames = 0;
  bool played = false;
  std::vector<uint8_t> bytes;
  if (!ReadReplayFile(file, &bytes, &reason)) {
    reason = "damaged: the file " + reason;
  } else if (!DecodeReplayInfo(bytes.data(), bytes.size(), &header, &reason)) {
    reason = "damaged: " + reason;
  } else if (header.build != kBuildIdentity) {
    reason = "other rules: recorded by " + header.build + "; this is " + kBuildIdentity;
  } else {
    headless::Reset();
    headless::SetBaseDirectory(gameDir);
    SetDrawingSkipped(true);
    ReplayInfo loaded;
    if (!StartReplayPlayback(bytes, true, OnVerifyEnd, &loaded, &reason)) {
      reason = "damaged: " + reason;
    } else {
      try {
        StartUp();
      } catch (const headless::StopReached&) {
      } catch (const headless::ProcessEnded&) {
      }
      played = GameAsPlayed(&reached, &frames);
      if (!gMismatch.empty()) {
        reason = "did not verify: " + gMismatch;
      } else if (!played) {
        reason = "the replay holds no game";
      } else {
        // The header's claims against what the play reached.
        char claim[160] = "";
        if (reached.score != header.score) {
          std::snprintf(claim, sizeof claim, "the header claims a score of %.0f; the play reached %.0f",
                        double(header.score), double(reached.score));
        } else if (reached.stageReached != header.stageReached) {
          std::snprintf(claim, sizeof claim, "the header claims stage %u reached; the play reached stage %u",
                        unsigned(header.stageReached), unsigned(reached.stageReached));
        } else if (reached.ending != header.ending) {
          std::snprintf(claim, sizeof claim, "the header claims the game ended by %s; the play ended by %s",
                        EndingName(header.ending), EndingName(reached.ending));
        } else if (reached.tablePlace != header.tablePlace || reached.tableName != header.tableName) {
          std::snprintf(claim, sizeof claim, "the header claims table place %d; the play made place %d",
                        header.tablePlace == kReplayNoPlace ? 0 : header.tablePlace + 1,
                        reached.tablePlace == kReplayNoPlace ? 0 : reached.tablePlace + 1);
        } else if (reached.difficulty != header.difficulty || reached.startStage != header.startStage) {
          std::snprintf(claim, sizeof claim,
                        "the header claims a %s game from stage %u; the play was a %s game from stage %u",
                        DifficultyName(header.difficulty), unsigned(header.startStage),
                        DifficultyName(reached.difficulty), unsigned(reached.startStage));
        } else if ((reached.flags & kReplayFlagPractice) != (header.flags & kReplayFlagPractice)) {
          std::snprintf(claim, sizeof claim, "%s",
                        (header.flags & kReplayFlagPractice) ? "the header claims a practice run; the play was a game"
                                                             : "the header claims a game; the play was a practice run");
        } else if (reached.gameStart != header.gameStart) {
          std::snprintf(claim, sizeof claim, "the header places the game's start otherwise than the play");
        }
        reason = claim;
      }
    }
  }
  const bool verified = reason.empty();
  AppendMember(out, "verified", verified ? "true" : "false");
  if (!verified) AppendMember(out, "reason", JsonText(reason));
  if (header.formatVersion != 0) {
    AppendMember(out, "build", JsonText(header.build));
    AppendMember(out, "recorded", JsonText(IsoTime(header.recordedAt)));
    AppendMember(out, "formatVersion", std::to_string(header.formatVersion));
    AppendMember(out, "practice", (header.flags & kReplayFlagPractice) ? "true" : "false");
  }
  if (played) {
    char number[32];
    std::snprintf(number, sizeof number, "%.0f", double(reached.score));
    AppendMember(out, "difficulty", JsonText(DifficultyName(reached.difficulty)));
    AppendMember(out, "startStage", std::to_string(reached.startStage));
    AppendMember(out, "stageReached", std::to_string(reached.stageReached));
    AppendMember(out, "ending", JsonText(EndingName(reached.ending)));
    AppendMember(out, "medals", MedalNames(MedalsOfGame()));
    AppendMember(out, "score", number);
    AppendMember(out, "place", std::to_string(reached.tablePlace == kReplayNoPlace ? 0 : reached.tablePlace + 1));
    AppendMember(out, "name", JsonText(reached.tableName));
    AppendMember(out, "frames", std::to_string(frames));
    AppendMember(out, "digests", std::to_string(machine::DigestsChecked()));
  }
  out += "}\n";
  std::fputs(out.c_str(), stdout);
  return verified ? 0 : kReplayRefused;
}
