#include "app/replay_recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/online_scores.h"
#include "app/practice.h"
#include "app/state_digest.h"
#include "app/state_snapshot.h"
#include "data/score_file.h"
#include "frontend/replay_list.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/replay_file.h"
#include "platform/replay_stream.h"
#include "world/world_state.h"

namespace {

bool gRecordingWanted = false;
// A game started while recording: its state is kept at the top of its first
// main-loop pass.
bool gStartStateDue = false;
void (*gOnStartPlayed)(uint32_t) = nullptr;
// The game being recorded, or, during playback, the game as played back.
RecorderPlayState gPlay{};

bool Following() { return machine::CurrentMode() != machine::Mode::Live; }

uint8_t CurrentDifficulty() {
  if (revengeFire == 1) return 3;
  if (hardMode == 1) return 1;
  if (easyMode == 1) return 2;
  return 0;
}

// `game` closed where the game stands now, as ended by `ending` (the ending,
// once reached, wins): the stage reached, the score.
void CloseGame(ReplayInfo* game, uint8_t ending) {
  if (stageNo >= 1 && stageNo <= 8 && stageNo > game->stageReached) game->stageReached = stageNo;
  if (game->ending != kReplayEndedByEnding) game->ending = ending;
  game->score = score;
  if (game->ending == kReplayEndedByEnding) game->stageReached = 8;
}

std::string TimeStamp(std::time_t t) {
  std::tm parts;
  gmtime_r(&t, &parts);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &parts);
  return buf;
}

void WriteGame();

// The game ends as `ending`: its outcome is kept, and while recording its
// replay is written.
void EndGame(uint8_t ending, uint32_t stopClockMs) {
  gPlay.inProgress = false;
  gPlay.frames = MainLoopPasses() - gPlay.startPass;
  CloseGame(&gPlay.game, ending);
  gPlay.game.stopClockMs = stopClockMs;
  if (machine::CurrentMode() == machine::Mode::Recording) WriteGame();
}

void WriteGame() {
  const uint8_t* compressed;
  size_t size;
  uint64_t rawSize;
  uint32_t rawCrc;
  // Never a replay the loader would refuse.
  if (!machine::FlushRecording(&compressed, &size, &rawSize, &rawCrc) || rawSize > kMaxReplayRawBytes) {
    std::fprintf(stderr, "Tessivane: this game was too long to keep as a replay\n");
    return;
  }
  const std::string folder = ReplayFolder();
  int error = 0;
  if (folder.empty() || !files::MakeFolders(folder, &error)) {
    std::fprintf(stderr, "Tessivane: no folder for replays (%s)\n", std::strerror(error));
    return;
  }
  const std::vector<uint8_t> bytes = EncodeReplay(gPlay.game, compressed, size, rawSize, rawCrc);
  // One name per game: the date and time, and a number when that is taken.
  const std::string stem = folder + "/" + TimeStamp(std::time_t(gPlay.game.recordedAt));
  std::string path = stem + kReplayExtension;
  for (int n = 2; files::Exists(path) && n < 10000; ++n) path = stem + "-" + std::to_string(n) + kReplayExtension;
  if (!files::ReplaceFileAtomically(path, bytes.data(), bytes.size(), &error)) {
    std::fprintf(stderr, "Tessivane: cannot write the replay %s (%s)\n", path.c_str(), std::strerror(error));
    return;
  }
  KeepReplays(folder, path.substr(folder.size() + 1));
  QueueReplayForSending(path.substr(folder.size() + 1), bytes);
}

}  // namespace

void SetReplayRecording(bool on) { gRecordingWanted = on; }

RecorderPlayState SaveRecorderPlayState() { return gPlay; }
void RestoreRecorderPlayState(const RecorderPlayState& state) { gPlay = state; }

void BeginReplaySession() {
  gPlay.inProgress = false;
  if (gRecordingWanted && !machine::IsPlayingBack() && !machine::StartRecording())
    std::fprintf(stderr, "Tessivane: replays cannot be recorded (no memory for the compressor)\n");
}

void NoteGameStart() {
  if (!Following()) return;
  gPlay.inProgress = true;
  gPlay.seen = true;
  gPlay.startPass = MainLoopPasses();
  gPlay.frames = 0;
  gPlay.medals = 0;
  gPlay.game = ReplayInfo{};
  gPlay.game.build = kBuildIdentity;
  gPlay.game.recordedAt = uint64_t(std::time(nullptr));
  gPlay.game.gameStart = machine::IsPlayingBack() ? machine::PlayedSize() : machine::RecordedSize();
  if (IsReplayListOffered()) gPlay.game.flags |= kReplayFlagListOffered;
  if (InPractice()) gPlay.game.flags |= kReplayFlagPractice;
  gPlay.game.difficulty = CurrentDifficulty();
  gPlay.game.startStage = stageNo;
  gPlay.game.stageReached = stageNo;
  gStartStateDue = machine::CurrentMode() != machine::Mode::Playing;
}

void SetGameStartPlayedHandler(void (*onPlayed)(uint32_t clockMs)) { gOnStartPlayed = onPlayed; }

void NoteMainLoopPass() {
  machine::EndPrologue();
  if (machine::IsPlayingBack()) {
    // A replay of format 3 on: its game starts from the state it holds.
    std::string bytes;
    if (!machine::PlayGameStart(&bytes)) return;
    StateSnapshot state;
    if (!DecodeSnapshot(bytes, &state))
      machine::RefusePlayback("the game's state at its start does not fit this build");
    RestoreSnapshotState(state);
    gPlay.game.gameStart = machine::PlayedSize();
    if (gOnStartPlayed) gOnStartPlayed(machine::PlayedClockMs());
    return;
  }
  if (!gStartStateDue || !gRecordingWanted) return;
  gStartStateDue = false;
  StateSnapshot state;
  TakeSnapshot(&state, true);
  // The replay starts here: the start-up, this state, then the game.
  if (machine::RecordGameStart(EncodeSnapshot(state))) gPlay.game.gameStart = machine::RecordedSize();
}

void NoteEndingReached() {
  if (gPlay.inProgress) gPlay.game.ending = kReplayEndedByEnding;
}

void NoteMedalsEarned(uint8_t medalBits) { gPlay.medals = medalBits; }

uint8_t MedalsOfGame() { return gPlay.medals; }

void NoteTablePlace(int place, const std::string& name) {
  if (!gPlay.inProgress || place < 0) return;
  gPlay.game.tablePlace = uint8_t(place);
  gPlay.game.tableName = name;
}

void NoteGameEnd() {
  if (!gPlay.inProgress) return;
  EndGame(kReplayEndedByGameOver, 0);
}

void EndReplaySession(uint32_t stopClockMs) {
  if (gPlay.inProgress) EndGame(kReplayEndedByQuit, stopClockMs);
  machine::StopRecording();
}

bool GameAsPlayed(ReplayInfo* game, uint32_t* frames) {
  if (!gPlay.seen) return false;
  *game = gPlay.game;
  *frames = gPlay.inProgress ? MainLoopPasses() - gPlay.startPass : gPlay.frames;
  // Still in progress where playback stopped: it ends there.
  if (gPlay.inProgress) CloseGame(game, kReplayEndedByQuit);
  return true;
}

std::string ReplayFolder() {
  const std::string home = files::DataHome();
  return home.empty() ? std::string() : home + "/" + files::GameFolderName() + "/replays";
}

std::vector<StoredReplay> ReadStoredReplays(const std::string& folder) {
  // The header lies within the first bytes of the file.
  constexpr size_t kHeaderBytes = 8192;
  std::vector<StoredReplay> replays;
  const size_t ext = std::strlen(kReplayExtension);
  for (const std::string& name : files::FolderNames(folder)) {
    if (name.size() <= ext || name.compare(name.size() - ext, ext, kReplayExtension) != 0) continue;
    std::vector<uint8_t> head;
    int error;
    StoredReplay r{name, ReplayInfo{}};
    std::string why;
    if (files::ReadWholeFile(folder + "/" + name, kHeaderBytes, &head, &error) &&
        DecodeReplayInfo(head.data(), head.size(), &r.info, &why))
      replays.push_back(r);
  }
  return replays;
}

namespace {

std::string gListingFolder;

// The listing as bytes: per replay, its name and its header as written, each
// a byte string as the replay stream writes them.
void ReadListingLive(int* error, std::string* bytes) {
  *error = 0;
  bytes->clear();
  for (const StoredReplay& r : ReadStoredReplays(gListingFolder)) {
    const std::vector<uint8_t> header = EncodeReplay(r.info, nullptr, 0, 0, 0);
    AppendStreamBytes(*bytes, r.name);
    AppendStreamBytes(*bytes, std::string(header.begin(), header.end()));
  }
}

}  // namespace

std::vector<StoredReplay> ListStoredReplays(const std::string& folder) {
  // A header is a few hundred bytes; its texts are cut at 4096 bytes each.
  constexpr uint32_t kMaxHeaderBytes = 16384;
  gListingFolder = folder;
  int error = 0;
  std::string bytes;
  machine::ReadStateFile(&error, &bytes, ReadListingLive);
  std::vector<StoredReplay> replays;
  StreamReader listing{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0};
  while (listing.ok && listing.at < listing.size) {
    StoredReplay r;
    r.name = listing.Bytes(kMaxStreamNameBytes);
    const std::string header = listing.Bytes(kMaxHeaderBytes);
    std::string why;
    if (listing.ok &&
        DecodeReplayInfo(reinterpret_cast<const uint8_t*>(header.data()), header.size(), &r.info, &why))
      replays.push_back(r);
  }
  return replays;
}

int TablePlaceOf(const ReplayInfo& info) {
  if (info.tablePlace == kReplayNoPlace) return -1;
  for (int p = 0; p < kHiScoreEntries; ++p)
    if (hiScores[p] == info.score && hiNames[p] == info.tableName) return p;
  return -1;
}

std::string IndexPath(const std::string& folder) { return folder + ".index"; }
std::string ReplayIndexPath() { return IndexPath(ReplayFolder()); }

namespace {

// The replays this game wrote, in a file beside the folder: their names,
// sizes and a hash of their bytes. A header's claims (the ending, a place of
// the table) keep a replay only when the game wrote it as it is: the claims
// are then what its play reached. Any other file in the folder is judged as
// a plain game.
struct OwnReplay {
  std::string name;
  uint64_t size;
  uint64_t hash;
};
constexpr const char* kIndexHeading = "tessivane replays written by this game 1";


uint64_t Hash(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

bool Measure(const std::string& folder, const std::string& name, OwnReplay* r) {
  std::vector<uint8_t> bytes;
  int error = 0;
  if (!files::ReadWholeFile(folder + "/" + name, kMaxReplayFileBytes, &bytes, &error)) return false;
  *r = OwnReplay{name, bytes.size(), Hash(bytes)};
  return true;
}

// False when there is no index yet (or it cannot be read).
bool ReadIndex(const std::string& folder, std::vector<OwnReplay>* own) {
  std::vector<uint8_t> bytes;
  int error = 0;
  if (!files::ReadWholeFile(IndexPath(folder), 1 << 20, &bytes, &error)) return false;
  const std::string text(bytes.begin(), bytes.end());
  size_t at = text.find('\n');
  if (at == std::string::npos || text.compare(0, at, kIndexHeading) != 0) return false;
  for (size_t next; ++at < text.size(); at = next) {
    next = text.find('\n', at);
    if (next == std::string::npos) next = text.size();
    const std::string line = text.substr(at, next - at);
    unsigned long long size = 0, hash = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "%llu %llx %n", &size, &hash, &used) == 2 && used > 0)
      own->push_back(OwnReplay{line.substr(size_t(used)), size, hash});
  }
  return true;
}

void WriteIndex(const std::string& folder, const std::vector<OwnReplay>& own) {
  std::string text = std::string(kIndexHeading) + "\n";
  char line[64];
  for (const OwnReplay& r : own) {
    std::snprintf(line, sizeof line, "%llu %016llx ", static_cast<unsigned long long>(r.size),
                  static_cast<unsigned long long>(r.hash));
    text += line + r.name + "\n";
  }
  int error = 0;
  if (!files::ReplaceFileAtomically(IndexPath(folder), text.data(), text.size(), &error))
    std::fprintf(stderr, "Tessivane: cannot write %s (%s)\n", IndexPath(folder).c_str(), std::strerror(error));
}

}  // namespace

void KeepReplays(const std::string& folder, const std::string& justWritten) {
  // A file that is not a replay of ours is left alone.
  std::vector<StoredReplay> replays = ReadStoredReplays(folder);
  // What the game wrote. Without an index yet (a folder from before it), the
  // replays there are taken as the game's.
  std::vector<OwnReplay> own;
  const bool indexed = ReadIndex(folder, &own);
  const auto ownEntry = [&](const std::string& name) -> const OwnReplay* {
    for (const OwnReplay& r : own)
      if (r.name == name) return &r;
    return nullptr;
  };
  for (const StoredReplay& r : replays) {
    OwnReplay measured;
    if ((!indexed || r.name == justWritten) && Measure(folder, r.name, &measured)) {
      own.erase(std::remove_if(own.begin(), own.end(), [&](const OwnReplay& o) { return o.name == r.name; }),
                own.end());
      own.push_back(measured);
    }
  }
  const auto written = [&](const std::string& name) {
    const OwnReplay* entry = ownEntry(name);
    OwnReplay now;
    return entry && Measure(folder, name, &now) && now.size == entry->size && now.hash == entry->hash;
  };
  // Newest first: by the time recorded, then by the number a name takes when
  // its second was already taken ("...-2", "...-3"). A date a day or more
  // ahead of the clock is a claim no game here made: such a file counts as
  // the oldest, so it never pushes a new game out.
  const uint64_t latest = uint64_t(std::time(nullptr)) + 24 * 3600;
  const auto age = [&](const StoredReplay& r) { return r.info.recordedAt > latest ? 0 : r.info.recordedAt; };
  const auto number = [](const std::string& name) {
    const size_t dash = name.find('-', 9);
    return dash == std::string::npos ? 1l : std::strtol(name.c_str() + dash + 1, nullptr, 10);
  };
  std::sort(replays.begin(), replays.end(), [&](const StoredReplay& a, const StoredReplay& b) {
    if (age(a) != age(b)) return age(a) > age(b);
    return number(a.name) > number(b.name);
  });
  for (size_t k = 0; k < replays.size(); ++k) {
    const ReplayInfo& r = replays[k].info;
    // The game just written, the recent ones, the endings, and those behind
    // a place of the table as long as that place stands (claims the game
    // itself wrote).
    const bool claims = r.ending == kReplayEndedByEnding || TablePlaceOf(r) >= 0;
    const bool keep = replays[k].name == justWritten || k < size_t(kKeptRecentReplays) ||
                      (claims && written(replays[k].name));
    int error = 0;
    if (!keep && files::RemoveFile(folder + "/" + replays[k].name, &error))
      own.erase(std::remove_if(own.begin(), own.end(),
                               [&](const OwnReplay& o) { return o.name == replays[k].name; }),
                own.end());
  }
  // The index names only replays that are there.
  own.erase(std::remove_if(own.begin(), own.end(),
                           [&](const OwnReplay& o) {
                             for (const StoredReplay& r : replays)
                               if (r.name == o.name) return false;
                             return true;
                           }),
            own.end());
  WriteIndex(folder, own);
}
