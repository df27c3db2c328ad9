#include "enemies/wave_table.h"

void SpawnWave() {}
void SpawnBoss() {}
