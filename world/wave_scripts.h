// The behaviour scripts of every wave, keyed by the wave counter.
#pragma once

void RunWaveBehaviour();
