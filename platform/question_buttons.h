// The texts of a question's two buttons, in the player's language: the game
// hands them over before it asks (a back-end whose questions have buttons of
// their own ignores them).
#pragma once

#include <string>

namespace platform {
void SetQuestionButtons(const std::string& yes, const std::string& no);
}  // namespace platform
