#include "enemies/final_boss.h"

void RunFinalBoss() {}
