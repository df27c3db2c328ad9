// The web build's CP932 conversion against this machine's iconv, whose tables
// it was generated from: every CP932 character and every code point of the
// first planes must convert the same way, and the error contract the score
// file relies on (EILSEQ, EINVAL, E2BIG, pointers left before the character)
// must hold.
#include <errno.h>

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>

#include "platform/web/cp932_convert.h"

namespace {

struct Result {
  bool ok;
  int error;
  std::string out;
  size_t consumed;
};

Result RunHost(iconv_t cd, const std::string& input) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string in = input;
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char buffer[16];
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  errno = 0;
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
  return {ok, ok ? 0 : errno, std::string(buffer, outPtr), in.size() - inLeft};
}

Result RunWeb(int direction, const std::string& input, size_t room = 16) {
  std::string in = input;
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char buffer[16];
  char* outPtr = buffer;
  size_t outLeft = room;
  errno = 0;
  const bool ok = cp932::Convert(direction, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
  return {ok, ok ? 0 : errno, std::string(buffer, outPtr), in.size() - inLeft};
}

std::string Utf8(uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += char(cp);
  } else if (cp < 0x800) {
    s += char(0xC0 | cp >> 6), s += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += char(0xE0 | cp >> 12), s += char(0x80 | (cp >> 6 & 0x3F)), s += char(0x80 | (cp & 0x3F));
  } else {
    s += char(0xF0 | cp >> 18), s += char(0x80 | (cp >> 12 & 0x3F)), s += char(0x80 | (cp >> 6 & 0x3F));
    s += char(0x80 | (cp & 0x3F));
  }
  return s;
}

TEST(WebCp932, DecodesEveryByteSequenceAsTheHostDoes) {
  iconv_t host = iconv_open("UTF-8", "CP932");
  ASSERT_NE(host, iconv_t(-1));
  const int web = cp932::Open("UTF-8", "CP932");
  int checked = 0;
  for (unsigned lead = 0; lead < 0x100; ++lead) {
    for (int trail = -1; trail < 0x100; ++trail) {
      std::string in(1, char(lead));
      if (trail >= 0) in += char(trail);
      const Result want = RunHost(host, in), got = RunWeb(web, in);
      // Where the host stops on an error, the first character is what counts.
      ASSERT_EQ(got.ok, want.ok) << std::hex << lead << " " << trail;
      ASSERT_EQ(got.out, want.out) << std::hex << lead << " " << trail;
      ASSERT_EQ(got.consumed, want.consumed) << std::hex << lead << " " << trail;
      if (!want.ok) {
        ASSERT_EQ(got.error, want.error) << std::hex << lead << " " << trail;
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 256 * 257);
  iconv_close(host);
}

TEST(WebCp932, EncodesEveryCodePointAsTheHostDoes) {
  iconv_t host = iconv_open("CP932", "UTF-8");
  ASSERT_NE(host, iconv_t(-1));
  const int web = cp932::Open("CP932", "UTF-8");
  int converted = 0;
  for (uint32_t cp = 0; cp < 0x20000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::string in = Utf8(cp);
    const Result want = RunHost(host, in), got = RunWeb(web, in);
    ASSERT_EQ(got.ok, want.ok) << std::hex << cp;
    ASSERT_EQ(got.out, want.out) << std::hex << cp;
    converted += got.ok;
  }
  EXPECT_GT(converted, 7000);  // the JIS rows, NEC and IBM extensions, ASCII, kana
}

TEST(WebCp932, KeepsIconvsErrorContract) {
  const int from = cp932::Open("utf8", "cp-932");
  const int to = cp932::Open("CP932", "UTF-8");
  ASSERT_EQ(from, cp932::kFromCp932);
  ASSERT_EQ(to, cp932::kToCp932);
  errno = 0;
  EXPECT_EQ(cp932::Open("UTF-8", "SHIFT_JIS"), -1);
  EXPECT_EQ(errno, EINVAL);

  struct Case {
    int direction;
    std::string in;
    size_t room;
    bool ok;
    int error;
    std::string out;
    size_t consumed;
  } cases[] = {
      {from, "A\x82\xA0", 16, true, 0, "A\xE3\x81\x82", 3},  // ASCII, then a kana pair
      {from, "A\x82", 16, false, EINVAL, "A", 1},            // a lead byte at the very end
      {from, "\x87\x40", 16, true, 0, "\xE2\x91\xA0", 2},    // NEC row 13: circled one
      {from, "\xFA\x40", 16, true, 0, "\xE2\x85\xB0", 2},    // IBM extension: small roman one
      {from, "A\x82\xA0", 3, false, E2BIG, "A", 1},          // no room for the second character
      {to, "\xE2\x91\xA0", 16, true, 0, "\x87\x40", 3},
      {to, "a\xE3\x81", 16, false, EINVAL, "a", 1},                  // UTF-8 cut short
      {to, "a\xC0\xAF", 16, false, EILSEQ, "a", 1},                  // overlong form
      {to, "a\xF0\x9F\x98\x80", 16, false, EILSEQ, "a", 1},          // no CP932 for it
      {to, "\xEF\xBD\xB1\xEF\xBD\xB1", 1, false, E2BIG, "\xB1", 3},  // half-width kana, one byte each
  };
  for (const Case& c : cases) {
    const Result r = RunWeb(c.direction, c.in, c.room);
    EXPECT_EQ(r.ok, c.ok) << c.in;
    EXPECT_EQ(r.error, c.error) << c.in;
    EXPECT_EQ(r.out, c.out) << c.in;
    EXPECT_EQ(r.consumed, c.consumed) << c.in;
  }
}

}  // namespace
