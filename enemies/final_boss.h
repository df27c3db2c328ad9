// The final boss's cycle of steps (wave 157).
#pragma once

void RunFinalBoss();
