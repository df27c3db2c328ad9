// The language of the texts a player must understand (dialogs, messages, the
// pause and options screens). The game's own texts are the message ids; a
// text without a translation for the chosen language is shown as it stands.
#pragma once

namespace language {

// The text to show for `original` in the current language.
const char* Translate(const char* original);

}  // namespace language
