// The pieces every screen draws the same way: the scrolled stage background,
// the player's ship and the status display.
#pragma once

// Clears scrmain and copies the 330 x 460 view of scrback at scrollPos.
void DrawBackground();

// The player's ship at (playerX, playerY), in the cell of its bank. With
// `blinking` an odd invulnerability count takes the cell off the sheet, so the
// ship blinks; `poseX` moves to the staff roll's transformed forms.
void DrawPlayerShip(bool blinking, double poseX = 0.0);
// The ship as play draws it: blinking while invulnerable in play and while a
// continue waits, and its death glow once the player has been lost.
void DrawShipOrDeathGlow();

// What the status display shows.
enum class StatusView {
  Play,     // the gauge filled by the charge, the ship's overlays flashing with it
  Resting,  // the empty gauge: the stage openings and captions
  Emptied,  // resting, and the shield slots drawn without their points
};
// The gauge, the bomb stock and the three shield slots.
void DrawStatusDisplay(StatusView view);
// "SHIELD" and the score.
void DrawStatusTexts();
