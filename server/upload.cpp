#include "server/upload.h"

#include "platform/replay_file.h"

namespace server {

UploadCheck ExamineUpload(const uint8_t* data, size_t size, const std::string& thisBuild) {
  UploadCheck check;
  if (size == 0) {
    check.error = "the body is empty: send one .tvreplay file";
    return check;
  }
  if (size > kMaxUploadBytes) {
    check.error = "a replay file is at most " + std::to_string(kMaxUploadBytes) + " bytes";
    return check;
  }
  ReplayInfo info;
  std::string why;
  if (!DecodeReplayInfo(data, size, &info, &why)) {
    check.error = "not a replay: " + why;
    return check;
  }
  check.accepted = true;
  if (info.build != thisBuild)
    check.refusal = "other rules: recorded by " + info.build + "; this server plays " + thisBuild;
  return check;
}

}  // namespace server
