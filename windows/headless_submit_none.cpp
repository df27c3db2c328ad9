// tessivane-headless --submit on Windows: the Windows build carries no HTTP
// client (the Linux build's is cpp-httplib from Debian, which has no
// Windows package), so it says so (README.txt).
#include <cstdio>

#include "tools/headless/headless_submit.h"

int SubmitReplay(const std::string& url, const std::string& file) {
  std::fprintf(stderr, "tessivane-headless: --submit is not in the Windows build; send %s with the Linux build\n",
               file.c_str());
  return 1;
}
