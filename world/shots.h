// Player shots and bombs against enemies: damage, kills, score and combo awards.
#pragma once

void MoveShots();
void ResolveShotHits();
void AwardEnemyScore();
void ArmComboTimers();
void StartBossDestruction();
void DrawComboTexts();
