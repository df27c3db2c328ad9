// The stage selection screen.
#pragma once

void SelectionScreen();
