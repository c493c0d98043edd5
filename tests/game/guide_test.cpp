#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

// The guide's cells in the 3x3x2 tutorial: the top front row, then the middle
// of the bottom front row, then the middle of the bottom back row.
TEST(Guide, StepsFollowTheCarvingInOrderAndResumeWithoutTheIntroduction) {
  Rig rig;
  auto game = rig.start();
  game->open(0);
  auto step = [&] { return game->guide() ? game->guide()->step : -1; };
  auto carve = [&](int cell) { game->act(cell, Tool::carve); };
  ASSERT_TRUE(game->guide());
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(game->guide()->button, "Vale");
  EXPECT_TRUE(game->guideCells().empty());

  game->act(0, Tool::carve);  // a mistake carves nothing: the introduction stays
  game->act(2, Tool::mark);
  EXPECT_EQ(step(), 0);
  // A carved cube ends the introduction, as "Vale" does, even the last
  // step's cube before the others.
  carve(1);
  EXPECT_EQ(step(), 1);
  game->goHome(false);
  EXPECT_FALSE(game->guide());
  game->open(0);  // a cube is carved: straight to the first step
  EXPECT_EQ(step(), 1);
  EXPECT_FALSE(game->guide()->button);
  EXPECT_EQ(game->guideCells(), (std::set<int>{15, 16, 17}));

  carve(15);
  EXPECT_EQ(step(), 1);
  EXPECT_EQ(game->guideCells(), (std::set<int>{16, 17}));
  carve(16);
  carve(17);
  EXPECT_EQ(step(), 2);  // not 3, though its cube is already gone
  EXPECT_EQ(game->guideCells(), std::set<int>{4});
  carve(4);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_FALSE(game->guide());
  EXPECT_TRUE(game->guideCells().empty());
}

TEST(Guide, LeavingTheTutorialInPlayForASolvedBlockTakesTheGuideDown) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  while (game->autoCarveStep()) {
  }
  game->goHome(false);
  game->open(0);
  game->acknowledgeGuide();
  ASSERT_FALSE(game->guideCells().empty());
  game->nextPuzzle();  // onto the solved boat
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_FALSE(game->guide());
  EXPECT_TRUE(game->guideCells().empty());
}

TEST(Guide, ATutorialTooSmallForTheGuidesCellsShowsNoGuide) {
  Rig rig({FixturePuzzle{"mini", 2, 2, 2, "10011001", true}, pegPuzzle()});
  auto game = rig.start();
  game->open(0);
  EXPECT_FALSE(game->guide());
  game->acknowledgeGuide();
  game->act(1, Tool::carve);
  EXPECT_FALSE(game->guide());
  EXPECT_TRUE(game->guideCells().empty());
}

}  // namespace
}  // namespace sorvel::test
