// The web build's iconv: linked ahead of the browser C library's, it converts
// between UTF-8 and CP932 (the only pair the game asks for) from the tables.
#include <errno.h>

#include <iconv.h>

#include <cstdint>

#include "platform/web/cp932_convert.h"

extern "C" {

iconv_t iconv_open(const char* to, const char* from) {
  const int direction = cp932::Open(to, from);
  if (direction < 0) return reinterpret_cast<iconv_t>(-1);
  return reinterpret_cast<iconv_t>(uintptr_t(direction));
}

int iconv_close(iconv_t) { return 0; }

size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft) {
  return cp932::Convert(int(reinterpret_cast<uintptr_t>(cd)), in, inLeft, out, outLeft);
}

}  // extern "C"
