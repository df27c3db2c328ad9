// The player ship: movement, banking, shots, charge, bombs, and the Ctrl toggle.
#pragma once

void UpdatePlayer();
