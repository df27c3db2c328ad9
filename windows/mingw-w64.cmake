# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, which C++ threads and SDL's need). The libraries come from
# windows/build-libs.sh: pass their prefix as -DWIN_PREFIX=...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSIVANE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSIVANE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSIVANE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSIVANE_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TESSIVANE_MINGW} ${WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Library checks cannot run what they build: try only to compile and link.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WIN_PREFIX)
