// Writes a random input script for tessivane-headless: keys held for
// stretches of time with releases between them, joystick stretches, clicks on
// the close button (each answered No) and answers for the name dialogs. The
// same seed always gives the same script.
//
// usage: soak_make_script SEED DURATION_MS > script.txt
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

std::mt19937 gRng;

uint32_t Between(uint32_t lo, uint32_t hi) { return std::uniform_int_distribution<uint32_t>(lo, hi)(gRng); }
bool Chance(int percent) { return Between(1, 100) <= uint32_t(percent); }
template <typename T, size_t N>
const T& Pick(const T (&items)[N]) {
  return items[Between(0, N - 1)];
}

void Hold(uint32_t from, uint32_t to, const std::string& keys) {
  std::printf("%u %u %s\n", from, to, keys.c_str());
}

// A stretch of play: fire, perhaps a bomb, perhaps a sideways move.
std::string PlayKeys() {
  static const char* const kSideways[] = {"", "Left", "Right", "Num4", "Num6"};
  static const char* const kButtons[] = {"A", "A", "A", "A S", "D", "F", "A D", "S"};
  std::string keys = Pick(kButtons);
  const std::string side = Pick(kSideways);
  if (!side.empty()) keys += " " + side;
  return keys;
}

std::string RandomName() {
  static const char* const kPieces[] = {"A", "Z", "q", "7", " ", "#", "-", "ア", "ン", "漢", "é", "~"};
  static const char* const kFirst[] = {"K", "m", "0", "ア", "漢"};
  std::string name = Pick(kFirst);  // never blank: a blank answer is no answer
  const uint32_t length = Chance(10) ? Between(20, 40) : Between(0, 9);  // some far too long
  for (uint32_t i = 0; i < length; ++i) name += Pick(kPieces);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: soak_make_script SEED DURATION_MS\n");
    return 2;
  }
  char* end1 = nullptr;
  char* end2 = nullptr;
  const unsigned long seed = std::strtoul(argv[1], &end1, 10);
  const unsigned long long duration = std::strtoull(argv[2], &end2, 10);
  // The script's times are 32-bit milliseconds: leave room for the last stretch.
  if (*argv[1] == 0 || *end1 != 0 || *argv[2] == 0 || *end2 != 0 || duration > 4000000000ull) {
    std::fprintf(stderr, "soak_make_script: SEED and DURATION_MS are numbers, DURATION_MS at most 4000000000\n");
    return 2;
  }
  gRng.seed(uint32_t(seed));

  std::printf("# random input, seed %lu, %llu ms\n", seed, duration);
  uint32_t t = Between(0, 3000);
  uint32_t closes = 0;
  while (t < duration) {
    const uint32_t kind = Between(0, 99);
    if (kind < 45) {  // play: fire, bomb, sideways
      const uint32_t len = Between(80, 4000);
      Hold(t, t + len, PlayKeys());
      t += len;
    } else if (kind < 67) {  // up, then down: alone or while firing sideways
      // Always up first, then down: in the title menu such a pair mostly
      // leaves the cursor where it was, so it does not drift to END at once.
      static const char* const kWith[] = {"", "", " Left A", " Right A", " A"};
      const std::string with = Pick(kWith);
      const bool keypad = Chance(25);
      uint32_t len = Between(40, 1200);
      Hold(t, t + len, (keypad ? "Num8" : "Up") + with);
      t += len + Between(100, 400);
      len = Between(40, 1200);
      Hold(t, t + len, (keypad ? "Num2" : "Down") + with);
      t += len;
    } else if (kind < 72) {  // the other keys of the menus and screens, alone
      static const char* const kOthers[] = {"E", "H", "P", "Ctrl", "D", "F", "S"};
      const uint32_t len = Between(30, 300);
      Hold(t, t + len, Pick(kOthers));
      t += len;
    } else if (kind < 80) {  // the joystick: sideways, any buttons
      const uint32_t len = Between(100, 3000);
      std::printf("%u %u Joy %u 32767 %u\n", t, t + len, Between(0, 65535), Between(0, 15));
      t += len;
    } else if (kind < 97) {  // nothing: screens time out, demonstrations begin
      t += Chance(20) ? Between(10000, 60000) : Between(200, 5000);
    } else if (kind < 98) {  // a click on the close button, answered No
      std::printf("%u close\n", t);
      ++closes;
      t += Between(50, 500);
    } else {  // several keys mashed at once
      const uint32_t len = Between(30, 2000);
      Hold(t, t + len, "A S D F Left Right Up Down Ctrl P");
      t += len;
    }
    t += Between(100, 400);  // everything released for a few frames between stretches
  }
  for (uint32_t i = 0; i < closes; ++i) std::printf("box no\n");
  // Name dialogs are answered in order; far more answers than dialogs.
  for (unsigned long long i = 0; i < duration / 60000 + 8; ++i) {
    if (Chance(15)) {
      std::printf("name-cancel\n");
    } else {
      std::printf("name %s\n", RandomName().c_str());
    }
  }
  return 0;
}
