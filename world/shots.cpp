#include "world/shots.h"

void MoveShots() {}
void ResolveShotHits() {}
void AwardEnemyScore() {}
void ArmComboTimers() {}
void StartBossDestruction() {}
void DrawComboTexts() {}
