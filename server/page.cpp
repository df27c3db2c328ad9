#include "server/page.h"

#include <cmath>
#include <cstdio>

namespace server {
namespace {

const char* const kPageHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Tessivane score boards</title>
<style>
body { font-family: sans-serif; margin: 0 auto; max-width: 56em; padding: 0.5em; background: #101018; color: #e8e8f0; }
h1 { font-size: 1.4em; }
h2 { font-size: 1.15em; margin-top: 1.4em; }
p.note { font-size: 0.9em; color: #b8b8c8; }
nav a { margin-right: 1em; }
a { color: #9cf; }
.board { overflow-x: auto; }
table { border-collapse: collapse; width: 100%; font-size: 0.95em; }
th, td { padding: 0.3em 0.5em; text-align: left; white-space: nowrap; }
td.score, th.score { text-align: right; font-variant-numeric: tabular-nums; }
tr:nth-child(even) td { background: #1a1a26; }
td.name { white-space: pre; }
@media (max-width: 600px) {
  body { font-size: 0.9em; }
  th, td { padding: 0.25em 0.3em; }
  .wide { display: none; }
}
</style>
</head>
<body>
<h1>Tessivane score boards</h1>
<p class="note">Every score here was proven by replaying its game on this server: the replay's inputs reach
its score in this game. That proves the score, not that a person played it by hand.</p>
<nav><a href="#normal">Normal</a><a href="#hard">Hard</a><a href="#hardest">Hardest</a><a href="#easy">Easy</a></nav>
)";

std::string Title(const std::string& difficulty) {
  std::string t = difficulty;
  if (!t.empty() && t[0] >= 'a' && t[0] <= 'z') t[0] = char(t[0] - 'a' + 'A');
  return t;
}

std::string ScoreText(double score) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", std::isfinite(score) ? score : 0.0);
  return text;
}

std::string EndingText(const std::string& ending) {
  if (ending == "ending") return "the ending";
  if (ending == "gameOver") return "game over";
  if (ending == "quit") return "quit";
  return EscapeHtml(ending);
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string BoardPage(const std::vector<BoardOfDifficulty>& boards, bool watch) {
  std::string page = kPageHead;
  for (const BoardOfDifficulty& board : boards) {
    page += "<section class=\"board\" id=\"" + EscapeHtml(board.difficulty) + "\">\n<h2>" +
            EscapeHtml(Title(board.difficulty)) + "</h2>\n";
    if (board.entries.empty()) {
      page += "<p class=\"empty\">No score yet.</p>\n</section>\n";
      continue;
    }
    page +=
        "<table>\n<thead><tr><th>#</th><th>Name</th><th class=\"score\">Score</th><th>Stage</th><th>End</th>"
        "<th class=\"wide\">Medals</th><th class=\"wide\">Date</th><th>Replay</th></tr></thead>\n<tbody>\n";
    for (const BoardEntry& e : board.entries) {
      const std::string id = std::to_string(e.id);
      page += "<tr data-id=\"" + id + "\"><td>" + std::to_string(e.rank) + "</td><td class=\"name\">" +
              EscapeHtml(e.name) + "</td><td class=\"score\">" + ScoreText(e.score) + "</td><td>" +
              std::to_string(e.stageReached) + "</td><td>" + EndingText(e.ending) + "</td><td class=\"wide\">" +
              EscapeHtml(e.medals) + "</td><td class=\"wide\">" + EscapeHtml(e.recorded.substr(0, 10)) +
              "</td><td><a href=\"/api/replays/" +
              id + "/file\" download>download</a>";
      if (watch) page += " <a href=\"/watch/" + id + "\">watch</a>";
      page += "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n</section>\n";
  }
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace server
