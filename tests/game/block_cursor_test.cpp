#include "game/block_cursor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

#include "base/maths.hpp"

namespace sorvel {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
const glm::ivec2 kRight(1, 0), kLeft(-1, 0), kUp(0, -1), kDown(0, 1);

using Cells = std::set<std::tuple<int, int, int>>;

Cells fullBlock(glm::ivec3 dims) {
  Cells cells;
  for (int x = 0; x < dims.x; ++x) {
    for (int y = 0; y < dims.y; ++y) {
      for (int z = 0; z < dims.z; ++z) cells.insert({x, y, z});
    }
  }
  return cells;
}

// The block seen as the game's orbit camera sees it: from `yaw` round the
// vertical (0 looks from +z, a quarter turn from +x) and `pitch` above.
BlockView viewOf(glm::ivec3 dims, Cells cells, float yaw, float pitch, float distance = 20) {
  const glm::vec3 target = glm::vec3(dims) * 0.5f;
  const glm::vec3 eye = target + distance * glm::vec3(std::cos(pitch) * std::sin(yaw), std::sin(pitch),
                                                      std::cos(pitch) * std::cos(yaw));
  const float aspect = 1.6f;
  return {.dims = dims,
          .solid = [cells](glm::ivec3 c) { return cells.contains({c.x, c.y, c.z}); },
          .viewProj = perspective(kPi / 6, aspect) * lookAt(eye, target, {0, 1, 0}),
          .eye = eye,
          .aspect = aspect};
}

CursorSpot spot(int x, int y, int z, glm::ivec3 normal) { return {{x, y, z}, normal}; }

const glm::ivec3 kFront(0, 0, 1), kTop(0, 1, 0), kRightSide(1, 0, 0), kLeftSide(-1, 0, 0);

TEST(BlockCursorWalk, StepsSlideAcrossAFlatFaceInTheScreensDirections) {
  const glm::ivec3 dims(3, 3, 3);
  const BlockView view = viewOf(dims, fullBlock(dims), 0, 0.3f);
  const CursorSpot middle = spot(1, 1, 2, kFront);
  EXPECT_EQ(stepCursor(view, middle, kRight), spot(2, 1, 2, kFront));
  EXPECT_EQ(stepCursor(view, middle, kLeft), spot(0, 1, 2, kFront));
  EXPECT_EQ(stepCursor(view, middle, kUp), spot(1, 2, 2, kFront));
  EXPECT_EQ(stepCursor(view, middle, kDown), spot(1, 0, 2, kFront));
  EXPECT_EQ(stepCursor(view, middle, {0, 0}), middle);
}

TEST(BlockCursorWalk, OverAConvexEdgeTheCursorGoesOnToTheNextFaceSeen) {
  const glm::ivec3 dims(3, 3, 3);
  const BlockView view = viewOf(dims, fullBlock(dims), 0.55f, 0.42f);
  // Up off the front's top row onto the top, and on across it.
  const CursorSpot onTop = stepCursor(view, spot(1, 2, 2, kFront), kUp);
  EXPECT_EQ(onTop, spot(1, 2, 2, kTop));
  EXPECT_EQ(stepCursor(view, onTop, kUp), spot(1, 2, 1, kTop));
  // Right off the front's right column onto the side turned to the camera.
  EXPECT_EQ(stepCursor(view, spot(2, 1, 2, kFront), kRight), spot(2, 1, 2, kRightSide));
  // And back down off the top onto the front.
  EXPECT_EQ(stepCursor(view, spot(1, 2, 2, kTop), kDown), spot(1, 2, 2, kFront));
}

TEST(BlockCursorWalk, AStepOntoAFaceTurnedAwayLeavesTheCursorWhereItWas) {
  const glm::ivec3 dims(3, 3, 3);
  // Straight from the front: both sides edge-on, the bottom and the back out of sight.
  const BlockView view = viewOf(dims, fullBlock(dims), 0, 0.3f);
  for (const CursorSpot edge : {spot(2, 1, 2, kFront), spot(0, 0, 2, kFront), spot(1, 0, 2, kFront)}) {
    const glm::ivec2 outwards = edge.cell.x == 2 ? kRight : edge.cell.x == 0 ? kLeft : kDown;
    EXPECT_EQ(stepCursor(view, edge, outwards), edge);
  }
  // Up across the top to its far edge, where the back face is turned away.
  EXPECT_EQ(stepCursor(view, spot(1, 2, 0, kTop), kUp), spot(1, 2, 0, kTop));
}

TEST(BlockCursorWalk, IntoAHollowTheCursorClimbsTheWallRisingBeside) {
  // A step: three cubes in a row and a fourth on the right-hand one, seen
  // from the left so that the step's wall faces the camera.
  const Cells cells = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}};
  const BlockView view = viewOf({3, 2, 1}, cells, -0.6f, 0.5f);
  const CursorSpot wall = stepCursor(view, spot(1, 0, 0, kTop), kRight);
  EXPECT_EQ(wall, spot(2, 1, 0, kLeftSide));
  // Up the wall and over its top edge.
  EXPECT_EQ(stepCursor(view, wall, kUp), spot(2, 1, 0, kTop));
}

TEST(BlockCursorWalk, TheScreensRightIsWhicheverWayTheBlockIsTurned) {
  const glm::ivec3 dims(3, 3, 3);
  const Cells cells = fullBlock(dims);
  const CursorSpot top = spot(1, 2, 1, kTop);
  // From the front the screen's right runs along +x; from +x along -z; from
  // behind along -x; from -x along +z.
  EXPECT_EQ(stepCursor(viewOf(dims, cells, 0, 0.6f), top, kRight), spot(2, 2, 1, kTop));
  EXPECT_EQ(stepCursor(viewOf(dims, cells, kPi / 2, 0.6f), top, kRight), spot(1, 2, 0, kTop));
  EXPECT_EQ(stepCursor(viewOf(dims, cells, kPi, 0.6f), top, kRight), spot(0, 2, 1, kTop));
  EXPECT_EQ(stepCursor(viewOf(dims, cells, -kPi / 2, 0.6f), top, kRight), spot(1, 2, 2, kTop));
  // Up on the screen runs away from the eye across the top.
  EXPECT_EQ(stepCursor(viewOf(dims, cells, kPi / 2, 0.6f), top, kUp), spot(0, 2, 1, kTop));
}

TEST(BlockCursorWalk, AGapIsCrossedToThePartOfTheBlockThatLiesThatWayOnScreen) {
  const Cells cells = {{0, 0, 0}, {2, 0, 0}};
  const BlockView view = viewOf({3, 1, 1}, cells, 0, 0.3f);
  EXPECT_EQ(stepCursor(view, spot(0, 0, 0, kFront), kRight), spot(2, 0, 0, kFront));
  EXPECT_EQ(stepCursor(view, spot(2, 0, 0, kFront), kLeft), spot(0, 0, 0, kFront));
  // Nothing further right: it stays.
  EXPECT_EQ(stepCursor(view, spot(2, 0, 0, kFront), kRight), spot(2, 0, 0, kFront));
}

TEST(BlockCursorSight, AFaceHiddenBehindAnotherCubeIsNotSeen) {
  // Two cubes one behind the other with a gap between, seen from the front.
  const Cells cells = {{0, 0, 0}, {0, 0, 2}};
  const BlockView view = viewOf({1, 1, 3}, cells, 0, 0.05f, 30);
  EXPECT_TRUE(seen(view, spot(0, 0, 2, kFront)));
  EXPECT_FALSE(seen(view, spot(0, 0, 0, kFront)));  // open, turned to the eye, but behind
  EXPECT_FALSE(seen(view, spot(0, 0, 1, kFront)));  // no cube there
  EXPECT_FALSE(seen(view, spot(0, 0, 2, {0, 0, -1})));
  EXPECT_EQ(nearestSeen(view, {0.5f, 0.5f}), spot(0, 0, 2, kFront));
}

TEST(BlockCursorSight, ACubeIsSeenByTheFaceTurnedMostSquarelyToTheEye) {
  const glm::ivec3 dims(3, 3, 3);
  const Cells cells = fullBlock(dims);
  // The top front right corner shows three faces.
  EXPECT_EQ(seenFace(viewOf(dims, cells, 0.1f, 0.2f), {2, 2, 2}), spot(2, 2, 2, kFront));
  EXPECT_EQ(seenFace(viewOf(dims, cells, 0.1f, 1.2f), {2, 2, 2}), spot(2, 2, 2, kTop));
  EXPECT_EQ(seenFace(viewOf(dims, cells, 1.4f, 0.2f), {2, 2, 2}), spot(2, 2, 2, kRightSide));
  EXPECT_EQ(seenFace(viewOf(dims, cells, 0.1f, 0.2f), {1, 1, 1}), std::nullopt);  // buried
}

}  // namespace
}  // namespace sorvel
