// The player's back-end with SDL's dummy video driver: keys from SDL events,
// the window's close, the clock and its waits, folders and the single-copy
// claim.
#include <sys/stat.h>
#include <unistd.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_renderer_choice.h"
#include "platform/surface.h"

namespace {

class SdlBackend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    platform::CreateGameWindow("Tessivane", kScreenWidth, kScreenHeight);
    platform::ShowWindow();
  }
  void SetUp() override {
    Drain();
    for (int vk = 0; vk < 256; ++vk) platform::QueryKey(vk);
  }
  static void Drain() {
    while (platform::PollWindowEvent() != platform::WindowEvent::None) {
    }
  }
  static void Key(SDL_Scancode code, bool down, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.windowID = SDL_GetWindowID(SDL_GetWindowFromID(1));
    e.key.keysym.scancode = code;
    e.key.keysym.sym = SDL_GetKeyFromScancode(code);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }
};

TEST_F(SdlBackend, ScancodesGiveTheGameKeys) {
  const struct {
    SDL_Scancode code;
    int vk;
  } cases[] = {
      {SDL_SCANCODE_LEFT, kVkLeft},
      {SDL_SCANCODE_RIGHT, kVkRight},
      {SDL_SCANCODE_UP, kVkUp},
      {SDL_SCANCODE_DOWN, kVkDown},
      {SDL_SCANCODE_KP_2, kVkNum2},
      {SDL_SCANCODE_KP_4, kVkNum4},
      {SDL_SCANCODE_KP_6, kVkNum6},
      {SDL_SCANCODE_KP_8, kVkNum8},
      {SDL_SCANCODE_A, kVkA},
      {SDL_SCANCODE_S, kVkS},
      {SDL_SCANCODE_H, kVkH},
      {SDL_SCANCODE_E, kVkE},
      {SDL_SCANCODE_P, kVkP},
      {SDL_SCANCODE_D, kVkD},
      {SDL_SCANCODE_F, kVkF},
      {SDL_SCANCODE_LCTRL, kVkCtrl},
      {SDL_SCANCODE_RCTRL, kVkCtrl},
      // The menus', the pause's and the player's own keys.
      {SDL_SCANCODE_ESCAPE, kVkEscape},
      {SDL_SCANCODE_PAUSE, kVkPause},
      {SDL_SCANCODE_RETURN, kVkEnter},
      {SDL_SCANCODE_KP_ENTER, kVkEnter},
      {SDL_SCANCODE_SPACE, kVkSpace},
      {SDL_SCANCODE_Z, kVkZ},
      {SDL_SCANCODE_X, kVkX},
      {SDL_SCANCODE_J, 'J'},
      {SDL_SCANCODE_0, '0'},
      {SDL_SCANCODE_9, '9'},
      {SDL_SCANCODE_RSHIFT, kVkShift},
  };
  for (const auto& c : cases) {
    Key(c.code, true);
    Drain();
    EXPECT_TRUE(platform::IsKeyDown(c.vk)) << SDL_GetScancodeName(c.code);
    Key(c.code, false);
    Drain();
    EXPECT_FALSE(platform::IsKeyDown(c.vk)) << SDL_GetScancodeName(c.code);
    EXPECT_TRUE(platform::QueryKey(c.vk)) << "pressed since the last query: " << SDL_GetScancodeName(c.code);
    EXPECT_FALSE(platform::QueryKey(c.vk)) << SDL_GetScancodeName(c.code);
  }
  Key(SDL_SCANCODE_F1, true);
  Drain();
  for (int vk = 0; vk < 256; ++vk) EXPECT_FALSE(platform::QueryKey(vk)) << "F1 is no key of the game: " << vk;
  Key(SDL_SCANCODE_F1, false);
}

TEST_F(SdlBackend, HeldKeyAnswersEveryQueryUntilReleased) {
  Key(SDL_SCANCODE_A, true);
  Drain();
  EXPECT_TRUE(platform::QueryKey(kVkA));
  EXPECT_TRUE(platform::QueryKey(kVkA));
  Key(SDL_SCANCODE_A, false);
  Drain();
  EXPECT_FALSE(platform::IsKeyDown(kVkA));
  EXPECT_FALSE(platform::QueryKey(kVkA)) << "the press was already seen while it was down";
}

TEST_F(SdlBackend, CloseAndQuitComeOutOnceEach) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = SDL_GetWindowID(SDL_GetWindowFromID(1));
  SDL_PushEvent(&e);
  SDL_Event q{};
  q.type = SDL_QUIT;
  SDL_PushEvent(&q);
  EXPECT_EQ(platform::PollWindowEvent(), platform::WindowEvent::CloseRequested);
  EXPECT_EQ(platform::PollWindowEvent(), platform::WindowEvent::CloseRequested);
  EXPECT_EQ(platform::PollWindowEvent(), platform::WindowEvent::None);
}

TEST_F(SdlBackend, AltEnterIsNotAGameKey) {
  Key(SDL_SCANCODE_RETURN, true, KMOD_LALT);
  Key(SDL_SCANCODE_RETURN, false, KMOD_LALT);
  Drain();
  for (int vk = 0; vk < 256; ++vk) EXPECT_FALSE(platform::QueryKey(vk)) << vk;
}

TEST_F(SdlBackend, IdleReturnsWhenTheClockHasMovedOnNotLater) {
  // Never early; and not late by its own doing: the best of a few tries
  // wakes within a millisecond or two (a loaded machine may wake any one
  // try late, but not all of them).
  for (uint32_t ms : {1u, 2u, 5u, 17u}) {
    uint32_t best = UINT32_MAX;
    for (int attempt = 0; attempt < 5; ++attempt) {
      const uint32_t before = platform::ReadClockMs();
      platform::Idle(ms);
      const uint32_t passed = platform::ReadClockMs() - before;
      EXPECT_GE(passed, ms);
      best = std::min(best, passed);
    }
    EXPECT_LE(best, ms + 2) << "Idle(" << ms << ")";
  }
}

TEST_F(SdlBackend, PresentingAnyPictureIsSafe) {
  static uint32_t pixels[kScreenWidth * kScreenHeight];
  Surface picture{kScreenWidth, kScreenHeight, pixels};
  platform::PresentScreen(picture);
  Surface wrongSize{10, 10, pixels};
  platform::PresentScreen(wrongSize);  // ignored
  platform::PresentScreen(Surface{});  // no pixels: ignored
  EXPECT_FALSE(platform::IsWindowInactive());
}

TEST_F(SdlBackend, SingleCopyClaimHeldForTheRun) {
  const std::string dir = testing::TempDir() + "tessivane_claim_" + std::to_string(getpid());
  mkdir(dir.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  EXPECT_TRUE(platform::ClaimSingleInstance());
  EXPECT_TRUE(platform::ClaimSingleInstance()) << "asking again in the same run is not a second copy";
  // Another process asking for the same claim is refused.
  const std::string probe = "flock -n '" + dir + "/tessivane.lock' true";
  EXPECT_NE(std::system(probe.c_str()), 0);
}

TEST_F(SdlBackend, FoldersHaveNoTrailingSlash) {
  const std::string base = platform::BaseDirectory();
  ASSERT_FALSE(base.empty());
  EXPECT_NE(base.back(), '/');
  EXPECT_EQ(access((base + "/platform_sdl_test").c_str(), X_OK), 0) << base;
  EXPECT_EQ(platform::DataDirectory(), base) << "a writable base folder holds the data";
}

TEST_F(SdlBackend, GamepadStickButtonsAndUnplugging) {
  // A virtual pad stands in for a real one: stick and d-pad move, the face
  // buttons are buttons 1 to 4, and an unplugged pad reads as absent.
  // The dummy window never has the focus; let the pad speak anyway.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* pad = SDL_JoystickOpen(index);
  ASSERT_NE(pad, nullptr);
  Drain();
  ASSERT_EQ(platform::JoystickCount(), 1);

  platform::JoyState state;
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, SDL_PRESSED);
  Drain();
  ASSERT_TRUE(platform::ReadJoystick(0, &state));
  EXPECT_EQ(state.x, 65534u);
  EXPECT_EQ(state.y, 32767u);
  EXPECT_EQ(state.buttons, 1u | 8u);

  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_RELEASED);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, SDL_RELEASED);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_PRESSED);
  Drain();
  ASSERT_TRUE(platform::ReadJoystick(0, &state));
  EXPECT_EQ(state.y, 0u);
  EXPECT_EQ(state.buttons, 0u);

  SDL_JoystickClose(pad);
  SDL_JoystickDetachVirtual(index);
  Drain();
  EXPECT_FALSE(platform::ReadJoystick(0, &state));
}

// The player's SDL_RENDER_DRIVER always wins; without a graphics device the
// game takes SDL's software renderer rather than OpenGL on a rasteriser.
TEST(RendererChoice, ThePlayersChoiceThenTheCheapest) {
  const struct {
    const char* playerChoice;
    bool hasGpu;
    const char* expected;
  } cases[] = {
      {"opengl", false, "opengl"}, {"software", true, "software"}, {nullptr, false, "software"},
      {"", false, "software"},     {nullptr, true, nullptr},       {"", true, nullptr},
  };
  for (const auto& c : cases) {
    const char* got = sdlback::ChooseRenderDriver(c.playerChoice, c.hasGpu);
    EXPECT_STREQ(got, c.expected) << (c.playerChoice ? c.playerChoice : "(unset)") << ", gpu " << c.hasGpu;
  }
}

}  // namespace
