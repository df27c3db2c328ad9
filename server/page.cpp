#include "server/page.h"

#include <cmath>
#include <cstdio>

#include "platform/language.h"

namespace server {
namespace {

using language::Translate;
using language::TranslatedLater;

const char* const kPageStyle = R"(<style>
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
)";

// The page's texts are the game's own (Japanese), shown in the server's
// language as the game shows its texts (po/).
std::string Title(const std::string& difficulty) {
  if (difficulty == "normal") return Translate("ノーマル");
  if (difficulty == "hard") return Translate("ハード");
  if (difficulty == "hardest") return Translate("ハーデスト");
  if (difficulty == "easy") return Translate("イージー");
  return difficulty;
}

std::string PageHead(const std::vector<BoardOfDifficulty>& boards) {
  const char* const original = "Tessivane スコアボード";
  const std::string title = EscapeHtml(Translate("Tessivane スコアボード"));
  // The originals are Japanese; a translation is English (po/ has no other).
  const bool japanese = Translate(original) == original;
  std::string head =
      std::string("<!DOCTYPE html>\n<html lang=\"") + (japanese ? "ja" : "en") +
      "\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      title + "</title>\n" + kPageStyle + "</head>\n<body>\n<h1>" + title + "</h1>\n<p class=\"note\">" +
      EscapeHtml(Translate("ここに載るスコアはすべて、このサーバーがリプレイを再生して確かめたものです。"
                           "リプレイの入力がこのゲームでそのスコアに届くことの証明であり、"
                           "人の手で遊ばれたことの証明ではありません。")) +
      "</p>\n<nav>";
  for (const BoardOfDifficulty& board : boards)
    head += "<a href=\"#" + EscapeHtml(board.difficulty) + "\">" + EscapeHtml(Title(board.difficulty)) + "</a>";
  return head + "</nav>\n";
}

std::string ScoreText(double score) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", std::isfinite(score) ? score : 0.0);
  return text;
}

std::string EndingText(const std::string& ending) {
  if (ending == "ending") return EscapeHtml(Translate("エンディング"));
  if (ending == "gameOver") return EscapeHtml(Translate("ゲームオーバー"));
  if (ending == "quit") return EscapeHtml(Translate("中断"));
  return EscapeHtml(ending);
}

// The medals as stored (the verifier's names joined by commas), each as the
// player reads it.
std::string MedalsText(const std::string& stored) {
  static const struct {
    const char* name;
    const char* text;
  } kMedals[] = {
      {"normalRun", TranslatedLater("ノーマルをノーコンティニューで")},
      {"ending", TranslatedLater("エンディング到達")},
      {"score500000", TranslatedLater("50万点")},
      {"hardRun", TranslatedLater("ハードをノーコンティニューで")},
      {"hardestRun", TranslatedLater("ハーデストをノーコンティニューで")},
  };
  std::string text;
  for (const std::string& name : MedalNames(stored)) {
    std::string shown = name;
    for (const auto& m : kMedals)
      if (name == m.name) shown = Translate(m.text);
    text += (text.empty() ? "" : ", ") + shown;
  }
  return EscapeHtml(text);
}

std::string Cell(const char* tag, const char* attributes, const char* text) {
  return std::string("<") + tag + attributes + ">" + EscapeHtml(Translate(text)) + "</" + tag + ">";
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
  std::string page = PageHead(boards);
  for (const BoardOfDifficulty& board : boards) {
    page += "<section class=\"board\" id=\"" + EscapeHtml(board.difficulty) + "\">\n<h2>" +
            EscapeHtml(Title(board.difficulty)) + "</h2>\n";
    if (board.entries.empty()) {
      page += Cell("p", " class=\"empty\"", TranslatedLater("まだスコアはありません。")) + "\n</section>\n";
      continue;
    }
    page += "<table>\n<thead><tr><th>#</th>" + Cell("th", "", TranslatedLater("名前")) +
            Cell("th", " class=\"score\"", TranslatedLater("スコア")) +
            Cell("th", "", TranslatedLater("ステージ")) + Cell("th", "", TranslatedLater("結果")) +
            Cell("th", " class=\"wide\"", TranslatedLater("メダル")) +
            Cell("th", " class=\"wide\"", TranslatedLater("日付")) + Cell("th", "", TranslatedLater("リプレイ")) +
            "</tr></thead>\n<tbody>\n";
    for (const BoardEntry& e : board.entries) {
      const std::string id = std::to_string(e.id);
      page += "<tr data-id=\"" + id + "\"><td>" + std::to_string(e.rank) + "</td><td class=\"name\">" +
              EscapeHtml(e.name) + "</td><td class=\"score\">" + ScoreText(e.score) + "</td><td>" +
              std::to_string(e.stageReached) + "</td><td>" + EndingText(e.ending) +
              "</td><td class=\"wide medals\">" + MedalsText(e.medals) + "</td><td class=\"wide\">" +
              EscapeHtml(e.recorded.substr(0, 10)) + "</td><td><a href=\"/api/replays/" + id +
              "/file\" download>" + EscapeHtml(Translate("ダウンロード")) + "</a>";
      if (watch) page += " <a href=\"/watch/" + id + "\">" + EscapeHtml(Translate("見る")) + "</a>";
      page += "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n</section>\n";
  }
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace server
