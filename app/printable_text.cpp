#include "app/printable_text.h"

#include <cstdio>

std::string PrintableText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", b);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}
