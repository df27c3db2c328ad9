// Player shots and bombs against enemies: damage, kills, score and combo awards.
#pragma once

#include <string>

void MoveShots();
void ResolveShotHits();
void AwardEnemyScore();
void ArmComboTimers();
void StartBossDestruction();
void DrawComboTexts();

// A number as the game prints it after a word: one leading blank (" 3").
std::string WithLeadingBlank(int number);
// The combo caption for `count` kills: " 3Hit".
std::string HitText(int count);
