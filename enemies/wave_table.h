// The wave spawner with its formation table, and the boss placement.
#pragma once

void SpawnWave();
void SpawnBoss();
