// The ending and staff roll.
#pragma once

#include <cstdint>

void Ending();

// The fade level of "FIN.." (0 black .. 26 white). It has a place of its own:
// the effect timers treat every enemy slot's state as an explosion, and would
// reset a level kept there.
extern uint8_t finFadeLevel;
