#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/temporary_names.h"

namespace files {

namespace {

// The error for something at a path that is not a regular file.
int NotAFileError(mode_t mode) {
  if (S_ISDIR(mode)) return EISDIR;
  if (S_ISFIFO(mode)) return kErrorIsFifo;
  if (S_ISSOCK(mode)) return kErrorIsSocket;
  return kErrorIsDevice;
}

}  // namespace

std::string ErrorText(int error) {
  switch (error) {
    case kErrorIsFifo:
      return "Is a FIFO (named pipe), not a file";
    case kErrorIsDevice:
      return "Is a device, not a file";
    case kErrorIsSocket:
      return "Is a socket, not a file";
    default:
      return std::strerror(error);
  }
}

bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes, int* error) {
  bytes->clear();
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
  // below like anything else that is not a regular file.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  int err = 0;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = NotAFileError(st.st_mode);
  } else {
    // Room for the file as it stands and one byte more, so that the read
    // meeting its end needs no second buffer; a file that grows meanwhile
    // gets more, up to the limit.
    bytes->resize(std::min(limit, size_t(st.st_size) + 1));
    size_t got = 0;
    while (got < limit) {
      if (got == bytes->size()) bytes->resize(std::min(limit, got * 2 + 4096));
      const ssize_t n = read(fd, bytes->data() + got, bytes->size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) err = errno;
      if (n <= 0) break;
      got += size_t(n);
    }
    bytes->resize(got);
  }
  close(fd);
  if (err != 0) {
    bytes->clear();
    *error = err;
    return false;
  }
  return true;
}

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FollowLinks(const std::string& path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::string target(size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = readlink(at.c_str(), &target[0], target.size());
    if (n <= 0 || size_t(n) >= target.size()) return path;
    target.resize(size_t(n));
    // A relative target is relative to the link's folder.
    at = target[0] == '/' ? target : FolderOf(at) + "/" + target;
  }
  return path;  // a loop: writing replaces the link, as before
}

namespace {

// Copies everything from `from`'s offset `at` to its end into `to`.
bool CopyTail(int from, off_t at, int to) {
  uint8_t buffer[16384];
  for (;;) {
    const ssize_t n = pread(from, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, buffer, size_t(n))) return false;
    at += n;
  }
}

// Writes `data` and then, when `tailFrom` is an open file, its bytes past
// `size`, to a unique temporary file beside `path`, and renames it over
// `path`.
bool WriteAndRename(const std::string& named, const void* data, size_t size, int tailFrom, int* error) {
  // A link's target is what the player keeps: it is replaced, the link stays.
  const std::string path = FollowLinks(named);
  std::string temp = path + ".XXXXXX";
  const int fd = mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  bool ok = fchmod(fd, 0644) == 0;
  ok = ok && WriteAll(fd, static_cast<const uint8_t*>(data), size);
  ok = ok && (tailFrom < 0 || CopyTail(tailFrom, off_t(size), fd));
  ok = ok && fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    *error = err;
    return false;
  }
  // Make the rename itself durable.
  const int dirFd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size, int* error) {
  return WriteAndRename(path, data, size, -1, error);
}

bool OverwriteFileStartAtomically(const std::string& path, const void* data, size_t size, int* error) {
  const int old = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (old < 0) {
    if (errno == ENOENT) return WriteAndRename(path, data, size, -1, error);
    *error = errno;
    return false;
  }
  struct stat st;
  bool ok = false;
  if (fstat(old, &st) != 0) {
    *error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    *error = NotAFileError(st.st_mode);
  } else {
    ok = WriteAndRename(path, data, size, old, error);
  }
  close(old);
  return ok;
}

int RemoveStaleTemporaryFiles(const std::string& folder, const std::vector<std::string>& endings,
                              int minimumAgeSeconds) {
  DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
  if (!dir) return 0;
  const time_t now = time(nullptr);
  int removed = 0;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (!IsTemporaryNameOf(name, endings)) continue;
    const std::string path = folder + "/" + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - st.st_mtime <= minimumAgeSeconds) continue;
    if (unlink(path.c_str()) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}

void WithFolderLock(const std::string& folder, const std::function<void()>& work) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  work();
  if (fd >= 0) close(fd);  // releases the lock
}

bool MakeFolders(const std::string& path, int* error) {
  if (path.empty()) {
    *error = ENOENT;
    return false;
  }
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = errno;
      return false;
    }
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = errno;
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    *error = ENOTDIR;
    return false;
  }
  return true;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool RemoveFile(const std::string& path, int* error) {
  if (unlink(path.c_str()) == 0) return true;
  *error = errno;
  return false;
}

const char* GameFolderName() { return "tessivane"; }

std::string Home() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  const passwd* pw = getpwuid(getuid());
  if (pw && pw->pw_dir && pw->pw_dir[0] == '/') return pw->pw_dir;
  return std::string();
}

namespace {

std::string XdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  std::string folder;
  if (value && value[0] == '/') {
    folder = value;
  } else {
    const std::string home = Home();
    if (home.empty()) return std::string();
    folder = home + fallback;
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

std::string ConfigHome() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }
std::string DataHome() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string DataFolder(const std::string& base, int* error) {
  if (access(base.c_str(), W_OK) == 0) return base;
  const std::string home = DataHome();
  if (home.empty()) {
    *error = ENOENT;
    return std::string();
  }
  const std::string folder = home + "/" + GameFolderName();
  if (!MakeFolders(folder, error)) return std::string();
  return folder;
}

std::string PicturesHome() {
  const std::string home = Home();
  if (home.empty()) return std::string();
  std::string folder = home + "/Pictures";
  std::vector<uint8_t> bytes;
  int error = 0;
  const std::string config = ConfigHome();
  if (!config.empty() && ReadWholeFile(config + "/user-dirs.dirs", 65536, &bytes, &error)) {
    const std::string text(bytes.begin(), bytes.end());
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      start = end + 1;
      const size_t a = line.find_first_not_of(" \t");
      if (a == std::string::npos || line.compare(a, 17, "XDG_PICTURES_DIR=") != 0) continue;
      std::string value = line.substr(a + 17);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.pop_back();
      if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
      value = value.substr(1, value.size() - 2);
      if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
        value = home + value.substr(5);
      } else if (value.empty() || value[0] != '/') {
        continue;  // neither form the file allows
      }
      // The last valid line wins, as when the file is read by a shell.
      folder = value;
    }
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace files
