#include "platform/touch_menu.h"

namespace {

TouchMenu gMenu;

}  // namespace

void PublishTouchItems(const TouchItem* items, int count, int cursor) {
  if (count > kTouchItemsMax) count = kTouchItemsMax;
  if (count < 0) count = 0;
  for (int i = 0; i < count; ++i) gMenu.items[i] = items[i];
  gMenu.count = count;
  gMenu.cursor = cursor;
  ++gMenu.serial;
}

void PublishTouchRows(int x, int y, int w, int step, int count, int cursor, TouchAction action) {
  TouchItem rows[kTouchItemsMax];
  if (count > kTouchItemsMax) count = kTouchItemsMax;
  for (int i = 0; i < count; ++i)
    rows[i] = TouchItem{int16_t(x), int16_t(y + step * i), int16_t(w), int16_t(step), action};
  PublishTouchItems(rows, count, cursor);
}

const TouchMenu& PublishedTouchMenu() { return gMenu; }
