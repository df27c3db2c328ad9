#include "app/state_snapshot.h"

#include <cstring>

#include "app/settings.h"
#include "app/state_registry.h"
#include "enemies/stage_flow.h"
#include "platform/random.h"

namespace {

size_t ValueBytes(const StateEntry& e) {
  switch (e.type) {
    case StateType::U8: return size_t(e.count);
    case StateType::I16: return 2 * size_t(e.count);
    case StateType::I32:
    case StateType::F32: return 4 * size_t(e.count);
    case StateType::Str: return 0;
  }
  return 0;
}

// The player's own settings stay the watcher's, as the digests leave them out
// (unless the snapshot holds them).
bool Kept(const StateEntry& e, bool withSettings) {
  return withSettings || e.data != static_cast<const void*>(settingValues);
}

size_t SnapshotValueBytes(bool withSettings) {
  size_t n = 0;
  for (int i = 0; i < kStateEntryCount; ++i)
    if (Kept(kStateEntries[i], withSettings)) n += ValueBytes(kStateEntries[i]);
  return n;
}

size_t SnapshotStringCount(bool withSettings) {
  size_t n = 0;
  for (int i = 0; i < kStateEntryCount; ++i)
    if (Kept(kStateEntries[i], withSettings) && kStateEntries[i].type == StateType::Str)
      n += size_t(kStateEntries[i].count);
  return n;
}

// ---- Bytes ------------------------------------------------------------------

constexpr uint32_t kEncodingVersion = 1;
constexpr uint32_t kMaxText = 4096;

// What decides the encoding's layout: every global's name, type and count,
// and the version of the modules' part (FNV-1a).
uint64_t LayoutHash() {
  uint64_t h = 0xcbf29ce484222325ull;
  auto mix = [&h](const void* p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<const uint8_t*>(p)[i]) * 0x100000001b3ull;
  };
  mix(&kEncodingVersion, sizeof kEncodingVersion);
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    mix(e.name, std::strlen(e.name) + 1);
    const uint8_t type = uint8_t(e.type);
    mix(&type, 1);
    const uint32_t count = uint32_t(e.count);
    mix(&count, sizeof count);
  }
  return h;
}

struct Writer {
  std::string out;
  void Le(uint64_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) out += char(uint8_t(v >> (8 * k)));
  }
  void Text(const std::string& t) {
    Le(t.size(), 4);
    out += t;
  }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Le(bits, 4);
  }
};

struct Reader {
  const std::string& in;
  size_t at = 0;
  bool ok = true;
  uint64_t Le(int bytes) {
    if (!ok || in.size() - at < size_t(bytes)) {
      ok = false;
      return 0;
    }
    uint64_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= uint64_t(uint8_t(in[at + size_t(k)])) << (8 * k);
    at += size_t(bytes);
    return v;
  }
  bool Flag() {
    const uint64_t v = Le(1);
    if (v > 1) ok = false;
    return v == 1;
  }
  std::string Text() {
    const uint64_t n = Le(4);
    if (!ok || n > kMaxText || in.size() - at < n) {
      ok = false;
      return std::string();
    }
    std::string t = in.substr(at, size_t(n));
    at += size_t(n);
    return t;
  }
  float F32() {
    const uint32_t bits = uint32_t(Le(4));
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
};

}  // namespace

std::string EncodeSnapshot(const StateSnapshot& s) {
  Writer w;
  w.Le(LayoutHash(), 8);
  w.Le(s.withSettings ? 1 : 0, 1);
  w.Le(s.values.size(), 4);
  w.out.append(reinterpret_cast<const char*>(s.values.data()), s.values.size());
  w.Le(s.strings.size(), 4);
  for (const std::string& t : s.strings) w.Text(t);
  w.Le(s.randomState, 4);
  w.Le(s.timer.started ? 1 : 0, 1);
  w.Le(s.timer.lastTickMs, 4);
  for (int32_t v : {s.input.fireKey2, s.input.bombKey2, s.input.pauseKey, s.input.padFire, s.input.padBomb,
                    s.input.padPause})
    w.Le(uint32_t(v), 4);
  for (bool b : {s.input.holdingFire, s.input.holdingBomb, s.input.holdingPause}) w.Le(b ? 1 : 0, 1);
  w.Text(s.music.tune);
  w.Le(s.music.playing ? 1 : 0, 1);
  w.Le(uint16_t(s.music.looping), 2);
  w.Le(s.digestClock.counting ? 1 : 0, 1);
  for (uint32_t v : {s.digestClock.startMs, s.digestClock.lastSecond, s.digestClock.passes}) w.Le(v, 4);
  const RecorderPlayState& r = s.recorder;
  w.Le(r.inProgress ? 1 : 0, 1);
  w.Text(r.game.build);
  w.Le(r.game.recordedAt, 8);
  w.Le(r.game.gameStart, 8);
  for (uint8_t v : {r.game.difficulty, r.game.startStage, r.game.stageReached, r.game.ending}) w.Le(v, 1);
  w.F32(r.game.score);
  w.Le(r.game.tablePlace, 1);
  w.Text(r.game.tableName);
  w.Le(r.game.stopClockMs, 4);
  w.Le(r.game.flags, 1);
  w.Le(r.game.formatVersion, 2);
  w.Le(r.seen ? 1 : 0, 1);
  w.Le(r.startPass, 4);
  w.Le(r.frames, 4);
  w.Le(r.medals, 1);
  w.Le(s.practice.active ? 1 : 0, 1);
  w.Le(s.practice.tookOver ? 1 : 0, 1);
  w.Le(s.practice.choice.stage, 1);
  w.Le(s.practice.choice.boss ? 1 : 0, 1);
  w.Le(s.practice.choice.difficulty, 1);
  w.Le(uint32_t(s.background), 4);
  return w.out;
}

bool DecodeSnapshot(const std::string& bytes, StateSnapshot* s) {
  Reader r{bytes};
  if (r.Le(8) != LayoutHash()) return false;
  s->withSettings = r.Flag();
  const uint64_t valueBytes = r.Le(4);
  if (!r.ok || valueBytes != SnapshotValueBytes(s->withSettings) || bytes.size() - r.at < valueBytes) return false;
  s->values.assign(bytes.begin() + long(r.at), bytes.begin() + long(r.at + valueBytes));
  r.at += size_t(valueBytes);
  const uint64_t strings = r.Le(4);
  if (!r.ok || strings != SnapshotStringCount(s->withSettings)) return false;
  s->strings.clear();
  for (uint64_t i = 0; i < strings && r.ok; ++i) s->strings.push_back(r.Text());
  s->randomState = uint32_t(r.Le(4));
  s->timer.started = r.Flag();
  s->timer.lastTickMs = uint32_t(r.Le(4));
  for (int32_t* v : {&s->input.fireKey2, &s->input.bombKey2, &s->input.pauseKey, &s->input.padFire,
                     &s->input.padBomb, &s->input.padPause})
    *v = int32_t(uint32_t(r.Le(4)));
  for (bool* b : {&s->input.holdingFire, &s->input.holdingBomb, &s->input.holdingPause}) *b = r.Flag();
  s->music.tune = r.Text();
  s->music.playing = r.Flag();
  s->music.looping = int16_t(uint16_t(r.Le(2)));
  s->digestClock.counting = r.Flag();
  for (uint32_t* v : {&s->digestClock.startMs, &s->digestClock.lastSecond, &s->digestClock.passes})
    *v = uint32_t(r.Le(4));
  RecorderPlayState& p = s->recorder;
  p.inProgress = r.Flag();
  p.game.build = r.Text();
  p.game.recordedAt = r.Le(8);
  p.game.gameStart = r.Le(8);
  for (uint8_t* v : {&p.game.difficulty, &p.game.startStage, &p.game.stageReached, &p.game.ending})
    *v = uint8_t(r.Le(1));
  p.game.score = r.F32();
  p.game.tablePlace = uint8_t(r.Le(1));
  p.game.tableName = r.Text();
  p.game.stopClockMs = uint32_t(r.Le(4));
  p.game.flags = uint8_t(r.Le(1));
  p.game.formatVersion = uint16_t(r.Le(2));
  p.seen = r.Flag();
  p.startPass = uint32_t(r.Le(4));
  p.frames = uint32_t(r.Le(4));
  p.medals = uint8_t(r.Le(1));
  s->practice.active = r.Flag();
  s->practice.tookOver = r.Flag();
  s->practice.choice.stage = uint8_t(r.Le(1));
  s->practice.choice.boss = r.Flag();
  s->practice.choice.difficulty = uint8_t(r.Le(1));
  s->background = int(int32_t(uint32_t(r.Le(4))));
  // A background is a stage of the map or the plain one; a tune is a file
  // name of the music folder.
  if (s->background < kPlainBackground || s->background > 255) return false;
  if (s->music.tune.size() > 64 || s->music.tune.find_first_of("/\\:") != std::string::npos ||
      s->music.tune.find("..") != std::string::npos)
    return false;
  return r.ok && r.at == bytes.size();
}

void TakeSnapshot(StateSnapshot* s, bool withSettings) {
  s->withSettings = withSettings;
  s->values.resize(SnapshotValueBytes(withSettings));
  s->strings.clear();
  size_t at = 0;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    if (!Kept(e, withSettings)) continue;
    if (e.type == StateType::Str) {
      const std::string* strings = static_cast<const std::string*>(e.data);
      s->strings.insert(s->strings.end(), strings, strings + e.count);
      continue;
    }
    const size_t n = ValueBytes(e);
    std::memcpy(s->values.data() + at, e.data, n);
    at += n;
  }
  s->randomState = RandomState();
  s->timer = SaveWindowTimer();
  s->input = SaveInputHiddenState();
  s->music = SaveMusicState();
  s->digestClock = SaveDigestClock();
  s->recorder = SaveRecorderPlayState();
  s->practice = SavePracticeState();
  s->background = BuiltBackground();
  s->mark = machine::MarkPlayback();
}

void RestoreSnapshot(const StateSnapshot& s) {
  RestoreSnapshotState(s);
  machine::ResumePlaybackAt(s.mark);
}

void RestoreSnapshotState(const StateSnapshot& s) {
  size_t at = 0;
  size_t string = 0;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    if (!Kept(e, s.withSettings)) continue;
    if (e.type == StateType::Str) {
      std::string* strings = static_cast<std::string*>(e.data);
      for (int k = 0; k < e.count; ++k) strings[k] = s.strings[string++];
      continue;
    }
    const size_t n = ValueBytes(e);
    std::memcpy(e.data, s.values.data() + at, n);
    at += n;
  }
  SetRandomState(s.randomState);
  RestoreWindowTimer(s.timer);
  RestoreInputHiddenState(s.input);
  RestoreMusicState(s.music);
  RestoreDigestClock(s.digestClock);
  RestoreRecorderPlayState(s.recorder);
  RestorePracticeState(s.practice);
  RebuildBackground(s.background);
}
