#include "data/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace {

iconv_t OpenConverter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  return cd;
}
bool Usable(iconv_t cd) { return cd != iconv_t(-1); }

iconv_t FromCp932() {
  static iconv_t cd = OpenConverter("UTF-8", "CP932");
  return cd;
}
iconv_t ToCp932() {
  static iconv_t cd = OpenConverter("CP932", "UTF-8");
  return cd;
}

// Length of the UTF-8 character starting at s[0] (1..4), or 0 when the bytes
// there do not form one.
size_t Utf8CharLength(const unsigned char* s, size_t left) {
  const unsigned char c = s[0];
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || n > left) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((s[k] & 0xC0) != 0x80) return 0;
  return n;
}

// Where a name cut to at most `limit` bytes must end so as not to split a
// CP932 character.
size_t Cp932Cut(const std::string& bytes, size_t limit) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char c = uint8_t(bytes[pos]);
    const size_t n = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (pos + n > limit) break;
    pos += n;
  }
  return pos;
}

}  // namespace

std::string NameFromCp932(const uint8_t* bytes, size_t count) {
  std::string out;
  iconv_t cd = FromCp932();
  if (!Usable(cd)) {  // no converter: keep plain ASCII only
    for (size_t k = 0; k < count; ++k) out.push_back(bytes[k] < 0x80 ? char(bytes[k]) : '?');
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string buffer(count * 3 + 8, '\0');  // one CP932 byte gives at most 3 UTF-8 bytes
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t inLeft = count;
  char* outPtr = &buffer[0];
  size_t outLeft = buffer.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1)) break;
    if (errno == EILSEQ || errno == EINVAL) {
      // Not CP932 (or cut short at the end): one "?" for the byte, go on after it.
      *outPtr++ = '?';
      --outLeft;
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      break;  // cannot happen with the buffer sized above
    }
  }
  buffer.resize(buffer.size() - outLeft);
  return buffer;
}

std::string NameToCp932(const std::string& utf8) {
  std::string out;
  iconv_t cd = ToCp932();
  const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
  size_t left = utf8.size();
  while (left > 0) {
    const size_t n = Utf8CharLength(s, left);
    if (n == 0) {  // not UTF-8: one "?" for the byte
      out.push_back('?');
      ++s;
      --left;
      continue;
    }
    char converted[8];
    char* in = const_cast<char*>(reinterpret_cast<const char*>(s));
    size_t inLeft = n;
    char* outPtr = converted;
    size_t outLeft = sizeof converted;
    bool ok = false;
    if (Usable(cd)) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1) && inLeft == 0;
    } else if (n == 1) {
      converted[0] = char(s[0]);
      outPtr = converted + 1;
      ok = true;
    }
    if (ok) {
      out.append(converted, size_t(outPtr - converted));
    } else {
      out.push_back('?');
    }
    s += n;
    left -= n;
  }
  if (out.size() > kMaxNameBytes) out.resize(Cp932Cut(out, kMaxNameBytes));
  return out;
}
