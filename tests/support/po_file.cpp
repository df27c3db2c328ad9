#include "tests/support/po_file.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace po_file {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Unescape(const std::string& body) {
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\' || i + 1 == body.size()) {
      out += body[i];
      continue;
    }
    switch (body[++i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      default: out += body[i]; break;
    }
  }
  return out;
}

std::map<std::string, std::string> ReadPo(const std::string& path) {
  std::map<std::string, std::string> entries;
  std::istringstream in(ReadText(path));
  std::string line, id, str, *current = nullptr;
  auto flush = [&] {
    if (!id.empty()) entries[id] = str;
    id.clear();
    str.clear();
    current = nullptr;
  };
  const std::regex quoted("^(msgid|msgstr)?\\s*\"(.*)\"\\s*$");
  while (std::getline(in, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, quoted)) {
      if (line.empty()) flush();
      continue;
    }
    if (m[1] == "msgid") {
      flush();
      current = &id;
    } else if (m[1] == "msgstr") {
      current = &str;
    }
    if (current) *current += Unescape(m[2]);
  }
  flush();
  return entries;
}

std::vector<std::string> PoLanguages(const std::string& poFolder) {
  std::vector<std::string> langs;
  FILE* list = popen(("ls '" + poFolder + "'").c_str(), "r");
  char name[256];
  while (list && std::fgets(name, sizeof name, list)) {
    std::string n = name;
    n.pop_back();
    if (n.size() > 3 && n.compare(n.size() - 3, 3, ".po") == 0) langs.push_back(n.substr(0, n.size() - 3));
  }
  if (list) pclose(list);
  return langs;
}

}  // namespace po_file
