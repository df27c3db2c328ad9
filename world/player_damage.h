// The ship against enemy bodies and bullets.
#pragma once

void CheckEnemyContact();
void CheckBulletHits();
