// The names of the temporary files the atomic writes of platform/files.h make
// ("<name>.XXXXXX"), for both its POSIX and its Windows version.
#pragma once

#include <string>
#include <vector>

namespace files {

// True when `name` is "<base>.XXXXXX" (six letters or digits) with <base>
// ending in one of `endings`.
inline bool IsTemporaryNameOf(const std::string& name, const std::vector<std::string>& endings) {
  constexpr size_t kUniquePart = 7;  // ".XXXXXX"
  if (name.size() <= kUniquePart || name[name.size() - kUniquePart] != '.') return false;
  for (size_t k = name.size() - kUniquePart + 1; k < name.size(); ++k) {
    const char c = name[k];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  const std::string base = name.substr(0, name.size() - kUniquePart);
  for (const std::string& ending : endings) {
    if (base.size() >= ending.size() && base.compare(base.size() - ending.size(), ending.size(), ending) == 0)
      return true;
  }
  return false;
}

}  // namespace files
