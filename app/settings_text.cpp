#include "app/settings_text.h"

#include <cstring>

namespace settings_text {

namespace {

constexpr const char* kSection = "settings";
constexpr const char* kHeading = "# Tessivane settings, written by the game (other lines are kept as they are).";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\n'; }

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsSpace(s[a])) ++a;
  while (b > a && IsSpace(s[b - 1])) --b;
  return s.substr(a, b - a);
}

}  // namespace

Document Parse(const std::string& text, const char* const* names, int count) {
  Document doc;
  std::string section;
  int settingsSections = 0;  // how many [settings] headers so far
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    Line line{text.substr(start, end - start), -1};
    start = end + 1;
    const int lineNumber = int(doc.lines.size()) + 1;
    std::string s = line.text;
    if (lineNumber == 1 && s.compare(0, 3, "\xEF\xBB\xBF") == 0) s.erase(0, 3);  // a UTF-8 byte-order mark
    s = Trim(s);
    if (s.empty() || s[0] == ';' || s[0] == '#') {
      doc.lines.push_back(line);
      continue;
    }
    if (s[0] == '[') {
      const size_t close = s.find(']');
      if (close == std::string::npos) {
        if (!doc.firstBadLine) doc.firstBadLine = lineNumber;
      } else {
        section = Trim(s.substr(1, close - 1));
        if (section == kSection) ++settingsSections;
        if (section == kSection && settingsSections == 1) doc.insertAfter = int(doc.lines.size());
      }
      doc.lines.push_back(line);
      continue;
    }
    const size_t sep = s.find_first_of("=:");
    if (sep == std::string::npos) {
      if (!doc.firstBadLine) doc.firstBadLine = lineNumber;
      doc.lines.push_back(line);
      continue;
    }
    const std::string name = Trim(s.substr(0, sep));
    std::string value = s.substr(sep + 1);
    for (size_t k = 1; k < value.size(); ++k) {
      if (value[k] == ';' && IsSpace(value[k - 1])) {
        value.resize(k);
        break;
      }
    }
    value = Trim(value);
    if (section == kSection) {
      for (int i = 0; i < count; ++i) {
        if (name != names[i]) continue;
        line.setting = i;
        doc.values.push_back({i, value, lineNumber});
        break;
      }
      if (settingsSections == 1) doc.insertAfter = int(doc.lines.size());
    }
    doc.lines.push_back(line);
  }
  return doc;
}

std::string Write(const Document& document, const char* const* names, const std::vector<std::string>& values) {
  std::vector<bool> present(values.size(), false);
  for (const Line& line : document.lines)
    if (line.setting >= 0) present[size_t(line.setting)] = true;
  std::string missing;
  for (size_t i = 0; i < values.size(); ++i)
    if (!present[i] && !values[i].empty()) missing += std::string(names[i]) + " = " + values[i] + "\n";

  std::string out;
  if (document.lines.empty()) return std::string(kHeading) + "\n[" + kSection + "]\n" + missing;
  for (size_t k = 0; k < document.lines.size(); ++k) {
    const Line& line = document.lines[k];
    if (line.setting >= 0) {
      out += std::string(names[line.setting]) + " = " + values[size_t(line.setting)] + "\n";
    } else {
      out += line.text + "\n";
    }
    if (int(k) == document.insertAfter) out += missing;
  }
  if (document.insertAfter < 0 && !missing.empty()) out += "[" + std::string(kSection) + "]\n" + missing;
  return out;
}

}  // namespace settings_text
