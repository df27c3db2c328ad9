// Resets of the world tables shared by the new game, the next stage and the
// continue.
#pragma once

// Every player-shot slot free, with its spark and combo cleared.
void ClearShotSlots();
// Every enemy slot free and parked off the play field (x 1000).
void ClearEnemySlots();
// Every bullet slot free and still.
void ClearBulletSlots();
// The ship's shot, charge and bomb state back to rest (shield, bombs and
// score are the caller's).
void ResetShipState();
// The eight boss-destruction blast points of a stage.
void SetStageBlastPoints();
