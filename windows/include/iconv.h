/* The iconv interface for the Windows build, whose C library has none: the
   game's one pair (UTF-8 <-> CP932) is converted by platform/web/cp932_iconv.cpp
   from the generated tables. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* iconv_t;
iconv_t iconv_open(const char* to, const char* from);
int iconv_close(iconv_t cd);
size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft);

#ifdef __cplusplus
}
#endif
