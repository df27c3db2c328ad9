#include "platform/windows/utf16.h"

#include <windows.h>

#include <cerrno>

namespace platform {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &out[0], n);
  return out;
}

std::string Narrow(const wchar_t* utf16) {
  if (!utf16 || !*utf16) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16, -1, &out[0], n, nullptr, nullptr);
  out.resize(size_t(n - 1));
  return out;
}

std::string GamePath(const wchar_t* utf16) {
  std::string path = Narrow(utf16);
  for (char& c : path)
    if (c == '\\') c = '/';
  while (path.size() > 1 && path.back() == '/' && path[path.size() - 2] != ':') path.pop_back();
  return path;
}

int ErrnoOf(unsigned long windowsError) {
  switch (windowsError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    default:
      return EIO;
  }
}

}  // namespace platform
