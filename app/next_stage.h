// Next-stage set-up: clears the finished stage and prepares the next.
#pragma once

void BeginNextStage();
