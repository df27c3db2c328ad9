// The CP932 <-> Unicode tables of the web build, generated at build time from
// the build machine's iconv (tools/gen_cp932).
#pragma once

#include <cstddef>
#include <cstdint>

namespace cp932 {

struct CodePair {
  uint32_t bytes;  // one byte, or lead << 8 | trail
  uint32_t codePoint;
};
// Every CP932 character, sorted by bytes.
extern const CodePair kDecode[];
extern const size_t kDecodeCount;
// The bytes each code point is written as, sorted by code point.
extern const CodePair kEncode[];
extern const size_t kEncodeCount;

}  // namespace cp932
