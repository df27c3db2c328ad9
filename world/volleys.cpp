#include "world/volleys.h"

void FireAimedVolley() {}
void FireLargeShot() {}
void FireTwinLargeShots() {}
void FireCentreLargeShot() {}
void FireBouncingVolley() {}
void FireLastVolley() {}
void AimBullet(int /*slot*/, int /*spread*/, double /*speed*/) {}
void MoveBulletsAndItems() {}
