#include "platform/machine.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/replay_file.h"
#include "platform/replay_stream.h"

// The events are listed in platform/replay_stream.h.
namespace machine {
namespace {

constexpr size_t kStageBytes = 64 * 1024;
constexpr size_t kCompressedBytes = kMaxReplayCompressedBytes;

Mode gMode = Mode::Live;

// Recording: events go to the stage, the stage through deflate to gOut.
uint8_t gStage[kStageBytes];
size_t gStaged = 0;
uint8_t gOut[kCompressedBytes];
z_stream gDeflate;
bool gDeflateOpen = false;
bool gOverflowed = false;
uint64_t gRawSize = 0;
uint32_t gRawCrc = 0;
// The start-up's events (up to the first main-loop pass), kept raw: every
// replay begins with them, then the state of its game at its start ('G').
constexpr size_t kPrologueBytes = 64 * 1024;
uint8_t gPrologue[kPrologueBytes];
size_t gPrologueSize = 0;
enum class Prologue : uint8_t { Keeping, Kept, TooLong } gPrologueState = Prologue::TooLong;

// Playback.
bool gAskMachine = false;
bool gWithDigests = false;
uint32_t gDigestsChecked = 0;

uint32_t gLastClock = 0;
// Added to the machine's clock while live after a playback went live where it
// stood (GoLiveFromHere), so that the game's clock runs on without a jump.
uint32_t gLiveClockOffset = 0;
bool gHeld = false;
void (*gOnDialogClose)() = nullptr;

[[noreturn]] void EndByDefault(bool, const char*) { platform::EndProcess(); }
void (*gOnEnd)(bool, const char*) = EndByDefault;
bool WaitAlways(uint32_t) { return true; }
bool (*gShouldWait)(uint32_t) = WaitAlways;

// ---- Recording --------------------------------------------------------------

bool Compress(int flush) {
  if (gOverflowed) return false;
  gRawCrc = uint32_t(crc32(gRawCrc, gStage, uInt(gStaged)));
  gDeflate.next_in = gStage;
  gDeflate.avail_in = uInt(gStaged);
  for (;;) {
    gDeflate.next_out = gOut + gDeflate.total_out;
    gDeflate.avail_out = uInt(kCompressedBytes - gDeflate.total_out);
    if (gDeflate.avail_out == 0) break;
    const int r = deflate(&gDeflate, flush);
    if (r != Z_OK && r != Z_BUF_ERROR) break;
    if (gDeflate.avail_in == 0 && gDeflate.avail_out != 0) {
      gStaged = 0;
      return true;
    }
  }
  gOverflowed = true;
  gMode = Mode::Live;
  return false;
}

void Put(uint8_t b) {
  if (gStaged == kStageBytes && !Compress(Z_NO_FLUSH)) return;
  gStage[gStaged++] = b;
  ++gRawSize;
  if (gPrologueState == Prologue::Keeping) {
    if (gPrologueSize < kPrologueBytes) {
      gPrologue[gPrologueSize++] = b;
    } else {
      gPrologueState = Prologue::TooLong;
    }
  }
}

void PutNumber(uint32_t v) {
  while (v >= 0x80) {
    Put(uint8_t(v | 0x80));
    v >>= 7;
  }
  Put(uint8_t(v));
}

void PutBytes(const std::string& s) {
  PutNumber(uint32_t(s.size()));
  for (char c : s) Put(uint8_t(c));
}

StreamReader gReader{nullptr, 0, 0};

[[noreturn]] void EndPlayback(bool mismatch, const char* why) {
  gMode = Mode::Live;
  gOnEnd(mismatch, why);
  platform::EndProcess();  // a handler that returned
}

// Takes the next event's tag, which must be `tag`; ends playback at the end of
// the stream or on another tag.
void Expect(char tag) {
  if (gReader.at >= gReader.size) EndPlayback(false, "the replay ends here");
  const uint8_t got = gReader.data[gReader.at];
  if (got != uint8_t(tag)) {
    static char why[96];
    std::snprintf(why, sizeof why, "the game read '%c' where the replay holds '%c' (at byte %zu)", tag,
                  got >= 0x20 && got < 0x7F ? char(got) : '?', gReader.at);
    EndPlayback(true, why);
  }
  ++gReader.at;
}

// Serves the close clicks recorded while a dialog was open, before its answer.
void PlayDialogCloses() {
  while (gReader.at < gReader.size && gReader.data[gReader.at] == 'X') {
    ++gReader.at;
    if (gOnDialogClose) gOnDialogClose();
  }
}

void RecordDialogClose() {
  if (gMode == Mode::Playing) return;  // the stream's own clicks are served instead
  if (gMode == Mode::Recording) Put('X');
  if (gOnDialogClose) gOnDialogClose();
}

void CheckRead() {
  if (!gReader.ok) EndPlayback(true, "the replay is cut short in the middle of an event");
}

uint32_t PlayNumber() {
  const uint32_t v = gReader.Number();
  CheckRead();
  return v;
}
bool PlayFlag() {
  const bool v = gReader.Flag();
  CheckRead();
  return v;
}
// A key code or a joystick id the game reads now: the stream must hold the same.
void PlaySubject(uint32_t expected) {
  if (PlayNumber() != expected) EndPlayback(true, "the game read another key or device than the replay holds");
}

}  // namespace

Mode CurrentMode() { return gMode; }

namespace {

// An empty stream, recording.
bool ResetRecording() {
  if (!gDeflateOpen) {
    std::memset(&gDeflate, 0, sizeof gDeflate);
    if (deflateInit(&gDeflate, 6) != Z_OK) return false;
    gDeflateOpen = true;
  } else if (deflateReset(&gDeflate) != Z_OK) {
    return false;
  }
  gStaged = 0;
  gOverflowed = false;
  gRawSize = 0;
  gRawCrc = uint32_t(crc32(0, nullptr, 0));
  gMode = Mode::Recording;
  return true;
}

}  // namespace

bool StartRecording() {
  if (!ResetRecording()) return false;
  gLastClock = 0;
  gLiveClockOffset = 0;
  gPrologueSize = 0;
  gPrologueState = Prologue::Keeping;
  return true;
}

void EndPrologue() {
  if (gPrologueState == Prologue::Keeping) gPrologueState = gMode == Mode::Recording ? Prologue::Kept : Prologue::TooLong;
}

bool RecordGameStart(const std::string& state) {
  if (gPrologueState != Prologue::Kept || state.size() > kMaxStreamStateBytes || !ResetRecording()) return false;
  for (size_t i = 0; i < gPrologueSize; ++i) Put(gPrologue[i]);
  // The clock as it stands now (the machine's, not the game's last reading),
  // so that a playback can put a clock of its own where the recording's was.
  gLastClock = platform::ReadClockMs();
  Put('G');
  PutNumber(gLastClock);
  PutBytes(state);
  return gMode == Mode::Recording;
}

bool PlayGameStart(std::string* state) {
  if (gMode != Mode::Playing || gReader.at >= gReader.size || gReader.data[gReader.at] != 'G') return false;
  ++gReader.at;
  gLastClock = PlayNumber();
  *state = gReader.Bytes(kMaxStreamStateBytes);
  CheckRead();
  return true;
}

void RefusePlayback(const char* why) { EndPlayback(true, why); }

bool FlushRecording(const uint8_t** data, size_t* size, uint64_t* rawSize, uint32_t* rawCrc) {
  if (!gDeflateOpen || gOverflowed || !Compress(Z_SYNC_FLUSH)) return false;
  *data = gOut;
  *size = gDeflate.total_out;
  *rawSize = gRawSize;
  *rawCrc = gRawCrc;
  return true;
}

uint64_t RecordedSize() { return gRawSize; }

void StopRecording() {
  if (gMode == Mode::Recording) gMode = Mode::Live;
}

void GoLive() {
  gMode = Mode::Live;
  gLiveClockOffset = 0;
}

void GoLiveFromHere() {
  const bool wasPlaying = gMode == Mode::Playing;
  GoLive();
  if (wasPlaying) gLiveClockOffset = gLastClock - platform::ReadClockMs();
}

void StartPlaying(const uint8_t* stream, size_t size, bool askMachine, bool withDigests) {
  gReader = StreamReader{stream, size, 0};
  gAskMachine = askMachine;
  gWithDigests = withDigests;
  gDigestsChecked = 0;
  gLastClock = 0;
  gLiveClockOffset = 0;
  gMode = Mode::Playing;
}

uint64_t PlayedSize() { return gReader.at; }

PlaybackMark MarkPlayback() { return {gReader.at, gLastClock, gDigestsChecked}; }

void ResumePlaybackAt(const PlaybackMark& mark) {
  gReader.at = mark.at;
  gReader.ok = true;
  gLastClock = mark.lastClock;
  gDigestsChecked = mark.digestsChecked;
  gMode = Mode::Playing;
}

uint32_t PlayedClockMs() { return gLastClock; }

static bool ShowAlways() { return true; }
static bool (*gShouldPresent)() = ShowAlways;
void SetPlaybackPresentFilter(bool (*shouldPresent)()) {
  gShouldPresent = shouldPresent ? shouldPresent : ShowAlways;
}
bool ShouldPresent() { return gMode != Mode::Playing || gShouldPresent(); }

void StopPlayback(const char* why) { EndPlayback(false, why); }

void SetPlaybackEndHandler(void (*onEnd)(bool, const char*)) { gOnEnd = onEnd ? onEnd : EndByDefault; }
void SetPlaybackWaitFilter(bool (*shouldWait)(uint32_t)) { gShouldWait = shouldWait ? shouldWait : WaitAlways; }

// ---- State digests ----------------------------------------------------------

bool WantsStateDigests() { return gMode == Mode::Recording || (gMode == Mode::Playing && gWithDigests); }

void StateDigest(uint32_t second, uint64_t digest) {
  if (gMode == Mode::Recording) {
    Put('D');
    PutNumber(second);
    for (int k = 0; k < 8; ++k) Put(uint8_t(digest >> (8 * k)));
  } else if (gMode == Mode::Playing && gWithDigests) {
    Expect('D');
    const uint32_t recordedSecond = PlayNumber();
    uint64_t recorded = 0;
    for (int k = 0; k < 8; ++k) recorded |= uint64_t(gReader.Byte()) << (8 * k);
    CheckRead();
    if (recordedSecond != second || recorded != digest) {
      static char why[160];
      std::snprintf(why, sizeof why,
                    "the game's state differs from the recorded game's at second %u: digest %016llx recorded, "
                    "%016llx found",
                    second, static_cast<unsigned long long>(recorded), static_cast<unsigned long long>(digest));
      EndPlayback(true, why);
    }
    ++gDigestsChecked;
  }
}

uint32_t DigestsChecked() { return gDigestsChecked; }

// ---- The readings -----------------------------------------------------------

void SetDialogCloseHandler(void (*onClose)()) {
  gOnDialogClose = onClose;
  platform::SetWindowCloseHandler(onClose ? RecordDialogClose : nullptr);
}

void HoldReadings(bool held) { gHeld = held; }

uint32_t ReadClockMs() {
  if (gHeld) return gLastClock;
  const uint32_t live = platform::ReadClockMs();
  if (gMode == Mode::Recording) {
    Put('C');
    PutNumber(live - gLastClock);
    gLastClock = live;
  } else if (gMode == Mode::Playing) {
    Expect('C');
    gLastClock += PlayNumber();
    return gLastClock;
  }
  return live + gLiveClockOffset;
}

void Idle(uint32_t ms) {
  if (gMode == Mode::Recording) {
    Put('I');
    PutNumber(ms);
  } else if (gMode == Mode::Playing) {
    Expect('I');
    if (PlayNumber() != ms) EndPlayback(true, "the game waited otherwise than the replay holds");
    if (!gShouldWait(ms)) return;
  }
  platform::Idle(ms);
}

uint32_t RandomSeed() {
  uint32_t v = platform::RandomSeed();
  if (gMode == Mode::Recording) {
    Put('S');
    PutNumber(v);
  } else if (gMode == Mode::Playing) {
    Expect('S');
    v = PlayNumber();
  }
  return v;
}

namespace {

bool PassFlag(char tag, bool live) {
  if (gHeld) return false;
  if (gMode == Mode::Recording) {
    Put(uint8_t(tag));
    Put(live ? 1 : 0);
  } else if (gMode == Mode::Playing) {
    Expect(tag);
    return PlayFlag();
  }
  return live;
}

bool PassKey(char tag, int vk, bool live) {
  if (gMode == Mode::Recording) {
    Put(uint8_t(tag));
    PutNumber(uint32_t(vk));
    Put(live ? 1 : 0);
  } else if (gMode == Mode::Playing) {
    Expect(tag);
    PlaySubject(uint32_t(vk));
    return PlayFlag();
  }
  return live;
}

}  // namespace

bool IsKeyDown(int vk) { return !gHeld && PassKey('K', vk, platform::IsKeyDown(vk)); }
bool QueryKey(int vk) { return !gHeld && PassKey('Q', vk, platform::QueryKey(vk)); }

int JoystickCount() {
  int n = platform::JoystickCount();
  if (gMode == Mode::Recording) {
    Put('J');
    PutNumber(uint32_t(n < 0 ? 0 : n));
  } else if (gMode == Mode::Playing) {
    Expect('J');
    n = int(PlayNumber() & 0xFF);
  }
  return n;
}

bool ReadJoystick(int id, platform::JoyState* state) {
  bool ok = platform::ReadJoystick(id, state);
  if (gMode == Mode::Recording) {
    Put('R');
    PutNumber(uint32_t(id));
    Put(ok ? 1 : 0);
    PutNumber(state->x);
    PutNumber(state->y);
    PutNumber(state->buttons);
  } else if (gMode == Mode::Playing) {
    Expect('R');
    PlaySubject(uint32_t(id));
    ok = PlayFlag();
    state->x = PlayNumber();
    state->y = PlayNumber();
    state->buttons = PlayNumber();
  }
  return ok;
}

bool ReadJoystickCaps(int id, platform::JoyCaps* caps) {
  bool ok = platform::ReadJoystickCaps(id, caps);
  uint32_t* fields[] = {&caps->xMin, &caps->xMax, &caps->yMin, &caps->yMax, &caps->buttonCount};
  if (gMode == Mode::Recording) {
    Put('P');
    PutNumber(uint32_t(id));
    Put(ok ? 1 : 0);
    for (uint32_t* f : fields) PutNumber(*f);
  } else if (gMode == Mode::Playing) {
    Expect('P');
    PlaySubject(uint32_t(id));
    ok = PlayFlag();
    for (uint32_t* f : fields) *f = PlayNumber();
  }
  return ok;
}

platform::WindowEvent PollWindowEvent() {
  const platform::WindowEvent live = platform::PollWindowEvent();
  // A termination signal, the screenshot key and the full-screen shortcut act
  // outside the game (the process ends; a file is written; the window and the
  // settings change): they pass through and are not kept, so the stream is the
  // same with or without them.
  if (live == platform::WindowEvent::QuitRequested || live == platform::WindowEvent::ScreenshotRequested ||
      live == platform::WindowEvent::FullScreenToggled)
    return live;
  // Closing the window while a replay plays stops the replay.
  if (gMode == Mode::Playing && live == platform::WindowEvent::CloseRequested)
    EndPlayback(false, kPlaybackWindowClosed);
  const bool close = PassFlag('W', live == platform::WindowEvent::CloseRequested);
  return close ? platform::WindowEvent::CloseRequested : platform::WindowEvent::None;
}

bool IsWindowInactive() { return PassFlag('A', gMode == Mode::Playing ? false : platform::IsWindowInactive()); }

bool AskYesNo(const char* text, const char* title) {
  if (gMode == Mode::Playing) {
    if (gAskMachine) (void)platform::AskYesNo(text, title);
    PlayDialogCloses();
    Expect('Y');
    return PlayFlag();
  }
  return PassFlag('Y', platform::AskYesNo(text, title));
}

bool RunNameDialog(const char* caption, const char* prompt, int maxChars, std::string* name) {
  if (gMode == Mode::Playing) {
    if (gAskMachine) {
      std::string shown;
      (void)platform::RunNameDialog(caption, prompt, maxChars, &shown);
    }
    PlayDialogCloses();
    Expect('N');
    const bool ok = PlayFlag();
    *name = gReader.Bytes(kMaxStreamNameBytes);
    CheckRead();
    return ok;
  }
  const bool ok = platform::RunNameDialog(caption, prompt, maxChars, name);
  if (gMode == Mode::Recording) {
    Put('N');
    Put(ok ? 1 : 0);
    PutBytes(ok ? *name : std::string());
  }
  return ok;
}

bool IsTuneStopped() { return PassFlag('T', platform::IsTuneStopped()); }
bool IsScreenSaverEnabled() { return PassFlag('V', platform::IsScreenSaverEnabled()); }
bool ClaimSingleInstance() {
  // A replay plays beside a running game: it claims nothing.
  return PassFlag('L', gMode == Mode::Playing ? true : platform::ClaimSingleInstance());
}

namespace {

// A failed read's errno as the stream keeps it: the numbers of Linux, on
// every build (the browser's C library has ENOENT 44 and EACCES 2), so that a
// replay recorded on one build plays the same on another. On Linux both
// directions are the identity; a number not listed passes as it is.
struct ErrnoCode {
  int local;
  uint32_t stream;
};
constexpr ErrnoCode kErrnoCodes[] = {
    {EPERM, 1},    {ENOENT, 2},  {EINTR, 4},   {EIO, 5},           {EBADF, 9},      {EAGAIN, 11},
    {ENOMEM, 12},  {EACCES, 13}, {EFAULT, 14}, {EBUSY, 16},        {EEXIST, 17},    {EXDEV, 18},
    {ENOTDIR, 20}, {EISDIR, 21}, {EINVAL, 22}, {ENFILE, 23},       {EMFILE, 24},    {EFBIG, 27},
    {ENOSPC, 28},  {EROFS, 30},  {ELOOP, 40},  {ENAMETOOLONG, 36}, {ENOTEMPTY, 39},
};

uint32_t StreamErrno(int error) {
  for (const ErrnoCode& c : kErrnoCodes)
    if (c.local == error) return c.stream;
  return uint32_t(error);
}

int LocalErrno(uint32_t stream) {
  for (const ErrnoCode& c : kErrnoCodes)
    if (c.stream == stream) return c.local;
  return int(stream);
}

}  // namespace

void ReadStateFile(int* error, std::string* bytes, void (*readLive)(int*, std::string*)) {
  if (gMode == Mode::Playing) {
    Expect('F');
    *error = LocalErrno(PlayNumber());
    *bytes = gReader.Bytes(kMaxStreamFileBytes);
    CheckRead();
    return;
  }
  readLive(error, bytes);
  if (gMode == Mode::Recording) {
    if (bytes->size() > kMaxStreamFileBytes) bytes->resize(kMaxStreamFileBytes);
    Put('F');
    PutNumber(StreamErrno(*error));
    PutBytes(*bytes);
  }
}

uint32_t ReadValue(uint32_t live) {
  if (gMode == Mode::Recording) {
    Put('U');
    PutNumber(live);
  } else if (gMode == Mode::Playing) {
    Expect('U');
    return PlayNumber();
  }
  return live;
}

uint32_t ReadRareValue(uint32_t id, uint32_t (*live)()) {
  if (gMode == Mode::Playing) {
    // Present only when it was not 0: the next event tells.
    StreamReader peek = gReader;
    if (peek.Byte() != uint8_t('O') || peek.Number() != id || !peek.ok) return 0;
    gReader.at = peek.at;
    return PlayNumber();
  }
  const uint32_t value = live();
  if (gMode == Mode::Recording && value != 0) {
    Put('O');
    PutNumber(id);
    PutNumber(value);
  }
  return value;
}

}  // namespace machine
