#include "app/next_stage.h"

void BeginNextStage() {}
