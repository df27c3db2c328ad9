#include "app/replay_indicator.h"

#include "app/replay_watch.h"
#include "platform/language.h"

std::string ReplayIndicator() {
  if (!IsWatchingReplay()) return std::string();
  std::string label = language::Translate(language::TranslatedLater("REPLAY"));
  if (ReplayWatchSpeed() > 1) label += " x" + std::to_string(ReplayWatchSpeed());
  return label;
}
