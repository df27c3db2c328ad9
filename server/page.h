// The board page: the four boards as one HTML page, readable on a phone, every
// text from a replay escaped.
#pragma once

#include <string>
#include <vector>

#include "server/board_store.h"

namespace server {

struct BoardOfDifficulty {
  std::string difficulty;
  std::vector<BoardEntry> entries;
};

std::string EscapeHtml(const std::string& text);
// `watch`: the site is served, so entries link to watching them.
std::string BoardPage(const std::vector<BoardOfDifficulty>& boards, bool watch);

}  // namespace server
