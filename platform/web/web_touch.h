// The touch controls of the web build, as key states: the page (web/shell.html)
// reports the finger's drags, the buttons held and the taps; the SDL back-end
// adds what this makes of them to the keyboard it reads, so touch play
// reaches the game as key readings (and replays record it as such).
#pragma once

namespace webtouch {

// The touch controls' part of a key's state now (IsKeyDown).
bool KeyDown(int vk);
// Down now, or pressed since the last query of that key (QueryKey); forgets
// the press.
bool QueryKey(int vk);

}  // namespace webtouch
