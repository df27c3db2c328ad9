// Text read from a file (a settings value, a replay's build text), fit to be
// shown on a terminal: control bytes and DEL as \xNN, so that a file cannot
// move the cursor, clear the screen or ring the bell.
#pragma once

#include <string>

std::string PrintableText(const std::string& text);
