#include "platform/language.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/posix/program_folder.h"

#ifndef TESSIVANE_LOCALEDIR
#define TESSIVANE_LOCALEDIR "/usr/local/share/locale"
#endif

namespace language {
namespace {

constexpr const char* kDomain = "tessivane";
constexpr size_t kCatalogueLimit = 1 << 20;
constexpr int kMaxCatalogues = 8;

struct Entry {
  const char* original;
  const char* translation;
};

// A loaded catalogue stays for the whole run, so that translated texts handed
// out earlier remain valid after the language changes.
struct Catalogue {
  std::string name;
  bool found = false;
  std::vector<char> bytes;
  std::vector<Entry> entries;  // sorted by original
};

Catalogue catalogues[kMaxCatalogues];
int catalogueCount = 0;
const Catalogue* currentCatalogue = nullptr;
Choice currentChoice = Choice::Automatic;
std::string systemCatalogue;  // what Automatic means: the originals until told
std::vector<std::string> catalogueFolders;
bool foldersSet = false;

uint32_t ReadWord(const std::vector<char>& b, size_t at, bool swap) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return swap ? __builtin_bswap32(v) : v;
}

// The standard compiled form: a magic word, a revision, the number of
// strings, and the offsets of two tables of (length, offset) pairs.
bool ParseMo(Catalogue& c) {
  const std::vector<char>& b = c.bytes;
  if (b.size() < 28) return false;
  uint32_t magic;
  std::memcpy(&magic, b.data(), 4);
  bool swap;
  if (magic == 0x950412deu) {
    swap = false;
  } else if (magic == 0xde120495u) {
    swap = true;
  } else {
    return false;
  }
  const uint64_t count = ReadWord(b, 8, swap), originals = ReadWord(b, 12, swap),
                 translations = ReadWord(b, 16, swap);
  if (originals + count * 8 > b.size() || translations + count * 8 > b.size()) return false;
  auto text = [&](uint64_t table, uint64_t i) -> const char* {
    const uint64_t length = ReadWord(b, size_t(table + i * 8), swap);
    const uint64_t offset = ReadWord(b, size_t(table + i * 8 + 4), swap);
    if (offset + length >= b.size() || b[size_t(offset + length)] != 0) return nullptr;
    return b.data() + offset;
  };
  c.entries.clear();
  for (uint64_t i = 0; i < count; ++i) {
    const char* original = text(originals, i);
    const char* translation = text(translations, i);
    if (!original || !translation) return false;
    // The header (empty id) and entries with a context carry nothing to show;
    // an empty translation means "not translated yet".
    if (*original == 0 || std::strchr(original, '\x04') || *translation == 0) continue;
    c.entries.push_back({original, translation});
  }
  std::sort(c.entries.begin(), c.entries.end(),
            [](const Entry& a, const Entry& e) { return std::strcmp(a.original, e.original) < 0; });
  return true;
}

const std::vector<std::string>& Folders() {
  if (!foldersSet) {
    foldersSet = true;
    const std::string program = platform::ProgramFolder();
    catalogueFolders = {platform::BaseDirectory() + "/locale", program + "/locale",
                        program + "/../../share/locale", TESSIVANE_LOCALEDIR};
  }
  return catalogueFolders;
}

// The catalogue of that name, loaded on first use (nullptr if there is none).
const Catalogue* FindCatalogue(const std::string& name) {
  for (int i = 0; i < catalogueCount; ++i)
    if (catalogues[i].name == name) return catalogues[i].found ? &catalogues[i] : nullptr;
  if (catalogueCount == kMaxCatalogues) return nullptr;
  Catalogue& c = catalogues[catalogueCount++];
  c.name = name;
  for (const std::string& folder : Folders()) {
    const std::string path = folder + "/" + name + "/LC_MESSAGES/" + kDomain + ".mo";
    std::vector<uint8_t> raw;
    int error = 0;
    if (!files::ReadWholeFile(path, kCatalogueLimit, &raw, &error)) continue;
    c.bytes.assign(raw.begin(), raw.end());
    if (ParseMo(c)) {
      c.found = true;
      return &c;
    }
  }
  c.bytes.clear();
  c.entries.clear();
  return nullptr;
}

void Choose() {
  std::string name;
  switch (currentChoice) {
    case Choice::Automatic: name = systemCatalogue; break;
    case Choice::English: name = "en"; break;
    case Choice::Japanese: name = "ja"; break;
  }
  currentCatalogue = name.empty() ? nullptr : FindCatalogue(name);
}

bool StartsWithLanguage(const std::string& locale, const char* code) {
  const size_t n = std::strlen(code);
  return locale.compare(0, n, code) == 0 && (locale.size() == n || std::strchr("_.@", locale[n]));
}

}  // namespace

const char* Translate(const char* original) {
  if (!currentCatalogue || !original) return original;
  const std::vector<Entry>& e = currentCatalogue->entries;
  auto it = std::lower_bound(e.begin(), e.end(), original,
                             [](const Entry& a, const char* key) { return std::strcmp(a.original, key) < 0; });
  if (it != e.end() && std::strcmp(it->original, original) == 0) return it->translation;
  return original;
}

std::string Formatted(const char* original, const std::string& value) {
  const char* format = Translate(original);
  const char* at = std::strstr(format, "%s");
  if (!at) return format;
  return std::string(format, at) + value + (at + 2);
}

void SetChoice(Choice choice) {
  currentChoice = choice;
  Choose();
}

std::string MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* v : {lcAll, lcMessages, lang})
    if (v && *v) return v;
  return "C";
}

std::string CatalogueForLocale(const std::string& locale) {
  // Japanese: the originals, with the additions' texts from the ja catalogue
  // when there is one.
  if (StartsWithLanguage(locale, "ja")) return FindCatalogue("ja") ? "ja" : std::string();
  if (locale == "C" || locale == "POSIX" || StartsWithLanguage(locale, "C") || locale.empty()) return "en";
  // ll_CC.codeset@modifier: try ll_CC, then ll.
  const std::string territory = locale.substr(0, locale.find_first_of(".@"));
  const std::string lang = territory.substr(0, territory.find('_'));
  for (const std::string& name : {territory, lang})
    if (!name.empty() && name.find('/') == std::string::npos && FindCatalogue(name)) return name;
  return "en";
}

void SetSystemLocale(const std::string& locale) {
  systemCatalogue = CatalogueForLocale(locale);
  Choose();
}

void UseEnvironmentLocale() {
  SetSystemLocale(MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

void SetCatalogueFolders(const std::string* folders, int count) {
  catalogueFolders.assign(folders, folders + count);
  foldersSet = true;
  for (int i = 0; i < catalogueCount; ++i) catalogues[i] = Catalogue{};
  catalogueCount = 0;
  Choose();
}

}  // namespace language

void ApplyLanguageSetting(int choice) {
  switch (choice) {
    case 1: language::SetChoice(language::Choice::English); break;
    case 2: language::SetChoice(language::Choice::Japanese); break;
    default: language::SetChoice(language::Choice::Automatic); break;
  }
}
