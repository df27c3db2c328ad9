#include "data/score_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/backend.h"
#include "platform/language.h"

float hiScores[kHiScoreEntries];
std::string hiNames[kHiScoreEntries];
uint8_t unlockedStage = 1;
uint8_t medals[kMedalCount] = {1, 1, 1, 1, 1};
int32_t storedChecksum;
int32_t computedChecksum;

namespace {

constexpr const char* kScoreFileName = "/Qapo.sco";
constexpr const char* kDamagedMessage = language::TranslatedLater("スコアデータが壊れています\rハイスコアは抹消されました");
constexpr const char* kMessageTitle = "Tessivane";
constexpr size_t kMaxNameBytes = 65535;

struct DefaultEntry {
  float score;
  const char* name;
};
// clang-format off
constexpr DefaultEntry kDefaultTable[] = {
    {10000.0f, "にんじん"},
    { 5000.0f, "さんだる"},
    { 3000.0f, "よっと"},
    { 2000.0f, "ごましお"},
    { 1000.0f, "ろけっと"},
};
// clang-format on
static_assert(sizeof(kDefaultTable) / sizeof(kDefaultTable[0]) == kHiScoreEntries, "five entries");

// The check value in double, in the order the formula is written.
double ChecksumOf(const float scores[], uint8_t stage, const uint8_t marks[]) {
  const double s0 = scores[0], s1 = scores[1], s2 = scores[2], s3 = scores[3], s4 = scores[4];
  return s1 * 5 + s0 + 314 + (s2 + 131) * 2 - (s3 * 2 - 113) + s4 - 126 + stage + marks[0] +
         2.0 * marks[1] + 3.0 * marks[2] + 4.0 * marks[3] + 5.0 * marks[4];
}

// Nearest integer, halves to even; false when there is none in 32 bits.
bool ToInt32(double v, int32_t* out) {
  if (!std::isfinite(v)) return false;
  const double r = std::nearbyint(v);
  if (r < -2147483648.0 || r > 2147483647.0) return false;
  *out = int32_t(r);
  return true;
}

// ---- Little-endian fields ----------------------------------------------------
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
}
void PutFloat(std::vector<uint8_t>& out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(out, bits);
}

// A bounded reader: every read checks what is left first.
struct ByteReader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool Has(size_t n) const { return size - pos >= n; }
  bool U8(uint8_t* v) {
    if (!Has(1)) return false;
    *v = data[pos++];
    return true;
  }
  bool U16(uint16_t* v) {
    if (!Has(2)) return false;
    *v = uint16_t(data[pos] | (data[pos + 1] << 8));
    pos += 2;
    return true;
  }
  bool U32(uint32_t* v) {
    if (!Has(4)) return false;
    *v = uint32_t(data[pos]) | uint32_t(data[pos + 1]) << 8 | uint32_t(data[pos + 2]) << 16 |
         uint32_t(data[pos + 3]) << 24;
    pos += 4;
    return true;
  }
  bool Float(float* v) {
    uint32_t bits;
    if (!U32(&bits)) return false;
    std::memcpy(v, &bits, 4);
    return true;
  }
};

// ---- CP932 <-> UTF-8 ------------------------------------------------------------
iconv_t OpenConverter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  return cd;
}
bool Usable(iconv_t cd) { return cd != iconv_t(-1); }

iconv_t FromCp932() {
  static iconv_t cd = OpenConverter("UTF-8", "CP932");
  return cd;
}
iconv_t ToCp932() {
  static iconv_t cd = OpenConverter("CP932", "UTF-8");
  return cd;
}

// Length of the UTF-8 character starting at s[0] (1..4), or 0 when the bytes
// there do not form one.
size_t Utf8CharLength(const unsigned char* s, size_t left) {
  const unsigned char c = s[0];
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || n > left) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((s[k] & 0xC0) != 0x80) return 0;
  return n;
}

// Where a name cut to at most `limit` bytes must end so as not to split a
// CP932 character.
size_t Cp932Cut(const std::string& bytes, size_t limit) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char c = uint8_t(bytes[pos]);
    const size_t n = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (pos + n > limit) break;
    pos += n;
  }
  return pos;
}

}  // namespace

std::string NameFromCp932(const uint8_t* bytes, size_t count) {
  std::string out;
  iconv_t cd = FromCp932();
  if (!Usable(cd)) {  // no converter: keep plain ASCII only
    for (size_t k = 0; k < count; ++k) out.push_back(bytes[k] < 0x80 ? char(bytes[k]) : '?');
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string buffer(count * 3 + 8, '\0');  // one CP932 byte gives at most 3 UTF-8 bytes
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t inLeft = count;
  char* outPtr = &buffer[0];
  size_t outLeft = buffer.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1)) break;
    if (errno == EILSEQ || errno == EINVAL) {
      // Not CP932 (or cut short at the end): one "?" for the byte, go on after it.
      *outPtr++ = '?';
      --outLeft;
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      break;  // cannot happen with the buffer sized above
    }
  }
  buffer.resize(buffer.size() - outLeft);
  return buffer;
}

std::string NameToCp932(const std::string& utf8) {
  std::string out;
  iconv_t cd = ToCp932();
  const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
  size_t left = utf8.size();
  while (left > 0) {
    const size_t n = Utf8CharLength(s, left);
    if (n == 0) {  // not UTF-8: one "?" for the byte
      out.push_back('?');
      ++s;
      --left;
      continue;
    }
    char converted[8];
    char* in = const_cast<char*>(reinterpret_cast<const char*>(s));
    size_t inLeft = n;
    char* outPtr = converted;
    size_t outLeft = sizeof converted;
    bool ok = false;
    if (Usable(cd)) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1) && inLeft == 0;
    } else if (n == 1) {
      converted[0] = char(s[0]);
      outPtr = converted + 1;
      ok = true;
    }
    if (ok) {
      out.append(converted, size_t(outPtr - converted));
    } else {
      out.push_back('?');
    }
    s += n;
    left -= n;
  }
  if (out.size() > kMaxNameBytes) out.resize(Cp932Cut(out, kMaxNameBytes));
  return out;
}

std::string ScoreFilePath() { return platform::DataDirectory() + kScoreFileName; }

void SetDefaultScoreTable() {
  for (int k = 0; k < kHiScoreEntries; ++k) {
    hiScores[k] = kDefaultTable[k].score;
    hiNames[k] = kDefaultTable[k].name;
  }
  unlockedStage = 1;
  for (int k = 0; k < kMedalCount; ++k) medals[k] = 1;
}

bool ComputeScoreChecksum(int32_t* value) {
  return ToInt32(ChecksumOf(hiScores, unlockedStage, medals), value);
}

std::vector<uint8_t> EncodeScoreRecord() {
  std::vector<uint8_t> out;
  out.reserve(128);
  for (int k = 0; k < kHiScoreEntries; ++k) PutFloat(out, hiScores[k]);
  for (int k = 0; k < kHiScoreEntries; ++k) {
    const std::string bytes = NameToCp932(hiNames[k]);
    PutU16(out, uint16_t(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  out.push_back(unlockedStage);
  for (int k = 0; k < kMedalCount; ++k) out.push_back(medals[k]);
  PutU32(out, uint32_t(storedChecksum));
  return out;
}

bool DecodeScoreRecord(const uint8_t* data, size_t size) {
  ByteReader r{data, size};
  float scores[kHiScoreEntries];
  for (float& s : scores)
    if (!r.Float(&s)) return false;
  struct Span {
    size_t at;
    uint16_t count;
  } names[kHiScoreEntries];
  for (Span& n : names) {
    if (!r.U16(&n.count) || !r.Has(n.count)) return false;
    n.at = r.pos;
    r.pos += n.count;
  }
  uint8_t stage;
  uint8_t marks[kMedalCount];
  uint32_t stored;
  if (!r.U8(&stage)) return false;
  for (uint8_t& m : marks)
    if (!r.U8(&m)) return false;
  if (!r.U32(&stored)) return false;

  int32_t computed;
  if (!ToInt32(ChecksumOf(scores, stage, marks), &computed)) return false;
  computedChecksum = computed;
  if (computed != int32_t(stored)) return false;
  for (float s : scores)
    if (!std::isfinite(s)) return false;
  if (stage < 1 || stage > 7) return false;

  for (int k = 0; k < kHiScoreEntries; ++k) {
    hiScores[k] = scores[k];
    hiNames[k] = NameFromCp932(data + names[k].at, names[k].count);
  }
  unlockedStage = stage;
  for (int k = 0; k < kMedalCount; ++k) medals[k] = marks[k];
  storedChecksum = int32_t(stored);
  return true;
}

void LoadScoreBytes(const uint8_t* data, size_t size) {
  if (DecodeScoreRecord(data, size)) return;
  platform::ShowMessage(language::Translate(kDamagedMessage), kMessageTitle, true);
  SetDefaultScoreTable();
  SaveScoreFile();
}

void LoadScoreFile() {
  const std::string path = ScoreFilePath();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    // A new file: the record read back is the one just written.
    SetDefaultScoreTable();
    SaveScoreFile();
    computedChecksum = storedChecksum;
    return;
  }
  // A file that exists but cannot be read (no permission, not a file, a read
  // error) may still hold a good table: play with the default one and leave
  // the file as it is, saying why on stderr.
  std::vector<uint8_t> bytes;
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    struct stat st;
    if (fstat(fd, &st) != 0) {
      error = errno;
    } else if (!S_ISREG(st.st_mode)) {
      error = EISDIR;
    } else {
      bytes.resize(kMaxScoreRecordBytes);
      size_t got = 0;
      while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        got += size_t(n);
      }
      bytes.resize(got);
    }
    close(fd);
  }
  if (error != 0) {
    std::fprintf(stderr, "Tessivane: cannot read %s (%s); the default high scores are used and the file is left alone\n",
                 path.c_str(), std::strerror(error));
    SetDefaultScoreTable();
    ComputeScoreChecksum(&storedChecksum);
    computedChecksum = storedChecksum;
    return;
  }
  LoadScoreBytes(bytes.data(), bytes.size());
}

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

// Writes `bytes` to a temporary file beside `path`, forces it to the disk and
// renames it over `path`; the old file stays whole until the rename.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temp = path + ".tmp";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const std::string dir = path.substr(0, path.find_last_of('/') + 1);
  const int dirFd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

}  // namespace

void SaveScoreFile() {
  int32_t value;
  if (!ComputeScoreChecksum(&value)) {
    // Out of reach for real scores; keep the conversion defined all the same.
    const double c = ChecksumOf(hiScores, unlockedStage, medals);
    value = c > 0 ? INT32_MAX : INT32_MIN;
  }
  storedChecksum = value;
  ReplaceFile(ScoreFilePath(), EncodeScoreRecord());
}
