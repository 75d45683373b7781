// Where the launcher stands and where Image3 opens the menu, by screen width,
// and the heights its rolls end at.

#include "launcher/form1.h"
#include "launcher/placement.h"
#include "launcher/roll.h"

#include <gtest/gtest.h>

namespace {

class FakeScreen final : public ScreenWidthSource {
 public:
  explicit FakeScreen(int width) : m_width(width) {}
  int ScreenWidth() const override { return m_width; }
  void SetWidth(int width) { m_width = width; }

 private:
  int m_width;
};

struct Expected {
  int screenWidth;
  int left;
  int menuY;
};

class PlacementByWidth : public ::testing::TestWithParam<Expected> {};

TEST_P(PlacementByWidth, PlacesTheWindowAndTheMenu) {
  const Expected expected = GetParam();
  EXPECT_EQ(LauncherLeftFor(expected.screenWidth), expected.left);
  EXPECT_EQ(ContextMenuYFor(expected.screenWidth), expected.menuY);

  const FakeScreen screen(expected.screenWidth);
  const TForm1 form(screen);
  EXPECT_EQ(form.pos(), QPoint(expected.left, 0));
  EXPECT_EQ(form.ContextMenuPosition(), QPoint(expected.left - 106, expected.menuY));
}

INSTANTIATE_TEST_SUITE_P(Table, PlacementByWidth,
                         ::testing::Values(Expected{600, 408, 400}, Expected{800, 608, 537},
                                           Expected{1024, 832, 424}, Expected{1152, 960, 424},
                                           Expected{1280, 1088, 424}, Expected{1360, 1168, 424},
                                           Expected{1600, 1408, 424}));

// Any other width: the right edge still stands 8 pixels from the screen's,
// and the menu opens at the default height.
INSTANTIATE_TEST_SUITE_P(Unlisted, PlacementByWidth,
                         ::testing::Values(Expected{1366, 1174, 424}, Expected{640, 448, 424},
                                           Expected{601, 409, 424}, Expected{799, 607, 424},
                                           Expected{960, 768, 424}, Expected{1920, 1728, 424},
                                           Expected{2560, 2368, 424}));

TEST(Placement, MenuFollowsTheWidthAtTheTimeOfTheClick) {
  FakeScreen screen(1024);
  const TForm1 form(screen);
  screen.SetWidth(600);
  // The launcher stays where it was placed; only the menu's height changes.
  EXPECT_EQ(form.ContextMenuPosition(), QPoint(832 - 106, 400));
  screen.SetWidth(800);
  EXPECT_EQ(form.ContextMenuPosition(), QPoint(832 - 106, 537));
}

struct Roll {
  const char* how;
  int (*roll)(int height);
  int from;
  int to;
};

class RollHeights : public ::testing::TestWithParam<Roll> {};

TEST_P(RollHeights, EndWhereTheLoopEnds) {
  const Roll r = GetParam();
  EXPECT_EQ(r.roll(r.from), r.to) << r.how << " from " << r.from;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RollHeights,
    ::testing::Values(
        // Up: steps of 3 while 4 or more, then never under two rows.
        Roll{"up", roll::RolledUpHeight, 556, 2}, Roll{"up", roll::RolledUpHeight, 555, 3},
        Roll{"up", roll::RolledUpHeight, 557, 2}, Roll{"up", roll::RolledUpHeight, 4, 2},
        Roll{"up", roll::RolledUpHeight, 3, 2}, Roll{"up", roll::RolledUpHeight, 2, 2},
        Roll{"up", roll::RolledUpHeight, 9, 3},
        // Down by the mouse: only a strip, always to the full 556.
        Roll{"mouse", roll::MouseRolledDownHeight, 2, 556},
        Roll{"mouse", roll::MouseRolledDownHeight, 3, 556},
        Roll{"mouse", roll::MouseRolledDownHeight, 9, 556},
        Roll{"mouse", roll::MouseRolledDownHeight, 10, 10},
        Roll{"mouse", roll::MouseRolledDownHeight, 556, 556},
        // Down by a click: steps of 3 past 554, no final adjustment.
        Roll{"click", roll::ClickRolledDownHeight, 2, 557},
        Roll{"click", roll::ClickRolledDownHeight, 3, 555},
        Roll{"click", roll::ClickRolledDownHeight, 10, 10},
        Roll{"click", roll::ClickRolledDownHeight, 556, 556}));

}  // namespace
