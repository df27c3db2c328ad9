// Whole-file reading and atomic file replacement, for the score file, the
// settings, replays and pictures. No game knowledge. Paths are UTF-8 with '/'
// between folders; this file is plain POSIX, platform/windows/files_windows.cpp
// does the same through the wide-character calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace files {

// What a path names when it is not a regular file, as the `error` of the
// calls below (besides errno values, and EISDIR for a folder).
constexpr int kErrorIsFifo = -1001;
constexpr int kErrorIsDevice = -1002;
constexpr int kErrorIsSocket = -1003;
// The reason for an `error` in words: strerror's text for errno values
// ("Is a directory" for a folder), "Is a FIFO (named pipe), not a file" and
// the like for the kinds above.
std::string ErrorText(int error);

// Reads a regular file whole, at most `limit` bytes (the rest is not read).
// On failure returns false with `error` set: ENOENT for a missing file, EISDIR
// for a folder, kErrorIsFifo, kErrorIsDevice or kErrorIsSocket for the other
// things that are not regular files, or the errno of open/fstat/read. Never
// blocks on a FIFO or a device in place of the file.
bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes, int* error);

// Writes `size` bytes to a new temporary file with a unique name in the same
// folder as `path` ("<name>.XXXXXX"), forces it to disk and renames it over
// `path`, so a reader sees either the old file whole or the new one whole.
// When `path` is a symbolic link, its target is written that way (in the
// target's folder) and the link stays. Any failure removes the temporary
// file, leaves `path` untouched and returns false with `error` set.
bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size, int* error);

// The same, but the new file holds what writing the bytes over the start of
// the old file in place would leave: when the old file is longer, its bytes
// past `size` follow them. A missing old file counts as empty; one that cannot
// be read, or is not a regular file (EISDIR and the kinds above), fails the
// write and stays as it is.
bool OverwriteFileStartAtomically(const std::string& path, const void* data, size_t size, int* error);

// `path` with symbolic links in its last part followed to the file they
// name (which may not exist yet); `path` itself when it is no link, or when
// the links go round in a loop.
std::string FollowLinks(const std::string& path);

// Removes the temporary files that saves interrupted by a crash or a kill
// left in `folder`: regular files named "<name>.XXXXXX" (six letters or
// digits, as the writes above make them) where <name> ends with one of
// `endings` (such as "settings.ini" or ".tvreplay"), last changed more than
// `minimumAgeSeconds` ago (so that a save under way in another process is
// never touched). Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string& folder, const std::vector<std::string>& endings,
                              int minimumAgeSeconds);

// Runs `work` while holding an exclusive lock on `folder` (flock on the
// folder itself, so no lock file is left), waiting for another process that
// holds it. `work` runs unlocked when the folder cannot be opened or locked.
void WithFolderLock(const std::string& folder, const std::function<void()>& work);

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

// Creates a folder and its missing parents (mode 0700 for new ones). True when
// the folder exists afterwards; otherwise `error` holds the reason.
bool MakeFolders(const std::string& path, int* error);

// True when something exists at `path` (a file, a folder, anything).
bool Exists(const std::string& path);

// The names in a folder (without "." and ".."), in no particular order; empty
// when it cannot be read.
std::vector<std::string> FolderNames(const std::string& folder);

// std::fopen for a UTF-8 path (the tools' own files: scripts, dumps,
// digests). Unlike the calls above it opens whatever the path names, a pipe
// or a device included (--dump /dev/stdout).
std::FILE* OpenFile(const std::string& path, const char* mode);

// Removes a file; false (with `error` set) when it could not be removed.
bool RemoveFile(const std::string& path, int* error);

// The name of the game's own folder inside the player's folders below:
// "tessivane" on POSIX systems, "Tessivane" on Windows.
const char* GameFolderName();

// The player's XDG base folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME; a value
// that is unset, empty or not absolute falls back to ~/.config and
// ~/.local/share), without a trailing '/'. Empty when no home is known.
std::string ConfigHome();
std::string DataHome();
// The player's home folder ($HOME, else the password entry's); empty when none is known.
std::string Home();

// The folder for the player's data of a program kept in `base`: `base`
// itself when it can be written (a copy kept in a folder of its own, the build
// folder), else DataHome()/tessivane, made when missing. Empty, with `error`
// set, when there is neither.
std::string DataFolder(const std::string& base, int* error);

// The player's pictures folder: XDG_PICTURES_DIR as the user-dirs file
// ($XDG_CONFIG_HOME/user-dirs.dirs) sets it ("$HOME/..." or an absolute
// path), else ~/Pictures. Empty when no home is known.
std::string PicturesHome();

// On Windows the two base folders are both %APPDATA% (the roaming
// application data) and the pictures folder is the user's Pictures.

}  // namespace files
