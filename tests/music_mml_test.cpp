// The tune compiler: notation to MIDI events, and the thirteen built tunes as
// valid standard MIDI files of the intended lengths.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "mml.h"

namespace {

// Note-ons of a compiled one-part tune as "key@tick" (channel checked apart).
std::string NoteOns(const std::string& body, int channel = 1) {
  mml::Song song;
  std::string error;
  const std::string text = "part p " + std::to_string(channel) + "\n" + body + "\n";
  if (!mml::Compile(text, &song, &error)) return "error: " + error;
  std::string out;
  for (const mml::Event& e : song.tracks.at(1).events) {
    if ((e.status & 0xF0) != 0x90) continue;
    if ((e.status & 0x0F) != channel - 1) return "wrong channel";
    if (!out.empty()) out += ' ';
    out += std::to_string(e.data1) + "@" + std::to_string(e.tick);
  }
  return out;
}

TEST(MmlCompiler, NotesLengthsRepeatsAndMacros) {
  const struct {
    const char* body;
    const char* ons;
  } cases[] = {
      {"c", "60@0"},  // middle C, a quarter by default
      {"o5 c+ d- > c < b", "73@0 73@480 84@960 83@1440"},
      {"l8 c c4. c16 c", "60@0 60@240 60@960 60@1080"},
      {"c4^8 d c12 c12 c12 e", "60@0 62@720 60@1200 60@1360 60@1520 64@1680"},
      {"'ceg'2 'c>c'4 d", "60@0 64@0 67@0 60@960 72@960 62@1440"},
      {"[c:d]3 e", "60@0 62@480 60@960 62@1440 60@1920 64@2400"},
      {"[[c]2 d]2", "60@0 60@480 62@960 60@1440 60@1920 62@2400"},
      {"K2 c K-1 c r8 n30,8 c", "62@0 59@480 30@1200 59@1440"},
      {"o0 c o9 g", "12@0 127@480"},
  };
  for (const auto& c : cases) EXPECT_EQ(NoteOns(c.body), c.ons) << c.body;

  // On channel 10 the letters are drums.
  EXPECT_EQ(NoteOns("l8 k s h o c p x t m f", 10),
            "36@0 38@240 42@480 46@720 49@960 51@1200 39@1440 50@1680 47@1920 43@2160");
}

TEST(MmlCompiler, GateTempoProgramAndControllers) {
  mml::Song song;
  std::string error;
  ASSERT_TRUE(
      mml::Compile("title T\nmacro M q4 c2\npart lead 3\nt150 @33 V90 P20 E70 *M r2 t75 q7 c1\n", &song, &error))
      << error;
  ASSERT_EQ(song.tracks.size(), 2u);

  // Conductor: name, 4/4, then the two tempos at their ticks.
  const auto& cond = song.tracks[0].events;
  std::vector<std::pair<uint32_t, std::string>> tempos;
  for (const auto& e : cond)
    if (e.status == 0xFF && e.data1 == 0x51) tempos.emplace_back(e.tick, e.meta);
  ASSERT_EQ(tempos.size(), 2u);
  EXPECT_EQ(tempos[0], std::make_pair(0u, std::string("\x06\x1a\x80", 3)));     // 400000 us
  EXPECT_EQ(tempos[1], std::make_pair(1920u, std::string("\x0c\x35\x00", 3)));  // 800000 us
  // One bar at 150 and one at 75 a minute.
  EXPECT_NEAR(song.seconds, 1.6 + 3.2, 1e-9);
  EXPECT_EQ(song.lengthTicks, 3840u);

  std::map<std::pair<int, int>, int> controls;  // (status, number) -> value
  int program = -1;
  std::vector<std::pair<uint32_t, bool>> notes;  // tick, on
  for (const auto& e : song.tracks[1].events) {
    if (e.status == 0xC2) program = e.data1;
    if (e.status == 0xB2) controls[{e.status, e.data1}] = e.data2;
    if (e.status == 0x92) notes.emplace_back(e.tick, true);
    if (e.status == 0x82) notes.emplace_back(e.tick, false);
  }
  EXPECT_EQ(program, 33);
  EXPECT_EQ((controls[{0xB2, 7}]), 90);
  EXPECT_EQ((controls[{0xB2, 10}]), 20);
  EXPECT_EQ((controls[{0xB2, 91}]), 70);
  // q4: a half note sounds for half its length; q7 for seven eighths.
  const std::vector<std::pair<uint32_t, bool>> want = {
      {0, true}, {480, false}, {1920, true}, {1920 + 1680, false}};
  EXPECT_EQ(notes, want);
}

TEST(MmlCompiler, RejectsFaultyNotation) {
  const char* faulty[] = {
      "part a 1\nc z\n",              // unknown command
      "part a 1\n[c d\n",             // unclosed repeat
      "part a 1\nc d]2\n",            // stray close
      "part a 1\n[c]\n",              // repeat without a count
      "part a 1\nc7\n",               // not a division of the whole note
      "part a 1\no9 a\n",             // above key 127
      "part a 1\n*NOPE\n",            // unknown macro
      "part a 17\nc\n",               // no such channel
      "c d e\n",                      // notation before any part
      "part a 1\nc\npart b 2\nc2\n",  // parts of different lengths would not loop whole
      "part a 1\n'ce\n",              // unterminated chord
  };
  for (const char* text : faulty) {
    mml::Song song;
    std::string error;
    EXPECT_FALSE(mml::Compile(text, &song, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

// ---- The built tunes ----------------------------------------------------------

struct SmfSummary {
  bool ok = false;
  std::string problem;
  int format = -1, tracks = 0, division = 0;
  double seconds = 0;
  std::map<int, int> notesPerChannel;  // 0-based channel -> note-ons
  std::map<int, int> programs;         // channel -> program seen
};

uint32_t Be(const std::vector<uint8_t>& d, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | d[at + i];
  return v;
}

// An independent reader: chunk structure, events, running status, balance of
// notes, and the playing time from the tempo map.
SmfSummary ReadSmf(const std::vector<uint8_t>& d) {
  SmfSummary s;
  auto fail = [&](const std::string& why) {
    s.problem = why;
    return s;
  };
  if (d.size() < 14 || std::memcmp(d.data(), "MThd", 4) != 0 || Be(d, 4, 4) != 6) return fail("header");
  s.format = int(Be(d, 8, 2));
  s.tracks = int(Be(d, 10, 2));
  s.division = int(Be(d, 12, 2));
  std::vector<std::pair<uint32_t, uint32_t>> tempos;  // tick, us per quarter
  uint32_t lastTick = 0;
  size_t at = 14;
  for (int t = 0; t < s.tracks; ++t) {
    if (at + 8 > d.size() || std::memcmp(&d[at], "MTrk", 4) != 0) return fail("track chunk");
    const size_t end = at + 8 + Be(d, at + 4, 4);
    if (end > d.size()) return fail("track length");
    at += 8;
    uint32_t tick = 0;
    uint8_t status = 0;
    bool ended = false;
    std::map<int, int> held;
    while (at < end) {
      uint32_t delta = 0;
      do {
        delta = delta << 7 | (d[at] & 0x7F);
      } while (d[at++] & 0x80);
      tick += delta;
      if (ended) return fail("events after the end of a track");
      if (d[at] & 0x80) status = d[at++];
      if (status == 0xFF) {
        const uint8_t type = d[at++];
        uint32_t len = 0;
        do {
          len = len << 7 | (d[at] & 0x7F);
        } while (d[at++] & 0x80);
        if (type == 0x51) tempos.emplace_back(tick, Be(d, at, 3));
        if (type == 0x2F) ended = true;
        at += len;
        continue;
      }
      const int kind = status & 0xF0, ch = status & 0x0F;
      if (kind < 0x80) return fail("no status");
      const uint8_t a = d[at++];
      const uint8_t b = (kind == 0xC0 || kind == 0xD0) ? 0 : d[at++];
      if (a > 127 || b > 127) return fail("data byte");
      if (kind == 0x90 && b > 0) {
        ++held[ch << 8 | a];
        ++s.notesPerChannel[ch];
      } else if (kind == 0x80 || kind == 0x90) {
        if (--held[ch << 8 | a] < 0) return fail("note-off without note-on");
      }
      if (kind == 0xC0) s.programs[ch] = a;
    }
    if (at != end || !ended) return fail("track does not end with its end event");
    for (const auto& h : held)
      if (h.second != 0) return fail("a note is never released");
    lastTick = std::max(lastTick, tick);
  }
  double seconds = 0, us = 500000;
  uint32_t from = 0;
  for (const auto& tp : tempos) {
    seconds += double(tp.first - from) * us / s.division / 1e6;
    from = tp.first;
    us = tp.second;
  }
  s.seconds = seconds + double(lastTick - from) * us / s.division / 1e6;
  s.ok = true;
  return s;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(MmlCompiler, WrittenFileReadsBackAsTheCompiledEvents) {
  mml::Song song;
  std::string error;
  ASSERT_TRUE(mml::Compile("part a 1\nt120 l8 [c e g]4 r2\npart d 10\nl2 k s k s\n", &song, &error)) << error;
  SmfSummary s = ReadSmf(mml::WriteSmf(song));
  ASSERT_TRUE(s.ok) << s.problem;
  EXPECT_EQ(s.format, 1);
  EXPECT_EQ(s.tracks, 3);
  EXPECT_EQ(s.division, 480);
  EXPECT_EQ(s.notesPerChannel[0], 12);
  EXPECT_EQ(s.notesPerChannel[9], 4);
  EXPECT_DOUBLE_EQ(s.seconds, 4.0);
  // Deterministic: the same text gives the same bytes.
  EXPECT_EQ(mml::WriteSmf(song), mml::WriteSmf(song));
}

TEST(BuiltTunes, EveryTuneIsAValidFileOfItsIntendedLength) {
  const struct {
    const char* file;
    double minSeconds, maxSeconds;
  } tunes[] = {
      {"opening2.mid", 45, 120}, {"mukai.mid", 45, 120},
      {"fly.mid", 45, 120},      {"geki.mid", 45, 120},
      {"get.mid", 45, 120},      {"yozora.mid", 45, 120},
      {"select.mid", 45, 120},   {"tsubasawo.mid", 45, 120},
      {"m-fight.mid", 45, 120},  {"fight6.mid", 45, 120},
      {"pokkap.mid", 45, 120},   {"gogogo.Mid", 150, 200},  // carries the staff roll (about 139 s after 17 s)
      {"se12.mid", 8, 20},                                  // short, once
  };
  for (const auto& t : tunes) {
    const std::string path = std::string(TESSIVANE_BUILD_DIR) + "/QapoMidi/" + t.file;
    SmfSummary s = ReadSmf(ReadFile(path));
    ASSERT_TRUE(s.ok) << path << ": " << s.problem;
    EXPECT_EQ(s.format, 1) << t.file;
    EXPECT_GE(s.tracks, 5) << t.file << ": conductor plus melody, harmony, bass and drums";
    EXPECT_GE(s.seconds, t.minSeconds) << t.file;
    EXPECT_LE(s.seconds, t.maxSeconds) << t.file;
    EXPECT_GT(s.notesPerChannel[9], 0) << t.file << ": drums on channel 10";
    int melodic = 0;
    for (const auto& n : s.notesPerChannel)
      if (n.first != 9 && n.second > 0) ++melodic;
    EXPECT_GE(melodic, 3) << t.file;
    EXPECT_GE(s.programs.size(), 3u) << t.file << ": General MIDI instruments chosen";
  }
}

}  // namespace
