#include "presentation/stage_clear.h"

void StageClear() {}
