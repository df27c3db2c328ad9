// The state registry against the headers: every global a header declares has
// its row (so dumps show it and the test fixture resets it), and no row is
// there twice.
#include "app/state_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Globals that are not game state and stay out of the registry on purpose.
const std::set<std::string> kNotState = {
    "mapData",  // the map file's bytes, read once at start-up and never changed
    "scrmain",  // pixel surfaces: pictures, not state
    "scrback",
    "imgchar",
};

// The folders whose headers declare the game's globals (platform/: only its
// own top level; the back-ends keep their state to themselves).
const char* const kFolders[] = {"app", "data", "world", "enemies", "presentation", "frontend", "platform"};

// `extern TYPE NAME` or `extern TYPE NAME[...]`; not `extern const`, not `extern "C"`.
const std::regex kExternLine(R"(^\s*extern\s+(?!const\b)(?!")[\w:<>]+\s+(\w+)\s*[\[;])");

struct Declaration {
  std::string name;
  std::string where;
};

std::vector<Declaration> GlobalsDeclaredInHeaders(const fs::path& source) {
  std::vector<Declaration> found;
  for (const char* folder : kFolders) {
    const fs::path dir = source / folder;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".h") continue;
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (std::regex_search(line, m, kExternLine)) {
          std::ostringstream where;
          where << folder << '/' << entry.path().filename().string() << ':' << number;
          found.push_back({m[1].str(), where.str()});
        }
      }
    }
  }
  return found;
}

std::set<std::string> RegistryNames() {
  std::set<std::string> names;
  for (int i = 0; i < kStateEntryCount; ++i) names.insert(kStateEntries[i].name);
  return names;
}

TEST(StateRegistry, EveryGlobalOfAHeaderHasARow) {
  const std::vector<Declaration> globals = GlobalsDeclaredInHeaders(TESSIVANE_SOURCE_DIR);
  ASSERT_GT(globals.size(), 100u) << "the header scan found too few globals to be right";
  const std::set<std::string> registered = RegistryNames();
  for (const Declaration& d : globals) {
    if (kNotState.count(d.name)) continue;
    EXPECT_TRUE(registered.count(d.name)) << d.name << " (" << d.where << ") has no row in app/state_registry.cpp";
  }
}

TEST(StateRegistry, EveryRowIsADeclaredGlobalAndUnique) {
  std::set<std::string> declared;
  for (const Declaration& d : GlobalsDeclaredInHeaders(TESSIVANE_SOURCE_DIR)) declared.insert(d.name);
  std::set<std::string> seen;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const std::string name = kStateEntries[i].name;
    EXPECT_TRUE(seen.insert(name).second) << name << " has two rows";
    EXPECT_TRUE(declared.count(name)) << name << " is not declared in a header";
    EXPECT_GE(kStateEntries[i].count, 1) << name;
  }
}

}  // namespace
