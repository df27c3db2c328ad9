#pragma once
// Reading the gettext catalogues (po/*.po) in tests: the language tests check
// them against the sources, the text-fit test measures every text they hold.
#include <map>
#include <string>
#include <vector>

namespace po_file {

// A file's bytes, "" when it cannot be read.
std::string ReadText(const std::string& path);

// A C or PO string body with its escapes (\n, \r, \t, \" and the like) resolved.
std::string Unescape(const std::string& body);

// msgid -> msgstr of a .po file (strings continued over lines joined), the
// header left out.
std::map<std::string, std::string> ReadPo(const std::string& path);

// The languages of the catalogues in `poFolder` ("en" for en.po, ...).
std::vector<std::string> PoLanguages(const std::string& poFolder);

}  // namespace po_file
