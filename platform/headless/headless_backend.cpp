#include <deque>
#include <map>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/keys.h"
#include "platform/question_buttons.h"
#include "platform/surface.h"

namespace {

struct KeyInterval {
  int vk;
  uint32_t from, to;
};
struct JoyInterval {
  uint32_t from, to;
  platform::JoyState state;
};

struct Machine {
  uint32_t clock = 0;
  uint32_t stopTime = 0;
  void (*observer)(uint32_t, uint32_t) = nullptr;
  std::string baseDir = ".";
  uint32_t seed = 1;
  bool screenSaver = false;
  bool touchPresent = false;
  headless::TouchControls touch;
  bool instanceFree = true;
  std::vector<KeyInterval> keys;
  std::map<int, bool> keyDown;            // direct holds
  std::map<int, uint32_t> lastQuery;      // clock at each key's last query
  std::map<int, bool> pressedSinceQuery;  // direct holds pressed since the last query
  uint32_t pollsSinceWait = 0;
  void (*onClose)() = nullptr;
  bool joyPresent = false;
  std::vector<JoyInterval> joy;
  std::deque<bool> answers;
  std::deque<std::pair<bool, std::string>> names;
  std::vector<uint32_t> closes;
  std::vector<uint32_t> screenshots;  // F12 presses not yet delivered
  std::vector<uint32_t> terms;        // termination signals not yet delivered
  std::vector<std::pair<uint32_t, uint32_t>> unfocused;
  std::vector<headless::Message> messages;
  uint64_t presents = 0;
};
Machine m;

bool ScriptedDown(int vk, uint32_t t) {
  for (const auto& k : m.keys)
    if (k.vk == vk && t >= k.from && t < k.to) return true;
  return false;
}

bool KeyDownNow(int vk) {
  auto it = m.keyDown.find(vk);
  if (it != m.keyDown.end() && it->second) return true;
  return ScriptedDown(vk, m.clock);
}

// A program that polls the machine many times without ever waiting would
// stand still for ever on a clock that moves only while it waits. Such busy
// work is given time as a real machine would: a millisecond passes for every
// kPollsPerMs polls (clock reads, key and joystick queries, window events,
// presents) made since the last wait. A normal frame makes a few dozen.
constexpr uint32_t kPollsPerMs = 10000;
void CountPoll() {
  if (++m.pollsSinceWait >= kPollsPerMs) platform::Idle(1);
}

}  // namespace

namespace headless {
void Reset() {
  m = Machine{};
  ResetHeadlessMusic();
  ResetHeadlessSoundEffects();
}
void SetClock(uint32_t ms) { m.clock = ms; }
uint32_t Clock() { return m.clock; }
void SetStopTime(uint32_t ms) { m.stopTime = ms; }
void SetClockObserver(void (*observer)(uint32_t, uint32_t)) { m.observer = observer; }
void SetBaseDirectory(const std::string& dir) { m.baseDir = dir; }
void SetSeed(uint32_t seed) { m.seed = seed; }
void SetScreenSaver(bool enabled) { m.screenSaver = enabled; }
void SetTouchControlsPresent(bool present) { m.touchPresent = present; }
const TouchControls& TouchControlsSet() { return m.touch; }
void SetSingleInstanceFree(bool free) { m.instanceFree = free; }
void HoldKey(int vk, uint32_t from, uint32_t to) {
  if (vk == kVkF12) {
    m.screenshots.push_back(from);  // the key the game never queries: an event
    return;
  }
  m.keys.push_back({vk, from, to});
}
void SetKeyDown(int vk, bool down) {
  if (down && !KeyDownNow(vk)) m.pressedSinceQuery[vk] = true;
  m.keyDown[vk] = down;
}
void SetJoystickPresent(bool present) { m.joyPresent = present; }
void SetJoystick(uint32_t from, uint32_t to, const platform::JoyState& state) {
  m.joy.push_back({from, to, state});
}
void QueueAnswer(bool yes) { m.answers.push_back(yes); }
void QueueName(const std::string& name) { m.names.emplace_back(true, name); }
void QueueNameCancel() { m.names.emplace_back(false, std::string()); }
void RequestCloseAt(uint32_t at) { m.closes.push_back(at); }
void RequestTerminationAt(uint32_t at) { m.terms.push_back(at); }
void SetUnfocused(uint32_t from, uint32_t to) { m.unfocused.emplace_back(from, to); }
const std::vector<Message>& Messages() { return m.messages; }
uint64_t PresentCount() { return m.presents; }
}  // namespace headless

namespace platform {

uint32_t ReadClockMs() {
  CountPoll();
  return m.clock;
}

void Idle(uint32_t ms) {
  if (ms == 0) ms = 1;
  m.pollsSinceWait = 0;
  const uint32_t from = m.clock;
  uint32_t to = from + ms;
  bool stop = false;
  if (m.stopTime != 0 && uint32_t(m.stopTime - from) <= ms) {
    to = m.stopTime;
    stop = true;
  }
  m.clock = to;
  if (m.observer) m.observer(from, to);
  if (stop) throw headless::StopReached{};
}

uint32_t RandomSeed() { return m.seed; }

void CreateGameWindow(const char*, int, int) {}
void ShowWindow() {}

void SetWindowCloseHandler(void (*onClose)()) { m.onClose = onClose; }

// Takes the first of `moments` that the clock has reached, if any.
bool TakeDue(std::vector<uint32_t>& moments) {
  for (size_t i = 0; i < moments.size(); ++i) {
    if (m.clock >= moments[i]) {
      moments.erase(moments.begin() + long(i));
      return true;
    }
  }
  return false;
}

WindowEvent PollWindowEvent() {
  CountPoll();
  if (TakeDue(m.closes)) return WindowEvent::CloseRequested;
  if (TakeDue(m.terms)) return WindowEvent::QuitRequested;
  if (TakeDue(m.screenshots)) return WindowEvent::ScreenshotRequested;
  return WindowEvent::None;
}

void PresentScreen(const Surface&) {
  CountPoll();
  ++m.presents;
}
bool IsWindowInactive() {
  for (const auto& u : m.unfocused)
    if (m.clock >= u.first && m.clock < u.second) return true;
  return false;
}
void SetDisplay(bool, int, int) {}
bool IsFullScreen() { return false; }
int LargestWindowSize() { return 4; }  // a desktop with room for every size
bool HasTouchControls() { return m.touchPresent; }
void SetTouchControls(bool leftHanded, int size, int dragPercent) { m.touch = {leftHanded, size, dragPercent}; }
void SetQuestionButtons(const std::string&, const std::string&) {}

bool IsKeyDown(int vk) {
  CountPoll();
  return KeyDownNow(vk);
}

bool QueryKey(int vk) {
  CountPoll();
  const uint32_t now = m.clock;
  auto it = m.lastQuery.find(vk);
  const bool seen = it != m.lastQuery.end();
  const uint32_t last = seen ? it->second : 0;
  m.lastQuery[vk] = now;
  auto direct = m.pressedSinceQuery.find(vk);
  const bool pressedDirectly = direct != m.pressedSinceQuery.end() && direct->second;
  if (pressedDirectly) direct->second = false;
  if (pressedDirectly || KeyDownNow(vk)) return true;
  // Pressed at some time since the last query?
  for (const auto& k : m.keys)
    if (k.vk == vk && k.from < k.to && (!seen || k.from > last) && k.from <= now) return true;
  return false;
}

int JoystickCount() { return m.joyPresent ? 1 : 0; }

bool ReadJoystick(int id, JoyState* state) {
  CountPoll();
  if (!m.joyPresent || id != 0) return false;
  *state = JoyState{};
  for (const auto& j : m.joy)
    if (m.clock >= j.from && m.clock < j.to) *state = j.state;
  return true;
}

bool ReadJoystickCaps(int id, JoyCaps* caps) {
  if (!m.joyPresent || id != 0) return false;
  *caps = JoyCaps{};
  caps->buttonCount = 4;
  return true;
}

void ShowMessage(const char* text, const char* title, bool criticalIcon) {
  m.messages.push_back({"message", text, title, criticalIcon, "ok"});
}

bool AskYesNo(const char* text, const char* title) {
  bool yes = false;
  if (!m.answers.empty()) {
    yes = m.answers.front();
    m.answers.pop_front();
  }
  m.messages.push_back({"question", text, title, false, yes ? "yes" : "no"});
  return yes;
}

bool RunNameDialog(const char* caption, const char* prompt, int maxChars, std::string* name) {
  bool ok = false;
  std::string typed;
  if (!m.names.empty()) {
    ok = m.names.front().first;
    typed = m.names.front().second;
    m.names.pop_front();
  }
  m.messages.push_back({"name", prompt, caption, false, ok ? typed : "cancel"});
  if (ok) *name = typed;
  return ok;
}

void CloseInputMethod() {}

void OpenInBrowser(const std::string& url) { m.messages.push_back({"browser", url, "", false, "ok"}); }
bool IsScreenSaverEnabled() { return m.screenSaver; }
void SetScreenSaverEnabled(bool enabled) { m.screenSaver = enabled; }
bool ClaimSingleInstance() { return m.instanceFree; }
std::string BaseDirectory() { return m.baseDir; }
std::string DataDirectory() { return m.baseDir; }
void EndProcess(int status) { throw headless::ProcessEnded{status}; }

}  // namespace platform
