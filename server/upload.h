// The first look at an uploaded body, before it is stored: only its header is
// read here (the whole replay is read by the verifier, in a process of its
// own). Garbage is turned away; a replay of another build is stored refused at
// once, as one of other rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace server {

constexpr size_t kMaxUploadBytes = 2u << 20;

struct UploadCheck {
  bool accepted = false;
  std::string error;    // why it is not a replay (when not accepted)
  std::string refusal;  // accepted, but refused at once (other rules)
};

UploadCheck ExamineUpload(const uint8_t* data, size_t size, const std::string& thisBuild);

}  // namespace server
