#include "app/language_setting.h"

// The texts are shown as they stand until a translation is wired in here.
void ApplyLanguageSetting(int /*choice*/) {}
