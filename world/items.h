// The bomb and shield items and the bonus capsule.
#pragma once

void ReleaseItems();
void MoveItems();
void CheckItemPickup();
void CheckCapsulePickup();
