#include "platform/posix/line_breaks.h"

std::string UnixLineBreaks(const char* text) {
  std::string out;
  for (const char* p = text; p && *p; ++p) {
    if (*p == '\r') {
      out += '\n';
      if (p[1] == '\n') ++p;
    } else {
      out += *p;
    }
  }
  return out;
}
