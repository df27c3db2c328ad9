#include "platform/replay_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "platform/replay_stream.h"

namespace {

constexpr char kMagic[8] = {'T', 'V', 'R', 'E', 'P', 'L', 'A', 'Y'};
// The format's history. Every version below stays readable.
//   1  the first: the header, the compressed stream of the machine's readings.
//   2  the stream carries the game's state digest once a second of game time
//      ('D' events, checked by playback); a flags byte follows the clock at
//      which recording was cut off. A version-1 replay still plays, unchecked.
//   3  the stream holds the start-up's events, then the game's state at its
//      start ('G'), then the game: no longer everything the session did
//      before the game, however long it ran.
constexpr uint16_t kFormatVersion = 3;
constexpr uint16_t kOldestFormatVersion = 1;
constexpr size_t kMaxText = 4096;

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(uint8_t(v >> (8 * k)));
}
void PutText(std::vector<uint8_t>& out, const std::string& s) {
  const size_t n = s.size() < kMaxText ? s.size() : kMaxText;
  PutLe(out, n, 2);
  out.insert(out.end(), s.begin(), s.begin() + long(n));
}

struct Cursor {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool ok = true;
  uint64_t Le(int bytes) {
    if (size_t(bytes) > size - at) {
      ok = false;
      return 0;
    }
    uint64_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= uint64_t(data[at + size_t(k)]) << (8 * k);
    at += size_t(bytes);
    return v;
  }
  std::string Text() {
    const size_t n = size_t(Le(2));
    if (!ok || n > kMaxText || n > size - at) {
      ok = false;
      return std::string();
    }
    std::string s(reinterpret_cast<const char*>(data + at), n);
    at += n;
    return s;
  }
};

struct Tail {
  uint64_t rawSize;
  uint32_t rawCrc;
  uint32_t compressedSize;
};

bool DecodeHeader(Cursor& c, ReplayInfo* info, Tail* tail, std::string* error) {
  if (c.size < sizeof kMagic || std::memcmp(c.data, kMagic, sizeof kMagic) != 0) {
    *error = "this is not a replay file";
    return false;
  }
  c.at = sizeof kMagic;
  const uint16_t version = uint16_t(c.Le(2));
  if (c.ok && (version < kOldestFormatVersion || version > kFormatVersion)) {
    *error = "this replay has format version " + std::to_string(version) + "; this game reads versions " +
             std::to_string(kOldestFormatVersion) + " to " + std::to_string(kFormatVersion);
    return false;
  }
  info->formatVersion = version;
  info->build = c.Text();
  info->recordedAt = c.Le(8);
  info->gameStart = c.Le(8);
  info->difficulty = uint8_t(c.Le(1));
  info->startStage = uint8_t(c.Le(1));
  info->stageReached = uint8_t(c.Le(1));
  info->ending = uint8_t(c.Le(1));
  const uint32_t scoreBits = uint32_t(c.Le(4));
  std::memcpy(&info->score, &scoreBits, sizeof scoreBits);
  info->tablePlace = uint8_t(c.Le(1));
  info->tableName = c.Text();
  info->stopClockMs = uint32_t(c.Le(4));
  info->flags = version >= 2 ? uint8_t(c.Le(1)) : 0;
  tail->rawSize = c.Le(8);
  tail->rawCrc = uint32_t(c.Le(4));
  tail->compressedSize = uint32_t(c.Le(4));
  if (!c.ok) {
    *error = "the replay file is cut short in its header";
    return false;
  }
  return true;
}

}  // namespace

bool ReadReplayFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  int err = 0;
  if (!files::ReadWholeFile(path, kMaxReplayFileBytes + 1, bytes, &err)) {
    *error = "cannot be read (" + files::ErrorText(err) + ")";
    return false;
  }
  if (bytes->size() > kMaxReplayFileBytes) {
    bytes->clear();
    *error = "is larger than any replay can be (" + std::to_string(kMaxReplayFileBytes) + " bytes at most)";
    return false;
  }
  return true;
}

std::vector<uint8_t> EncodeReplay(const ReplayInfo& info, const uint8_t* compressed, size_t compressedSize,
                                  uint64_t rawSize, uint32_t rawCrc) {
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutLe(out, kFormatVersion, 2);
  PutText(out, info.build);
  PutLe(out, info.recordedAt, 8);
  PutLe(out, info.gameStart, 8);
  PutLe(out, info.difficulty, 1);
  PutLe(out, info.startStage, 1);
  PutLe(out, info.stageReached, 1);
  PutLe(out, info.ending, 1);
  uint32_t scoreBits;
  std::memcpy(&scoreBits, &info.score, sizeof scoreBits);
  PutLe(out, scoreBits, 4);
  PutLe(out, info.tablePlace, 1);
  PutText(out, info.tableName);
  PutLe(out, info.stopClockMs, 4);
  PutLe(out, info.flags, 1);
  PutLe(out, rawSize, 8);
  PutLe(out, rawCrc, 4);
  PutLe(out, compressedSize, 4);
  out.insert(out.end(), compressed, compressed + compressedSize);
  return out;
}

bool DecodeReplayInfo(const uint8_t* data, size_t size, ReplayInfo* info, std::string* error) {
  Cursor c{data, size};
  Tail tail;
  return DecodeHeader(c, info, &tail, error);
}

bool LoadReplay(const uint8_t* data, size_t size, const std::string& thisBuild, ReplayInfo* info,
                std::vector<uint8_t>* raw, std::string* error) {
  Cursor c{data, size};
  Tail tail;
  if (!DecodeHeader(c, info, &tail, error)) return false;
  if (info->build != thisBuild) {
    *error = "this replay was recorded by " + info->build + "; this is " + thisBuild +
             ", which would not play it the same";
    return false;
  }
  if (tail.compressedSize != size - c.at) {
    *error = "the replay file is " + std::string(tail.compressedSize > size - c.at ? "cut short" : "too long") +
             ": its stream should be " + std::to_string(tail.compressedSize) + " bytes, the file holds " +
             std::to_string(size - c.at);
    return false;
  }
  // deflate shrinks at most about 1032 to 1: a larger raw length is a lie that
  // would only cost memory.
  if (tail.rawSize > kMaxReplayRawBytes || tail.rawSize > uint64_t(tail.compressedSize) * 1032 + 64 ||
      info->gameStart > tail.rawSize) {
    *error = "the replay file's header is damaged";
    return false;
  }
  // Inflated a step at a time: the buffer grows with what the stream really
  // holds, never to a size only the header claims.
  constexpr size_t kStep = size_t(1) << 20;
  raw->clear();
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit(&z) != Z_OK) {
    *error = "out of memory";
    return false;
  }
  z.next_in = const_cast<uint8_t*>(data + c.at);
  z.avail_in = uInt(tail.compressedSize);
  int r = Z_OK;
  // One byte of room beyond the raw length would show a longer stream.
  const uint64_t room = tail.rawSize + 1;
  while (r == Z_OK && z.avail_in > 0 && z.total_out < room) {
    const size_t have = raw->size();
    const size_t step = size_t(std::min<uint64_t>(kStep, room - have));
    raw->resize(have + step);
    z.next_out = raw->data() + have;
    z.avail_out = uInt(step);
    r = inflate(&z, Z_SYNC_FLUSH);
    raw->resize(size_t(z.total_out));
  }
  // The stream is flushed, not finished: all input used and exactly the raw
  // length produced.
  const bool whole =
      (r == Z_OK || r == Z_BUF_ERROR || r == Z_STREAM_END) && z.avail_in == 0 && z.total_out == tail.rawSize;
  inflateEnd(&z);
  if (!whole) {
    *error = "the replay's stream is damaged or cut short";
    return false;
  }
  if (uint32_t(crc32(0, raw->data(), uInt(raw->size()))) != tail.rawCrc) {
    *error = "the replay's stream is damaged (its checksum does not match)";
    return false;
  }
  return ScanStream(raw->data(), raw->size(), nullptr, nullptr, error);
}
