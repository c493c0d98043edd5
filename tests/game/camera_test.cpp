#include <cmath>
#include <glm/geometric.hpp>
#include <numbers>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

TEST(Camera, TheProjectionMapsTheNearAndFarPlanesToDepthZeroAndOne) {
  Rig rig;
  auto game = rig.start();
  game->camera.yaw = 0.7f;
  game->camera.pitch = 0.4f;
  game->camera.target = {1, 2, 3};
  const glm::vec3 eye = game->eye();
  const glm::vec3 forward = glm::normalize(game->camera.target - eye);
  auto clip = [&](float distance) { return game->viewProj() * glm::vec4(eye + forward * distance, 1); };
  EXPECT_NEAR(clip(0.5f).z / clip(0.5f).w, 0, 1e-4);
  EXPECT_NEAR(clip(300).z / clip(300).w, 1, 1e-4);
  // The target sits in the middle of the view.
  EXPECT_NEAR(viewPoint(*game, game->camera.target).x, 0.5f, 1e-5);
  EXPECT_NEAR(viewPoint(*game, game->camera.target).y, 0.5f, 1e-5);
  // Points above the target appear higher up the view.
  EXPECT_LT(viewPoint(*game, game->camera.target + glm::vec3(0, 1, 0)).y, 0.5f);

  game->camera.zoom = 1.6f;
  EXPECT_NEAR(glm::distance(game->eye(), game->camera.target), 1.6f * game->camera.dist, 1e-3);
}

TEST(Camera, SmallAspectChangesAreIgnoredAndPortraitStartsBelowPointNine) {
  Rig rig({tutorialPuzzle(), boatPuzzle(), pegPuzzle()});
  auto game = rig.start();
  const float dist = game->camera.dist;
  game->viewportChanged(1.6f + 0.0009f);
  EXPECT_EQ(game->camera.aspect, 1.6f);
  EXPECT_EQ(game->camera.dist, dist);

  game->viewportChanged(0.9f);
  EXPECT_FALSE(game->portrait);
  game->viewportChanged(1.6f);
  game->chips.push_back(Chip{.life = 1});
  game->viewportChanged(0.8999f);
  EXPECT_TRUE(game->portrait);
  EXPECT_TRUE(game->chips.empty());
  // Three blocks zig-zag along z, 10.5 apart.
  EXPECT_FLOAT_EQ(slotAt(*game, 0).center.x, -2.6f);
  EXPECT_FLOAT_EQ(slotAt(*game, 1).center.x, 2.6f);
  EXPECT_FLOAT_EQ(slotAt(*game, 2).center.x, -2.6f);
  EXPECT_FLOAT_EQ(slotAt(*game, 0).center.z, -10.5f);
  EXPECT_FLOAT_EQ(slotAt(*game, 1).center.z, 0);
  EXPECT_FLOAT_EQ(slotAt(*game, 2).center.z, 10.5f);
  EXPECT_EQ(slotAt(*game, 1).origin, glm::vec3(2.6f - 1.5f, 0.44f, -1.5f));
  // On the table the camera stands on the portrait view at once.
  EXPECT_EQ(game->camera.target, glm::vec3(0, 1.9f, 2));
  EXPECT_EQ(game->camera.dist, game->homeDistance());
  EXPECT_GE(game->homeDistance(), 20);

  // A window with no height reports nonsense: the last good shape stays.
  game->viewportChanged(std::nanf(""));
  game->viewportChanged(0);
  EXPECT_FLOAT_EQ(game->camera.aspect, 0.8999f);
}

TEST(Camera, TheLandscapeRowIsCentredWithGapsBetweenPlinths) {
  Rig one({pegPuzzle()});
  auto single = one.start();
  const float r = slotAt(*single, 0).plinthRadius;
  EXPECT_FLOAT_EQ(r, std::sqrt(1.0f + 4.0f) * 0.5f + 0.55f);
  EXPECT_NEAR(slotAt(*single, 0).center.x, 0, 1e-6);
  EXPECT_FLOAT_EQ(single->homeWidth, 2 * r + 3);
  EXPECT_EQ(single->homeDistance(), 30);  // a narrow table is held at the floor

  Rig two({boatPuzzle(), towerPuzzle()});
  auto game = two.start();
  const Slot& a = slotAt(*game, 0);
  const Slot& b = slotAt(*game, 1);
  EXPECT_FLOAT_EQ(b.center.x - a.center.x, 2.2f + a.plinthRadius + b.plinthRadius);
  EXPECT_NEAR(a.center.x - a.plinthRadius, -(b.center.x + b.plinthRadius), 1e-5);
  EXPECT_EQ(b.origin, glm::vec3(b.center.x - 1, 0.44f, -1));
  EXPECT_FLOAT_EQ(b.center.y, 0.44f + 1.5f);
}

TEST(Camera, PlayFramingRaisesTheTutorialAndLowersOtherBlocks) {
  Rig rig;
  auto game = rig.start();
  const Slot& tutorial = slotAt(*game, 0);
  const Slot& tower = slotAt(*game, 3);  // no tutorial field
  const float tanHalf = std::tan(game->camera.vfov / 2);

  game->open(0);
  EXPECT_FLOAT_EQ(game->camera.goalDist, game->fitDistance(tutorial) * 1.1f);
  EXPECT_FLOAT_EQ(game->camera.goalTarget.y, tutorial.center.y + game->fitDistance(tutorial) * 1.1f * 0.18f * tanHalf);
  EXPECT_EQ(game->camera.zoom, 1);

  game->camera.zoom = 1.4f;
  game->open(3);
  EXPECT_EQ(game->camera.zoom, 1);
  EXPECT_FLOAT_EQ(game->camera.goalDist, game->fitDistance(tower));
  EXPECT_EQ(game->camera.goalTarget, tower.center + glm::vec3(0, -0.45f, 0));
  EXPECT_FLOAT_EQ(game->camera.goalYaw, 0.55f);
  EXPECT_FLOAT_EQ(game->camera.goalPitch, 0.42f);

  // Turning the window tall re-frames the open block at once.
  game->viewportChanged(0.6f);
  EXPECT_FLOAT_EQ(game->camera.goalDist, game->fitDistance(tower));
  EXPECT_EQ(game->camera.target, game->playTarget(tower));
  const float radius = std::sqrt(2.0f * 2 + 3 * 3 + 2 * 2) * 0.5f + 0.4f;
  const float hfov = 2 * std::atan(tanHalf * 0.6f);
  EXPECT_FLOAT_EQ(game->fitDistance(tower), radius / std::sin(hfov / 2) * 0.98f);
}

TEST(Camera, DraggingTurnsTheBlockAtOnceButOnlyNudgesTheTable) {
  Rig rig;
  auto game = rig.start();
  game->drag({1000, 1000});
  EXPECT_FLOAT_EQ(game->camera.goalYaw, 0.5f);
  EXPECT_FLOAT_EQ(game->camera.goalPitch, 0.3f);
  EXPECT_EQ(game->camera.yaw, 0);  // eases there

  game->open(1);
  const float yaw = game->camera.goalYaw;
  game->drag({1000, 0});
  EXPECT_FLOAT_EQ(game->camera.goalYaw, yaw + 8.5f);
  EXPECT_EQ(game->camera.yaw, game->camera.goalYaw);
  game->drag({0, 1000});
  EXPECT_FLOAT_EQ(game->camera.pitch, 1.25f);
  game->drag({0, -5000});
  EXPECT_FLOAT_EQ(game->camera.pitch, 0.05f);
}

}  // namespace
}  // namespace sorvel::test
