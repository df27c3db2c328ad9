// tessivane-headless: runs the game from StartUp on the headless platform,
// driven by a script of inputs on the virtual clock, and writes the state of
// every global as JSON and the play picture as PNG at chosen moments.
// Usage and contract: docs/headless.md.
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/pause.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/state_registry.h"
#include "platform/headless/headless.h"
#include "platform/surface.h"
#include "tools/headless/headless_script.h"

namespace {

constexpr int kUsageError = 2;

struct Capture {
  uint32_t at;
  std::string file;
  bool taken;
};

struct Options {
  std::string dir;
  uint32_t seed = 0;
  uint32_t until = 0;
  bool hasUntil = false;
  std::string inputFile;
  std::string dumpFile;
  std::vector<Capture> shots;
  std::vector<Capture> dumps;
  std::string digestFile;
  uint32_t digestEvery = 1000;
};
Options gOptions;
bool gWriteFailed = false;

[[noreturn]] void Usage(const std::string& why) {
  std::fprintf(stderr,
               "tessivane-headless: %s\n"
               "usage: tessivane-headless [--dir DIR] [--seed S] [--until MS] [--input FILE]\n"
               "                          [--dump FILE] [--shot MS:FILE]... [--dump-at MS:FILE]...\n"
               "                          [--digest FILE [--digest-every MS]]\n",
               why.c_str());
  std::exit(kUsageError);
}

bool ParseUnsigned(const std::string& s, uint32_t* value) {
  if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long v = std::strtoull(s.c_str(), nullptr, 10);
  if (v > 0xFFFFFFFFull) return false;
  *value = uint32_t(v);
  return true;
}

Capture ParseCapture(const std::string& option, const std::string& arg) {
  const size_t colon = arg.find(':');
  Capture c{0, std::string(), false};
  if (colon == std::string::npos || !ParseUnsigned(arg.substr(0, colon), &c.at) || colon + 1 >= arg.size())
    Usage(option + " takes MS:FILE, got '" + arg + "'");
  c.file = arg.substr(colon + 1);
  return c;
}

std::string ToolDirectory() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, size_t(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void ParseArguments(int argc, char** argv) {
  gOptions.dir = ToolDirectory();
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) Usage("missing value after " + opt);
    const std::string arg = argv[++i];
    if (opt == "--dir") {
      gOptions.dir = arg;
      while (gOptions.dir.size() > 1 && gOptions.dir.back() == '/') gOptions.dir.pop_back();
    } else if (opt == "--seed") {
      if (!ParseUnsigned(arg, &gOptions.seed)) Usage("--seed takes a number 0..4294967295");
    } else if (opt == "--until") {
      if (!ParseUnsigned(arg, &gOptions.until) || gOptions.until == 0)
        Usage("--until takes a number of milliseconds 1..4294967295");
      gOptions.hasUntil = true;
    } else if (opt == "--input") {
      gOptions.inputFile = arg;
    } else if (opt == "--dump") {
      gOptions.dumpFile = arg;
    } else if (opt == "--shot") {
      gOptions.shots.push_back(ParseCapture(opt, arg));
    } else if (opt == "--dump-at") {
      gOptions.dumps.push_back(ParseCapture(opt, arg));
    } else if (opt == "--digest") {
      gOptions.digestFile = arg;
    } else if (opt == "--digest-every") {
      if (!ParseUnsigned(arg, &gOptions.digestEvery) || gOptions.digestEvery == 0)
        Usage("--digest-every takes a number of milliseconds 1..4294967295");
    } else {
      Usage("unknown option " + opt);
    }
  }
}

void LoadScript() {
  if (gOptions.inputFile.empty()) return;
  std::ifstream in(gOptions.inputFile, std::ios::binary);
  if (!in) Usage("cannot read the input script " + gOptions.inputFile);
  std::stringstream text;
  text << in.rdbuf();
  Script script;
  std::string error;
  if (!ParseScript(text.str(), gOptions.inputFile, &script, &error)) {
    std::fprintf(stderr, "tessivane-headless: %s\n", error.c_str());
    std::exit(kUsageError);
  }
  for (const ScriptKey& k : script.keys) headless::HoldKey(k.vk, k.from, k.to);
  if (!script.joy.empty()) headless::SetJoystickPresent(true);
  for (const ScriptJoy& j : script.joy) headless::SetJoystick(j.from, j.to, j.state);
  for (bool yes : script.answers) headless::QueueAnswer(yes);
  for (const ScriptName& n : script.names) {
    if (n.accept) {
      headless::QueueName(n.text);
    } else {
      headless::QueueNameCancel();
    }
  }
  for (uint32_t at : script.closes) headless::RequestCloseAt(at);
  for (const auto& u : script.unfocused) headless::SetUnfocused(u.first, u.second);
}

// ---- JSON ---------------------------------------------------------------------

void AppendString(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += char(c);
        }
    }
  }
  out += '"';
}

void AppendValue(std::string& out, const StateEntry& e, int k) {
  char buf[40];
  switch (e.type) {
    case StateType::U8: std::snprintf(buf, sizeof buf, "%u", unsigned(static_cast<const uint8_t*>(e.data)[k])); break;
    case StateType::I16: std::snprintf(buf, sizeof buf, "%d", int(static_cast<const int16_t*>(e.data)[k])); break;
    case StateType::I32: std::snprintf(buf, sizeof buf, "%d", int(static_cast<const int32_t*>(e.data)[k])); break;
    case StateType::F32: {
      const float v = static_cast<const float*>(e.data)[k];
      if (std::isfinite(v)) {
        std::snprintf(buf, sizeof buf, "%.9g", double(v));
      } else {
        std::snprintf(buf, sizeof buf, "null");
      }
      break;
    }
    case StateType::Str: AppendString(out, static_cast<const std::string*>(e.data)[k]); return;
  }
  out += buf;
}

// Calls `emit(name, json)` for every member of the dump but the clock, in the
// dump's order.
template <typename Emit>
void ForEachMember(Emit emit) {
  std::string value;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    value.clear();
    if (e.count == 1) {
      AppendValue(value, e, 0);
    } else {
      value += '[';
      for (int k = 0; k < e.count; ++k) {
        if (k) value += ", ";
        AppendValue(value, e, k);
      }
      value += ']';
    }
    emit(e.name, value);
  }
  emit("framesPresented", std::to_string(headless::PresentCount()));
  emit("paused", std::to_string(paused));
  value = "{";
  for (int i = 0; i < kSettingCount; ++i) {
    value += i ? ", " : "";
    AppendString(value, kSettingRows[i].name);
    value += ": ";
    if (kSettingRows[i].kind == SettingKind::Number) {
      value += std::to_string(Setting(SettingId(i)));
    } else {
      AppendString(value, SettingText(SettingId(i)));
    }
  }
  value += "}";
  emit("settings", value);
  value = "[";
  bool first = true;
  for (const headless::Message& m : headless::Messages()) {
    value += first ? "\n    {\"kind\": " : ",\n    {\"kind\": ";
    first = false;
    AppendString(value, m.kind);
    value += ", \"text\": ";
    AppendString(value, m.text);
    value += ", \"title\": ";
    AppendString(value, m.title);
    value += m.critical ? ", \"critical\": true" : ", \"critical\": false";
    value += ", \"answer\": ";
    AppendString(value, m.answer);
    value += '}';
  }
  value += first ? "]" : "\n  ]";
  emit("messageBoxes", value);
  value = "[";
  first = true;
  for (const std::string& c : headless::MusicCommands()) {
    value += first ? "\n    " : ",\n    ";
    first = false;
    AppendString(value, c);
  }
  value += first ? "]" : "\n  ]";
  emit("musicCommands", value);
}

std::string StateJson() {
  std::string out = "{\n";
  bool clockWritten = false;
  ForEachMember([&](const char* name, const std::string& value) {
    if (!clockWritten && std::strcmp(name, "framesPresented") == 0) {
      out += "  \"virtualClockMs\": " + std::to_string(headless::Clock()) + ",\n";
      clockWritten = true;
    }
    out += "  ";
    AppendString(out, name);
    out += ": ";
    out += value;
    out += ",\n";
  });
  out.resize(out.size() - 2);  // the last member's ","
  out += "\n}\n";
  return out;
}

// ---- Digests --------------------------------------------------------------------
// A digest of the state every --digest-every ms: one line "@MS" per moment,
// then "NAME HASH" for each dump member whose value changed since the moment
// before (all of them at the first), HASH being the FNV-1a hash of the
// member's JSON text. Long runs can be compared member by member at little
// cost; see tests/golden.

std::FILE* gDigest = nullptr;
uint32_t gNextDigestAt = 0;
std::vector<std::pair<std::string, uint32_t>> gDigestLast;

uint32_t HashOf(const std::string& text) {
  uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

void WriteDigest(uint32_t at) {
  std::fprintf(gDigest, "@%u\n", at);
  size_t index = 0;
  ForEachMember([&](const char* name, const std::string& value) {
    const uint32_t h = HashOf(value);
    if (index >= gDigestLast.size()) gDigestLast.emplace_back(name, h ^ 1u);
    auto& last = gDigestLast[index++];
    if (last.second != h || last.first != name) {
      last = {name, h};
      std::fprintf(gDigest, "%s %08x\n", name, h);
    }
  });
}

void TakeDueDigests(uint32_t now) {
  if (!gDigest) return;
  while (gNextDigestAt <= now) {
    WriteDigest(gNextDigestAt);
    if (gNextDigestAt > UINT32_MAX - gOptions.digestEvery) {
      gDigest = nullptr;  // no moment left on the clock
      return;
    }
    gNextDigestAt += gOptions.digestEvery;
  }
}

void WriteDump(const std::string& file) {
  const std::string json = StateJson();
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f || std::fwrite(json.data(), 1, json.size(), f) != json.size()) {
    std::fprintf(stderr, "tessivane-headless: cannot write %s\n", file.c_str());
    gWriteFailed = true;
  }
  if (f) std::fclose(f);
}

// ---- Pictures -----------------------------------------------------------------

uint32_t gBlank[kScreenWidth * kScreenHeight];

void WriteShot(const std::string& file) {
  // Before the surfaces exist the picture is black.
  uint32_t* pixels = scrmain.pixels ? scrmain.pixels : gBlank;
  const int w = kScreenWidth, h = kScreenHeight;
  cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels),
                                                           CAIRO_FORMAT_RGB24, w, h, w * 4);
  if (cairo_surface_write_to_png(s, file.c_str()) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "tessivane-headless: cannot write %s\n", file.c_str());
    gWriteFailed = true;
  }
  cairo_surface_destroy(s);
}

void TakeDueCaptures(uint32_t now) {
  for (Capture& c : gOptions.shots)
    if (!c.taken && c.at <= now) {
      WriteShot(c.file);
      c.taken = true;
    }
  for (Capture& c : gOptions.dumps)
    if (!c.taken && c.at <= now) {
      WriteDump(c.file);
      c.taken = true;
    }
}

void OnClockMoved(uint32_t /*from*/, uint32_t to) {
  TakeDueCaptures(to);
  TakeDueDigests(to);
}

}  // namespace

int main(int argc, char** argv) {
  ParseArguments(argc, argv);
  headless::Reset();
  headless::SetBaseDirectory(gOptions.dir);
  headless::SetSeed(gOptions.seed);
  if (gOptions.hasUntil) headless::SetStopTime(gOptions.until);
  LoadScript();
  std::FILE* digest = nullptr;
  if (!gOptions.digestFile.empty()) {
    digest = std::fopen(gOptions.digestFile.c_str(), "wb");
    if (!digest) {
      std::fprintf(stderr, "tessivane-headless: cannot write %s\n", gOptions.digestFile.c_str());
      return 1;
    }
    gDigest = digest;
    gNextDigestAt = gOptions.digestEvery;
  }
  headless::SetClockObserver(OnClockMoved);

  try {
    StartUp();
  } catch (const headless::StopReached&) {
    // ran to --until
  } catch (const headless::ProcessEnded&) {
    // the program ended itself
  }
  headless::SetClockObserver(nullptr);

  TakeDueCaptures(headless::Clock());
  for (const Capture& c : gOptions.shots)
    if (!c.taken) std::fprintf(stderr, "tessivane-headless: %s not written: the run ended before %u ms\n",
                               c.file.c_str(), c.at);
  for (const Capture& c : gOptions.dumps)
    if (!c.taken) std::fprintf(stderr, "tessivane-headless: %s not written: the run ended before %u ms\n",
                               c.file.c_str(), c.at);
  if (!gOptions.dumpFile.empty()) WriteDump(gOptions.dumpFile);
  if (digest && (std::ferror(digest) || std::fclose(digest) != 0)) {
    std::fprintf(stderr, "tessivane-headless: cannot write %s\n", gOptions.digestFile.c_str());
    gWriteFailed = true;
  }
  return gWriteFailed ? 1 : 0;
}
