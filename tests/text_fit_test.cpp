// Every text of every catalogue (and the original texts themselves) fits the
// place where the game shows it, measured with the game's own font and text
// rasteriser. A text with no place here fails: a new text needs its place.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/backend.h"
#include "tests/support/po_file.h"

namespace {

using po_file::ReadPo;

std::vector<std::string> PoLanguages() { return po_file::PoLanguages(TESSIVANE_SOURCE_DIR "/po"); }

// Where a text is shown: its size in points and the pixels it has from its
// left edge. `fill` stands for "%s" (the widest value it takes there).
struct Place {
  const char* where;
  int points;
  int room;
  const char* fill = nullptr;
};
constexpr int kPanelRight = 324;  // the menus' darkened panel ends here

// The score server's board page, laid out by a browser in its own fonts.
const char* const kShownByTheBrowser[] = {
    "Tessivane スコアボード",
    "ここに載るスコアはすべて、このサーバーがリプレイを再生して確かめたものです。リプレイの入力がこのゲームでその"
    "スコアに届くことの証明であり、人の手で遊ばれたことの証明ではありません。",
    "ノーマル",
    "ハード",
    "ハーデスト",
    "イージー",
    "まだスコアはありません。",
    "名前",
    "スコア",
    "ステージ",
    "結果",
    "メダル",
    "日付",
    "リプレイ",
    "エンディング",
    "ゲームオーバー",
    "中断",
    "ダウンロード",
    "見る",
    "ノーマルをノーコンティニューで",
    "エンディング到達",
    "50万点",
    "ハードをノーコンティニューで",
    "ハーデストをノーコンティニューで",
};

// Texts the system draws (message boxes, window captions, buttons of a
// question): not the game's font, nothing to measure.
const char* const kShownByTheSystem[] = {
    "終了しますか？",
    "多重起動はできません。",
    "マップデータが見つかりません",
    "スコアデータが壊れています\rハイスコアは抹消されました",
    "スコアデータが壊れています\rファイルは書き換えられなかったため、そのまま残してあります（初期のハイスコアで遊"
    "びます）",
    "名前を入力してください",
    "This replay stopped matching the game:",
    "The replay cannot be read: ",
    "Yes",
    "No",
};

std::map<std::string, Place> Places() {
  std::map<std::string, Place> places;
  const Place optionLabel{"options screen, label column (x 30, values from x 200)", 13, 200 - 30 - 6};
  for (int i = 0; i < kSettingAllCount; ++i) places[kSettingRows[i].label] = optionLabel;
  const Place optionValue{"options screen, value column (x 200)", 13, kPanelRight - 200};
  for (const char* v : {"auto", "en", "ja", "off", "on", "window", "fullscreen", "sharp", "fill", "1x", "2x", "3x",
                        "4x", "press a key", "right", "left", "small", "medium", "large"})
    places[v] = optionValue;
  places["Reset to defaults"] = {"options screen, a whole row (x 30)", 13, kPanelRight - 30};
  places["OPTIONS"] = {"options screen, heading (x 105)", 25, kPanelRight - 105};
  places["Left/Right: change   Fire/Enter: set"] = {"options screen, help line (x 14)", 9, kPanelRight - 14};
  // The widest label in any language takes the place of "%s"; checked below
  // with each language's own labels.
  places["Swapped with %s"] = {"options screen, notice (x 14)", 11, kPanelRight - 14, "label"};
  places["Already used by %s"] = {"options screen, notice (x 14)", 11, kPanelRight - 14, "label"};
  places["%s cannot be used here"] = {"options screen, notice (x 14)", 11, kPanelRight - 14, "Backspace"};
  for (const char* item : {"Resume", "Options", "Quit to title", "Quit game", "Back", "Replays", "Practice", "Retry",
                           "End practice"})
    places[item] = {"pause and Escape menus, item (x 120)", 19, kPanelRight - 120};
  for (const char* heading : {"PAUSED", "MENU", "PRACTICE"})
    places[heading] = {"menu heading (x 70)", 35, kPanelRight - 70};
  // The practice menu: labels from x 44 (values from x 180), values between
  // "< " and " >" (about 40 pixels; "Stage" is both, the value's room the smaller).
  for (const char* label : {"Start at", "Difficulty", "Start"})
    places[label] = {"practice menu, label (x 44, values from x 180)", 15, 180 - 44 - 8};
  for (const char* value : {"Stage", "Boss", "Normal", "Hard", "Easy"})
    places[value] = {"practice menu, value (x 180, within \"< \" and \" >\")", 15, kPanelRight - 180 - 40};
  places["REPLAYS"] = {"replay list, heading (x 100)", 19, 332 - 100};
  places["NO REPLAYS KEPT"] = {"replay list, empty (x 80)", 15, 332 - 80};
  places["EXIT"] = {"replay list, EXIT (x 120)", 19, 332 - 120};
  places["R: REPLAYS"] = {"high-score table, hint (x 200)", 13, 332 - 200};
  places["B: BOARD"] = {"high-score table, hint (x 200)", 13, 332 - 200};
  places["Replay not sent; sending again next start"] = {"title menu, notice (x 4)", 9, 332 - 8};
  places["Not an http:// address"] = {"options screen, notice (x 14)", 11, kPanelRight - 14};
  places["REPLAY"] = {"corner while watching, right of the score, with \" x4\"", 9, 332 - 200 - 20 - 7 * 3};
  places["Screenshot saved in %s:"] = {"screenshot notice (x 4)", 9, 332 - 8, "~/Pictures/Tessivane"};
  places["Screenshot failed: %s"] = {"screenshot notice (x 4)", 9, 332 - 8, "No space left on device"};
  places["OK"] = {"name dialog, OK button", 9, 65 - 4};
  for (const char* help : {"P pause, N one frame, Up/Down speed", "Left/Right 5 s, J/K last/next stage or boss",
                           "1-8 a stage, Shift+1-8 its boss, 0 the start",
                           "Space held fast, T take over, Esc leave", "I input display, H hit boxes"})
    places[help] = {"replay viewer's key list over its bar (x 6)", 9, 332 - 12};
  // A cell from x 39 with 3 pixels each side, clear of the score (from x 120).
  for (const char* key : {"Fire", "Bomb"})
    places[key] = {"replay viewer's input display, a cell", 9, 120 - 39 - 6};
  const Place prompt{"name dialog, prompt (the dialog's width less its margins)", 9, 373 - 16};
  for (const char* p :
       {"ハイスコアです！名前を入力してください（最大６文字)", "二位です！名前を入力してください（最大６文字)",
        "三位です！名前を入力してください（最大６文字)", "四位です！名前を入力してください（最大６文字)",
        "五位です！名前を入力してください（最大６文字)", "The score server's address (http://...)"})
    places[p] = prompt;
  for (const char* t : kShownByTheSystem) places[t] = {nullptr, 0, 0};
  for (const char* t : kShownByTheBrowser) places[t] = {nullptr, 0, 0};
  return places;
}

std::string Filled(const std::string& text, const std::string& fill) {
  const size_t at = text.find("%s");
  return at == std::string::npos ? text : text.substr(0, at) + fill + text.substr(at + 2);
}

TEST(TextFit, EveryTextOfEveryCatalogueFitsWhereItIsShown) {
  if (platform::TextWidth(13, "A") == 0) GTEST_SKIP() << "no font for the text rasteriser";
  const std::map<std::string, Place> places = Places();
  std::vector<std::string> langs = PoLanguages();
  ASSERT_GE(langs.size(), 2u);
  langs.push_back("");  // the texts as the sources hold them (no catalogue)
  for (const std::string& lang : langs) {
    std::map<std::string, std::string> texts;
    if (lang.empty()) {
      for (const auto& e : ReadPo(std::string(TESSIVANE_SOURCE_DIR) + "/po/en.po")) texts[e.first] = e.first;
    } else {
      texts = ReadPo(std::string(TESSIVANE_SOURCE_DIR) + "/po/" + lang + ".po");
    }
    ASSERT_GE(texts.size(), 30u) << lang;
    // The widest option label of this language, for the notices naming one.
    std::string widestLabel;
    for (int i = 0; i < kSettingAllCount; ++i) {
      const std::string label = texts.count(kSettingRows[i].label) ? texts[kSettingRows[i].label] : "";
      if (platform::TextWidth(11, label) > platform::TextWidth(11, widestLabel)) widestLabel = label;
    }
    for (const auto& [id, shown] : texts) {
      const std::string name = (lang.empty() ? "original" : lang) + ": \"" + shown + "\"";
      auto it = places.find(id);
      ASSERT_NE(it, places.end()) << name << " has no place in this test";
      const Place& place = it->second;
      if (!place.where) continue;
      std::string text = shown;
      if (place.fill) text = Filled(text, std::string(place.fill) == "label" ? widestLabel : place.fill);
      const int width = platform::TextWidth(place.points, text);
      EXPECT_LE(width, place.room) << name << " at " << place.where << ": " << width << " pixels for "
                                   << place.room;
    }
  }
}

}  // namespace
