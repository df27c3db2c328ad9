#include "world/items.h"

void ReleaseItems() {}
void MoveItems() {}
void CheckItemPickup() {}
void CheckCapsulePickup() {}
