// Fuzzes the settings file's round trip: any text is read, written with the
// values read, and read again. The second reading must give the same values
// and the same kept lines (plus the section the writer adds when there was
// none), every setting must have its line, and writing again must give the
// same text. Values follow a simple rule here (one to three digits, else the
// default), as the game's own values are short words without white space.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/settings_text.h"

namespace {

// Names that share beginnings, like the game's.
const char* const kNames[] = {"music_volume", "reduce_flashing", "fire_key", "fire_key2", "language"};
constexpr int kCount = int(sizeof kNames / sizeof kNames[0]);

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_settings: %s\n", what);
  std::abort();
}

std::vector<std::string> Resolve(const settings_text::Document& doc) {
  std::vector<std::string> values(kCount, "0");
  for (const settings_text::Value& v : doc.values) {
    const bool valid = !v.text.empty() && v.text.size() <= 3 && v.text.find_first_not_of("0123456789") == std::string::npos;
    values[size_t(v.setting)] = valid ? std::to_string(std::atoi(v.text.c_str())) : "0";
  }
  return values;
}

std::vector<std::string> Kept(const settings_text::Document& doc) {
  std::vector<std::string> kept;
  for (const settings_text::Line& line : doc.lines)
    if (line.setting < 0) kept.push_back(line.text);
  return kept;
}

void CheckRoundTrip(const std::string& text) {
  const settings_text::Document first = settings_text::Parse(text, kNames, kCount);
  const std::vector<std::string> values = Resolve(first);
  const std::string written = settings_text::Write(first, kNames, values);

  const settings_text::Document second = settings_text::Parse(written, kNames, kCount);
  if (Resolve(second) != values) Fail("the values read back differ");
  std::vector<bool> present(kCount, false);
  for (const settings_text::Value& v : second.values) present[size_t(v.setting)] = true;
  for (bool p : present)
    if (!p) Fail("a setting has no line");

  const std::vector<std::string> kept = Kept(first), keptAgain = Kept(second);
  if (keptAgain.size() < kept.size() || !std::equal(kept.begin(), kept.end(), keptAgain.begin()))
    Fail("the kept lines differ");
  // Only a file without a [settings] section gets lines of the writer's own.
  const size_t added = keptAgain.size() - kept.size();
  if (first.insertAfter >= 0 ? added != 0 : (added > 2 || keptAgain.back() != "[settings]"))
    Fail("lines were added to the kept ones");
  if (second.insertAfter < 0) Fail("the written text has no [settings] section");

  if (settings_text::Write(second, kNames, values) != written) Fail("writing again changes the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckRoundTrip(text);
  // The same lines inside the game's section, where its names count.
  CheckRoundTrip("[settings]\n" + text);
  return 0;
}
