#include "presentation/continue_screen.h"

#include "world/world_state.h"

void ContinuePrompt() {}
void ContinueGame() {}

void ClearBullets() {
  for (int k = 0; k < kBulletSlots; ++k)
    if (bulletKind[k] != 0) bulletKind[k] = 0;
  if (bannerTimer != 0 && stageNo == 5 && bonusState == 0) {
    bonusState = 1;
    bonusX = 142;
    bonusY = -2700;
  }
}
