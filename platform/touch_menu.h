// Where the items of the menu on screen lie, for a touch screen. A menu
// publishes its items on every frame it shows them; the web build's touch
// controls turn a tap on an item into the key presses a player would make
// (Up or Down to the item, then fire on it), so touch play reaches the game
// as the same key readings. Nothing of the game reads these back.
#pragma once

#include <cstdint>

enum class TouchAction : uint8_t {
  Row,   // a menu row: Up or Down moves the cursor to it, fire chooses it
  // A row with a value: as Row, but on the cursor's row a tap on the value
  // (the last 40% of the row) presses Left on its left half, Right on its
  // right half.
  ValueRow,
  Fire,  // a tap presses the fire key
  Bomb,  // a tap presses the bomb key
};

struct TouchItem {
  int16_t x, y, w, h;  // game pixels
  TouchAction action;
};

constexpr int kTouchItemsMax = 24;

// The items now on screen and the row the cursor is on (-1 none); more than
// kTouchItemsMax are cut. A question answered publishes none (nullptr, 0):
// the screens after it may read no input for a while.
void PublishTouchItems(const TouchItem* items, int count, int cursor);
// A vertical menu of `count` rows of `step` pixels, the first at (x, y).
void PublishTouchRows(int x, int y, int w, int step, int count, int cursor,
                      TouchAction action = TouchAction::Row);

struct TouchMenu {
  TouchItem items[kTouchItemsMax];
  int count = 0;
  int cursor = -1;
  uint32_t serial = 0;  // raised by every publication
};
const TouchMenu& PublishedTouchMenu();
