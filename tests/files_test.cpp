#include "platform/files.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
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
      {"fifo", 100, false, EISDIR, {}},
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
    EXPECT_EQ(error, EISDIR) << name;
    struct stat st;
    ASSERT_EQ(lstat(At(name).c_str(), &st), 0);
    EXPECT_FALSE(S_ISREG(st.st_mode)) << name;
  }
  // Nothing but the files made here: no temporary file is left behind.
  EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "' | wc -l) -eq 3").c_str()), 0);
}

}  // namespace
