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

// The player's own settings stay the watcher's, as the digests leave them out.
bool Kept(const StateEntry& e) { return e.data != static_cast<const void*>(settingValues); }

size_t SnapshotValueBytes() {
  size_t n = 0;
  for (int i = 0; i < kStateEntryCount; ++i)
    if (Kept(kStateEntries[i])) n += ValueBytes(kStateEntries[i]);
  return n;
}

}  // namespace

void TakeSnapshot(StateSnapshot* s) {
  s->values.resize(SnapshotValueBytes());
  s->strings.clear();
  size_t at = 0;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    if (!Kept(e)) continue;
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
  size_t at = 0;
  size_t string = 0;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    if (!Kept(e)) continue;
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
  machine::ResumePlaybackAt(s.mark);
}
