#include "world/wave_scripts.h"

void RunWaveBehaviour() {}
