#include <algorithm>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

bool atGoal(const Camera& c) {
  return c.yaw == c.goalYaw && c.pitch == c.goalPitch && c.dist == c.goalDist && c.target == c.goalTarget &&
         c.zoom == c.goalZoom;
}

bool patterned(const CubeInst& cube) { return (cube.clues.w & kCubePatternMarks) != 0; }

bool ofSlot(const CubeInst& cube, const Slot& slot) {
  return cube.origin.x == slot.origin.x && cube.origin.z == slot.origin.z;
}

TEST(PatternMarks, OnlyTheOpenBlocksCubesCarryTheFlagAndNothingElseChanges) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  game->act(0, Tool::carve);  // a mistake: marked and flashing
  game->act(4, Tool::mark);
  // Before any tick every block still stands, so the frame holds them all.
  const Frame plain = game->frame();
  EXPECT_FALSE(std::ranges::any_of(plain.cubes, patterned));

  game->setPatternMarks(true);
  EXPECT_TRUE(game->patternMarks());
  const Frame marked = game->frame();
  ASSERT_EQ(marked.cubes.size(), plain.cubes.size());
  int open = 0;
  for (std::size_t i = 0; i < marked.cubes.size(); ++i) {
    const CubeInst& a = plain.cubes[i];
    const CubeInst& b = marked.cubes[i];
    const bool inOpen = ofSlot(b, game->slot(1));
    open += inOpen;
    EXPECT_EQ(patterned(b), inOpen) << "cube " << i;
    // The flag is the only difference the preference makes.
    EXPECT_EQ(b.clues.w & ~kCubePatternMarks, a.clues.w);
    EXPECT_EQ(glm::uvec3(b.clues), glm::uvec3(a.clues));
    EXPECT_EQ(b.anim, a.anim);
    EXPECT_EQ(b.posScale, a.posScale);
    EXPECT_EQ(b.nbr, a.nbr);
  }
  EXPECT_GT(open, 0);
  EXPECT_LT(open, static_cast<int>(marked.cubes.size()));

  // On the table no block is open, so none is patterned.
  game->goHome(false);
  EXPECT_FALSE(std::ranges::any_of(game->frame().cubes, patterned));
  game->open(2);
  game->setPatternMarks(false);
  EXPECT_FALSE(std::ranges::any_of(game->frame().cubes, patterned));
}

TEST(PatternMarks, TheDemoCommandTurnsThemOnAndRunsTheCommandAfterIt) {
  Rig rig;
  auto game = rig.start();
  game->demo("patterns:play:1:0:2");
  EXPECT_TRUE(game->patternMarks());
  EXPECT_EQ(game->current(), 1);
  EXPECT_EQ(std::ranges::count(game->slot(1).puzzle.state, CellState::marked), 2);

  auto alone = rig.start();
  alone->demo("patterns");
  EXPECT_TRUE(alone->patternMarks());
  EXPECT_EQ(alone->screen(), Screen::home);
}

TEST(ReducedMotion, EveryFlightLandsOnTheNextTick) {
  Rig rig;
  auto eased = rig.start();
  auto calm = rig.start();
  calm->setReducedMotion(true);
  EXPECT_TRUE(calm->reducedMotion());
  for (Game* game : {eased.get(), calm.get()}) {
    game->tick(1.0 / 60);
    game->open(1);
    game->tick(1.0 / 60);
  }
  EXPECT_FALSE(atGoal(eased->camera())) << "without the preference the camera flies";
  EXPECT_TRUE(atGoal(calm->camera()));

  calm->zoomBy(1.3f);
  calm->drag({40, -30});
  calm->tick(1.0 / 60);
  EXPECT_TRUE(atGoal(calm->camera()));

  calm->goHome(true);
  calm->tick(1.0 / 60);
  EXPECT_TRUE(atGoal(calm->camera()));
  EXPECT_EQ(calm->camera().zoom, 1.0f);
  // The table holds still instead of swaying.
  runFor(*calm, 3);
  EXPECT_TRUE(atGoal(calm->camera()));
  EXPECT_EQ(calm->homeSway(), 0.0f);
}

TEST(ReducedMotion, CarvesDoNotShakeButStillFlashAndSound) {
  Rig rig;
  auto game = rig.start();
  game->setReducedMotion(true);
  game->open(1);
  rig.heard.clear();
  const Slot& boat = game->slot(1);

  game->act(0, Tool::carve);  // a figure cube: a mistake
  EXPECT_EQ(boat.shake[0], 0.0f);
  EXPECT_EQ(boat.flash[0], 1.0f);
  game->act(0, Tool::carve);  // now marked: refused
  EXPECT_EQ(boat.shake[0], 0.0f);
  EXPECT_EQ(rig.kinds(), (std::vector<SoundKind>{SoundKind::error, SoundKind::tick}));
  for (const CubeInst& cube : game->frame().cubes) EXPECT_EQ(cube.anim.x, 0.0f);

  // Turned off again, the same refusal shakes.
  game->setReducedMotion(false);
  game->act(0, Tool::carve);
  EXPECT_GT(boat.shake[0], 0.0f);
}

TEST(ReducedMotion, TouchesLeaveNoRipple) {
  Rig rig;
  auto game = rig.start();
  game->setReducedMotion(true);
  const auto revision = game->revision();
  game->showTouch({0.5f, 0.5f});
  EXPECT_FALSE(game->touchFX().has_value());
  EXPECT_EQ(game->revision(), revision);

  game->setReducedMotion(false);
  game->showTouch({0.5f, 0.5f});
  EXPECT_TRUE(game->touchFX().has_value());
}

TEST(ReducedMotion, NothingMovingIsStillEvenOnTheTable) {
  Rig rig;
  auto swaying = rig.start();
  auto calm = rig.start();
  calm->setReducedMotion(true);
  runFor(*swaying, 3);
  runFor(*calm, 3);
  EXPECT_EQ(swaying->motion(), Motion::ambient);
  EXPECT_EQ(calm->motion(), Motion::still);

  // The camera lands at once; what is left is the blocks sinking and the
  // clues fading in, and then nothing.
  calm->open(1);
  calm->tick(1.0 / 60);
  EXPECT_TRUE(atGoal(calm->camera()));
  runFor(*calm, 2);
  EXPECT_EQ(calm->motion(), Motion::still);
  calm->act(0, Tool::carve);
  EXPECT_EQ(calm->motion(), Motion::moving) << "the red flash";
  runFor(*calm, 1);
  EXPECT_EQ(calm->motion(), Motion::still);
}

}  // namespace
}  // namespace sorvel::test
