#include <numbers>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The boat is 3 wide, 2 high and 3 deep.
class Layers : public ::testing::Test {
 protected:
  void SetUp() override {
    game = rig.start();
    game->open(1);
    rig.heard.clear();
  }
  Slot& boat() { return slotAt(*game, 1); }
  // Which cells of the boat's bottom layer are shown, by (x, z).
  bool shown(int x, int z) { return game->visible(boat(), boat().puzzle.index(x, 0, z)); }

  Rig rig;
  std::unique_ptr<Game> game;
};

TEST_F(Layers, ThePeelComesFromTheSideFacingTheCamera) {
  game->camera.yaw = 0;
  game->setPeel(1);
  EXPECT_EQ(game->peelAxis, 2);
  EXPECT_EQ(game->peelSign, 1);
  EXPECT_FALSE(shown(1, 2));
  EXPECT_TRUE(shown(1, 1));

  game->setPeel(0);
  game->camera.yaw = kPi / 2;
  game->setPeel(1);
  EXPECT_EQ(game->peelAxis, 0);
  EXPECT_EQ(game->peelSign, 1);
  EXPECT_FALSE(shown(2, 0));

  game->setPeel(0);
  game->camera.yaw = -kPi / 2;
  game->setPeel(1);
  EXPECT_EQ(game->peelAxis, 0);
  EXPECT_EQ(game->peelSign, -1);
  EXPECT_FALSE(shown(0, 1));
  EXPECT_TRUE(shown(1, 1));

  game->setPeel(0);
  game->camera.yaw = kPi / 4;  // a tie goes to z
  game->setPeel(1);
  EXPECT_EQ(game->peelAxis, 2);

  game->setPeel(0);
  game->camera.yaw = kPi;  // from the back the low z slices go first
  game->setPeel(2);
  EXPECT_EQ(game->peelSign, -1);
  EXPECT_FALSE(shown(0, 1));
  EXPECT_TRUE(shown(0, 2));
}

TEST_F(Layers, PeelIsLimitedToTheBlockAndOnlyAChangeTicks) {
  game->setPeel(3);
  EXPECT_EQ(game->peel(), 2);
  EXPECT_EQ(game->peelMax(), 2);
  game->setPeel(2);
  game->setPeel(-3);
  EXPECT_EQ(game->peel(), 0);
  ASSERT_EQ(rig.heard.size(), 2u);
  EXPECT_EQ(rig.heard[0].kind, SoundKind::tick);
  EXPECT_FLOAT_EQ(rig.heard[0].volume, 0.6f);

  game->hover = 4;
  game->setPeel(1);
  EXPECT_EQ(game->hover, -1);
}

TEST_F(Layers, ABlockOneCellDeepCannotBePeeled) {
  Rig flat({FixturePuzzle{"losa", 3, 2, 1, "101010", false, "Losa"}});
  auto slab = flat.start();
  slab->open(0);
  EXPECT_EQ(slab->peelMax(), 1);
  flat.heard.clear();
  slab->setPeel(1);
  EXPECT_EQ(slab->peel(), 0);
  EXPECT_TRUE(flat.heard.empty());
}

TEST_F(Layers, TheAxisFollowsTheViewOnlyUntilPeelingBegins) {
  game->camera.yaw = 0;
  game->setPeel(1);
  game->drag({kPi / 2 / 0.0085f, 0});  // a quarter turn
  EXPECT_EQ(game->peelAxis, 2);
  EXPECT_EQ(game->peel(), 1);

  game->setPeel(0);
  game->drag({1, 0});
  EXPECT_EQ(game->peelAxis, 0);
  EXPECT_EQ(game->peelMax(), 2);
}

TEST_F(Layers, OnlyTheBlockInPlayIsPeeled) {
  game->camera.yaw = 0;
  game->setPeel(2);
  const Slot& tower = slotAt(*game, 3);
  for (int i = 0; i < tower.puzzle.cellCount(); ++i) EXPECT_TRUE(game->visible(tower, i));

  const int carved = boat().puzzle.index(1, 1, 0);
  game->act(boat(), carved, Tool::carve);
  EXPECT_FALSE(game->visible(boat(), carved));  // carved cells are gone, peeled or not
  EXPECT_TRUE(shown(0, 0));
  game->goHome(false);
  EXPECT_EQ(game->peel(), 0);
  game->setPeel(1);
  EXPECT_EQ(game->peel(), 0);
}

TEST_F(Layers, PeelingDoesNothingOnTheSolvedScreen) {
  game->open(2);
  game->act(slotAt(*game, 2), 1, Tool::carve);
  ASSERT_EQ(game->screen(), Screen::solved);
  rig.heard.clear();
  game->setPeel(1);
  EXPECT_EQ(game->peel(), 0);
  EXPECT_TRUE(rig.heard.empty());
}

}  // namespace
}  // namespace sorvel::test
