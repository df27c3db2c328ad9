// mmlc: compiles tunes written in the notation of mml.h to standard MIDI files.
//   mmlc <tune.mml> <out.mid>      writes the file and prints its length
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "mml.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mmlc <tune.mml> <out.mid>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "mmlc: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  mml::Song song;
  std::string error;
  if (!mml::Compile(text, &song, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const std::vector<uint8_t> smf = mml::WriteSmf(song);
  const std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(smf.data()), std::streamsize(smf.size()));
    if (!out) {
      std::fprintf(stderr, "mmlc: cannot write %s\n", tmp.c_str());
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[2]) != 0) {
    std::fprintf(stderr, "mmlc: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%s: %zu parts, %.1f bars, %.1f s\n", argv[2], song.tracks.size() - 1,
              double(song.lengthTicks) / (4 * mml::kTicksPerQuarter), song.seconds);
  return 0;
}
