#include <cmath>
#include <limits>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <numbers>

#include "game_fixture.hpp"
#include "game_test_access.hpp"
#include "puzzle/library.hpp"

namespace sorvel::test {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The boat (3 wide, 2 high, 3 deep) seen straight from the front: yaw 0,
// level, so a ray through a cell's centre runs exactly along z.
class Picking : public ::testing::Test {
 protected:
  void SetUp() override {
    game = rig.start();
    game->open(1);
    Camera& camera = GameTestAccess::camera(*game);
    camera.yaw = camera.goalYaw = 0;
    camera.pitch = camera.goalPitch = 0;
    camera.target = camera.goalTarget = boat().origin + glm::vec3(0.5f, 1.5f, 1.5f);  // column x 0, row y 1
    camera.dist = camera.goalDist = 12;
    rig.heard.clear();
  }
  const Slot& boat() { return game->slot(1); }
  int cell(int x, int y, int z) { return boat().puzzle.index(x, y, z); }
  int hovered(glm::vec2 p) {
    game->hoverAt(p);
    return game->hover();
  }

  Rig rig;
  std::unique_ptr<Game> game;
};

TEST_F(Picking, AStraightRayLooksThroughCarvedAndPeeledCubes) {
  // The row x 0, y 1 runs surplus, surplus, figure from the front.
  const glm::vec2 centre(0.5f, 0.5f);
  for (int z : {2, 1, 0}) {
    EXPECT_EQ(hovered(centre), cell(0, 1, z));
    game->tap(centre, false);
  }
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(rig.kinds(), (std::vector<SoundKind>{SoundKind::carve, SoundKind::carve, SoundKind::error}));
  EXPECT_EQ(hovered({0.02f, 0.02f}), -1);  // beside the block

  const glm::vec2 bottomRight = viewPoint(*game, boat().origin + glm::vec3(2.5f, 0.5f, 3));
  game->setPeel(1);
  EXPECT_EQ(hovered(bottomRight), cell(2, 0, 1));
  game->setPeel(2);
  EXPECT_EQ(hovered(bottomRight), cell(2, 0, 0));
}

TEST_F(Picking, AnObliqueRayFindsTheFirstVisibleCubeAlongIt) {
  Camera& camera = GameTestAccess::camera(*game);
  camera.yaw = 0.55f;
  camera.pitch = 0.42f;
  camera.target = boat().center;
  camera.dist = 9;
  for (int i : {cell(0, 1, 2), cell(2, 1, 2), cell(0, 0, 1)}) {
    GameTestAccess::slot(*game, 1).puzzle.state[static_cast<size_t>(i)] = CellState::broken;
  }
  // The answer by brute force: march along the ray in tiny steps.
  const glm::vec3 eye = game->eye();
  auto firstVisible = [&](glm::vec3 aim) {
    const glm::vec3 dir = glm::normalize(aim - eye);
    for (float t = 0; t < 40; t += 0.002f) {
      const glm::ivec3 c(glm::floor(eye + dir * t - boat().origin));
      if (c.x < 0 || c.y < 0 || c.z < 0 || c.x >= 3 || c.y >= 2 || c.z >= 3) continue;
      if (game->visible(boat(), cell(c.x, c.y, c.z))) return cell(c.x, c.y, c.z);
    }
    return -1;
  };
  int blocked = 0;
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    const glm::vec3 aim = boat().cellCenter(i) + glm::vec3(-0.2f, 0.1f, -0.05f);
    const int expected = firstVisible(aim);
    EXPECT_EQ(hovered(viewPoint(*game, aim)), expected) << "aimed at cell " << i;
    if (expected >= 0 && expected != i) ++blocked;
  }
  EXPECT_GT(blocked, 0) << "no ray was blocked by a cube in front";
}

TEST(HomeTable, ATapOnABlockOpensItAndOneBetweenPlinthsOpensNothing) {
  Rig rig;
  auto game = rig.start();
  const Slot& a = game->slot(1);
  const Slot& b = game->slot(2);
  game->tap(viewPoint(*game, {(a.center.x + a.plinthRadius + b.center.x - b.plinthRadius) / 2, 0, 0}), false);
  EXPECT_EQ(game->screen(), Screen::home);
  game->tap(viewPoint(*game, {b.center.x, 0.1f, b.center.z + b.plinthRadius * 0.9f}), false);  // the plinth's foot
  EXPECT_EQ(game->current(), 2);
  EXPECT_EQ(game->screen(), Screen::playing);
}

TEST(Camera, AWindowWithNoHeightKeepsTheLastGoodShape) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  for (float aspect : {std::nanf(""), 0.0f, -1.0f}) game->viewportChanged(aspect);
  EXPECT_EQ(game->camera().aspect, 1.6f);
  EXPECT_TRUE(std::isfinite(game->camera().goalDist));
}

TEST(Camera, TheZoomStaysWithinThePlayersRangeAndTheTableHasNone) {
  Rig rig;
  auto game = rig.start();
  game->zoomBy(0.5f);
  EXPECT_EQ(game->camera().zoom, 1.0f) << "zoomed on the table";
  game->open(1);
  game->zoomBy(0.93f);
  EXPECT_FLOAT_EQ(game->camera().zoom, 0.93f);
  for (int i = 0; i < 40; ++i) game->zoomBy(0.93f);
  EXPECT_EQ(game->camera().zoom, Camera::kMinZoom);
  for (float bad : {0.0f, -2.0f, std::nanf(""), std::numeric_limits<float>::infinity()}) {
    game->zoomBy(bad);
    EXPECT_EQ(game->camera().zoom, Camera::kMinZoom) << bad;
  }
  for (int i = 0; i < 40; ++i) game->zoomBy(1.07f);
  EXPECT_EQ(game->camera().zoom, Camera::kMaxZoom);
  // Each block opens at the player's own distance, and the table shows
  // every block again: the zoom eases back with the camera's flight.
  game->open(2);
  EXPECT_EQ(game->camera().goalZoom, 1.0f);
  runFor(*game, 2);
  EXPECT_NEAR(game->camera().zoom, 1.0f, 1e-3f);
  for (int i = 0; i < 40; ++i) game->zoomBy(0.93f);
  game->goHome(true);
  game->tick(0.05);
  EXPECT_LT(game->camera().zoom, 0.8f) << "the zoom jumped instead of flying back";
  runFor(*game, 2);
  EXPECT_NEAR(game->camera().zoom, 1.0f, 1e-3f);
  game->zoomBy(0.5f);
  EXPECT_NEAR(game->camera().zoom, 1.0f, 1e-3f) << "zoomed on the table";
  game->open(1);
  game->zoomBy(1.5f);
  game->goHome(false);
  EXPECT_EQ(game->camera().zoom, 1.0f);
}

// A block of the given size with every cube figure.
FixturePuzzle solid(std::string id, int X, int Y, int Z) {
  return {std::move(id), X, Y, Z, std::string(static_cast<size_t>(X * Y * Z), '1')};
}

// Tables as large as the chapter's limits allow, in the shapes that strain
// the camera most: the widest blocks with a tall one at either end, one
// block of the largest size, the largest block at the end of a long row,
// tall thin blocks, and long blocks lying across and along the table in turn.
std::vector<std::vector<FixturePuzzle>> largestTables() {
  const int side = Library::kMaxSide;
  const int n = Library::kMaxChapterBlocks;
  std::vector<std::vector<FixturePuzzle>> tables(6);
  for (int i = 0; i < n; ++i) {
    const std::string id = "b" + std::to_string(i);
    tables[0].push_back(solid(id, side, i == 0 ? 12 : 1, side));
    tables[1].insert(tables[1].begin(), solid(id, side, i == 0 ? 12 : 1, side));
    tables[3].push_back(i == 0 ? solid(id, side, side, side) : solid(id, 12, 1, 12));
    tables[4].push_back(solid(id, 1, side, 1));
    tables[5].push_back(i % 2 == 0 ? solid(id, side, 1, 1) : solid(id, 1, 1, side));
  }
  tables[2].push_back(solid("cubo", side, side, side));
  for (const auto& table : tables) {
    long long cells = 0;
    for (const FixturePuzzle& p : table) cells += static_cast<long long>(p.X) * p.Y * p.Z;
    EXPECT_LE(cells, Library::kMaxChapterCells);
  }
  return tables;
}

// Whether `world` is drawn: inside the picture and between the near and far
// planes.
::testing::AssertionResult inView(const Game& game, glm::vec3 world) {
  const glm::vec4 clip = game.viewProj() * glm::vec4(world, 1);
  const float slack = 1e-3f * clip.w;
  if (clip.w > 0 && std::abs(clip.x) <= clip.w + slack && std::abs(clip.y) <= clip.w + slack &&
      clip.z >= -slack && clip.z <= clip.w + slack) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "(" << world.x << ", " << world.y << ", " << world.z << ") is at clip ("
                                       << clip.x << ", " << clip.y << ", " << clip.z << ", " << clip.w << ")";
}

// The corners of a block and points around its plinth's rim.
std::vector<glm::vec3> outline(const Slot& slot) {
  std::vector<glm::vec3> points;
  const Puzzle& p = slot.puzzle;
  for (int corner = 0; corner < 8; ++corner) {
    points.push_back(slot.origin + glm::vec3((corner & 1) != 0 ? p.X : 0, (corner & 2) != 0 ? p.Y : 0,
                                             (corner & 4) != 0 ? p.Z : 0));
  }
  for (int k = 0; k < 16; ++k) {
    const float a = static_cast<float>(k) * kPi / 8;
    points.push_back({slot.center.x + slot.plinthRadius * std::cos(a), 0, slot.center.z + slot.plinthRadius * std::sin(a)});
  }
  return points;
}

TEST(HomeTable, TheLargestTablesAreSeenWholeInEveryWindowShape) {
  for (const auto& table : largestTables()) {
    Rig rig(table);
    auto game = rig.start();
    // Wide, square-ish and tall windows; below 0.9 the plinths stand in two columns.
    for (float aspect : {2.4f, 1.6f, 0.9f, 0.8f, 0.6f, 0.45f}) {
      game->viewportChanged(aspect);
      ASSERT_EQ(game->portrait(), aspect < 0.9f);
      for (int i = 0; i < game->slotCount(); ++i) {
        const Slot& slot = game->slot(i);
        for (const glm::vec3& point : outline(slot)) {
          EXPECT_TRUE(inView(*game, point)) << table.size() << " blocks, block " << i << ", aspect " << aspect;
        }
        // No plinth stands on another.
        for (int j = i + 1; j < game->slotCount(); ++j) {
          const Slot& other = game->slot(j);
          EXPECT_GE(glm::distance(slot.center * glm::vec3(1, 0, 1), other.center * glm::vec3(1, 0, 1)),
                    slot.plinthRadius + other.plinthRadius)
              << "blocks " << i << " and " << j << ", aspect " << aspect;
        }
      }
    }
  }
}

TEST(Camera, FromABlockAtOneEndTheOtherEndIsBeforeTheFarPlane) {
  Rig rig(largestTables()[0]);
  auto game = rig.start();
  for (int open : {0, game->slotCount() - 1}) {
    game->open(open);
    runFor(*game, 3);
    for (int i = 0; i < game->slotCount(); ++i) {
      for (const glm::vec3& point : outline(game->slot(i))) {
        const glm::vec4 clip = game->viewProj() * glm::vec4(point, 1);
        if (clip.w > 0) {
          EXPECT_LE(clip.z, clip.w) << "block " << i << " seen from block " << open;
        }
      }
    }
  }
}

// Turns the camera at once to `yaw`, keeping its pitch and zoom.
void turnTo(Game& game, float yaw) { game.placeCamera(yaw, game.camera().goalPitch, game.camera().zoom); }

TEST(Layers, ThePeelComesFromTheSideFacingTheCameraAndKeepsItsAxis) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  auto shown = [&](int x, int z) { return game->visible(game->slot(1), game->slot(1).puzzle.index(x, 0, z)); };
  auto peelFrom = [&](float yaw) {
    game->setPeel(0);
    turnTo(*game, yaw);
    game->setPeel(1);
  };
  peelFrom(0);
  EXPECT_FALSE(shown(1, 2));
  EXPECT_TRUE(shown(1, 1));
  peelFrom(kPi / 2);
  EXPECT_FALSE(shown(2, 1));
  EXPECT_TRUE(shown(1, 2));
  peelFrom(-kPi / 2);
  EXPECT_FALSE(shown(0, 1));
  EXPECT_TRUE(shown(1, 1));
  peelFrom(kPi);
  EXPECT_FALSE(shown(1, 0));
  EXPECT_TRUE(shown(1, 1));

  // Once peeling has begun, turning the block does not swap the axis.
  turnTo(*game, kPi / 2);
  game->setPeel(2);
  EXPECT_FALSE(shown(1, 1));
  EXPECT_TRUE(shown(2, 2));
}

TEST(Layers, SetPeelIsClampedToTheDepthAlongItsAxisAndOnlyAChangeTicks) {
  Rig rig({tutorialPuzzle(), FixturePuzzle{"losa", 3, 2, 1, "101010"}});
  auto game = rig.start();
  game->open(0);  // 3 wide, 2 deep
  rig.heard.clear();
  turnTo(*game, 0);
  game->setPeel(5);
  EXPECT_EQ(game->peel(), 1);
  EXPECT_EQ(game->peelMax(), 1);
  game->setPeel(-3);
  EXPECT_EQ(game->peel(), 0);
  game->setPeel(0);
  EXPECT_EQ(rig.heard, (std::vector<std::pair<SoundKind, float>>(2, {SoundKind::tick, 0.6f})));

  turnTo(*game, kPi / 2);
  game->setPeel(5);
  EXPECT_EQ(game->peel(), 2);
  EXPECT_EQ(game->peelMax(), 2);

  game->open(1);  // one cell deep: nothing to peel
  turnTo(*game, 0);
  game->setPeel(1);
  EXPECT_EQ(game->peel(), 0);
  game->goHome(false);
  game->setPeel(1);
  EXPECT_EQ(game->peel(), 0);
}

TEST(Layers, TheLayerControlCountsTheOpenBlocksLayersFromTheFirstFrame) {
  // 5 wide and 2 deep: seen from the front it has one layer to peel, from
  // the side four.
  Rig rig({tutorialPuzzle(), FixturePuzzle{"banco", 5, 1, 2, "1010110101"}});
  auto game = rig.start();
  game->open(1);
  EXPECT_EQ(game->peelMax(), 1);
  turnTo(*game, kPi / 2);
  game->setPeel(1);
  game->setPeel(0);
  EXPECT_EQ(game->peelMax(), 4);
  // Left turned to the side, and opened again: it opens seen from the front.
  game->goHome(true);
  runFor(*game, 1);
  game->open(1);
  EXPECT_EQ(game->peelMax(), 1) << "the last view's layers were shown";
  // A click on the control during the flight peels across the same axis.
  game->tick(0.05);
  game->setPeel(1);
  EXPECT_EQ(game->peelMax(), 1);
  EXPECT_EQ(game->peel(), 1);
}

Chip fallingChip(glm::vec3 pos) { return Chip{.pos = pos, .life = 100, .size = {0.1f, 0.03f, 0.1f}}; }

TEST(Chips, ChipsBounceToRestOnAPlinthOrTheTableAndSpentOnesGo) {
  Rig rig;
  auto game = rig.start();
  const Slot& boat = game->slot(1);
  std::vector<Chip>& chips = GameTestAccess::chips(*game);
  chips = {fallingChip({boat.center.x, 3, boat.center.z + boat.plinthRadius * 0.8f}),
           fallingChip({50, 3, 50}),
           fallingChip({boat.center.x, 3, boat.center.z + boat.plinthRadius + 0.5f})};
  chips[1].life = 0.01f;
  game->tick(0.02);
  ASSERT_EQ(chips.size(), 2u);
  EXPECT_LT(chips[1].pos.y, 3) << "the chip moved into the spent one's place was skipped";

  bool bounced = false;
  for (int i = 0; i < 240; ++i) {
    game->tick(1.0 / 60);
    bounced = bounced || chips[0].vel.y > 0;
  }
  EXPECT_TRUE(bounced);
  EXPECT_NEAR(chips[0].pos.y, boat.origin.y, 1e-3);
  EXPECT_NEAR(chips[1].pos.y, 0.02f, 1e-3);
}

TEST(Chips, NoMoreThanSixHundredAreKeptAndTheOldestGoFirst) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  std::vector<Chip>& chips = GameTestAccess::chips(*game);
  for (int i = 0; i < 598; ++i) {
    chips.push_back(fallingChip({50, 5, 50}));
    chips.back().tint = static_cast<float>(i);
  }
  game->act(3, Tool::carve);
  ASSERT_EQ(chips.size(), Game::kMaxChips);
  EXPECT_EQ(chips.front().tint, 3);
  EXPECT_EQ(chips[594].tint, 597);
}

}  // namespace
}  // namespace sorvel::test
