// The Windows entry of both programs: the command line as UTF-8 (the C
// runtime's argv holds only what the ANSI code page can spell), and the
// player's language for the message catalogues when no LANG or LC_* says
// otherwise. Each program's own main is compiled as ProgramMain.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/windows/utf16.h"

int ProgramMain(int argc, char** argv);

int wmain(int argc, wchar_t** wargv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(platform::Narrow(wargv[i]));
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  if (!std::getenv("LC_ALL") && !std::getenv("LC_MESSAGES") && !std::getenv("LANG")) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0) {
      std::string lang = platform::Narrow(name);  // "ja-JP" -> "ja_JP"
      for (char& c : lang)
        if (c == '-') c = '_';
      _putenv(("LANG=" + lang + ".UTF-8").c_str());
    }
  }
  return ProgramMain(argc, argv.data());
}
