#include "app/online_scores.h"

#include <cstdio>

#include "app/rare_readings.h"
#include "app/replay_recorder.h"
#include "app/settings.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/machine.h"

namespace {

bool OnLive() { return Setting(kSettingOnlineScores) == 1 && platform::CanSendReplays(); }

}  // namespace

std::string OutboxFolder() {
  const std::string home = files::DataHome();
  return home.empty() ? std::string() : home + "/" + files::GameFolderName() + "/outbox";
}

bool OnlineScoresOn() {
  return machine::ReadRareValue(kReadingOnlineScoresOn, [] { return OnLive() ? 1u : 0u; }) != 0;
}

void QueueReplayForSending(const std::string& name, const std::vector<uint8_t>& bytes) {
  if (!OnLive() || machine::IsPlayingBack()) return;
  const std::string folder = OutboxFolder();
  int error = 0;
  if (folder.empty() || !files::MakeFolders(folder, &error) ||
      !files::ReplaceFileAtomically(folder + "/" + name, bytes.data(), bytes.size(), &error)) {
    std::fprintf(stderr, "tessivane: cannot queue the replay %s for the score server (%s)\n", name.c_str(),
                 files::ErrorText(error).c_str());
    return;
  }
  platform::SendReplays(SettingString(kSettingScoreServer), folder, kReplayExtension);
}

void SendQueuedReplays() {
  if (!OnLive() || machine::IsPlayingBack()) return;
  const std::string folder = OutboxFolder();
  if (!folder.empty() && files::Exists(folder))
    platform::SendReplays(SettingString(kSettingScoreServer), folder, kReplayExtension);
}

bool SendingFailedSinceAsked() {
  return machine::ReadRareValue(kReadingSendingFailed, [] { return platform::TakeSendingFailure(); }) != 0;
}

std::string BoardPageAddress() {
  std::string address = SettingString(kSettingScoreServer);
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address + "/";
}
