// The replay viewer's overlays, each shown or hidden by a key of the viewer:
// the input display (the play input the game read on the frame shown: the
// four directions, fire and bomb) and the hit boxes (the ship's, the
// bullets' and the enemy bodies', exactly as the contact checks of
// world/player_damage.h test them). They are drawn over the presented copy
// of the picture only, never into the game's own surfaces.
#pragma once

#include <cstdint>

#include "platform/surface.h"

// The play input of one frame, as ReadInput left it.
struct FrameInput {
  int16_t x = 0, y = 0;  // -1, 0 or +1: left/up, none, right/down
  bool fire = false, bomb = false;
};

void ResetViewerOverlays();  // both hidden, no input noted
void ToggleInputDisplay();
void ToggleHitBoxes();
bool InputDisplayShown();
bool HitBoxesShown();

// Called as each picture of the playback is presented: the frame's input
// is read then, before the main loop flushes it.
void NoteFrameInput();
FrameInput NotedFrameInput();

// Draws the overlays that are shown; false when none is.
bool DrawViewerOverlays(Surface& s);

// The two overlays, drawn whatever is shown (for the viewer and the tests).
// The input display sits in the top left corner.
void DrawInputDisplay(Surface& s, const FrameInput& input);
void DrawHitBoxes(Surface& s);

// The colours of the hit boxes: a box is drawn in the colour of the boxes it
// is tested against.
constexpr uint32_t kEnemyContactColour = 0xFF8020;
constexpr uint32_t kSmallBulletColour = 0xFF40FF;
constexpr uint32_t kLargeBulletColour = 0x40FFFF;
// The ship's boxes while a contact would not damage it.
constexpr uint32_t kShipSafeColour = 0x808080;
