#include "platform/files.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tessivane_files_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string At(const char* name) const { return dir_ + "/" + name; }
  static void Write(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string dir_;
};

Bytes Counting(size_t n) {
  Bytes b(n);
  for (size_t k = 0; k < n; ++k) b[k] = uint8_t(k * 7 + 1);
  return b;
}

TEST_F(FilesTest, ReadWholeFileReadsRegularFilesUpToTheLimitAndRefusesTheRest) {
  Write(At("empty"), {});
  Write(At("small"), Counting(10));
  Write(At("large"), Counting(100000));
  ASSERT_EQ(mkdir(At("folder").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(At("fifo").c_str(), 0644), 0);  // no writer: opening it plainly would wait for ever
  ASSERT_EQ(symlink("/dev/null", At("device").c_str()), 0);
  struct Case {
    const char* name;
    size_t limit;
    bool ok;
    int error;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", 100, true, 0, {}},
      {"small", 100, true, 0, Counting(10)},
      {"small", 10, true, 0, Counting(10)},
      {"small", 4, true, 0, Counting(4)},
      {"large", 1000000, true, 0, Counting(100000)},
      {"large", 65537, true, 0, Counting(65537)},
      // A limit far beyond any memory: only what the file holds is taken.
      {"small", size_t(1) << 62, true, 0, Counting(10)},
      {"missing", 100, false, ENOENT, {}},
      {"folder", 100, false, EISDIR, {}},
      {"fifo", 100, false, files::kErrorIsFifo, {}},
      {"device", 100, false, files::kErrorIsDevice, {}},
  };
  // In a child with an alarm, so that a read that blocks fails the test.
  std::fflush(stdout);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(10);
    for (const Case& c : cases) {
      Bytes bytes = {9, 9};
      int error = 0;
      const bool ok = files::ReadWholeFile(At(c.name), c.limit, &bytes, &error);
      if (ok != c.ok || bytes != c.bytes || (!ok && error != c.error)) {
        std::fprintf(stderr, "%s, limit %zu: ok %d, %zu bytes, error %d\n", c.name, c.limit, ok, bytes.size(),
                     error);
        std::fflush(stderr);
        _exit(1);
      }
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Writing over the start of a file keeps the old bytes past the new ones;
// anything that is not a regular file stays as it is.
TEST_F(FilesTest, OverwriteFileStartKeepsTheOldTail) {
  struct Case {
    size_t oldSize;  // 0: no old file
    size_t newSize;
  };
  const Case cases[] = {{0, 5}, {20, 5}, {20, 20}, {20, 30}, {200000, 78}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.oldSize) + " bytes, then " + std::to_string(c.newSize));
    const std::string path = At("file");
    std::remove(path.c_str());
    const Bytes old = Counting(c.oldSize);
    if (c.oldSize > 0) Write(path, old);
    const Bytes fresh(c.newSize, 0xEE);
    int error = 0;
    ASSERT_TRUE(files::OverwriteFileStartAtomically(path, fresh.data(), fresh.size(), &error)) << error;
    Bytes expected = fresh;
    if (old.size() > fresh.size()) expected.insert(expected.end(), old.begin() + long(fresh.size()), old.end());
    EXPECT_EQ(Read(path), expected);
  }

  ASSERT_EQ(mkfifo(At("fifo").c_str(), 0644), 0);
  ASSERT_EQ(mkdir(At("folder").c_str(), 0755), 0);
  for (const char* name : {"fifo", "folder"}) {
    int error = 0;
    EXPECT_FALSE(files::OverwriteFileStartAtomically(At(name), "x", 1, &error)) << name;
    EXPECT_EQ(error, name[0] == 'f' && name[1] == 'i' ? files::kErrorIsFifo : EISDIR) << name;
    struct stat st;
    ASSERT_EQ(lstat(At(name).c_str(), &st), 0);
    EXPECT_FALSE(S_ISREG(st.st_mode)) << name;
  }
  // Nothing but the files made here: no temporary file is left behind.
  EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "' | wc -l) -eq 3").c_str()), 0);
}

// One rule for every player file: an absolute XDG variable, else an absolute
// HOME, else the password file's home; relative values are ignored. Scores go
// beside the program only when that folder can be written.
TEST_F(FilesTest, PlayerFoldersFollowOneRule) {
  const passwd* pw = getpwuid(getuid());
  ASSERT_NE(pw, nullptr);
  const std::string own = pw->pw_dir;
  struct Case {
    const char* xdg;  // nullptr: unset
    const char* home;
    std::string data;
  };
  const Case cases[] = {
      {"/abs/data", "/abs/home", "/abs/data"},
      {"relative", "/abs/home", "/abs/home/.local/share"},
      {nullptr, "/abs/home", "/abs/home/.local/share"},
      {nullptr, "relative", own + "/.local/share"},
      {"", nullptr, own + "/.local/share"},
  };
  const char* savedHome = std::getenv("HOME");
  const std::string keepHome = savedHome ? savedHome : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + ", HOME " + (c.home ? c.home : "(unset)"));
    c.xdg ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    EXPECT_EQ(files::DataHome(), c.data);
  }
  setenv("HOME", keepHome.c_str(), 1);

  // A program folder that cannot be written sends the scores to the data home.
  setenv("XDG_DATA_HOME", At("data").c_str(), 1);
  unsetenv("HOME");
  int error = 0;
  EXPECT_EQ(files::DataFolder(dir_, &error), dir_);
  EXPECT_EQ(files::DataFolder(At("missing"), &error), At("data") + "/tessivane");
  struct stat st;
  EXPECT_EQ(stat(At("data/tessivane").c_str(), &st), 0);
  setenv("HOME", keepHome.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
}

// Each thing that is not a file is called what it is.
TEST_F(FilesTest, ErrorTextNamesWhatThePathIs) {
  EXPECT_EQ(files::ErrorText(EISDIR), std::strerror(EISDIR));
  EXPECT_EQ(files::ErrorText(files::kErrorIsFifo), "Is a FIFO (named pipe), not a file");
  EXPECT_EQ(files::ErrorText(files::kErrorIsDevice), "Is a device, not a file");
  EXPECT_EQ(files::ErrorText(files::kErrorIsSocket), "Is a socket, not a file");
  EXPECT_EQ(files::ErrorText(ENOENT), std::strerror(ENOENT));
}

// A file kept elsewhere through a symbolic link stays there: the link's
// target is replaced (atomically, in its own folder) and the link stays.
TEST_F(FilesTest, WritingThroughASymbolicLinkReplacesItsTarget) {
  ASSERT_EQ(mkdir(At("elsewhere").c_str(), 0755), 0);
  struct Case {
    const char* link;
    const char* target;  // as the link holds it
    const char* file;    // the file that must get the bytes
  };
  const Case cases[] = {
      {"absolute", nullptr, "elsewhere/a"},
      {"relative", "elsewhere/b", "elsewhere/b"},
      {"dangling", "elsewhere/new", "elsewhere/new"},
      {"chain", "relative", "elsewhere/b"},
  };
  Write(At("elsewhere/a"), {1});
  Write(At("elsewhere/b"), {2});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    const std::string target = c.target ? c.target : At("elsewhere/a");
    if (std::strcmp(c.link, "dangling") != 0) Write(At(c.file), {1});
    ASSERT_EQ(symlink(target.c_str(), At(c.link).c_str()), 0);
    int error = 0;
    ASSERT_TRUE(files::OverwriteFileStartAtomically(At(c.link), "new", 3, &error)) << error;
    struct stat st;
    ASSERT_EQ(lstat(At(c.link).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is still a link";
    EXPECT_EQ(Read(At(c.file)), Bytes({'n', 'e', 'w'}));
    ASSERT_TRUE(files::ReplaceFileAtomically(At(c.link), "again", 5, &error)) << error;
    EXPECT_EQ(Read(At(c.file)).size(), 5u);
  }
  // No temporary file is left beside the links or their targets.
  EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "/elsewhere' | wc -l) -eq 3").c_str()), 0);
  EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "' | wc -l) -eq 5").c_str()), 0);
}

// Temporary files of saves killed half-way go at the next start: only the
// game's own names, only regular files, only those no save can still be
// writing.
TEST_F(FilesTest, StaleTemporaryFilesOfTheGamesOwnNamesAreRemoved) {
  struct Case {
    const char* name;
    bool old;
    bool removed;
  };
  const Case cases[] = {
      {"settings.ini.a1B2c3", true, true},
      {"Qapo.sco.Zz9yY8", true, true},
      {"2026-12-10 14.02.11.tvreplay.abcdef", true, true},
      {"settings.ini.a1B2c4", false, false},   // a save under way
      {"settings.ini", true, false},           // the file itself
      {"notes.txt.a1B2c3", true, false},       // not the game's name
      {"settings.ini.a1B2c", true, false},     // not a unique name
      {"settings.ini.a1B2c-", true, false},
      {"Qapo.sco.damaged", true, false},
  };
  for (const Case& c : cases) {
    Write(At(c.name), {1});
    if (c.old) {
      const struct timespec times[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
      ASSERT_EQ(utimensat(AT_FDCWD, At(c.name).c_str(), times, 0), 0);
    }
  }
  ASSERT_EQ(mkdir(At("Qapo.sco.folder").c_str(), 0755), 0);  // not a regular file
  EXPECT_EQ(files::RemoveStaleTemporaryFiles(dir_, {"settings.ini", "Qapo.sco", ".tvreplay"}, 60), 3);
  for (const Case& c : cases) {
    struct stat st;
    EXPECT_EQ(lstat(At(c.name).c_str(), &st) != 0, c.removed) << c.name;
  }
  EXPECT_EQ(files::RemoveStaleTemporaryFiles(dir_ + "/missing", {"settings.ini"}, 60), 0);
}

}  // namespace
