// The font the texts are drawn in, replaced while the game runs: the web page
// starts with the font cut to the game's own characters and hands over the
// whole font when it has fetched it.
#pragma once

#include <string>

namespace platform {

// Draws from now on with the font at `path` (the glyphs drawn so far are
// drawn again). Nothing changes when the font cannot be opened.
void ReplaceTextFont(const std::string& path);

}  // namespace platform
