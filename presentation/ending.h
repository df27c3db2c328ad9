// The ending and staff roll.
#pragma once

void Ending();
