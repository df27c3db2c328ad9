// Touch controls into key states.
//
// Drag: where the finger lands does not matter. Its movement, in game pixels
// times the player's sensitivity, moves a point the ship is told to go to;
// on each frame the offset of that point from where the ship was told to be
// becomes the arrow keys held that frame, and the point comes one ship step
// (6 pixels) nearer for each key held. So the ship follows the finger as far
// as its own speed allows, and stops where the finger stopped.
//
// A frame, for the touch controls, begins when the game reads the Right
// arrow: its input reading does that first, once a frame.
//
// Buttons: fire and bomb press the game's first fire and bomb keys, pause
// the Pause and Escape keys (Escape also opens the title's menu and leaves a
// replay).
//
// Taps on a menu item (platform/touch_menu.h) queue key presses: Up or Down
// once per row to the item, fire on it. Each queued press is held for one
// frame and followed by one frame with nothing held, as a player's presses
// are.
#include "platform/web/web_touch.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE  // its test runs natively
#endif

#include <cmath>

#include "platform/input.h"
#include "platform/keys.h"
#include "platform/touch_menu.h"

namespace {

constexpr float kShipStep = 6.0f;
constexpr float kReachX = 332.0f, kReachY = 478.0f;  // the picture's size bounds the offset
// A tap queues at most a press for every row but the cursor's: a jump from
// the first row to the last of the longest menu fits whole.
constexpr int kQueueMax = kTouchItemsMax;
constexpr int kKeyCount = 256;
// A menu not published for this many frames is gone.
constexpr int kMenuFrames = 3;

enum Button { kButtonFire = 1, kButtonBomb = 2, kButtonPause = 3 };

struct TouchState {
  float offsetX = 0, offsetY = 0;  // where the finger told the ship to go, from where it was told to be
  int dirX = 0, dirY = 0;          // the arrows held this frame
  bool held[4] = {};               // by Button
  bool releasing[4] = {};          // let go before a frame saw it: held through one frame
  uint32_t frame = 0;
  uint32_t heldSince[4] = {};      // the frame a button went down in
  bool pressed[kKeyCount] = {};    // a button's key went down since the key's last query
  int queue[kQueueMax] = {};       // queued presses (virtual keys)
  int queued = 0;
  bool queueKeyDown = false;  // the first queued press is held this frame (else: the gap after one, or none)
  bool inGap = false;         // this frame is the one let go after a queued press
  uint32_t menuSerial = 0;
  int menuAge = kMenuFrames;  // frames since the menu was last published
};
TouchState gTouch;

int FireKey() { return buttonKeys[0]; }
int BombKey() { return buttonKeys[1]; }

bool ButtonHolds(int vk) {
  if (gTouch.held[kButtonFire] && vk == FireKey()) return true;
  if (gTouch.held[kButtonBomb] && vk == BombKey()) return true;
  if (gTouch.held[kButtonPause] && (vk == kVkPause || vk == kVkEscape)) return true;
  return false;
}

bool MenuShown() { return gTouch.menuAge < kMenuFrames; }

// One step of the drag and of the queue, at the start of a frame.
void BeginFrame() {
  ++gTouch.frame;
  for (int b = kButtonFire; b <= kButtonPause; ++b)
    if (gTouch.releasing[b] && gTouch.frame - gTouch.heldSince[b] >= 2) gTouch.releasing[b] = gTouch.held[b] = false;
  const TouchMenu& menu = PublishedTouchMenu();
  if (menu.serial != gTouch.menuSerial) {
    gTouch.menuSerial = menu.serial;
    gTouch.menuAge = 0;
  } else if (gTouch.menuAge < kMenuFrames) {
    ++gTouch.menuAge;
  }
  auto step = [](float* offset) {
    const int dir = *offset > kShipStep / 2 ? 1 : *offset < -kShipStep / 2 ? -1 : 0;
    *offset -= kShipStep * float(dir);
    return dir;
  };
  gTouch.dirX = step(&gTouch.offsetX);
  gTouch.dirY = step(&gTouch.offsetY);

  if (gTouch.queueKeyDown) {
    gTouch.queueKeyDown = false;  // the gap after the press
    for (int i = 1; i < gTouch.queued; ++i) gTouch.queue[i - 1] = gTouch.queue[i];
    --gTouch.queued;
    gTouch.inGap = true;
  } else if (gTouch.inGap) {
    gTouch.inGap = false;
    gTouch.queueKeyDown = gTouch.queued > 0;
  } else {
    gTouch.queueKeyDown = gTouch.queued > 0;
  }
}

bool QueuedKeyDown(int vk) { return gTouch.queueKeyDown && gTouch.queued > 0 && gTouch.queue[0] == vk; }

void Queue(int vk) {
  if (vk > 0 && vk < kKeyCount && gTouch.queued < kQueueMax) gTouch.queue[gTouch.queued++] = vk;
}

}  // namespace

namespace webtouch {

bool KeyDown(int vk) {
  if (vk <= 0 || vk >= kKeyCount) return false;
  if (vk == kVkRight) BeginFrame();
  if (ButtonHolds(vk) || QueuedKeyDown(vk)) return true;
  return (vk == kVkLeft && gTouch.dirX < 0) || (vk == kVkRight && gTouch.dirX > 0) ||
         (vk == kVkUp && gTouch.dirY < 0) || (vk == kVkDown && gTouch.dirY > 0);
}

bool QueryKey(int vk) {
  if (vk <= 0 || vk >= kKeyCount) return false;
  const bool pressed = gTouch.pressed[vk];
  gTouch.pressed[vk] = false;
  return pressed || ButtonHolds(vk) || QueuedKeyDown(vk);
}

}  // namespace webtouch

// ---- For the page -------------------------------------------------------------

// A finger begins a drag: what was left of the last one, less than half a
// step, is dropped (the ship has come where it was told).
extern "C" EMSCRIPTEN_KEEPALIVE void tessivane_touch_drag_begin() {
  if (gTouch.offsetX >= -kShipStep / 2 && gTouch.offsetX <= kShipStep / 2) gTouch.offsetX = 0;
  if (gTouch.offsetY >= -kShipStep / 2 && gTouch.offsetY <= kShipStep / 2) gTouch.offsetY = 0;
}

// The finger moved by (dx, dy) game pixels (the page applies the
// sensitivity). Ignored while a menu is shown: there the finger taps.
extern "C" EMSCRIPTEN_KEEPALIVE void tessivane_touch_drag(float dx, float dy) {
  if (MenuShown() || !std::isfinite(dx) || !std::isfinite(dy)) return;
  auto clamp = [](float v, float reach) { return v < -reach ? -reach : v > reach ? reach : v; };
  gTouch.offsetX = clamp(gTouch.offsetX + dx, kReachX);
  gTouch.offsetY = clamp(gTouch.offsetY + dy, kReachY);
}

// A button (1 fire, 2 bomb, 3 pause) went down or up.
extern "C" EMSCRIPTEN_KEEPALIVE void tessivane_touch_button(int button, int down) {
  if (button < kButtonFire || button > kButtonPause) return;
  const bool now = down != 0;
  if (!now) {
    // A press shorter than a frame still holds the key for one frame.
    if (gTouch.held[button] && gTouch.frame - gTouch.heldSince[button] < 2) gTouch.releasing[button] = true;
    else gTouch.held[button] = false;
    return;
  }
  gTouch.releasing[button] = false;
  if (!gTouch.held[button]) {
    gTouch.heldSince[button] = gTouch.frame;
    if (button == kButtonFire && FireKey() > 0 && FireKey() < kKeyCount) gTouch.pressed[FireKey()] = true;
    if (button == kButtonBomb && BombKey() > 0 && BombKey() < kKeyCount) gTouch.pressed[BombKey()] = true;
    if (button == kButtonPause) gTouch.pressed[kVkPause] = gTouch.pressed[kVkEscape] = true;
  }
  gTouch.held[button] = true;
}

// A tap at (x, y) in game pixels: 1 when it was on an item of the menu shown
// (its presses are queued), 0 otherwise.
extern "C" EMSCRIPTEN_KEEPALIVE int tessivane_touch_tap(float x, float y) {
  if (!MenuShown() || gTouch.queued > 0) return 0;
  const TouchMenu& menu = PublishedTouchMenu();
  for (int i = 0; i < menu.count; ++i) {
    const TouchItem& item = menu.items[i];
    if (x < item.x || x >= item.x + item.w || y < item.y || y >= item.y + item.h) continue;
    switch (item.action) {
      case TouchAction::Fire: Queue(FireKey()); break;
      case TouchAction::Bomb: Queue(BombKey()); break;
      case TouchAction::Row:
      case TouchAction::ValueRow: {
        if (menu.cursor < 0) break;
        for (int n = i; n < menu.cursor; ++n) Queue(kVkUp);
        for (int n = menu.cursor; n < i; ++n) Queue(kVkDown);
        if (i != menu.cursor) break;
        const float value = item.x + item.w * 0.6f, middle = item.x + item.w * 0.8f;
        if (item.action == TouchAction::ValueRow && x >= value) Queue(x < middle ? kVkLeft : kVkRight);
        else Queue(FireKey());
        break;
      }
    }
    return 1;
  }
  return 0;
}

// Whether the menu shown is a question its answers' keys take (fire or bomb:
// the continue question): the page then asks it with buttons of its own.
extern "C" EMSCRIPTEN_KEEPALIVE int tessivane_touch_question() {
  if (!MenuShown()) return 0;
  const TouchMenu& menu = PublishedTouchMenu();
  for (int i = 0; i < menu.count; ++i)
    if (menu.items[i].action != TouchAction::Fire && menu.items[i].action != TouchAction::Bomb) return 0;
  return menu.count > 0 ? 1 : 0;
}

// The page's answer to that question: 1 yes (the fire key), 0 no (bomb).
// 1 when it was taken.
extern "C" EMSCRIPTEN_KEEPALIVE int tessivane_touch_answer(int yes) {
  if (!tessivane_touch_question() || gTouch.queued > 0) return 0;
  Queue(yes ? FireKey() : BombKey());
  return 1;
}

// Whether a menu is shown (the page then shows no drag hint).
extern "C" EMSCRIPTEN_KEEPALIVE int tessivane_touch_menu_shown() { return MenuShown() ? 1 : 0; }
