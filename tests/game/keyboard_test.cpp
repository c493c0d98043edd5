#include <algorithm>
#include <cmath>
#include <cstdio>
#include <glm/geometric.hpp>
#include <numbers>

#include "game_fixture.hpp"
#include "game_test_access.hpp"

namespace sorvel::test {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Two rows of three running towards the camera. Below, the front cube is
// surplus and the two behind it figure; above, only the back one is surplus.
FixturePuzzle rowsPuzzle() { return {"filas", 1, 2, 3, "110011"}; }

// Which cell a pointer at `p` would light; the pointer then leaves, so that
// the keyboard's cursor is not hidden by the question.
int hoveredAt(Game& game, glm::vec2 p) {
  game.hoverAt(p);
  const int cell = game.hover();
  game.hoverAt(std::nullopt);
  return cell;
}

float glowOf(const Game& game, int slot, int cell) {
  const glm::vec3 centre = game.slot(slot).cellCenter(cell);
  const Frame frame = game.frame();
  for (const CubeInst& cube : frame.cubes) {
    if (glm::distance(glm::vec3(cube.posScale), centre) < 1e-3f) return cube.anim.w;
  }
  ADD_FAILURE() << "cell " << cell << " is not drawn";
  return -1;
}

TEST(KeyboardCursor, TheFirstPressShowsItOnTheCubeAtTheMiddleOfTheView) {
  Rig rig;
  auto game = rig.start();
  game->moveCursor(1, 0);
  EXPECT_EQ(game->cursor(), std::nullopt) << "a cursor on the table";
  game->open(1);
  game->placeCamera(0.55f, 0.42f, 1);
  const int middle = hoveredAt(*game, {0.5f, 0.5f});
  ASSERT_GE(middle, 0);
  EXPECT_EQ(game->cursor(), std::nullopt);
  game->hoverAt(glm::vec2(0.5f, 0.5f));
  game->moveCursor(1, 0);
  EXPECT_EQ(game->cursor(), middle) << "the first press moved it";
  EXPECT_EQ(game->hover(), -1) << "the pointer's hover is drawn beside the cursor";

  // It lights its cube as the pointer's hover does, and no other.
  EXPECT_EQ(glowOf(*game, 1, middle), 1.0f);
  for (int i = 0; i < game->slot(1).puzzle.cellCount(); ++i) {
    if (i == middle || stateOf(*game, 1, i) == CellState::broken) continue;
    EXPECT_LT(glowOf(*game, 1, i), 1.0f) << i;
  }

  // Left and back right on the block's face returns to the same cube.
  game->moveCursor(-1, 0);
  const auto moved = game->cursor();
  ASSERT_TRUE(moved.has_value());
  EXPECT_NE(*moved, middle);
  const auto at = [&](int cell) { return viewPoint(*game, game->slot(1).cellCenter(cell)); };
  EXPECT_LT(at(*moved).x, at(middle).x) << "left went right on screen";
  game->moveCursor(1, 0);
  EXPECT_EQ(game->cursor(), middle);
}

TEST(KeyboardCursor, ThePointerHidesItAndLeavingTheBlockForgetsIt) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  game->placeCamera(0.55f, 0.42f, 1);
  game->moveCursor(0, 0);
  game->moveCursor(0, -1);
  ASSERT_TRUE(game->cursor().has_value());
  game->hoverAt(std::nullopt);  // the pointer left the window: not a sign of the mouse in use
  EXPECT_TRUE(game->cursor().has_value());
  game->hoverAt(glm::vec2(0.1f, 0.1f));
  EXPECT_EQ(game->cursor(), std::nullopt);
  // Shown again, it starts over at the middle rather than where it was.
  const int middle = hoveredAt(*game, {0.5f, 0.5f});
  game->moveCursor(0, -1);
  EXPECT_EQ(game->cursor(), middle);
  EXPECT_EQ(glowOf(*game, 1, middle), 1.0f);

  game->moveCursor(0, -1);
  game->goHome(false);
  EXPECT_EQ(game->cursor(), std::nullopt);
  game->open(1);
  game->placeCamera(0.55f, 0.42f, 1);
  EXPECT_EQ(game->cursor(), std::nullopt) << "the cursor was kept across leaving the block";
}

TEST(KeyboardCursor, ItActsAsATapWouldAndTakesWhatIsSeenWhereACarvedCubeWas) {
  Rig rig({rowsPuzzle()});
  auto game = rig.start();
  game->open(0);
  game->placeCamera(0, 0.1f, 1);  // straight at the front of the lower row
  game->applyAtCursor(false);
  EXPECT_EQ(game->cursor(), 2) << "the first press only shows the cursor";
  EXPECT_EQ(stateOf(*game, 0, 2), CellState::solid);

  game->applyAtCursor(false);
  EXPECT_EQ(stateOf(*game, 0, 2), CellState::broken);
  EXPECT_EQ(game->cursor(), 1) << "not on the cube seen where the carved one was";
  EXPECT_EQ(game->mistakes(), 0);

  // A figure cube carved: a mistake, kept and marked, as with a tap.
  rig.heard.clear();
  game->applyAtCursor(false);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(stateOf(*game, 0, 1), CellState::marked);
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::error});
  EXPECT_EQ(game->cursor(), 1);

  // The other tool (marking) takes the mark off again; the active one is
  // left as it was.
  game->applyAtCursor(true);
  EXPECT_EQ(stateOf(*game, 0, 1), CellState::solid);
  EXPECT_EQ(game->tool(), Tool::carve);
  game->setTool(Tool::mark);
  game->applyAtCursor(true);  // now the other is carving
  EXPECT_EQ(game->mistakes(), 2);
}

TEST(KeyboardCursor, WhenTheBlockTurnsItsFaceAwayTheCursorTakesWhatIsSeenThere) {
  Rig rig({rowsPuzzle()});
  auto game = rig.start();
  game->open(0);
  game->placeCamera(0, 0.1f, 1);
  game->moveCursor(0, 0);
  ASSERT_EQ(game->cursor(), 2);
  // From behind, the front cube is hidden: the back one is seen where it was.
  game->placeCamera(kPi, 0.1f, 1);
  EXPECT_EQ(game->cursor(), 0);
  // Turned back before a key was pressed, it is where it was.
  game->placeCamera(0, 0.1f, 1);
  EXPECT_EQ(game->cursor(), 2);
  // A key pressed while it stands in for the hidden cube settles it there.
  game->placeCamera(kPi, 0.1f, 1);
  game->moveCursor(0, 0);
  game->placeCamera(kPi / 2, 0.1f, 1);  // from the side, both cubes show
  EXPECT_EQ(game->cursor(), 0) << "the cursor went back to the front cube";
}

TEST(KeyboardCursor, WhenALayerIsPeeledFromUnderItTheCursorTakesWhatIsSeenThere) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  game->placeCamera(0, 0.42f, 1);
  game->moveCursor(0, 0);
  const auto front = game->cursor();
  ASSERT_TRUE(front.has_value());
  EXPECT_EQ(game->slot(1).puzzle.coords(*front).z, 2);
  game->setPeel(1);
  const auto peeled = game->cursor();
  ASSERT_TRUE(peeled.has_value());
  EXPECT_TRUE(game->visible(game->slot(1), *peeled));
  EXPECT_EQ(*peeled, hoveredAt(*game, viewPoint(*game, game->slot(1).cellCenter(*front))));
}

TEST(TurnSteps, EachStepTurnsTheGoalATwelfthOfTheWayRoundAndTheCameraEasesThere) {
  Rig rig;
  auto game = rig.start();
  game->turnStep(1, 1);
  EXPECT_EQ(game->camera().goalYaw, 0.0f) << "the table turned";
  game->open(1);
  game->placeCamera(0.55f, 0.42f, 1);
  game->turnStep(-1, 0);
  EXPECT_FLOAT_EQ(game->camera().goalYaw, 0.55f - kPi / 6);
  EXPECT_EQ(game->camera().yaw, 0.55f) << "the camera jumped rather than eased";
  runFor(*game, 2);
  EXPECT_NEAR(game->camera().yaw, 0.55f - kPi / 6, 1e-2f);

  // Three steps right from there look from +x: the layers peel across x.
  EXPECT_EQ(game->peelAxis(), 2);
  game->turnStep(3, 0);
  EXPECT_EQ(game->peelAxis(), 0);
  EXPECT_EQ(game->peelSign(), 1.0f);

  // The pitch stays within the drag's range.
  game->turnStep(0, 1);
  EXPECT_NEAR(game->camera().goalPitch, 0.62f, 1e-5f);
  game->turnStep(0, 20);
  EXPECT_EQ(game->camera().goalPitch, 1.25f);
  game->turnStep(0, -40);
  EXPECT_EQ(game->camera().goalPitch, 0.05f);
}

TEST(TableHighlight, ItStartsNearTheMiddleStepsInScreenOrderAndStopsAtTheEnds) {
  Rig rig;
  auto game = rig.start();
  EXPECT_EQ(game->hoveredSlot(), std::nullopt);
  game->moveHighlight(-1);
  EXPECT_EQ(game->hoveredSlot(), 1) << "the first press did not light the middle block";
  game->moveHighlight(1);
  EXPECT_EQ(game->hoveredSlot(), 2);
  game->moveHighlight(1);
  EXPECT_EQ(game->hoveredSlot(), 2);
  game->moveHighlight(-5);
  EXPECT_EQ(game->hoveredSlot(), 0);

  // The highlighted block rises as a hovered one does.
  runFor(*game, 1);
  EXPECT_GT(game->slot(0).lift, 0.9f);
  EXPECT_EQ(game->slot(1).lift, 0.0f);

  // The pointer takes over.
  const Slot& last = game->slot(2);
  game->hoverAt(viewPoint(*game, last.center));
  EXPECT_EQ(game->hoveredSlot(), 2);
  game->moveHighlight(-1);
  EXPECT_EQ(game->hoveredSlot(), 1);

  // Seen from behind the table, right on screen is towards the first block.
  GameTestAccess::camera(*game).yaw = kPi;
  game->moveHighlight(1);
  EXPECT_EQ(game->hoveredSlot(), 0);
}

TEST(TableHighlight, TheNarrowTablesZigzagIsFollowedDownTheScreen) {
  Rig rig;
  auto game = rig.start();
  game->viewportChanged(0.6f);
  ASSERT_TRUE(game->portrait());
  game->moveHighlight(1);
  ASSERT_EQ(game->hoveredSlot(), 1);
  game->moveHighlight(1);
  EXPECT_EQ(game->hoveredSlot(), 2);
  game->moveHighlight(-2);
  EXPECT_EQ(game->hoveredSlot(), 0);
}

TEST(TableHighlight, OpeningTakesTheHighlightedBlockAndNothingWithoutOne) {
  Rig rig;
  auto game = rig.start();
  game->openHighlighted();
  EXPECT_EQ(game->screen(), Screen::home);
  game->moveHighlight(1);
  game->moveHighlight(1);
  game->openHighlighted();
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->current(), 2);
  EXPECT_EQ(game->hoveredSlot(), std::nullopt);
  game->moveHighlight(-1);  // nothing in play
  game->openHighlighted();
  EXPECT_EQ(game->current(), 2);
}

// A player who sees the block: each key moves the cursor the way the next
// surplus cube lies on screen, Right turns the block when the cursor is
// stuck, Enter carves. The tutorial must come out whole, in few keys.
TEST(KeyboardPlay, ASeeingPlayerCarvesTheTutorialWithAFewDozenKeys) {
  Rig rig;
  auto game = rig.start();
  game->open(0);
  game->snapCamera();
  const Slot& slot = game->slot(0);
  const Puzzle& p = slot.puzzle;
  int keys = 1;
  game->moveCursor(1, 0);  // shows it
  int carves = 0, turns = 0;
  int stuck = 0;  // keys since the last carve
  while (!p.solved() && keys < 200) {
    ASSERT_TRUE(game->cursor());
    const int at = *game->cursor();
    if (!p.sol[size_t(at)]) {
      game->applyAtCursor(false);
      ++keys;
      ++carves;
      stuck = 0;
      continue;
    }
    // The surplus cube nearest the cursor on screen.
    const glm::vec2 here = viewPoint(*game, slot.cellCenter(at));
    glm::vec2 best{0};
    float nearest = 1e9f;
    for (int i = 0; i < p.cellCount(); ++i) {
      if (p.sol[size_t(i)] || p.state[size_t(i)] == CellState::broken) continue;
      const glm::vec2 d = viewPoint(*game, slot.cellCenter(i)) - here;
      if (glm::length(d) < nearest) {
        nearest = glm::length(d);
        best = d;
      }
    }
    // Wandering without carving: the cube sought is round the side.
    if (stuck >= 6) {
      game->turnStep(1, 0);
      runFor(*game, 1);
      ++turns;
      stuck = 0;
    } else if (std::abs(best.x) > std::abs(best.y)) {
      game->moveCursor(best.x > 0 ? 1 : -1, 0);
    } else {
      game->moveCursor(0, best.y > 0 ? 1 : -1);
    }
    ++keys;
    ++stuck;
    runFor(*game, 0.2);
  }
  EXPECT_TRUE(p.solved());
  EXPECT_EQ(game->mistakes(), 0);
  EXPECT_LE(keys, 60);
  std::printf("the tutorial carved with %d keys: %d Enter, %d Right, %d to move the cursor\n", keys, carves, turns,
              keys - carves - turns);
}

}  // namespace
}  // namespace sorvel::test
