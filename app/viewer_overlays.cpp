#include "app/viewer_overlays.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/app_state.h"
#include "platform/backend.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/surface.h"
#include "world/player_damage.h"
#include "world/world_state.h"

namespace {

bool gInputShown = false;
bool gBoxesShown = false;
FrameInput gInput;

void Put(Surface& s, int x, int y, uint32_t rgb) {
  if (x >= 0 && y >= 0 && x < s.width && y < s.height) s.pixels[y * s.width + x] = rgb;
}

void FillRect(Surface& s, int x0, int y0, int x1, int y1, uint32_t rgb) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) Put(s, x, y, rgb);
}

// The outline of the pixels [x0, x1] x [y0, y1].
void Outline(Surface& s, int x0, int y0, int x1, int y1, uint32_t rgb) {
  for (int x = x0; x <= x1; ++x) {
    Put(s, x, y0, rgb);
    Put(s, x, y1, rgb);
  }
  for (int y = y0; y <= y1; ++y) {
    Put(s, x0, y, rgb);
    Put(s, x1, y, rgb);
  }
}

// A box covers [left, right) x [top, bottom): the pixels it reaches into.
void OutlineBox(Surface& s, const HitBox& b, uint32_t rgb) {
  const int x0 = int(std::floor(b.left)), x1 = int(std::ceil(b.right)) - 1;
  const int y0 = int(std::floor(b.top)), y1 = int(std::ceil(b.bottom)) - 1;
  if (x1 < x0 || y1 < y0) return;
  Outline(s, x0, y0, x1, y1, rgb);
}

// The input display's geometry: direction cells in a cross, then fire and
// bomb, in the top left corner (the score is in the middle, the corner label
// on the right, the status display and the viewer's bar at the bottom).
constexpr int kCell = 9;
constexpr int kGap = 1;
constexpr int kMargin = 4;
constexpr int kTextPoints = 9;
constexpr uint32_t kHeldColour = 0xFFFF60;
constexpr uint32_t kReleasedColour = 0x707070;

void Cell(Surface& s, int x, int y, int w, bool held) {
  if (held) FillRect(s, x, y, x + w, y + kCell, kHeldColour);
  Outline(s, x, y, x + w - 1, y + kCell - 1, held ? kHeldColour : kReleasedColour);
}

}  // namespace

void ResetViewerOverlays() {
  gInputShown = gBoxesShown = false;
  gInput = FrameInput{};
}
void ToggleInputDisplay() { gInputShown = !gInputShown; }
void ToggleHitBoxes() { gBoxesShown = !gBoxesShown; }
bool InputDisplayShown() { return gInputShown; }
bool HitBoxesShown() { return gBoxesShown; }

void NoteFrameInput() {
  gInput.x = inputX;
  gInput.y = inputY;
  gInput.fire = FirePressed();
  gInput.bomb = BombPressed();
}

FrameInput NotedFrameInput() { return gInput; }

bool DrawViewerOverlays(Surface& s) {
  if (gBoxesShown) DrawHitBoxes(s);
  if (gInputShown) DrawInputDisplay(s, gInput);
  return gBoxesShown || gInputShown;
}

void DrawInputDisplay(Surface& s, const FrameInput& input) {
  const std::string fire = language::Translate(language::TranslatedLater("Fire"));
  const std::string bomb = language::Translate(language::TranslatedLater("Bomb"));
  // Fire above bomb, right of the cross, both as wide as the wider word.
  const int wordsW = std::max(platform::TextWidth(kTextPoints, fire), platform::TextWidth(kTextPoints, bomb)) + 6;
  const int crossW = 3 * kCell + 2 * kGap;
  const int left = kMargin, top = kMargin, lowY = top + kCell + kGap;
  DarkenArea(s, left - 3, top - 3, left + crossW + 6 + wordsW + 3, lowY + kCell + 3);
  const int midX = left + kCell + kGap;
  Cell(s, midX, top, kCell, input.y < 0);
  Cell(s, left, lowY, kCell, input.x < 0);
  Cell(s, midX, lowY, kCell, input.y > 0);
  Cell(s, midX + kCell + kGap, lowY, kCell, input.x > 0);
  const int wordsX = left + crossW + 6;
  Cell(s, wordsX, top, wordsW, input.fire);
  Cell(s, wordsX, lowY, wordsW, input.bomb);
  const int textDown = (kCell - kTextPoints) / 2 - 1;
  platform::DrawText(s, wordsX + 3, top + textDown, kTextPoints, input.fire ? 0x000000 : 0xE0E0E0, fire);
  platform::DrawText(s, wordsX + 3, lowY + textDown, kTextPoints, input.bomb ? 0x000000 : 0xE0E0E0, bomb);
}

void DrawHitBoxes(Surface& s) {
  HitBox body[3];
  for (int e = 0; e < kEnemySlots; ++e) {
    if (!EnemyHasBody(e)) continue;
    EnemyBodyBoxes(e, body);
    for (const HitBox& b : body) OutlineBox(s, b, kEnemyContactColour);
  }
  bool smallBullets = false, largeBullets = false;
  HitBox shipAgainstSmall{}, shipAgainstLarge{};
  for (int b = 0; b < kBulletSlots; ++b) {
    HitBox ship, bullet;
    if (!BulletContactBoxes(b, &ship, &bullet)) continue;
    const bool large = bulletKind[b] == kBulletLarge;
    OutlineBox(s, bullet, large ? kLargeBulletColour : kSmallBulletColour);
    (large ? largeBullets : smallBullets) = true;
    (large ? shipAgainstLarge : shipAgainstSmall) = ship;
  }
  if (gameMode != kModePlay) return;
  // The ship's boxes: against enemy bodies always, against each kind of
  // bullet while one is on the field.
  const bool vulnerable = ShipVulnerable();
  OutlineBox(s, ShipBoxAgainstEnemies(), vulnerable ? kEnemyContactColour : kShipSafeColour);
  if (smallBullets) OutlineBox(s, shipAgainstSmall, vulnerable ? kSmallBulletColour : kShipSafeColour);
  if (largeBullets) OutlineBox(s, shipAgainstLarge, vulnerable ? kLargeBulletColour : kShipSafeColour);
}
