// The sprite sheets carried inside the executable, as the art generator wrote
// them: for each of the 19 sheets in order, its width and height as 16-bit
// little-endian numbers, then width * height pixels as 32-bit little-endian
// 0x00RRGGBB values, row by row.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" const unsigned char tessivane_sheets_begin[];
extern "C" const unsigned char tessivane_sheets_end[];
