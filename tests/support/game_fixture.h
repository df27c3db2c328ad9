// Shared set-up for tests: a fresh headless machine and a zeroed world.
#pragma once

#include <gtest/gtest.h>

// Zeroes every global of the game (as a new program starts), resets the
// headless platform and sets up the surfaces.
void ResetEverything();

// Settings read and written in a folder of the test program's own (one per
// `name`, made once), at their defaults and applied.
void UsePrivateDefaultSettings(const char* name);

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEverything(); }
};
