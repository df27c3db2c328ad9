// UTF-8 (the game's strings) to and from UTF-16 (Windows' wide-character
// calls), and Windows folders in the game's form.
#pragma once

#include <string>

namespace platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* utf16);

// A Windows path with '/' between folders and no trailing '/' (the form the
// game builds paths in; the wide-character calls take both separators).
std::string GamePath(const wchar_t* utf16);

// The errno value nearest to a Windows error code.
int ErrnoOf(unsigned long windowsError);

}  // namespace platform
