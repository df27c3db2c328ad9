// Per-frame stage logic and the stage background builders.
#pragma once

#include <cstdint>

void UpdateStageFlow();
// Every way into a stage sets it up alike: stageNo, the stage's background,
// the "STAGE" banner, and `wave` just before the stage's first formation.
void SetUpStage(uint8_t stage);
// The ship's place at the start of a played stage, level.
void PlaceShipForStage();
// Opens the tune of the current stage for stages 1..7 (none for others).
void OpenStageMusic();
void BuildStageBackground();
void FillPlainBackground();
// Which background the builders last made (a stage's number, or
// kPlainBackground), and the same made again: a picture's background is not
// part of a snapshot of the game, only how it was built.
constexpr int kPlainBackground = -1;
int BuiltBackground();
void RebuildBackground(int built);
