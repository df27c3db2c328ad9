#include "platform/screenshot.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/language.h"

namespace {

constexpr uint32_t kNoticeMs = 2500;
constexpr int kNoticePoints = 9;
constexpr int kNoticeLineHeight = 14;

std::string lastPath;
std::string notice;
uint32_t noticeStartMs = 0;
bool noticeShowing = false;
std::string (*cornerLabel)() = nullptr;
bool (*presentOverlay)(Surface& copy) = nullptr;
uint32_t overlayPixels[kScreenWidth * kScreenHeight];

void AppendWord(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void AppendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  AppendWord(out, uint32_t(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  AppendWord(out, uint32_t(crc32(0, out.data() + typeAt, uInt(out.size() - typeAt))));
}

void ShowNotice(const std::string& text) {
  notice = text;
  noticeStartMs = platform::ReadClockMs();
  noticeShowing = true;
}

// The folder as a player reads it: the home folder as "~", and the leading
// folders left out ("…/") while the notice's line would not fit.
std::string ShownFolder(const std::string& folder) {
  std::string shown = folder;
  const std::string home = files::Home();
  if (!home.empty() && shown.compare(0, home.size(), home) == 0 &&
      (shown.size() == home.size() || shown[home.size()] == '/'))
    shown = "~" + shown.substr(home.size());
  const char* format = language::TranslatedLater("Screenshot saved in %s:");
  const int room = kScreenWidth - 8;
  while (platform::TextWidth(kNoticePoints, language::Formatted(format, shown)) > room) {
    const size_t slash = shown.find('/', shown.compare(0, 4, "…/") == 0 ? 4 : 1);
    if (slash == std::string::npos) break;
    shown = "…" + shown.substr(slash);
  }
  return shown;
}

std::string TimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d_%H-%M-%S", &local);
  return buf;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Surface& picture) {
  const int w = picture.width, h = picture.height;
  std::vector<uint8_t> raw;
  raw.reserve(size_t(h) * (1 + size_t(w) * 3));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < w; ++x) {
      const uint32_t p = picture.pixels[size_t(y) * w + x];
      raw.push_back(uint8_t(p >> 16));
      raw.push_back(uint8_t(p >> 8));
      raw.push_back(uint8_t(p));
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return {};
  packed.resize(packedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  AppendWord(header, uint32_t(w));
  AppendWord(header, uint32_t(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", packed);
  AppendChunk(png, "IEND", {});
  return png;
}

std::string ScreenshotFolder() {
  const std::string pictures = files::PicturesHome();
  return pictures.empty() ? std::string() : pictures + "/Tessivane";
}

void TakeScreenshot() {
  const char* failed = language::TranslatedLater("Screenshot failed: %s");
  if (!scrmain.pixels) return;  // nothing drawn yet
  const std::string folder = ScreenshotFolder();
  int error = 0;
  if (folder.empty()) {
    ShowNotice(language::Formatted(failed, files::ErrorText(ENOENT)));
    return;
  }
  if (!files::MakeFolders(folder, &error)) {
    ShowNotice(language::Formatted(failed, files::ErrorText(error)));
    return;
  }
  const std::string stem = folder + "/" + TimeStamp();
  std::string path = stem + ".png";
  for (int n = 2; files::Exists(path) && n < 100; ++n) path = stem + "-" + std::to_string(n) + ".png";
  const std::vector<uint8_t> png = EncodePng(scrmain);
  if (png.empty()) {
    ShowNotice(language::Formatted(failed, files::ErrorText(ENOMEM)));
  } else if (!files::ReplaceFileAtomically(path, png.data(), png.size(), &error)) {
    ShowNotice(language::Formatted(failed, files::ErrorText(error)));
  } else {
    lastPath = path;
    // Two lines: where the pictures go, then the file's name.
    ShowNotice(language::Formatted(language::TranslatedLater("Screenshot saved in %s:"), ShownFolder(folder)) +
               "\n" + path.substr(folder.size() + 1));
  }
}

void SetCornerLabel(std::string (*label)()) { cornerLabel = label; }
void SetPresentOverlay(bool (*draw)(Surface& copy)) { presentOverlay = draw; }

void PresentWithNotice(const Surface& picture) {
  if (noticeShowing && platform::ReadClockMs() - noticeStartMs >= kNoticeMs) noticeShowing = false;
  const std::string label = cornerLabel ? cornerLabel() : std::string();
  if ((!noticeShowing && label.empty() && !presentOverlay) || picture.width != kScreenWidth ||
      picture.height != kScreenHeight || !picture.pixels) {
    platform::PresentScreen(picture);
    return;
  }
  std::memcpy(overlayPixels, picture.pixels, sizeof overlayPixels);
  Surface overlay{kScreenWidth, kScreenHeight, overlayPixels};
  const bool drew = presentOverlay && presentOverlay(overlay);
  if (!drew && !noticeShowing && label.empty()) {
    platform::PresentScreen(picture);
    return;
  }

  if (!label.empty()) {
    // The top right corner, right of the score, on a darkened patch.
    const int width = platform::TextWidth(kNoticePoints, label);
    const int x = kScreenWidth - width - 4;
    DarkenArea(overlay, x - 3, 0, kScreenWidth, kNoticeLineHeight + 2);
    platform::DrawText(overlay, x, 2, kNoticePoints, 0xFFFF00, label);
  }
  if (noticeShowing) {
    // A darkened band along the bottom, the text's lines on it.
    const int lines = 1 + int(std::count(notice.begin(), notice.end(), '\n'));
    const int bandHeight = kNoticeLineHeight * lines + 4;
    DarkenArea(overlay, 0, kScreenHeight - bandHeight, kScreenWidth, kScreenHeight);
    size_t start = 0;
    for (int line = 0; line < lines; ++line) {
      size_t end = notice.find('\n', start);
      if (end == std::string::npos) end = notice.size();
      platform::DrawText(overlay, 4, kScreenHeight - bandHeight + 2 + kNoticeLineHeight * line, kNoticePoints,
                         0xFFFFFF, notice.substr(start, end - start));
      start = end + 1;
    }
  }
  platform::PresentScreen(overlay);
}

std::string LastScreenshotPath() { return lastPath; }
std::string ScreenshotNotice() { return notice; }
