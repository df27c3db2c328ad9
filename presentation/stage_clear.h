// The stage-clear screen.
#pragma once

void StageClear();
