// The ship against enemy bodies and bullets.
#pragma once

void CheckEnemyContact();
void CheckBulletHits();

// A box given by its edges, in the playing field's pixels. Two boxes touch
// when they overlap strictly: a box covers [left, right) x [top, bottom).
struct HitBox {
  double left, right, top, bottom;
};

bool BoxesOverlap(const HitBox& a, const HitBox& b);

// The boxes the contact checks above test, where the game stands now (the
// replay viewer draws them).
// The ship's box against enemy bodies.
HitBox ShipBoxAgainstEnemies();
// Whether enemy slot `e` has a body the ship can touch, and its three boxes.
bool EnemyHasBody(int e);
void EnemyBodyBoxes(int e, HitBox boxes[3]);
// For bullet slot `b`: false when it is no bullet the ship can touch, else
// its box and the ship's box it is tested against (which depends on its kind).
bool BulletContactBoxes(int b, HitBox* ship, HitBox* bullet);
// Whether a contact now would damage the ship.
bool ShipVulnerable();
