#include "world/player_damage.h"

void CheckEnemyContact() {}
void CheckBulletHits() {}
