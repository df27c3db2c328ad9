#include "app/replay_indicator.h"

#include "app/practice.h"
#include "app/replay_viewer.h"
#include "app/replay_watch.h"
#include "platform/language.h"

std::string ReplayIndicator() {
  if (!IsWatchingReplay())
    return InPractice() ? language::Translate(language::TranslatedLater("PRACTICE")) : std::string();
  std::string label = language::Translate(language::TranslatedLater("REPLAY"));
  const std::string speed = ReplayViewerSpeedLabel();
  if (!speed.empty()) label += " x" + speed;
  return label;
}
