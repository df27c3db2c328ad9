// Conversion between UTF-8 and CP932 from the generated tables, with iconv's
// contract (see cp932_convert.h).
#include "platform/web/cp932_convert.h"

#include <errno.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/web/cp932_table.h"

namespace cp932 {
namespace {

std::string Canonical(const char* name) {
  std::string s;
  for (const char* p = name; *p; ++p)
    if (*p != '-' && *p != '_') s.push_back(char(std::toupper(static_cast<unsigned char>(*p))));
  return s;
}

bool IsLeadByte(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

long LookUpDecode(uint32_t bytes) {
  const cp932::CodePair* end = cp932::kDecode + cp932::kDecodeCount;
  const cp932::CodePair* it = std::lower_bound(cp932::kDecode, end, bytes,
                                               [](const cp932::CodePair& p, uint32_t b) { return p.bytes < b; });
  return it != end && it->bytes == bytes ? long(it->codePoint) : -1;
}

long LookUpEncode(uint32_t cp) {
  const cp932::CodePair* end = cp932::kEncode + cp932::kEncodeCount;
  const cp932::CodePair* it = std::lower_bound(
      cp932::kEncode, end, cp, [](const cp932::CodePair& p, uint32_t c) { return p.codePoint < c; });
  return it != end && it->codePoint == cp ? long(it->bytes) : -1;
}

size_t PutUtf8(uint32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = char(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = char(0xC0 | cp >> 6);
    out[1] = char(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = char(0xE0 | cp >> 12);
    out[1] = char(0x80 | (cp >> 6 & 0x3F));
    out[2] = char(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | cp >> 18);
  out[1] = char(0x80 | (cp >> 12 & 0x3F));
  out[2] = char(0x80 | (cp >> 6 & 0x3F));
  out[3] = char(0x80 | (cp & 0x3F));
  return 4;
}

// Reads one UTF-8 character: its length, 0 when cut short, -1 when invalid.
int TakeUtf8(const unsigned char* s, size_t left, uint32_t* cp) {
  const unsigned c = s[0];
  int n;
  uint32_t v;
  if (c < 0x80) {
    *cp = c;
    return 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
    n = 2, v = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, v = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, v = c & 0x07;
  } else {
    return -1;
  }
  for (int k = 1; k < n; ++k) {
    if (size_t(k) >= left) return 0;
    if ((s[k] & 0xC0) != 0x80) return -1;
    v = v << 6 | (s[k] & 0x3F);
  }
  if ((n == 3 && (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF))) || (n == 4 && (v < 0x10000 || v > 0x10FFFF)))
    return -1;
  *cp = v;
  return n;
}

}  // namespace

int Open(const char* to, const char* from) {
  const std::string t = Canonical(to), f = Canonical(from);
  if (t == "UTF8" && f == "CP932") return kFromCp932;
  if (t == "CP932" && f == "UTF8") return kToCp932;
  errno = EINVAL;
  return -1;
}

size_t Convert(int direction, char** in, size_t* inLeft, char** out, size_t* outLeft) {
  if (!in || !*in) return 0;  // stateless: nothing to reset or flush
  while (*inLeft > 0) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(*in);
    char buffer[4];
    size_t used, made;
    if (direction == kFromCp932) {
      uint32_t bytes = s[0];
      used = 1;
      long cp = LookUpDecode(bytes);
      if (cp < 0 && IsLeadByte(s[0])) {
        if (*inLeft < 2) {
          errno = EINVAL;
          return size_t(-1);
        }
        bytes = uint32_t(s[0]) << 8 | s[1];
        used = 2;
        cp = LookUpDecode(bytes);
      }
      if (cp < 0) {
        errno = EILSEQ;
        return size_t(-1);
      }
      made = PutUtf8(uint32_t(cp), buffer);
    } else if (direction == kToCp932) {
      uint32_t cp = 0;
      const int n = TakeUtf8(s, *inLeft, &cp);
      if (n <= 0) {
        errno = n == 0 ? EINVAL : EILSEQ;
        return size_t(-1);
      }
      const long bytes = LookUpEncode(cp);
      if (bytes < 0) {
        errno = EILSEQ;
        return size_t(-1);
      }
      used = size_t(n);
      made = bytes > 0xFF ? 2 : 1;
      buffer[0] = char(bytes > 0xFF ? bytes >> 8 : bytes);
      buffer[1] = char(bytes & 0xFF);
    } else {
      errno = EBADF;
      return size_t(-1);
    }
    if (made > *outLeft) {
      errno = E2BIG;
      return size_t(-1);
    }
    std::memcpy(*out, buffer, made);
    *out += made;
    *outLeft -= made;
    *in += used;
    *inLeft -= used;
  }
  return 0;
}

}  // namespace cp932
