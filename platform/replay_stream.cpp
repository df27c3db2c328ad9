#include "platform/replay_stream.h"

bool ScanStream(const uint8_t* stream, size_t size, void (*onAnswer)(bool),
                void (*onName)(bool, const std::string&), std::string* error) {
  StreamReader r{stream, size, 0};
  while (r.ok && r.at < r.size) {
    const size_t start = r.at;
    const uint8_t tag = r.Byte();
    switch (tag) {
      case 'C':
      case 'I':
      case 'S':
      case 'J':
      case 'U': r.Number(); break;
      case 'K':
      case 'Q':
        r.Number();
        r.Flag();
        break;
      case 'X': break;
      case 'W':
      case 'A':
      case 'T':
      case 'V':
      case 'L': r.Flag(); break;
      case 'R':
        r.Number();
        r.Flag();
        for (int k = 0; k < 3; ++k) r.Number();
        break;
      case 'P':
        r.Number();
        r.Flag();
        for (int k = 0; k < 5; ++k) r.Number();
        break;
      case 'Y': {
        const bool yes = r.Flag();
        if (r.ok && onAnswer) onAnswer(yes);
        break;
      }
      case 'N': {
        const bool ok = r.Flag();
        const std::string name = r.Bytes(kMaxStreamNameBytes);
        if (r.ok && onName) onName(ok, name);
        break;
      }
      case 'F':
        r.Number();
        r.Bytes(kMaxStreamFileBytes);
        break;
      case 'O':
        r.Number();
        r.Number();
        break;
      case 'D':
        r.Number();
        for (int k = 0; k < 8; ++k) r.Byte();
        break;
      case 'G':
        r.Number();
        r.Bytes(kMaxStreamStateBytes);
        break;
      default: r.ok = false; break;
    }
    if (!r.ok) {
      *error = "the event at byte " + std::to_string(start) + " of the replay is damaged";
      return false;
    }
  }
  return true;
}
