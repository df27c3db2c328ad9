// Whole-file reading and atomic file replacement, for the score file, the
// settings, replays and pictures. Plain POSIX; no game knowledge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace files {

// Reads a regular file whole, at most `limit` bytes (the rest is not read).
// On failure returns false with `error` set to an errno value: ENOENT for a
// missing file, EISDIR for anything that is not a regular file, or the error
// of open/fstat/read. Never blocks on a FIFO or a device in place of the file.
bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes, int* error);

// Writes `size` bytes to a new temporary file with a unique name in the same
// folder as `path`, forces it to disk and renames it over `path`, so a reader
// sees either the old file whole or the new one whole. Any failure removes the
// temporary file, leaves `path` untouched and returns false with `error` set
// (an errno value).
bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size, int* error);

// The same, but the new file holds what writing the bytes over the start of
// the old file in place would leave: when the old file is longer, its bytes
// past `size` follow them. A missing old file counts as empty; one that cannot
// be read, or is not a regular file (EISDIR), fails the write and stays as it
// is.
bool OverwriteFileStartAtomically(const std::string& path, const void* data, size_t size, int* error);

// Creates a folder and its missing parents (mode 0700 for new ones). True when
// the folder exists afterwards; otherwise `error` holds the reason.
bool MakeFolders(const std::string& path, int* error);

// The player's XDG base folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME; a value
// that is unset, empty or not absolute falls back to ~/.config and
// ~/.local/share), without a trailing '/'. Empty when no home is known.
std::string ConfigHome();
std::string DataHome();
// The player's home folder ($HOME, else the password entry's); empty when none is known.
std::string Home();

// The player's pictures folder: XDG_PICTURES_DIR as the user-dirs file
// ($XDG_CONFIG_HOME/user-dirs.dirs) sets it ("$HOME/..." or an absolute
// path), else ~/Pictures. Empty when no home is known.
std::string PicturesHome();

}  // namespace files
