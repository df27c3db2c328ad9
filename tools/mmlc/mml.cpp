#include "mml.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace mml {
namespace {

constexpr uint32_t kWholeTicks = 4 * kTicksPerQuarter;

struct PartSource {
  std::string name;
  int channel = 0;
  std::string body;
};

struct Failure {
  std::string message;
};

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// Replaces *NAME by the macro's text, repeatedly (macros may use macros).
std::string Expand(const std::string& body, const std::map<std::string, std::string>& macros, int depth) {
  if (depth > 16) throw Failure{"macros nest too deeply"};
  std::string out;
  for (size_t i = 0; i < body.size();) {
    if (body[i] != '*') {
      out += body[i++];
      continue;
    }
    size_t j = i + 1;
    while (j < body.size() && (std::isalnum(static_cast<unsigned char>(body[j])) || body[j] == '_')) ++j;
    const std::string name = body.substr(i + 1, j - i - 1);
    auto it = macros.find(name);
    if (name.empty() || it == macros.end()) throw Failure{"unknown macro '*" + name + "'"};
    out += ' ' + Expand(it->second, macros, depth + 1) + ' ';
    i = j;
  }
  return out;
}

class PartCompiler {
 public:
  PartCompiler(const PartSource& src, std::vector<Event>* tempos)
      : src_(src), text_(src.body), tempos_(tempos), drums_(src.channel == 9) {}

  Track Run() {
    track_.name = src_.name;
    track_.channel = src_.channel;
    Meta(0, 0x03, src_.name);
    // Every tune sets its channels up from scratch, whatever played before.
    Control(121, 0);
    Control(7, 100);
    Control(10, 64);
    Control(91, 40);
    Sequence();
    track_.events = Sorted();
    return track_;
  }
  uint32_t EndTick() const { return tick_; }

 private:
  struct Pending {
    Event ev;
    int order;  // note-offs first at the same tick
    size_t seq;
  };

  [[noreturn]] void Fail(const std::string& what) const {
    std::string near = text_.substr(std::min(pos_, text_.size()), 24);
    throw Failure{"part '" + src_.name + "': " + what + " near \"" + near + "\""};
  }

  void SkipBlank() {
    while (pos_ < text_.size() && (std::isspace(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '|'))
      ++pos_;
  }
  bool Peek(char c) {
    SkipBlank();
    return pos_ < text_.size() && text_[pos_] == c;
  }
  bool HasNumber() {
    SkipBlank();
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_];
    if (std::isdigit(static_cast<unsigned char>(c))) return true;
    return (c == '-' || c == '+') && pos_ + 1 < text_.size() &&
           std::isdigit(static_cast<unsigned char>(text_[pos_ + 1]));
  }
  int Number() {
    if (!HasNumber()) Fail("a number is missing");
    int sign = 1;
    if (text_[pos_] == '-' || text_[pos_] == '+') sign = text_[pos_++] == '-' ? -1 : 1;
    long v = 0;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
      v = v * 10 + (text_[pos_++] - '0');
      if (v > 100000) Fail("number too large");
    }
    return int(v) * sign;
  }
  int Ranged(int lo, int hi, const char* what) {
    int v = Number();
    if (v < lo || v > hi) Fail(std::string(what) + " out of range");
    return v;
  }

  // A note value with its dots: "4" "8." ; none -> the default length.
  uint32_t Length(bool allowDefault) {
    uint32_t ticks;
    if (HasNumber()) {
      int n = Number();
      if (n <= 0 || kWholeTicks % uint32_t(n) != 0) Fail("note value does not divide a whole note");
      ticks = kWholeTicks / uint32_t(n);
    } else {
      if (!allowDefault) Fail("a length is missing");
      ticks = length_;
      return ticks;
    }
    uint32_t add = ticks;
    while (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (add % 2) Fail("too many dots");
      add /= 2;
      ticks += add;
    }
    return ticks;
  }
  uint32_t LengthWithTies() {
    uint32_t ticks = Length(true);
    while (Peek('^')) {
      ++pos_;
      ticks += Length(false);
    }
    return ticks;
  }

  void Add(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2, int order) {
    Event e;
    e.tick = tick;
    e.status = status;
    e.data1 = d1;
    e.data2 = d2;
    pending_.push_back({e, order, pending_.size()});
  }
  void Meta(uint32_t tick, uint8_t type, const std::string& payload) {
    Event e;
    e.tick = tick;
    e.status = 0xFF;
    e.data1 = type;
    e.meta = payload;
    pending_.push_back({e, 1, pending_.size()});
  }
  void Control(uint8_t cc, int value) { Add(tick_, uint8_t(0xB0 | src_.channel), cc, uint8_t(value), 1); }

  int KeyOf(int pitchClass, int octave) {
    int key = 12 * (octave + 1) + pitchClass + transpose_;
    if (key < 0 || key > 127) Fail("note out of range");
    return key;
  }
  int Accidentals(int key) {
    while (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
      // "c-4" is c flat, quarter: a '-' followed by a digit still is a flat.
      key += text_[pos_++] == '+' ? 1 : -1;
    }
    if (key < 0 || key > 127) Fail("note out of range");
    return key;
  }
  static int PitchClass(char c) {
    switch (c) {
      case 'c': return 0;
      case 'd': return 2;
      case 'e': return 4;
      case 'f': return 5;
      case 'g': return 7;
      case 'a': return 9;
      case 'b': return 11;
      default: return -1;
    }
  }
  static int DrumKey(char c) {
    switch (c) {
      case 'k': return 36;
      case 's': return 38;
      case 'h': return 42;
      case 'o': return 46;
      case 'c': return 49;
      case 'p': return 51;
      case 'x': return 39;
      case 't': return 50;
      case 'm': return 47;
      case 'f': return 43;
      default: return -1;
    }
  }

  void Sound(const std::vector<int>& keys, uint32_t ticks) {
    uint32_t gate = ticks * uint32_t(gate_) / 8;
    if (gate == 0) gate = 1;
    for (int k : keys) Add(tick_, uint8_t(0x90 | src_.channel), uint8_t(k), uint8_t(velocity_), 1);
    for (int k : keys) Add(tick_ + gate, uint8_t(0x80 | src_.channel), uint8_t(k), 0, 0);
    tick_ += ticks;
  }

  // A key inside a chord or as a single note.
  int ReadKey(char c, int octave) {
    if (drums_) {
      int d = DrumKey(c);
      if (d >= 0) return d;
    }
    int pc = PitchClass(c);
    if (pc < 0) Fail(std::string("unknown note '") + c + "'");
    return Accidentals(KeyOf(pc, octave));
  }

  void Chord() {
    std::vector<int> keys;
    int octave = octave_;
    for (;;) {
      SkipBlank();
      if (pos_ >= text_.size()) Fail("unterminated chord");
      char c = text_[pos_++];
      if (c == '\'') break;
      if (c == '>') {
        ++octave;
        continue;
      }
      if (c == '<') {
        --octave;
        continue;
      }
      keys.push_back(ReadKey(c, octave));
    }
    if (keys.empty()) Fail("empty chord");
    Sound(keys, LengthWithTies());
  }

  void Sequence() {
    for (;;) {
      SkipBlank();
      if (pos_ >= text_.size()) return;
      char c = text_[pos_++];
      if (drums_ && DrumKey(c) >= 0) {
        Sound({DrumKey(c)}, LengthWithTies());
        continue;
      }
      switch (c) {
        case 'a':
        case 'b':
        case 'c':
        case 'd':
        case 'e':
        case 'f':
        case 'g': {
          int key = ReadKey(c, octave_);
          Sound({key}, LengthWithTies());
          break;
        }
        case 'r': tick_ += LengthWithTies(); break;
        case 'n': {
          int key = Ranged(0, 127, "key");
          if (!Peek(',')) Fail("',' and a length expected");
          ++pos_;
          Sound({key}, LengthWithTies());
          break;
        }
        case '\'': Chord(); break;
        case 'o': octave_ = Ranged(-1, 9, "octave"); break;
        case '>': ++octave_; break;
        case '<': --octave_; break;
        case 'l': length_ = Length(false); break;
        case 'v': velocity_ = Ranged(1, 127, "velocity"); break;
        case 'q': gate_ = Ranged(1, 8, "gate"); break;
        case 'K': transpose_ = Ranged(-48, 48, "transposition"); break;
        case 't': {
          int bpm = Ranged(20, 400, "tempo");
          uint32_t us = uint32_t(60000000 / bpm);
          Event e;
          e.tick = tick_;
          e.status = 0xFF;
          e.data1 = 0x51;
          e.meta = {char(us >> 16), char((us >> 8) & 0xFF), char(us & 0xFF)};
          tempos_->push_back(e);
          break;
        }
        case '@': Add(tick_, uint8_t(0xC0 | src_.channel), uint8_t(Ranged(0, 127, "program")), 0, 1); break;
        case 'V': Control(7, Ranged(0, 127, "volume")); break;
        case 'P': Control(10, Ranged(0, 127, "pan")); break;
        case 'E': Control(91, Ranged(0, 127, "reverb")); break;
        default: --pos_; Fail(std::string("unknown command '") + c + "'");
      }
    }
  }

  const PartSource& src_;
  std::string text_;
  size_t pos_ = 0;
  std::vector<Event>* tempos_;
  bool drums_;
  Track track_;
  std::vector<Pending> pending_;
  uint32_t tick_ = 0;
  uint32_t length_ = kWholeTicks / 4;
  int octave_ = 4, velocity_ = 100, gate_ = 7, transpose_ = 0;

 public:
  std::vector<Event> Sorted() {
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
      if (a.ev.tick != b.ev.tick) return a.ev.tick < b.ev.tick;
      if (a.order != b.order) return a.order < b.order;
      return a.seq < b.seq;
    });
    std::vector<Event> out;
    for (const auto& p : pending_) out.push_back(p.ev);
    return out;
  }
};

// "[A:B]3" -> "A B A B A": the part after ':' is left out on the last pass.
std::string ExpandRepeats(const std::string& text, size_t* pos, int depth) {
  std::string out;
  while (*pos < text.size()) {
    char c = text[*pos];
    if (c == '[') {
      ++*pos;
      std::string head = ExpandRepeats(text, pos, depth + 1), rest;
      if (*pos < text.size() && text[*pos] == ':') {
        ++*pos;
        rest = ExpandRepeats(text, pos, depth + 1);
      }
      if (*pos >= text.size() || text[*pos] != ']') throw Failure{"'[' without ']'"};
      ++*pos;
      int count = 0;
      while (*pos < text.size() && std::isdigit(static_cast<unsigned char>(text[*pos]))) {
        count = count * 10 + (text[(*pos)++] - '0');
        if (count > 999) throw Failure{"repeat count too large"};
      }
      if (count < 1) throw Failure{"a repeat needs a count after ']'"};
      for (int i = 0; i < count; ++i) {
        out += ' ' + head + ' ';
        if (i + 1 < count) out += rest + ' ';
      }
      continue;
    }
    if (c == ']' || c == ':') {
      if (depth == 0) throw Failure{std::string("'") + c + "' outside a repeat"};
      return out;
    }
    out += c;
    ++*pos;
  }
  if (depth > 0) throw Failure{"'[' without ']'"};
  return out;
}

double SecondsAt(const std::vector<Event>& tempos, uint32_t tick) {
  double seconds = 0;
  uint32_t at = 0;
  double usPerQuarter = 500000;  // 120 a minute until a tempo is set
  for (const Event& e : tempos) {
    if (e.tick >= tick) break;
    seconds += double(e.tick - at) * usPerQuarter / kTicksPerQuarter / 1e6;
    at = e.tick;
    usPerQuarter = double((uint8_t(e.meta[0]) << 16) | (uint8_t(e.meta[1]) << 8) | uint8_t(e.meta[2]));
  }
  return seconds + double(tick - at) * usPerQuarter / kTicksPerQuarter / 1e6;
}

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(uint8_t(v >> 8));
  out->push_back(uint8_t(v));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xFFFF);
}
void PutVarLen(std::vector<uint8_t>* out, uint32_t v) {
  uint8_t bytes[5];
  int n = 0;
  bytes[n++] = uint8_t(v & 0x7F);
  while (v >>= 7) bytes[n++] = uint8_t(0x80 | (v & 0x7F));
  while (n) out->push_back(bytes[--n]);
}

}  // namespace

bool Compile(const std::string& text, Song* song, std::string* error) {
  try {
    *song = Song{};
    std::map<std::string, std::string> macros;
    std::vector<PartSource> parts;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
      ++lineNo;
      const size_t semi = line.find(';');
      if (semi != std::string::npos) line.erase(semi);
      line = Trim(line);
      if (line.empty()) continue;
      std::istringstream words(line);
      std::string first;
      words >> first;
      if (first == "title") {
        song->title = Trim(line.substr(5));
      } else if (first == "macro") {
        std::string name;
        words >> name;
        std::string body;
        std::getline(words, body);
        if (name.empty()) throw Failure{"line " + std::to_string(lineNo) + ": macro without a name"};
        macros[name] = body;
      } else if (first == "part") {
        PartSource p;
        int channel = 0;
        if (!(words >> p.name >> channel) || channel < 1 || channel > 16)
          throw Failure{"line " + std::to_string(lineNo) + ": expected 'part <name> <channel 1..16>'"};
        p.channel = channel - 1;
        parts.push_back(p);
      } else {
        if (parts.empty()) throw Failure{"line " + std::to_string(lineNo) + ": notation before the first part"};
        parts.back().body += line + '\n';
      }
    }
    if (parts.empty()) throw Failure{"no parts"};

    std::vector<Event> tempos;
    std::vector<Track> tracks(1);
    std::vector<uint32_t> ends;
    for (PartSource& p : parts) {
      try {
        size_t pos = 0;
        p.body = ExpandRepeats(Expand(p.body, macros, 0), &pos, 0);
      } catch (const Failure& f) {
        throw Failure{"part '" + p.name + "': " + f.message};
      }
      PartCompiler pc(p, &tempos);
      tracks.push_back(pc.Run());
      ends.push_back(pc.EndTick());
    }
    const uint32_t length = *std::max_element(ends.begin(), ends.end());
    for (size_t i = 0; i < parts.size(); ++i) {
      if (ends[i] != length) {
        std::ostringstream msg;
        msg << "parts differ in length:";
        for (size_t k = 0; k < parts.size(); ++k)
          msg << " " << parts[k].name << "=" << double(ends[k]) / (4 * kTicksPerQuarter) << " bars";
        throw Failure{msg.str()};
      }
    }
    std::stable_sort(tempos.begin(), tempos.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });

    Track& conductor = tracks[0];
    conductor.name = song->title;
    Event name;
    name.status = 0xFF;
    name.data1 = 0x03;
    name.meta = song->title;
    conductor.events.push_back(name);
    Event metre;
    metre.status = 0xFF;
    metre.data1 = 0x58;
    metre.meta = {4, 2, 24, 8};
    conductor.events.push_back(metre);
    for (const Event& t : tempos) conductor.events.push_back(t);

    song->tracks = tracks;
    song->lengthTicks = length;
    song->seconds = SecondsAt(tempos, length);
    return true;
  } catch (const Failure& f) {
    if (error) *error = f.message;
    return false;
  }
}

std::vector<uint8_t> WriteSmf(const Song& song) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  Put32(&out, 6);
  Put16(&out, 1);
  Put16(&out, uint32_t(song.tracks.size()));
  Put16(&out, kTicksPerQuarter);
  for (const Track& track : song.tracks) {
    std::vector<uint8_t> body;
    uint32_t at = 0;
    auto put = [&](const Event& e) {
      PutVarLen(&body, e.tick - at);
      at = e.tick;
      if (e.status == 0xFF) {
        body.push_back(0xFF);
        body.push_back(e.data1);
        PutVarLen(&body, uint32_t(e.meta.size()));
        body.insert(body.end(), e.meta.begin(), e.meta.end());
        return;
      }
      body.push_back(e.status);
      body.push_back(e.data1);
      const uint8_t kind = e.status & 0xF0;
      if (kind != 0xC0 && kind != 0xD0) body.push_back(e.data2);
    };
    for (const Event& e : track.events) put(e);
    Event end;
    end.tick = std::max(at, song.lengthTicks);
    end.status = 0xFF;
    end.data1 = 0x2F;
    put(end);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put32(&out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace mml
