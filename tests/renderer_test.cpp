// The frame renderer, checked against sheets painted by the tests themselves
// (never against the art): every sheet starts black, each test paints the
// cells it needs with colours that tell them apart.
#include "presentation/renderer.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "enemies/shot_drawing.h"
#include "platform/blit.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

constexpr uint32_t kBack = 0x000010;  // the stage background everywhere

void Paint(Surface& s, int x, int y, int w, int h, uint32_t colour) {
  for (int yy = y; yy < y + h; ++yy)
    for (int xx = x; xx < x + w; ++xx) s.pixels[yy * s.width + xx] = colour;
}

uint32_t At(int x, int y) { return scrmain.pixels[y * scrmain.width + x]; }

class RendererTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    for (Surface& sheet : imgchar) ClearSurface(sheet);
    Paint(scrback, 0, 0, kBackWidth, kBackHeight, kBack);
    gameMode = 0;
    playerX = 150;
    playerY = 350;
  }
};

TEST_F(RendererTest, BackgroundShowsTheScrolledWindow) {
  for (int r = 0; r < kBackHeight; ++r) Paint(scrback, 0, r, kBackWidth, 1, uint32_t(r + 1));
  const struct {
    float scroll;
    int firstRow;
  } cases[] = {{-1720, 1720}, {0, 0}, {-2540, 2540}};
  for (const auto& c : cases) {
    scrollPos = c.scroll;
    RenderFrame();
    EXPECT_EQ(At(3, 0), uint32_t(c.firstRow + 1));
    EXPECT_EQ(At(300, 300), uint32_t(c.firstRow + 301));
    EXPECT_EQ(At(3, 459), uint32_t(c.firstRow + 460));
    EXPECT_EQ(At(330, 100), 0u);  // the strips right and below stay black
    EXPECT_EQ(At(3, 460), 0u);
  }
}

TEST_F(RendererTest, ShipBlinksWhileInvulnerableAndDiesAsAGlow) {
  Paint(imgchar[0], 0, 0, 45, 65, 0x0000F0);   // bank 0
  Paint(imgchar[0], 45, 0, 45, 65, 0x00FF00);  // bank 1
  Paint(imgchar[4], 0, 0, 40, 40, 0x400000);   // the round glow
  playerBank = 1;
  const struct {
    uint8_t mode, invuln;
    uint32_t centre;
  } cases[] = {
      {0, 0, 0x00FF00},         {0, 1, kBack},     {0, 2, 0x00FF00},
      {4, 17, kBack},           {4, 16, 0x00FF00}, {1, 0, 0x400000 | kBack},
      {2, 0, 0x400000 | kBack},
  };
  deathFade = 40;
  for (const auto& c : cases) {
    gameMode = c.mode;
    invulnTimer = c.invuln;
    RenderFrame();
    EXPECT_EQ(At(172, 381), c.centre) << int(c.mode) << " " << int(c.invuln);
    EXPECT_EQ(At(150, 350), c.centre == 0x00FF00 ? 0x00FF00u : kBack);  // glow of side 40 stops short
  }
}

TEST_F(RendererTest, EnemiesScaleWithTheirTurretHeads) {
  Paint(imgchar[8], 40, 0, 40, 40, 0x0000FF);  // kind 0, first picture
  Paint(imgchar[8], 80, 0, 40, 40, 0x000080);  // kind 0, second picture
  Paint(imgchar[8], 0, 0, 40, 40, 0x004000);   // explosion glow
  Paint(imgchar[14], 21, 0, 7, 6, 0xFF0000);   // small turret, direction 3
  enemyState[2] = 1;
  enemyKind[2] = 0;
  enemyScale[2] = 5;
  enemyX[2] = 50;
  enemyY[2] = 60;
  enemyAim[2] = 3;
  RenderFrame();
  EXPECT_EQ(At(51, 61), 0x0000FFu);
  EXPECT_EQ(At(249, 259), 0x0000FFu);  // 200 x 200
  EXPECT_EQ(At(250, 150), kBack);
  // Heads 35 x 30 at 55 and 125 right of the left edge, 85 down.
  EXPECT_EQ(At(105, 145), 0xFF0000u);
  EXPECT_EQ(At(139, 174), 0xFF0000u);
  EXPECT_EQ(At(175, 145), 0xFF0000u);
  EXPECT_EQ(At(104, 145), 0x0000FFu);
  EXPECT_EQ(At(140, 145), 0x0000FFu);

  // The second picture while blinkA is set; a destroyed boss shows its
  // sprite and its explosion at once; an exploding enemy only the blast.
  blinkA = 1;
  enemyState[2] = 4;
  blastCX[2] = 150;
  blastCY[2] = 160;
  blastSize[2] = 40;
  RenderFrame();
  EXPECT_EQ(At(150, 160), 0x004080u);
  EXPECT_EQ(At(60, 70), 0x000080u);
  enemyState[2] = 2;
  RenderFrame();
  EXPECT_EQ(At(150, 160), 0x004000u | kBack);
  EXPECT_EQ(At(60, 70), kBack);
}

TEST_F(RendererTest, GaugeFillsInTwoStagesAndFlashesWhenFull) {
  for (int c = 0; c < 305; ++c) {
    Paint(imgchar[3], c, 0, 1, 19, 0x100000u | uint32_t(c));   // frame and first-stage colour
    Paint(imgchar[3], c, 38, 1, 19, 0x200000u | uint32_t(c));  // second-stage colour
  }
  Paint(imgchar[5], 0, 0, 45, 65, 0x000080);  // the overlay over the ship (bank 0)
  const struct {
    float charge, gauge;
    uint8_t blink;
    uint32_t fill, ship;
  } cases[] = {
      {12, 0, 0, 0x100003, 0},  // no fill: the frame shows
      {13, 0, 0, 0x100000 | 192, 0},
      {50, 0, 0, 0x100000 | 155, 0},
      {102, 0, 0, 0x100000 | 103, 0},
      {103, 0, 0, 0x200000 | 205, 0},  // first stage full, second stage from its start
      {160, 57, 0, 0x200000 | 148, 0},
      {206, 105, 0, 0x100000 | 102, 0x80},
      {206, 105, 1, 0x200000 | 102, 0},  // overlay row 65 lies off the sheet
  };
  for (const auto& c : cases) {
    chargeLevel = c.charge;
    chargeGauge = c.gauge;
    blinkPhase = c.blink;
    RenderFrame();
    EXPECT_EQ(At(97, 435), c.fill) << c.charge;
    EXPECT_EQ(At(170, 380), c.ship) << c.charge;
  }
  // The overlay also marks the bomb ring and a destroyed boss.
  chargeLevel = 0;
  bombPhase = 1;
  blinkPhase = 1;
  RenderFrame();
  EXPECT_EQ(At(170, 380), 0x80u);
  bombPhase = 0;
  enemyState[0] = 4;
  battlePhase = 1;
  blinkPhase = 0;
  RenderFrame();
  EXPECT_EQ(At(170, 380), 0x80u);
}

TEST_F(RendererTest, ShieldPointsFillTheirSlots) {
  Paint(imgchar[7], 0, 0, 20, 20, 0x0000AA);   // empty slot
  Paint(imgchar[7], 20, 0, 20, 20, 0x00BB00);  // shield point
  const uint32_t E = 0x0000AA, P = 0x00BB00;
  // shield -> (left half, right half) of each of the three slots
  const struct {
    float shield;
    uint32_t px[3][2];
  } cases[] = {
      {0, {{E, E}, {E, E}, {E, E}}},    {0.5f, {{P, E}, {E, E}, {E, E}}}, {1, {{P, P}, {E, E}, {E, E}}},
      {1.5f, {{P, P}, {P, E}, {E, E}}}, {2.5f, {{P, P}, {P, P}, {P, E}}}, {3, {{P, P}, {P, P}, {P, P}}},
  };
  const int slotX[3] = {10, 35, 60};
  for (const auto& c : cases) {
    shield = c.shield;
    RenderFrame();
    for (int n = 0; n < 3; ++n) {
      EXPECT_EQ(At(slotX[n] + 2, 440), c.px[n][0]) << c.shield << " slot " << n;
      EXPECT_EQ(At(slotX[n] + 15, 440), c.px[n][1]) << c.shield << " slot " << n;
    }
  }
}

TEST_F(RendererTest, BombStockIcons) {
  Paint(imgchar[17], 120, 0, 40, 40, 0x00C0C0);  // bomb icon, picture 3
  animTick8 = 3;
  const int iconX[3] = {285, 245, 205};
  for (uint8_t stock = 0; stock <= 3; ++stock) {
    bombs = stock;
    RenderFrame();
    for (int n = 0; n < 3; ++n) EXPECT_EQ(At(iconX[n] + 20, 420), n < stock ? 0x00C0C0u : kBack) << int(stock);
  }
}

TEST_F(RendererTest, BulletsPickTheirPicturesByKindAndBlink) {
  const int cells[] = {40, 60, 80, 100, 120, 140};
  for (int x : cells) Paint(imgchar[7], x, 0, 20, 20, 0x000100u * uint32_t(x));
  const struct {
    uint8_t kind, a, b;
    int cell;
  } cases[] = {
      {1, 0, 1, 40}, {1, 1, 0, 80}, {2, 1, 0, 60}, {2, 0, 1, 100}, {3, 0, 1, 120}, {3, 1, 0, 140},
  };
  for (const auto& c : cases) {
    bulletKind[80] = c.kind;
    bulletX[80] = 200.5f;  // halves round to even: drawn at 200
    bulletY[80] = 100;
    blinkA = c.a;
    blinkB = c.b;
    RenderFrame();
    EXPECT_EQ(At(200, 100), 0x000100u * uint32_t(c.cell)) << int(c.kind);
    EXPECT_EQ(At(219, 119), 0x000100u * uint32_t(c.cell));
    EXPECT_EQ(At(220, 100), kBack);
  }
}

TEST_F(RendererTest, LaterStepsPaintOverEarlierOnes) {
  Paint(imgchar[0], 0, 0, 45, 65, 0x00FF00);
  Paint(imgchar[7], 40, 0, 20, 20, 0x0000EE);   // small bullet
  Paint(imgchar[6], 0, 0, 365, 460, 0x030000);  // full-screen flash
  for (int c = 0; c < 305; ++c) Paint(imgchar[3], c, 0, 1, 19, 0x100000u | uint32_t(c));
  bulletKind[0] = 1;
  bulletX[0] = 160;
  bulletY[0] = 370;
  RenderFrame();
  EXPECT_EQ(At(165, 375), 0x0000EEu);  // the bullet over the ship
  EXPECT_EQ(At(155, 355), 0x00FF00u);
  bombPhase = 2;
  RenderFrame();
  EXPECT_EQ(At(165, 375), 0x0300EEu);  // the flash over everything
  EXPECT_EQ(At(97, 435), 0x130003u);   // including the status display
  EXPECT_EQ(At(331, 100), 0x030000u);  // over the black strip too
  bombPhase = 3;                       // the boss's blasts: no flash unless the boss is marked 10 or 11
  RenderFrame();
  EXPECT_EQ(At(155, 355), 0x00FF00u);
  enemyState[0] = 10;
  RenderFrame();
  EXPECT_EQ(At(155, 355), 0x03FF00u);
}

TEST_F(RendererTest, BombRingAndBandsAreGlowsAroundTheirCentres) {
  Paint(imgchar[4], 0, 0, 40, 40, 0x500000);
  bombPhase = 1;
  bombX = 100;
  bombY = 200;
  bombRadius = 44;
  bombRadius2 = 22;
  RenderFrame();
  // 44 x 22 centred on (121, 200): x 99..142, y 189..210.
  EXPECT_EQ(At(99, 189), 0x500000u | kBack);
  EXPECT_EQ(At(142, 210), 0x500000u | kBack);
  EXPECT_EQ(At(98, 189), kBack);
  EXPECT_EQ(At(99, 211), kBack);

  bombPhase = 3;
  blastX[3] = 50;
  blastY[3] = 60;
  bandSize[3] = 10;
  for (int k : {0, 1, 2, 4, 5, 6, 7}) bandSize[k] = -1;  // negative: not drawn
  RenderFrame();
  EXPECT_EQ(At(45, 55), 0x500000u | kBack);
  EXPECT_EQ(At(54, 64), 0x500000u | kBack);
  EXPECT_EQ(At(55, 60), kBack);
}

TEST_F(RendererTest, BossLightGrowsFromTheBoss) {
  Paint(imgchar[12], 0, 0, 700, 920, 0x202000);
  enemyState[0] = 4;
  enemyScale[0] = 5;
  enemyX[0] = 60;
  enemyY[0] = 30;
  // u = 2 x (95 + 30) = 250, t = 2 x (95 + 60) = 310; the centre is (160, 130).
  const struct {
    int16_t w, h;
    int left, top;
  } cases[] = {
      {2, 100, 159, 80},  // tall band still inside the boss's reach: centred
      {2, 300, 159, 0},   // taller than the reach: from the top of the field
      {400, 500, 0, 0},   // as wide as the reach too: from the corner
  };
  for (const auto& c : cases) {
    bossLightW = c.w;
    bossLightH = c.h;
    RenderFrame();
    const uint32_t lit = At(c.left, c.top);
    EXPECT_EQ(lit & 0x202000u, 0x202000u) << c.w << "x" << c.h;
    if (c.left > 0) {
      EXPECT_EQ(At(c.left - 1, c.top) & 0x202000u, 0u);
    }
    if (c.top > 0) {
      EXPECT_EQ(At(c.left, c.top - 1) & 0x202000u, 0u);
    }
    const int right = c.left + c.w - 1, bottom = c.top + c.h - 1;
    if (right < 330 && bottom < 460) {
      EXPECT_EQ(At(right, bottom) & 0x202000u, 0x202000u);
      EXPECT_EQ(At(right + 1, bottom) & 0x202000u, 0u);
      EXPECT_EQ(At(right, bottom + 1) & 0x202000u, 0u);
    }
  }
  enemyState[0] = 1;  // no light while the boss lives
  RenderFrame();
  EXPECT_EQ(At(159, 130) & 0x202000u, 0u);
}

TEST_F(RendererTest, ItemsPopsAndTheCapsule) {
  Paint(imgchar[17], 80, 0, 40, 40, 0x0000C0);   // bomb item, picture 2
  Paint(imgchar[17], 80, 80, 40, 40, 0x00C000);  // shield item, picture 2
  Paint(imgchar[8], 0, 0, 40, 40, 0x050000);     // pop glow
  Paint(imgchar[13], 224, 0, 32, 32, 0x0C0C0C);  // capsule, picture 7
  animTick8 = 2;
  itemState[0] = itemState[1] = 1;
  itemX[0] = 20;
  itemY[0] = 30;
  itemX[1] = 100;
  itemY[1] = 30;
  bonusState = 1;
  bonusFrame = 23;
  bonusX = 200;
  bonusY = 100;
  RenderFrame();
  EXPECT_EQ(At(21, 31), 0x0000C0u);
  EXPECT_EQ(At(101, 31), 0x00C000u);
  EXPECT_EQ(At(231, 131), 0x0C0C0Cu);
  EXPECT_EQ(At(232, 131), kBack);

  itemState[1] = 3;
  popupX[1] = 120;
  popupY[1] = 200;
  popupTimer[1] = 60;
  RenderFrame();
  EXPECT_EQ(At(101, 31), kBack);
  EXPECT_EQ(At(90, 170), 0x050000u | kBack);
  EXPECT_EQ(At(149, 229), 0x050000u | kBack);
  EXPECT_EQ(At(150, 229), kBack);
}

TEST_F(RendererTest, ChargeGlowAndShotsByKind) {
  Paint(imgchar[1], 20, 0, 20, 15, 0x111111);   // charge glow, picture 1
  Paint(imgchar[2], 18, 0, 18, 28, 0x222222);   // charged shot, picture 1
  Paint(imgchar[16], 17, 0, 17, 18, 0x330000);  // normal shot, picture 1
  animPhase3 = 1;
  blinkPhase = 1;
  // 35 x 23 above the nose: x 154..188, y 325..347.
  const struct {
    float charge;
    int16_t latch;
    bool glow;
  } cases[] = {{12, -1, false}, {13, -1, true}, {150, 0, false}};
  for (const auto& c : cases) {
    chargeLevel = c.charge;
    fireLatch = c.latch;
    RenderFrame();
    EXPECT_EQ(At(154, 325) == 0x111111u, c.glow) << c.charge;
    EXPECT_EQ(At(188, 347) == 0x111111u, c.glow) << c.charge;
  }
  chargeLevel = 0;

  shotKind[4] = 4;  // 126 x 196, 40 left of and 70 above its corner
  shotX[4] = 150;
  shotY[4] = 200;
  shotKind[5] = 1;
  shotX[5] = 20;
  shotY[5] = 100;
  shotKind[6] = 0;
  shotX[6] = 250;
  shotY[6] = 300;
  RenderFrame();
  EXPECT_EQ(At(110, 130), 0x222222u);
  EXPECT_EQ(At(235, 325), 0x222222u);
  EXPECT_EQ(At(109, 130), kBack);
  EXPECT_EQ(At(236, 325), kBack);
  EXPECT_EQ(At(110, 129), kBack);
  EXPECT_EQ(At(33, 92), 0x330000u);
  EXPECT_EQ(At(49, 109), 0x330000u);
  EXPECT_EQ(At(263, 292), kBack);
}

TEST_F(RendererTest, SparksAndTheChargedShotFlash) {
  Paint(imgchar[4], 0, 0, 40, 40, 0x500000);
  sparkX[3] = 100;
  sparkY[3] = 100;
  sparkTimer[3] = 32;  // centred on (121, 110): x 105..136
  shotCooldown = 30;
  chargeFlash = 20;  // 30 x 20 from (156, 345)
  RenderFrame();
  EXPECT_EQ(At(105, 94), 0x500000u | kBack);
  EXPECT_EQ(At(136, 125), 0x500000u | kBack);
  EXPECT_EQ(At(137, 110), kBack);
  EXPECT_EQ(At(156, 345) & 0x500000u, 0x500000u);
  EXPECT_EQ(At(185, 345) & 0x500000u, 0x500000u);
  EXPECT_EQ(At(186, 345) & 0x500000u, 0u);
  EXPECT_EQ(At(156, 344), kBack);
}

TEST_F(RendererTest, ScoreHasAtLeastSixDigits) {
  const struct {
    float score;
    const char* text;
  } cases[] = {
      {0, "000000"},
      {1234, "001234"},
      {999999, "999999"},
      {1234567, "1234567"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatScore(c.score), c.text);
}

bool AnyLit(int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (At(x, y) != 0) return true;
  return false;
}

// Whether the text back-end of this build puts pixels on the screen.
bool TextIsRasterised() {
  ClearSurface(scrmain);
  PrintText(10, 10, 15, 15, "000000");
  const bool lit = AnyLit(0, 0, 120, 40);
  ClearSurface(scrmain);
  return lit;
}

TEST_F(RendererTest, DemoCaptionBlinksInTheDemonstrationOnly) {
  if (!TextIsRasterised()) GTEST_SKIP() << "text is not drawn by this build's back-end";
  Paint(scrback, 0, 0, kBackWidth, kBackHeight, 0);
  const struct {
    uint8_t mode, tick;
    bool shown;
  } cases[] = {
      {6, 17, false}, {6, 18, true}, {6, 35, true}, {6, 0, false}, {0, 20, false},
  };
  for (const auto& c : cases) {
    gameMode = c.mode;
    frameTick = c.tick;
    RenderFrame();
    EXPECT_EQ(AnyLit(100, 180, 330, 210), c.shown) << int(c.mode) << " " << int(c.tick);
  }
  // The score is printed at the top whatever the mode.
  EXPECT_TRUE(AnyLit(125, 5, 200, 25));
}

TEST_F(RendererTest, FrameRateCountsFramesPerSecondAndCtrlToggles) {
  const uint64_t presents = headless::PresentCount();
  headless::SetClock(5000);
  frameCountStart = 5000;
  for (int i = 0; i < 23; ++i) RenderFrame();
  EXPECT_EQ(frameCount, 23);
  EXPECT_EQ(headless::PresentCount(), presents + 23);  // one refresh a frame
  headless::SetClock(6001);
  ShowFrameRate();
  EXPECT_EQ(framesLastSecond, 23);
  EXPECT_EQ(frameCount, 1);
  EXPECT_EQ(frameCountStart, 6001);

  headless::SetKeyDown(kVkCtrl, true);
  inputLatch = -1;
  ShowFrameRate();
  EXPECT_EQ(showFrameRate, 0);
  inputLatch = 0;
  ShowFrameRate();
  EXPECT_EQ(showFrameRate, -1);
  EXPECT_EQ(inputLatch, -1);
  headless::SetKeyDown(kVkCtrl, false);
  if (TextIsRasterised()) {
    Paint(scrback, 0, 0, kBackWidth, kBackHeight, 0);
    RenderFrame();
    EXPECT_TRUE(AnyLit(290, 400, 330, 420));  // the count is shown
  }
}

}  // namespace
