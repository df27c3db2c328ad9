// The replay file: a header saying which build recorded which game, then the
// stream of the machine's readings (platform/machine.h) compressed with zlib.
// All numbers little-endian:
//   8  magic "TVREPLAY"
//   2  format version (2; the history is beside the reader, replay_file.cpp)
//   2+n  build identity (length, UTF-8)
//   8  recorded at (seconds since 1970, UTC)
//   8  raw offset of the game's first reading (what comes before is start-up
//      and the title; playback may hurry through it)
//   1  difficulty (0 normal, 1 hard, 2 easy, 3 hardest), 1 starting stage,
//   1  stage reached, 1 how it ended (0 quit, 1 game over, 2 the ending)
//   4  final score (32-bit float)
//   1  high-score place made (0..4, 255 none), 2+n the name entered
//   4  the machine's clock when recording was cut off (0: it was not)
//   1  flags (bit 0: a practice run, never ranked; bit 1: the high-score
//      table offered the replay list, as the game does; from version 2)
//   8  raw stream length, 4 raw stream CRC-32, 4 compressed length
//   ... the compressed stream
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ReplayInfo {
  std::string build;
  uint64_t recordedAt = 0;
  uint64_t gameStart = 0;
  uint8_t difficulty = 0;
  uint8_t startStage = 1;
  uint8_t stageReached = 1;
  uint8_t ending = 0;
  float score = 0;
  uint8_t tablePlace = 255;
  std::string tableName;
  uint32_t stopClockMs = 0;
  uint8_t flags = 0;
  // Read from a file: its format version (streams of version 1 carry no
  // state digests). Written files always take the current one.
  uint16_t formatVersion = 0;
};

constexpr uint8_t kReplayFlagPractice = 1;
constexpr uint8_t kReplayFlagListOffered = 2;

constexpr uint8_t kReplayEndedByQuit = 0;
constexpr uint8_t kReplayEndedByGameOver = 1;
constexpr uint8_t kReplayEndedByEnding = 2;
constexpr uint8_t kReplayNoPlace = 255;
// Raw streams beyond this are refused (an hour of play is a few MB raw).
constexpr uint64_t kMaxReplayRawBytes = 256u << 20;
// The compressed stream a recording can hold, and so the largest replay file
// (with its header): a larger file is refused before it is read.
constexpr size_t kMaxReplayCompressedBytes = size_t(4) << 20;
constexpr size_t kMaxReplayFileBytes = kMaxReplayCompressedBytes + 16384;

// Reads the replay file at `path` (no more than kMaxReplayFileBytes; a larger
// file is refused unread). False with `error` saying why.
bool ReadReplayFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);

// The whole file for a header and an already compressed stream.
std::vector<uint8_t> EncodeReplay(const ReplayInfo& info, const uint8_t* compressed, size_t compressedSize,
                                  uint64_t rawSize, uint32_t rawCrc);
// Reads the header only (enough for a list of replays). False with `error`.
bool DecodeReplayInfo(const uint8_t* data, size_t size, ReplayInfo* info, std::string* error);
// Reads and checks a whole replay for this build: the header, the build
// identity (another build is refused, naming both), the stream's length and
// CRC and that every event in it is well formed. `raw` receives the stream.
bool LoadReplay(const uint8_t* data, size_t size, const std::string& thisBuild, ReplayInfo* info,
                std::vector<uint8_t>* raw, std::string* error);
