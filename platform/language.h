// The language of the texts a player must understand (dialogs, messages, the
// pause and options screens). The game's own texts are the message ids of
// standard gettext catalogues (po/*.po, compiled with msgfmt into
// locale/LL/LC_MESSAGES/tessivane.mo); a text without a translation for the
// chosen language is shown as it stands. The game's own texts are Japanese;
// the ja catalogue keeps them and translates the texts of the additions
// around the game (menus, options, notices), whose ids are English.
#pragma once

#include <string>

namespace language {

enum class Choice { Automatic, English, Japanese };

// The text to show for `original` in the current language. The pointer stays
// valid for the whole run.
const char* Translate(const char* original);

// The text for `original` with its "%s" replaced by `value` (the text as it
// stands when it has none).
std::string Formatted(const char* original, const std::string& value);

// Marks an original text that is translated where it is shown, so that the
// catalogues' check finds it: Translate(kText) later.
constexpr const char* TranslatedLater(const char* original) { return original; }

// The player's choice; Automatic follows the system language (below).
void SetChoice(Choice choice);

// The locale the C library uses for messages: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty; "C" when none is.
std::string MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The catalogue a locale asks for: "ja" for Japanese locales ("" for the
// originals alone when no ja catalogue is found), otherwise the language of the locale ("de_AT.UTF-8" gives "de_AT" if that
// catalogue exists, else "de" if that one exists), and "en" for any locale
// without a catalogue of its own ("C", "POSIX", unset, unknown languages).
std::string CatalogueForLocale(const std::string& locale);

// What Automatic means: the originals until this is called. The game calls
// it with the process environment at start; tessivane-headless with --lang
// ("ja_JP.UTF-8" or "en_US.UTF-8"), so that its default stays the originals.
void SetSystemLocale(const std::string& locale);
void UseEnvironmentLocale();

// The folders searched for locale/LL/LC_MESSAGES/tessivane.mo, in order.
// By default: the base folder's locale/, the program's own folder's locale/,
// its ../../share/locale (an installed copy) and the install-time locale folder.
void SetCatalogueFolders(const std::string* folders, int count);

}  // namespace language

// The settings screen's language row: 0 automatic, 1 English, 2 Japanese
// (other values count as automatic).
void ApplyLanguageSetting(int choice);
