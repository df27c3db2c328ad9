#include "frontend/title.h"

void TitleScreen() {}
void StartDemo() {}
