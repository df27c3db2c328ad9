// Where the language setting takes effect.
#pragma once

// choice: 0 automatic (from the environment), 1 English, 2 Japanese.
void ApplyLanguageSetting(int choice);
