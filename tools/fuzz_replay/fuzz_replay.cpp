// Feeds arbitrary bytes to the replay loader, twice: as a whole file, and as a
// stream wrapped in a well-formed file of this build (so that the stream's
// events, the state digests among them, are reached, not only the header's
// checks; replay.dict gives the fuzzer the tags and both format versions). Every input must load or
// be refused with a message; anything else, and every memory error, stops the
// run. A stream that loads must come back exactly as it went in.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/replay_file.h"

namespace {

const char* const kBuild = "fuzzing build";

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_replay: %s\n", what);
  std::abort();
}

void Check(const uint8_t* data, size_t size, const std::vector<uint8_t>* expectedRaw) {
  ReplayInfo info;
  std::vector<uint8_t> raw;
  std::string error;
  if (LoadReplay(data, size, kBuild, &info, &raw, &error)) {
    if (!error.empty()) Fail("a loaded replay came with a message");
    if (info.gameStart > raw.size()) Fail("the game starts beyond the stream");
    if (expectedRaw && raw != *expectedRaw) Fail("the stream did not come back as it went in");
  } else if (error.empty()) {
    Fail("a refused replay came without a message");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(data, size, nullptr);

  std::vector<uint8_t> compressed(compressBound(uLong(size)) + 16);
  z_stream z{};
  if (deflateInit(&z, 6) != Z_OK) Fail("no compressor");
  z.next_in = const_cast<uint8_t*>(data);
  z.avail_in = uInt(size);
  z.next_out = compressed.data();
  z.avail_out = uInt(compressed.size());
  if (deflate(&z, Z_SYNC_FLUSH) != Z_OK) Fail("compressing failed");
  compressed.resize(z.total_out);
  deflateEnd(&z);
  ReplayInfo info;
  info.build = kBuild;
  info.gameStart = size / 2;
  const std::vector<uint8_t> file =
      EncodeReplay(info, compressed.data(), compressed.size(), size, uint32_t(crc32(0, data, uInt(size))));
  const std::vector<uint8_t> raw(data, data + size);
  Check(file.data(), file.size(), &raw);
  // Cut short anywhere, the wrapped file is refused.
  if (size > 0) {
    ReplayInfo cut;
    std::vector<uint8_t> rawCut;
    std::string error;
    if (LoadReplay(file.data(), file.size() - 1 - (size % file.size()) % file.size(), kBuild, &cut, &rawCut,
                   &error))
      Fail("a replay cut short was loaded");
  }
  return 0;
}
