#include "app/state_json.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

void AppendJsonString(std::string& out, const std::string& s) {
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

void AppendStateValue(std::string& out, const StateEntry& e, int k) {
  char buf[40];
  switch (e.type) {
    case StateType::U8:
      std::snprintf(buf, sizeof buf, "%u", unsigned(static_cast<const uint8_t*>(e.data)[k]));
      break;
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
    case StateType::Str: AppendJsonString(out, static_cast<const std::string*>(e.data)[k]); return;
  }
  out += buf;
}

void AppendStateEntry(std::string& out, const StateEntry& e) {
  if (e.count == 1) {
    AppendStateValue(out, e, 0);
    return;
  }
  out += '[';
  for (int k = 0; k < e.count; ++k) {
    if (k) out += ", ";
    AppendStateValue(out, e, k);
  }
  out += ']';
}
