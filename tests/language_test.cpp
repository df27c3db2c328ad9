// The language of the player's texts: which locale asks for which catalogue,
// the player's override, the compiled catalogues against the texts the
// sources translate, and line breaks in message boxes.
#include "platform/language.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/line_breaks.h"
#include "tests/support/po_file.h"

namespace {

const char* const kQuit = "終了しますか？";

using po_file::ReadPo;
using po_file::ReadText;
using po_file::Unescape;

// Every text the sources hand to Translate or mark with TranslatedLater.
std::set<std::string> TranslatedTexts() {
  std::set<std::string> texts;
  const std::regex call("(?:Translate|TranslatedLater)\\(\"((?:[^\"\\\\]|\\\\.)*)\"\\)");
  FILE* list = popen("cd " TESSIVANE_SOURCE_DIR
                     " && find app data platform world enemies presentation frontend "
                     "tools server -name '*.cpp' -o -name '*.h'",
                     "r");
  char path[1024];
  while (list && std::fgets(path, sizeof path, list)) {
    std::string p = path;
    p.pop_back();
    const std::string text = ReadText(std::string(TESSIVANE_SOURCE_DIR) + "/" + p);
    for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it)
      texts.insert(Unescape((*it)[1]));
  }
  if (list) pclose(list);
  return texts;
}

std::vector<std::string> PoLanguages() { return po_file::PoLanguages(TESSIVANE_SOURCE_DIR "/po"); }

void UseBuildCatalogues() {
  const std::string folders[] = {std::string(TESSIVANE_BUILD_DIR) + "/locale"};
  language::SetCatalogueFolders(folders, 1);
}

}  // namespace

TEST(Language, MessagesLocaleFollowsTheCLibrarysOrder) {
  struct Case {
    const char *all, *messages, *lang, *expected;
  } cases[] = {
      {"ja_JP.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8"},
      {"", "en_US.UTF-8", "ja_JP.UTF-8", "en_US.UTF-8"},
      {nullptr, nullptr, "ja_JP.UTF-8", "ja_JP.UTF-8"},
      {"", "", "", "C"},
      {nullptr, nullptr, nullptr, "C"},
  };
  for (const Case& c : cases) EXPECT_EQ(language::MessagesLocale(c.all, c.messages, c.lang), c.expected);
}

TEST(Language, JapaneseLocalesGetTheJapaneseCatalogueAndOthersEnglish) {
  UseBuildCatalogues();
  struct Case {
    const char *locale, *catalogue;
  } cases[] = {
      {"ja_JP.UTF-8", "ja"}, {"ja_JP.eucJP", "ja"}, {"ja", "ja"},
      {"en_US.UTF-8", "en"}, {"en_GB", "en"},       {"C", "en"},
      {"C.UTF-8", "en"},     {"POSIX", "en"},       {"", "en"},
      {"de_DE.UTF-8", "en"}, {"jv_ID.UTF-8", "en"}, {"../../etc", "en"},
  };
  for (const Case& c : cases) EXPECT_EQ(language::CatalogueForLocale(c.locale), c.catalogue) << c.locale;
}

// A translator's new catalogue is found for its language and territory; a
// damaged one is ignored (English instead) and never read out of bounds.
TEST(Language, OtherCataloguesAreFoundByLanguageAndDamagedOnesIgnored) {
  const std::string root = testing::TempDir() + "language_catalogues";
  ASSERT_EQ(std::system(("rm -rf " + root + " && mkdir -p " + root + "/fr/LC_MESSAGES " + root +
                         "/pt_BR/LC_MESSAGES " + root + "/xx/LC_MESSAGES")
                            .c_str()),
            0);
  const std::string po = root + "/fr.po";
  std::ofstream(po) << "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\nmsgid \"" << kQuit
                    << "\"\nmsgstr \"Quitter ?\"\n";
  ASSERT_EQ(std::system(("msgfmt -o " + root + "/fr/LC_MESSAGES/tessivane.mo " + po + " && cp " + root +
                         "/fr/LC_MESSAGES/tessivane.mo " + root + "/pt_BR/LC_MESSAGES/")
                            .c_str()),
            0);
  // A header that claims more strings than the file holds.
  std::ofstream(root + "/xx/LC_MESSAGES/tessivane.mo", std::ios::binary)
      << std::string("\xde\x12\x04\x95\0\0\0\0\xff\xff\0\0\x1c\0\0\0\x1c\0\0\0", 20) << std::string(16, '\x7f');
  const std::string folders[] = {root, std::string(TESSIVANE_BUILD_DIR) + "/locale"};
  language::SetCatalogueFolders(folders, 2);

  EXPECT_EQ(language::CatalogueForLocale("fr_CA.UTF-8"), "fr");
  EXPECT_EQ(language::CatalogueForLocale("pt_BR.UTF-8"), "pt_BR");
  EXPECT_EQ(language::CatalogueForLocale("pt_PT.UTF-8"), "en");
  EXPECT_EQ(language::CatalogueForLocale("xx_YY"), "en");
  language::SetChoice(language::Choice::Automatic);
  language::SetSystemLocale("fr_FR.UTF-8");
  EXPECT_STREQ(language::Translate(kQuit), "Quitter ?");
  EXPECT_STREQ(language::Translate("not in any catalogue"), "not in any catalogue");
  language::SetSystemLocale("ja_JP.UTF-8");
}

TEST(Language, ThePlayersChoiceOverridesTheLocale) {
  UseBuildCatalogues();
  struct Case {
    const char* locale;
    int setting;  // ApplyLanguageSetting: 0 auto, 1 English, 2 Japanese
    const char* expected;
  } cases[] = {
      {"ja_JP.UTF-8", 0, kQuit},
      {"ja_JP.UTF-8", 1, "Quit Tessivane?"},
      {"ja_JP.UTF-8", 2, kQuit},
      {"en_US.UTF-8", 0, "Quit Tessivane?"},
      {"en_US.UTF-8", 2, kQuit},
      {"C", 0, "Quit Tessivane?"},
      {"en_US.UTF-8", 9, "Quit Tessivane?"},  // unknown setting values count as automatic
  };
  for (const Case& c : cases) {
    language::SetSystemLocale(c.locale);
    ApplyLanguageSetting(c.setting);
    EXPECT_STREQ(language::Translate(kQuit), c.expected) << c.locale << " setting " << c.setting;
  }
  // Texts handed out stay valid after the language changes.
  language::SetSystemLocale("en_US.UTF-8");
  ApplyLanguageSetting(0);
  const char* english = language::Translate(kQuit);
  ApplyLanguageSetting(2);
  EXPECT_STREQ(english, "Quit Tessivane?");
  ApplyLanguageSetting(0);
  language::SetSystemLocale("ja_JP.UTF-8");
}

// Every text the sources translate has a translation in every catalogue, and
// the compiled catalogue in the build folder gives exactly that translation.
TEST(Language, EveryTranslatedTextIsInEveryCatalogue) {
  const std::set<std::string> texts = TranslatedTexts();
  ASSERT_GE(texts.size(), 8u) << "the source scan found too few texts";
  ASSERT_TRUE(texts.count("スコアデータが壊れています\rハイスコアは抹消されました"));
  UseBuildCatalogues();
  const std::vector<std::string> langs = PoLanguages();
  ASSERT_FALSE(langs.empty());
  for (const std::string& lang : langs) {
    const std::map<std::string, std::string> po =
        ReadPo(std::string(TESSIVANE_SOURCE_DIR) + "/po/" + lang + ".po");
    struct stat st;
    ASSERT_EQ(
        stat((std::string(TESSIVANE_BUILD_DIR) + "/locale/" + lang + "/LC_MESSAGES/tessivane.mo").c_str(), &st), 0)
        << lang << " is not compiled";
    language::SetChoice(language::Choice::Automatic);
    language::SetSystemLocale(lang + ".UTF-8");
    for (const std::string& text : texts) {
      auto it = po.find(text);
      ASSERT_TRUE(it != po.end() && !it->second.empty()) << lang << ".po lacks \"" << text << "\"";
      EXPECT_EQ(language::Translate(text.c_str()), it->second) << lang << ": \"" << text << "\"";
    }
  }
  language::SetSystemLocale("ja_JP.UTF-8");
}

TEST(Language, MessageBoxesBreakLinesAtCrLfOrCrLf) {
  struct Case {
    const char *text, *expected;
  } cases[] = {
      {"one\rtwo", "one\ntwo"}, {"one\ntwo", "one\ntwo"}, {"one\r\ntwo", "one\ntwo"}, {"a\r\rb", "a\n\nb"},
      {"a\n\rb", "a\n\nb"},     {"end\r", "end\n"},       {"no break", "no break"},   {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UnixLineBreaks(c.text), c.expected) << c.text;
}
