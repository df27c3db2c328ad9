// Line breaks in the texts of message boxes: the game writes them as CR, some
// catalogues as LF, others as CR LF; the box shows each as one break.
#pragma once

#include <string>

// The text with every CR LF, lone CR and LF written as one LF.
std::string UnixLineBreaks(const char* text);
