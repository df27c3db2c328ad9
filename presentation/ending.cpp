#include "presentation/ending.h"

void Ending() {}
