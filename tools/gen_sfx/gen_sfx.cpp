// gen-sfx DESCRIPTION FOLDER [NAME...]: renders every effect of the
// description to FOLDER/NAME.wav (see sfx.h). With names, the description
// must hold exactly those effects (the build's list of the files it expects).
// Exit status 1 on a bad description or a file that cannot be written.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sfx.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: gen-sfx DESCRIPTION FOLDER [NAME...]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "gen-sfx: cannot read %s\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<sfx::Effect> effects;
  std::string error;
  if (!sfx::ParseEffects(text.str(), &effects, &error)) {
    std::fprintf(stderr, "%s:%s\n", argv[1], error.c_str());
    return 1;
  }
  if (argc > 3) {
    std::set<std::string> expected(argv + 3, argv + argc), described;
    for (const sfx::Effect& e : effects) described.insert(e.name);
    for (const std::string& name : expected)
      if (!described.count(name)) std::fprintf(stderr, "%s: no effect named %s\n", argv[1], name.c_str());
    for (const std::string& name : described)
      if (!expected.count(name))
        std::fprintf(stderr, "%s: the effect %s is not in the build's list\n", argv[1], name.c_str());
    if (expected != described) return 1;
  }
  const std::string folder = argv[2];
  int why = 0;
  if (!files::MakeFolders(folder, &why)) {
    std::fprintf(stderr, "gen-sfx: cannot make %s: %s\n", folder.c_str(), std::strerror(why));
    return 1;
  }
  for (const sfx::Effect& e : effects) {
    const std::vector<uint8_t> wav = sfx::WriteWav(sfx::Render(e));
    const std::string path = folder + "/" + e.name + ".wav";
    if (!files::ReplaceFileAtomically(path, wav.data(), wav.size(), &why)) {
      std::fprintf(stderr, "gen-sfx: cannot write %s: %s\n", path.c_str(), std::strerror(why));
      return 1;
    }
  }
  return 0;
}
