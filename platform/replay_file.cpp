#include "platform/replay_file.h"

#include <zlib.h>

#include <cstring>

#include "platform/replay_stream.h"

namespace {

constexpr char kMagic[8] = {'T', 'V', 'R', 'E', 'P', 'L', 'A', 'Y'};
constexpr uint16_t kFormatVersion = 1;
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
  if (c.ok && version != kFormatVersion) {
    *error = "this replay has format version " + std::to_string(version) + "; this game reads version " +
             std::to_string(kFormatVersion);
    return false;
  }
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
  raw->assign(size_t(tail.rawSize), 0);
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit(&z) != Z_OK) {
    *error = "out of memory";
    return false;
  }
  z.next_in = const_cast<uint8_t*>(data + c.at);
  z.avail_in = uInt(tail.compressedSize);
  z.next_out = raw->data();
  z.avail_out = uInt(raw->size());
  int r = Z_OK;
  while (r == Z_OK && z.avail_in > 0 && z.avail_out > 0) r = inflate(&z, Z_SYNC_FLUSH);
  // The stream is flushed, not finished: all input used and exactly the raw
  // length produced. One byte more of room would show a longer stream.
  uint8_t extra;
  if (r == Z_OK && z.avail_in > 0 && z.avail_out == 0) {
    z.next_out = &extra;
    z.avail_out = 1;
    r = inflate(&z, Z_SYNC_FLUSH);
    if (z.avail_out == 0) r = Z_DATA_ERROR;
  }
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
