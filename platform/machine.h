// Every reading the game takes of the machine (clock, keys, joystick, window
// events, dialogs, the random seed, the score file, the music's state) passes
// through these functions. While recording they keep each answer, in order,
// in a fixed buffer; while playing back they hand the kept answers out again
// in the same order, so a replay follows the recorded game exactly: the game
// is deterministic given what it reads.
//
// The stream is a sequence of events, one per reading, each a tag byte and
// the answer (see machine.cpp). A reading that does not match the next event
// (another kind, another key) means the replay belongs to other code: playback
// stops there rather than go on wrongly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/backend.h"

namespace machine {

enum class Mode : uint8_t { Live, Recording, Playing };
Mode CurrentMode();
inline bool IsPlayingBack() { return CurrentMode() == Mode::Playing; }

// ---- Recording ----------------------------------------------------------------
// Starts keeping every reading from now on. False (and nothing is kept) when
// the compressor cannot be set up. The buffers are fixed: nothing is
// allocated while the game runs.
bool StartRecording();
// The stream so far: `data` receives the compressed bytes (zlib, flushed up to
// this point, so that they inflate to the whole raw stream), `rawSize` and
// `rawCrc` the length and CRC-32 of the raw stream. False when the stream
// outgrew its buffer (recording then stopped).
bool FlushRecording(const uint8_t** data, size_t* size, uint64_t* rawSize, uint32_t* rawCrc);
// Where the raw stream stands now (the offset the next event will take).
uint64_t RecordedSize();
// Start-up is over (the first main-loop pass begins): what was recorded so
// far is kept as the prologue of every replay of this session.
void EndPrologue();
// A game starts (at the top of its first main-loop pass), in the state
// `state` (the game's own encoding): the stream starts again as the
// prologue, then this state ('G', with the machine's clock), so that a
// replay holds its game only, however long the program ran before. Also
// takes up recording again after the stream outgrew its buffer. False (the
// stream goes on as it was) without a prologue (too long, or not recording
// since start-up).
bool RecordGameStart(const std::string& state);
void StopRecording();
// Neither records nor plays back any more: the machine answers itself.
void GoLive();
// The same from a playback, the game going on where playback stands: the
// clock runs on from its last played reading (the machine's own clock, moved
// by as much), so no time seems to pass at the change.
void GoLiveFromHere();

// ---- Playback -----------------------------------------------------------------
// Plays back `stream` (raw events; the caller keeps it alive). With
// `askMachine` the machine's own dialogs are still shown (the headless
// back-end logs them, with answers queued from the stream beforehand); without
// it they are not. The machine's other readings are always taken too, and
// their answers dropped, so a back-end that counts them behaves as it did.
// `withDigests`: the stream carries the game's state digests ('D'), checked
// as they come (a stream of the first format has none).
void StartPlaying(const uint8_t* stream, size_t size, bool askMachine, bool withDigests);
// Called before every picture is shown during playback; a handler that
// returns false leaves the picture unshown (fast-forward). Default: all shown.
void SetPlaybackPresentFilter(bool (*shouldPresent)());
// Whether the picture just drawn is to be shown (platform/surface.cpp asks).
bool ShouldPresent();
// How far playback has come in the raw stream.
uint64_t PlayedSize();
// Where playback stands (the stream's offset, the last clock reading, the
// digests found equal), and playback taken up again there: the stream given
// to StartPlaying is played on from `mark`, even after it ended.
struct PlaybackMark {
  size_t at;
  uint32_t lastClock;
  uint32_t digestsChecked;
};
PlaybackMark MarkPlayback();
void ResumePlaybackAt(const PlaybackMark& mark);
// While held, the clock, key and flag readings are answered without asking
// the machine or the stream (the clock stands at its last reading, no key is
// down, every flag is off): for drawing a still picture of the game whose
// changes are then undone, in the middle of a playback.
void HoldReadings(bool held);

// The last clock reading played back.
uint32_t PlayedClockMs();
// While playing back, at the top of a main-loop pass: when the stream's next
// event is a game's starting state ('G'), takes it (and its clock) and
// returns true.
bool PlayGameStart(std::string* state);
// Ends playback as a mismatch (the stream holds what this game cannot take).
[[noreturn]] void RefusePlayback(const char* why);
// Called when the game reads past the end of the stream (`mismatch` false) or
// a reading does not match the stream (`mismatch` true, with `why`). By
// default the process ends (platform::EndProcess). The handler must not
// return.
void SetPlaybackEndHandler(void (*onEnd)(bool mismatch, const char* why));
// The reason playback gives when the window was closed during it.
constexpr const char* kPlaybackWindowClosed = "the window was closed";
// Ends playback here as its stream's end would (the recorded program left
// for something a playback never does, such as starting another program).
[[noreturn]] void StopPlayback(const char* why);
// Called before every wait of playback with the wait's length; a handler
// that returns false skips the wait (fast-forward). Default: every wait is
// waited.
void SetPlaybackWaitFilter(bool (*shouldWait)(uint32_t ms));

// ---- State digests ------------------------------------------------------------
// Whether the game should hand over its state digest (recording, or playing
// back a stream that carries them).
bool WantsStateDigests();
// The game's digest of its state at `second` of game time: kept while
// recording; while playing back, compared with the stream's, and playback
// stops as a mismatch at the first that differs, naming the second and both
// digests.
void StateDigest(uint32_t second, uint64_t digest);
// How many digests playback has found equal so far.
uint32_t DigestsChecked();

// ---- The readings -------------------------------------------------------------
uint32_t ReadClockMs();
// The close handler a modal dialog of the back-end calls while it is open
// (see platform::SetWindowCloseHandler): its calls are recorded too ('X'),
// and replayed before the dialog's answer.
void SetDialogCloseHandler(void (*onClose)());
void Idle(uint32_t ms);
uint32_t RandomSeed();
bool IsKeyDown(int vk);
bool QueryKey(int vk);
int JoystickCount();
bool ReadJoystick(int id, platform::JoyState* state);
bool ReadJoystickCaps(int id, platform::JoyCaps* caps);
platform::WindowEvent PollWindowEvent();
bool IsWindowInactive();
bool AskYesNo(const char* text, const char* title);
bool RunNameDialog(const char* caption, const char* prompt, int maxChars, std::string* name);
bool IsTuneStopped();
bool IsScreenSaverEnabled();
bool ClaimSingleInstance();
// The bytes of a file the game's state depends on (the score file): `error`
// is 0 or the errno of the failed read; the bytes are those read.
void ReadStateFile(int* error, std::string* bytes, void (*readLive)(int* error, std::string* bytes));
// Any other value the game's state depends on (a setting read at start):
// recorded as given while recording, handed back from the stream while
// playing back, passed through otherwise.
uint32_t ReadValue(uint32_t live);
// A value that is 0 in almost every game (an option left off, a notice with
// nothing to tell), named by `id` (each caller its own): kept in the stream
// ('O') only when it is not 0, so that a game that never had one leaves the
// stream it always left, and a stream recorded before it existed plays back.
// While playing back the live value is not asked for: `live` is called only
// otherwise (it may take the value, such as a notice told once).
uint32_t ReadRareValue(uint32_t id, uint32_t (*live)());

}  // namespace machine
