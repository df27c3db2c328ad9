// Shared set-up for tests: a fresh headless machine and a zeroed world.
#pragma once

#include <gtest/gtest.h>

// Zeroes every global of the game (as a new program starts), resets the
// headless platform and sets up the surfaces.
void ResetEverything();

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEverything(); }
};
