// Screenshots: where they go (the user-dirs file), what they hold (a PNG of
// the play picture), what a folder that cannot be written gives, and that
// neither the file nor the notice touches the game's picture.
#include "platform/screenshot.h"

#include <sys/stat.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/surface.h"

namespace {

class Screenshots : public testing::Test {
 protected:
  void SetUp() override {
    // A folder of its own: CTest runs the cases of this file side by side.
    std::string pattern = testing::TempDir() + "screenshot_home.XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    home = pattern;
    ASSERT_EQ(std::system(("mkdir -p " + home + "/.config").c_str()), 0);
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    headless::Reset();
    ASSERT_TRUE(SetUpSurfaces());
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i)
      scrmain.pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
  }
  void TearDown() override {
    if (!home.empty()) std::system(("chmod -R u+w " + home + " 2>/dev/null; rm -rf " + home).c_str());
  }
  void UserDirs(const std::string& text) { std::ofstream(home + "/.config/user-dirs.dirs") << text; }
  std::string home;
};

// The picture inside a PNG written by EncodePng: width, height and pixels.
bool DecodePng(const std::string& path, int* w, int* h, std::vector<uint32_t>* pixels) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  const std::string png = s.str();
  if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
  auto word = [&](size_t at) {
    return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
           uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]);
  };
  std::string packed;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = word(at);
    const std::string type = png.substr(at + 4, 4);
    if (crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4) != word(at + 8 + length))
      return false;
    if (type == "IHDR") {
      *w = int(word(at + 8));
      *h = int(word(at + 12));
      if (png[at + 16] != 8 || png[at + 17] != 2) return false;
    }
    if (type == "IDAT") packed += png.substr(at + 8, length);
    at += 12 + length;
  }
  std::vector<uint8_t> raw(size_t(*h) * (1 + size_t(*w) * 3));
  uLongf size = uLongf(raw.size());
  if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()), uLong(packed.size())) != Z_OK ||
      size != raw.size())
    return false;
  pixels->clear();
  for (int y = 0; y < *h; ++y) {
    const uint8_t* row = raw.data() + size_t(y) * (1 + size_t(*w) * 3);
    if (row[0] != 0) return false;
    for (int x = 0; x < *w; ++x)
      pixels->push_back(uint32_t(row[1 + 3 * x]) << 16 | uint32_t(row[2 + 3 * x]) << 8 | row[3 + 3 * x]);
  }
  return true;
}

}  // namespace

TEST_F(Screenshots, PicturesFolderComesFromTheUserDirsFile) {
  struct Case {
    const char *file, *expected;
  } cases[] = {
      {nullptr, "/Pictures"},
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "/Bilder"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_PICTURES_DIR=\"/srv/pics/\"\n", "=/srv/pics"},
      {"XDG_PICTURES_DIR=\"relative/pics\"\n", "/Pictures"},
      {"XDG_PICTURES_DIR=$HOME/unquoted\n", "/Pictures"},
      {"XDG_PICTURES_DIR=\"$HOMEX/b\"\n", "/Pictures"},
      {"XDG_PICTURES_DIR=\"$HOME/a\"\r\nXDG_PICTURES_DIR=\"$HOME/b\"\r\n", "/b"},
  };
  for (const Case& c : cases) {
    std::remove((home + "/.config/user-dirs.dirs").c_str());
    if (c.file) UserDirs(c.file);
    const std::string expected = c.expected[0] == '=' ? std::string(c.expected + 1) : home + c.expected;
    EXPECT_EQ(files::PicturesHome(), expected) << (c.file ? c.file : "(no file)");
  }
}

TEST_F(Screenshots, WritesThePlayPictureAsPngAndLeavesItUntouched) {
  UserDirs("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  const std::vector<uint32_t> before(scrmain.pixels, scrmain.pixels + kScreenWidth * kScreenHeight);
  TakeScreenshot();
  RefreshScreen();  // presents with the notice over it
  const std::string path = LastScreenshotPath();
  ASSERT_EQ(path.rfind(home + "/Bilder/Tessivane/2", 0), 0u) << path;
  EXPECT_NE(ScreenshotNotice().find(path.substr(path.rfind('/') + 1)), std::string::npos) << ScreenshotNotice();
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(DecodePng(path, &w, &h, &pixels));
  EXPECT_EQ(w, 332);
  EXPECT_EQ(h, 478);
  EXPECT_TRUE(pixels == before) << "the file is not the play picture";
  EXPECT_TRUE(std::vector<uint32_t>(scrmain.pixels, scrmain.pixels + kScreenWidth * kScreenHeight) == before)
      << "the notice was drawn into the game's picture";
  // A second shot in the same second gets a name of its own.
  TakeScreenshot();
  EXPECT_NE(LastScreenshotPath(), path);
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(stat(LastScreenshotPath().c_str(), &st), 0);
}

TEST_F(Screenshots, AFolderThatCannotBeWrittenGivesTheReason) {
  UserDirs("XDG_PICTURES_DIR=\"$HOME/blocked\"\n");
  std::ofstream(home + "/blocked") << "a file where the folder should be";
  const std::string previous = LastScreenshotPath();
  TakeScreenshot();
  EXPECT_EQ(LastScreenshotPath(), previous);
  EXPECT_NE(ScreenshotNotice().find("Screenshot failed: "), std::string::npos) << ScreenshotNotice();
  EXPECT_GT(ScreenshotNotice().size(), std::string("Screenshot failed: ").size());
}
