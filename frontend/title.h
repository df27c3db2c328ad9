// The title menu and the stage demonstration.
#pragma once

void TitleScreen();
void StartDemo();
