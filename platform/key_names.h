// The names of the keys a player may bind, as written in the settings file
// and shown on the options screen.
#pragma once

// "A".."Z", "0".."9", "Space", "Enter", "Escape", "Pause", "Shift", "Tab",
// "Backspace" and "Ctrl"; nullptr for a key that cannot be bound.
const char* KeyName(int vk);
// The key of a name (letters in either case); -1 when there is none.
int KeyFromName(const char* name);
