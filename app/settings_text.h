// The settings file's text, line by line. The game's own settings are the
// entries "name = value" of the section [settings] whose names it knows;
// every other line (comments, blank lines, sections, entries of a newer
// version, lines that are not entries at all) is kept exactly as written and
// written back in its place, so that writing the text and reading it again
// gives the same settings and the same kept lines, whatever the file held.
// Pure text; no game knowledge beyond the names it is given.
#pragma once

#include <string>
#include <vector>

namespace settings_text {

struct Line {
  std::string text;  // as in the file, without its '\n'
  int setting;       // the index of the named setting it sets, or -1: kept as it is
};

struct Value {
  int setting;
  std::string text;  // the value, white space and an inline comment removed
  int lineNumber;    // from 1
};

struct Document {
  std::vector<Line> lines;
  std::vector<Value> values;  // in file order: the last one of a setting wins
  int firstBadLine = 0;       // the first line that is not "name = value", 0 for none
  int insertAfter = -1;       // the last entry (or the header) of the first [settings], -1 for none
};

// Reads `text`: lines end at '\n'; white space around names, values and lines
// is ignored; a line starting with ';' or '#' is a comment; "[name]" starts a
// section; a value ends before a ';' that follows white space. `names` are
// the settings of the section [settings], `count` of them.
Document Parse(const std::string& text, const char* const* names, int count);

// The text of `document` with each setting's line holding `values[setting]`
// (canonical text: no leading or trailing white space, no " ;"). Settings
// the document has no line for are written at the end of its first section
// [settings], after its last entry (a section and a heading comment are
// added when there is none); one whose value is empty (never a valid value)
// is not added.
std::string Write(const Document& document, const char* const* names, const std::vector<std::string>& values);

}  // namespace settings_text
