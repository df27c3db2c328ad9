// The replay viewer's overlays drawn for a known state: the hit boxes lie
// where the contact checks report contact, and the input display shows the
// keys ReadInput saw.
#include "app/viewer_overlays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "app/app_state.h"
#include "app/settings.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "world/player_damage.h"
#include "world/world_state.h"

namespace {

struct Picture {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(kScreenWidth) * kScreenHeight, 0);
  Surface surface{kScreenWidth, kScreenHeight, pixels.data()};
  uint32_t At(int x, int y) const { return pixels[size_t(y) * kScreenWidth + size_t(x)]; }
};

// The pixels of `colour` within columns [fromX, toX): their bounding box,
// which for one outlined box is the pixels the box reaches into.
struct PixelBox {
  int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
  bool Empty() const { return x1 < 0; }
  bool Meets(const PixelBox& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};
PixelBox Find(const Picture& p, uint32_t colour, int fromX = 0, int toX = kScreenWidth) {
  PixelBox b;
  for (int y = 0; y < kScreenHeight; ++y)
    for (int x = fromX; x < toX; ++x)
      if (p.At(x, y) == colour) {
        b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
        b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
      }
  return b;
}

class ViewerOverlaysTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    gameMode = kModePlay;
    playerX = 150;  // the ship at whole pixels, as the pixels can show it
    playerY = 350;
    shield = 3;
  }
};

// A bullet or an enemy swept across the ship in half pixels, along a row and
// a column through it: the game reports contact exactly when the outline
// drawn for it meets the outline drawn for the ship's box it is tested
// against.
TEST_F(ViewerOverlaysTest, HitBoxOutlinesMeetExactlyWhereTheGameReportsContact) {
  const struct {
    const char* name;
    uint8_t bulletKind;  // kBulletFree: an enemy of scale `scale`
    float scale;
    uint32_t colour;
    float column;  // where the column swept lies (the row is at 368)
  } cases[] = {
      {"small bullet", kBulletSmall, 0, kSmallBulletColour, 160},
      {"bouncing bullet", kBulletBouncing, 0, kSmallBulletColour, 160},
      {"large bullet", kBulletLarge, 0, kLargeBulletColour, 160},
      {"enemy", kBulletFree, 1, kEnemyContactColour, 150},
      {"enemy at one and a half", kBulletFree, 1.5f, kEnemyContactColour, 150},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto place = [&](float x, float y) {
      gameMode = kModePlay;
      shield = 3;
      invulnTimer = 0;
      bulletKind[5] = kBulletFree;
      enemyState[2] = kEnemyFree;
      if (c.bulletKind != kBulletFree) {
        bulletKind[5] = c.bulletKind;
        bulletX[5] = x;
        bulletY[5] = y;
      } else {
        enemyState[2] = kEnemyAlive;
        enemyHp[2] = 5;
        enemyScale[2] = c.scale;
        enemyX[2] = x;
        enemyY[2] = y;
      }
    };
    // The ship's box, with the other party far off on the left.
    place(-40, 0);
    Picture alone;
    DrawHitBoxes(alone.surface);
    const PixelBox ship = Find(alone, c.colour, 100);
    ASSERT_FALSE(ship.Empty());
    int contacts = 0, misses = 0;
    for (int along = 0; along < 2; ++along) {
      for (float t = 60; t <= 240; t += 0.5f) {
        // Along a row through the ship's box, then along a column.
        const float x = along == 0 ? t : c.column, y = along == 0 ? 368 : t + 200;
        place(x, y);
        gameMode = kModeDeathFadeOut;  // the other party's outline alone
        Picture other;
        DrawHitBoxes(other.surface);
        const PixelBox drawn = Find(other, c.colour);
        ASSERT_FALSE(drawn.Empty());
        place(x, y);
        if (c.bulletKind != kBulletFree) {
          CheckBulletHits();
        } else {
          CheckEnemyContact();
        }
        const bool contact = shield < 3.0f;
        EXPECT_EQ(contact, drawn.Meets(ship)) << x << "," << y;
        (contact ? contacts : misses) += 1;
      }
    }
    EXPECT_GT(contacts, 10);
    EXPECT_GT(misses, 10);
  }
}

// The ship's boxes turn grey while a contact would not damage it, and are
// not drawn outside play; free slots draw nothing.
TEST_F(ViewerOverlaysTest, ShipBoxesShowWhetherContactCounts) {
  Picture play;
  DrawHitBoxes(play.surface);
  EXPECT_FALSE(Find(play, kEnemyContactColour).Empty());
  EXPECT_TRUE(Find(play, kShipSafeColour).Empty());
  EXPECT_TRUE(Find(play, kSmallBulletColour).Empty()) << "no bullet: no box against bullets";
  invulnTimer = 5;
  Picture safe;
  DrawHitBoxes(safe.surface);
  EXPECT_FALSE(Find(safe, kShipSafeColour).Empty());
  EXPECT_TRUE(Find(safe, kEnemyContactColour).Empty());
  gameMode = kModeDeathFadeOut;
  Picture dying;
  DrawHitBoxes(dying.surface);
  EXPECT_EQ(dying.pixels, Picture().pixels);
}

// Each key held on a frame lights its own part of the display (directions
// where they point), and keys held together light the parts of each.
TEST_F(ViewerOverlaysTest, InputDisplayShowsTheKeysReadOnTheFrame) {
  SetDefaultSettings();
  ApplyAllSettings();
  joystickId = -1;
  auto shown = [](std::initializer_list<int> keys) {
    headless::Reset();
    for (int vk : keys) headless::SetKeyDown(vk, true);
    ReadInput();
    NoteFrameInput();
    FlushInput();  // as the main loop does after the picture: the noted input stays
    Picture p;
    DrawInputDisplay(p.surface, NotedFrameInput());
    return p;
  };
  const Picture none = shown({});
  auto lit = [&](const Picture& p) {
    PixelBox b;
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 0; x < kScreenWidth; ++x)
        if (p.At(x, y) != none.At(x, y)) {
          b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
          b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
        }
    return b;
  };
  const PixelBox left = lit(shown({kVkLeft})), right = lit(shown({kVkRight}));
  const PixelBox up = lit(shown({kVkUp})), down = lit(shown({kVkDown}));
  const PixelBox fire = lit(shown({kVkA})), fire2 = lit(shown({kVkZ})), bomb = lit(shown({kVkX}));
  for (const PixelBox* b : {&left, &right, &up, &down, &fire, &bomb}) ASSERT_FALSE(b->Empty());
  EXPECT_LT(left.x1, down.x0);
  EXPECT_LT(down.x1, right.x0);
  EXPECT_LT(up.y1, down.y0);
  EXPECT_LT(right.x1, fire.x0);
  EXPECT_LT(fire.y1, bomb.y0);
  EXPECT_EQ(fire2.x0, fire.x0) << "the second fire key lights fire";
  EXPECT_EQ(fire2.x1, fire.x1);
  // Left and fire together: both parts, and nothing else.
  const PixelBox both = lit(shown({kVkLeft, kVkA}));
  EXPECT_EQ(both.x0, left.x0);
  EXPECT_EQ(both.x1, fire.x1);
  EXPECT_EQ(both.y0, fire.y0);
  EXPECT_EQ(both.y1, left.y1);
  // Every key shown lies within the top left corner, clear of the score.
  for (const PixelBox* b : {&left, &right, &up, &down, &fire, &bomb}) {
    EXPECT_LT(b->x1, kScreenWidth / 3);
    EXPECT_LT(b->y1, 30);
  }
}

}  // namespace
