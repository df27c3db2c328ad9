// UTF-8 <-> CP932 conversion for a C library without CP932 (the browser's:
// its Shift_JIS lacks the NEC and IBM rows, and the score file keeps names in
// CP932 byte for byte). Same contract as iconv: EILSEQ for a character that
// cannot be converted, EINVAL for one cut short at the end of the input, E2BIG
// when the output is full; the pointers stop before the character concerned.
#pragma once

#include <cstddef>

namespace cp932 {

enum Direction { kFromCp932 = 1, kToCp932 = 2 };

// kFromCp932 for ("UTF-8", "CP932"), kToCp932 for the reverse (names compared
// without case, '-' or '_'); -1 with errno EINVAL for anything else.
int Open(const char* to, const char* from);
// Converts as much as fits; 0 when all the input was converted, else
// size_t(-1) with errno set. A null input resets (there is no state).
size_t Convert(int direction, char** in, size_t* inLeft, char** out, size_t* outLeft);

}  // namespace cp932
