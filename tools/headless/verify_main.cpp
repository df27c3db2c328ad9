// tessivane-verify: the replay check of tessivane-headless (--verify) on its
// own, for a build that carries nothing else of the tool: the WebAssembly
// build, run by node, which must play every replay as the native one does.
//   tessivane-verify --dir GAME_FOLDER FILE
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/headless/headless_replay.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[1], "--dir") != 0) {
    std::fprintf(stderr, "usage: tessivane-verify --dir GAME_FOLDER FILE\n");
    return 2;
  }
  return VerifyReplay(argv[3], argv[2]);
}
