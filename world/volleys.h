// Enemy bullets: the volley procedures, aiming, and bullet movement.
#pragma once

void FireAimedVolley();
void FireLargeShot();
void FireTwinLargeShots();
void FireCentreLargeShot();
void FireBouncingVolley();
void FireLastVolley();
// Aims the bullet in the slot just placed with spread `spread` and speed `speed`.
void AimBullet(int slot, int spread, double speed);
void MoveBulletsAndItems();
