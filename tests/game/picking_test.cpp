#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

// The boat seen straight from the front: yaw 0, level, so a ray through a
// cell's centre runs exactly along z.
class Picking : public ::testing::Test {
 protected:
  void SetUp() override {
    game = rig.start();
    game->open(1);
    Camera& camera = game->camera;
    camera.yaw = camera.goalYaw = 0;
    camera.pitch = camera.goalPitch = 0;
    camera.target = camera.goalTarget = boat().origin + glm::vec3(0.5f, 1.5f, 1.5f);  // column x 0, row y 1
    camera.dist = camera.goalDist = 12;
    rig.heard.clear();
  }
  Slot& boat() { return slotAt(*game, 1); }
  int cell(int x, int y, int z) { return boat().puzzle.index(x, y, z); }
  // The point on the block's front face in front of cell (x, y).
  glm::vec2 front(int x, int y) {
    return viewPoint(*game, boat().origin + glm::vec3(x + 0.5f, y + 0.5f, 3.0f));
  }
  int hovered(glm::vec2 p) {
    game->hoverAt(p);
    return game->hover;
  }

  Rig rig;
  std::unique_ptr<Game> game;
};

TEST_F(Picking, ARayAlongTheGridLooksThroughCarvedCubes) {
  // The row x 0, y 1 runs surplus, surplus, figure from the front.
  const glm::vec2 centre(0.5f, 0.5f);
  EXPECT_EQ(hovered(centre), cell(0, 1, 2));
  game->tap(centre, false);
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 2)), CellState::broken);
  EXPECT_EQ(hovered(centre), cell(0, 1, 1));
  game->tap(centre, false);
  EXPECT_EQ(hovered(centre), cell(0, 1, 0));
  game->tap(centre, false);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(rig.kinds(), (std::vector<SoundKind>{SoundKind::carve, SoundKind::carve, SoundKind::error}));
}

TEST_F(Picking, AnObliqueRayFindsTheFirstVisibleCubeAlongIt) {
  Camera& camera = game->camera;
  camera.yaw = 0.55f;
  camera.pitch = 0.42f;
  camera.target = boat().center;
  camera.dist = 9;
  for (int i : {cell(0, 1, 2), cell(2, 1, 2), cell(0, 0, 1)}) {
    boat().puzzle.state[static_cast<size_t>(i)] = CellState::broken;
  }
  // The answer by brute force: march along the ray in tiny steps.
  const glm::vec3 eye = game->eye();
  auto firstVisible = [&](glm::vec3 aim) {
    const glm::vec3 dir = glm::normalize(aim - eye);
    for (float t = 0; t < 40; t += 0.002f) {
      const glm::ivec3 c(glm::floor(eye + dir * t - boat().origin));
      if (c.x < 0 || c.y < 0 || c.z < 0 || c.x >= 3 || c.y >= 2 || c.z >= 3) continue;
      const int i = cell(c.x, c.y, c.z);
      if (game->visible(boat(), i)) return i;
    }
    return -1;
  };
  int hits = 0;
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    const glm::vec3 aim = boat().cellCenter(i) + glm::vec3(-0.2f, 0.1f, -0.05f);
    const int expected = firstVisible(aim);
    EXPECT_EQ(hovered(viewPoint(*game, aim)), expected) << "aimed at cell " << i;
    if (expected >= 0 && expected != i) ++hits;
  }
  EXPECT_GT(hits, 0) << "no ray was blocked by a cube in front";
}

TEST_F(Picking, PeeledSlicesAreLookedThrough) {
  game->setPeel(1);
  EXPECT_EQ(hovered(front(2, 0)), cell(2, 0, 1));
  game->setPeel(2);
  EXPECT_EQ(hovered(front(2, 0)), cell(2, 0, 0));
}

TEST_F(Picking, AClickBesideTheBlockDoesNothing) {
  game->tap(viewPoint(*game, boat().origin + glm::vec3(-2, 1, 1.5f)), false);
  game->tap({0.02f, 0.02f}, false);
  EXPECT_TRUE(rig.heard.empty());
  EXPECT_EQ(boat().puzzle.encodeState(), std::string(18, '0'));
  EXPECT_EQ(hovered({0.02f, 0.02f}), -1);
}

TEST_F(Picking, TheAlternateClickUsesTheOtherTool) {
  game->tap(front(0, 1), true);
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 2)), CellState::marked);
  game->tap(front(0, 1), false);  // carving a marked cube is refused
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 2)), CellState::marked);
  game->setTool(Tool::mark);
  game->tap(front(0, 1), false);
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 2)), CellState::solid);
  game->tap(front(0, 1), true);
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 2)), CellState::broken);
}

TEST_F(Picking, TheSolvedScreenIgnoresClicks) {
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    if (!boat().puzzle.sol[static_cast<size_t>(i)] && i != cell(0, 1, 2)) {
      boat().puzzle.state[static_cast<size_t>(i)] = CellState::broken;
    }
  }
  game->tap(front(0, 1), false);
  ASSERT_EQ(game->screen(), Screen::solved);
  rig.heard.clear();
  game->tap(front(1, 1), false);
  game->tap(front(1, 1), true);
  EXPECT_TRUE(rig.heard.empty());
  EXPECT_EQ(game->mistakes(), 0);
  EXPECT_EQ(hovered(front(1, 1)), -1);
}

TEST_F(Picking, TapCellHitsTheNamedCubeFromWhereTheCameraStands) {
  game->tapCell(0, 1, 2);
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 2)), CellState::broken);
  ASSERT_TRUE(game->touchFX());
  EXPECT_EQ(game->touchFX()->id, 1);
  // The cube behind is now reached through the carved one's open face.
  game->tapCell(0, 1, 1);
  EXPECT_EQ(stateOf(*game, 1, cell(0, 1, 1)), CellState::broken);
  EXPECT_EQ(game->touchFX()->id, 2);

  // From behind the block, the back face is the one tapped.
  game->camera.yaw = 3.1f;
  game->tapCell(1, 0, 0);
  EXPECT_EQ(stateOf(*game, 1, cell(1, 0, 0)), CellState::marked);  // a figure cube: a mistake
  EXPECT_EQ(game->mistakes(), 1);
}

TEST(HomeTable, AClickOnABlockOpensItAndTheGapsBetweenPlinthsOpenNothing) {
  Rig rig;
  auto game = rig.start();
  const Slot& a = slotAt(*game, 1);
  const Slot& b = slotAt(*game, 2);
  const float gap = (a.center.x + a.plinthRadius + b.center.x - b.plinthRadius) / 2;
  game->tap(viewPoint(*game, {gap, 0, 0}), false);
  EXPECT_EQ(game->screen(), Screen::home);

  game->hoverAt(viewPoint(*game, b.center));
  EXPECT_EQ(game->hover, -1);
  // The plinth's foot counts as the block.
  game->tap(viewPoint(*game, {b.center.x, 0.1f, b.center.z + b.plinthRadius * 0.9f}), false);
  EXPECT_EQ(game->current(), 2);
  EXPECT_EQ(game->screen(), Screen::playing);

  game->goHome(false);
  game->tap(viewPoint(*game, slotAt(*game, 3).center), false);
  EXPECT_EQ(game->current(), 3);
}

TEST(HomeTable, TouchesCountUpFromOne) {
  Rig rig;
  auto game = rig.start();
  game->showTouch({0.25f, 0.75f});
  EXPECT_EQ(game->touchFX(), (TouchFX{.x = 0.25f, .y = 0.75f, .id = 1}));
  game->showTouch({0.25f, 0.75f});
  EXPECT_EQ(game->touchFX()->id, 2);
  game->tap({0.5f, 0.99f}, false);  // a plain click shows no ripple
  EXPECT_EQ(game->touchFX()->id, 2);
}

}  // namespace
}  // namespace sorvel::test
