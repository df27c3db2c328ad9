// platform/files.h on Windows: every path goes through the wide-character
// calls, so folders with any characters (a user named 山田) work.
// windows.h first: the others need its definitions.
// clang-format off
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "platform/files.h"
#include "platform/temporary_names.h"
#include "platform/windows/utf16.h"

namespace files {
namespace {

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

int LastErrno() { return platform::ErrnoOf(GetLastError()); }

bool IsFolder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Opens an existing file to read it whole; a folder or a device is EISDIR,
// as on POSIX systems.
HANDLE OpenForReading(const std::wstring& path, int* error) {
  if (IsFolder(path)) {
    *error = EISDIR;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = LastErrno();
    return h;
  }
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    *error = EISDIR;
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

bool WriteAll(HANDLE h, const uint8_t* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = DWORD(std::min<size_t>(size, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(h, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// A new file with a unique name beside `path`: "path.XXXXXX".
HANDLE CreateTemporary(const std::string& path, std::wstring* temp) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  uint64_t state = uint64_t(counter.QuadPart) ^ (uint64_t(GetCurrentProcessId()) << 32);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + ".";
    for (int i = 0; i < 6; ++i) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      name += kLetters[(state >> 33) % (sizeof kLetters - 1)];
    }
    *temp = platform::Widen(name);
    HANDLE h = CreateFileW(temp->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAndRename(const std::string& path, const void* data, size_t size, int* error) {
  std::wstring temp;
  HANDLE h = CreateTemporary(path, &temp);
  if (h == INVALID_HANDLE_VALUE) {
    *error = LastErrno();
    return false;
  }
  bool ok = WriteAll(h, static_cast<const uint8_t*>(data), size);
  ok = ok && FlushFileBuffers(h);
  int err = ok ? 0 : LastErrno();
  CloseHandle(h);
  if (ok && !MoveFileExW(temp.c_str(), platform::Widen(path).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    err = LastErrno();
  }
  if (!ok) {
    DeleteFileW(temp.c_str());
    *error = err;
    return false;
  }
  return true;
}

std::string KnownFolder(REFKNOWNFOLDERID id, const wchar_t* variable) {
  PWSTR path = nullptr;
  std::string folder;
  if (SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path) == S_OK) folder = platform::GamePath(path);
  CoTaskMemFree(path);
  if (folder.empty() && variable) {
    if (const wchar_t* value = _wgetenv(variable)) folder = platform::GamePath(value);
  }
  return folder;
}

}  // namespace

bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes, int* error) {
  bytes->clear();
  Handle f(OpenForReading(platform::Widen(path), error));
  if (!f.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size)) {
    *error = LastErrno();
    return false;
  }
  bytes->resize(std::min(limit, size_t(size.QuadPart) + 1));
  size_t got = 0;
  while (got < limit) {
    if (got == bytes->size()) bytes->resize(std::min(limit, got * 2 + 4096));
    DWORD n = 0;
    const DWORD want = DWORD(std::min<size_t>(bytes->size() - got, 1u << 24));
    if (!ReadFile(f.h, bytes->data() + got, want, &n, nullptr)) {
      *error = LastErrno();
      bytes->clear();
      return false;
    }
    if (n == 0) break;
    got += n;
  }
  bytes->resize(got);
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size, int* error) {
  return WriteAndRename(path, data, size, error);
}

// The old file's tail is read first and the file closed before the rename:
// Windows refuses to replace a file that is open, even for reading.
bool OverwriteFileStartAtomically(const std::string& path, const void* data, size_t size, int* error) {
  std::vector<uint8_t> old;
  int readError = 0;
  if (!ReadWholeFile(path, SIZE_MAX, &old, &readError)) {
    if (readError == ENOENT) return WriteAndRename(path, data, size, error);
    *error = readError;
    return false;
  }
  if (old.size() > size) {
    std::vector<uint8_t> whole(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    whole.insert(whole.end(), old.begin() + ptrdiff_t(size), old.end());
    return WriteAndRename(path, whole.data(), whole.size(), error);
  }
  return WriteAndRename(path, data, size, error);
}

bool MakeFolders(const std::string& path, int* error) {
  if (path.empty()) {
    *error = ENOENT;
    return false;
  }
  // Past the root: "C:/", "//server/share/" or "/".
  size_t start = 1;
  if (path.size() >= 2 && path[1] == ':') {
    start = 3;
  } else if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\')) {
    size_t seps = 0;
    for (start = 2; start < path.size() && seps < 2; ++start)
      if (path[start] == '/' || path[start] == '\\') ++seps;
  }
  for (size_t at = start; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/' && path[at] != '\\') continue;
    const std::wstring part = platform::Widen(path.substr(0, at));
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS && !IsFolder(part)) {
      *error = LastErrno();
      return false;
    }
  }
  const std::wstring whole = platform::Widen(path);
  const DWORD a = GetFileAttributesW(whole.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    *error = LastErrno();
    return false;
  }
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    *error = ENOTDIR;
    return false;
  }
  return true;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(platform::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(platform::Widen(folder + "/*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = platform::Narrow(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(platform::Widen(path).c_str(), platform::Widen(mode).c_str());
}

bool RemoveFile(const std::string& path, int* error) {
  if (DeleteFileW(platform::Widen(path).c_str())) return true;
  *error = LastErrno();
  return false;
}

const char* GameFolderName() { return "Tessivane"; }

std::string ConfigHome() { return KnownFolder(FOLDERID_RoamingAppData, L"APPDATA"); }
std::string DataHome() { return ConfigHome(); }
std::string PicturesHome() { return KnownFolder(FOLDERID_Pictures, nullptr); }
std::string Home() { return KnownFolder(FOLDERID_Profile, L"USERPROFILE"); }

std::string ErrorText(int error) {
  switch (error) {
    case kErrorIsFifo: return "Is a FIFO (named pipe), not a file";
    case kErrorIsDevice: return "Is a device, not a file";
    case kErrorIsSocket: return "Is a socket, not a file";
    default: return std::strerror(error);
  }
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

// Windows players keep no symbolic links to their files: the path is written
// as it is.
std::string FollowLinks(const std::string& path) { return path; }

int RemoveStaleTemporaryFiles(const std::string& folder, const std::vector<std::string>& endings,
                              int minimumAgeSeconds) {
  int removed = 0;
  const time_t now = time(nullptr);
  for (const std::string& name : FolderNames(folder)) {
    if (!IsTemporaryNameOf(name, endings)) continue;
    const std::wstring path = platform::Widen(folder + "/" + name);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
      continue;
    // FILETIME: 100 ns steps since 1601.
    const uint64_t ticks =
        (uint64_t(attributes.ftLastWriteTime.dwHighDateTime) << 32) | attributes.ftLastWriteTime.dwLowDateTime;
    const int64_t written = int64_t(ticks / 10000000ull) - 11644473600ll;
    if (int64_t(now) - written <= minimumAgeSeconds) continue;
    if (DeleteFileW(path.c_str())) ++removed;
  }
  return removed;
}

void WithFolderLock(const std::string& folder, const std::function<void()>& work) {
  // A lock file in the folder, held shut to others while the work runs.
  const std::wstring path = platform::Widen(folder + "/.tessivane-lock");
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 500; ++tries) {
    h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN,
                    nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(10);
  }
  work();
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

std::string DataFolder(const std::string& base, int* error) {
  const std::wstring probe =
      platform::Widen(base + "/.tessivane-write-test-" + std::to_string(GetCurrentProcessId()));
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return base;
  }
  const std::string home = DataHome();
  if (home.empty()) {
    *error = ENOENT;
    return std::string();
  }
  const std::string folder = home + "/" + GameFolderName();
  if (!MakeFolders(folder, error)) return std::string();
  return folder;
}

}  // namespace files
