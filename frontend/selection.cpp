#include "frontend/selection.h"

void SelectionScreen() {}
