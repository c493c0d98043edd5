#include <algorithm>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

void setPreference(Game& game, bool Preferences::*which, bool on) {
  Preferences p = game.preferences();
  p.*which = on;
  game.setPreferences(p);
}

bool atGoal(const Camera& c) {
  return c.yaw == c.goalYaw && c.pitch == c.goalPitch && c.dist == c.goalDist && c.target == c.goalTarget &&
         c.zoom == c.goalZoom;
}

bool patterned(const CubeInst& cube) { return (cube.clues.w & kCubePatternMarks) != 0; }

TEST(PatternMarks, OnlyTheOpenBlocksCubesCarryTheFlagAndNothingElseChanges) {
  Rig rig;
  auto game = rig.start();
  game->demo("patterns:play:1:0:2");  // turned on, then the block opened with two marks
  ASSERT_TRUE(game->patternMarks());
  ASSERT_EQ(game->current(), 1);
  game->act(0, Tool::carve);  // a mistake: marked and flashing
  // Before any tick every block still stands, so the frame holds them all.
  const Frame marked = game->frame();
  setPreference(*game, &Preferences::patternMarks, false);
  const Frame plain = game->frame();
  EXPECT_FALSE(std::ranges::any_of(plain.cubes, patterned));
  ASSERT_EQ(marked.cubes.size(), plain.cubes.size());
  int open = 0;
  for (std::size_t i = 0; i < marked.cubes.size(); ++i) {
    const CubeInst& a = plain.cubes[i];
    const CubeInst& b = marked.cubes[i];
    const bool inOpen = b.origin.x == game->slot(1).origin.x && b.origin.z == game->slot(1).origin.z;
    open += inOpen;
    EXPECT_EQ(patterned(b), inOpen) << "cube " << i;
    EXPECT_EQ(b.clues.w & ~kCubePatternMarks, a.clues.w);
    EXPECT_TRUE(glm::uvec3(b.clues) == glm::uvec3(a.clues) && b.anim == a.anim && b.posScale == a.posScale &&
                b.nbr == a.nbr);
  }
  EXPECT_GT(open, 0);
  EXPECT_LT(open, static_cast<int>(marked.cubes.size()));

  // On the table no block is open, so none is patterned.
  setPreference(*game, &Preferences::patternMarks, true);
  game->goHome(false);
  EXPECT_FALSE(std::ranges::any_of(game->frame().cubes, patterned));
}

TEST(ReducedMotion, EveryFlightLandsOnTheNextTickAndNothingMovingIsStill) {
  Rig rig;
  auto eased = rig.start();
  auto calm = rig.start();
  setPreference(*calm, &Preferences::reducedMotion, true);
  runFor(*eased, 3);
  runFor(*calm, 3);
  EXPECT_EQ(eased->motion(), Motion::ambient) << "the table's sway";
  EXPECT_EQ(calm->motion(), Motion::still) << "a table that holds still";
  for (Game* game : {eased.get(), calm.get()}) {
    game->open(1);
    game->tick(1.0 / 60);
  }
  EXPECT_FALSE(atGoal(eased->camera())) << "without the preference the camera flies";
  EXPECT_TRUE(atGoal(calm->camera()));
  // What is left is the blocks sinking and the clues fading in, then nothing.
  runFor(*calm, 2);
  EXPECT_EQ(calm->motion(), Motion::still);

  calm->zoomBy(1.3f);
  calm->drag({40, -30});
  calm->tick(1.0 / 60);
  EXPECT_TRUE(atGoal(calm->camera()));
  calm->goHome(true);
  calm->tick(1.0 / 60);
  EXPECT_TRUE(atGoal(calm->camera()));
  EXPECT_EQ(calm->camera().zoom, 1.0f);
}

TEST(ReducedMotion, CarvesDoNotShakeButFlashAndSoundAndTouchesLeaveNoRipple) {
  Rig rig;
  auto game = rig.start();
  setPreference(*game, &Preferences::reducedMotion, true);
  game->open(1);
  rig.heard.clear();
  const Slot& boat = game->slot(1);
  game->act(0, Tool::carve);  // a figure cube: a mistake
  EXPECT_EQ(boat.shake[0], 0.0f);
  EXPECT_EQ(boat.flash[0], 1.0f);
  EXPECT_EQ(game->motion(), Motion::moving) << "the red flash";
  game->act(0, Tool::carve);  // now marked: refused
  EXPECT_EQ(boat.shake[0], 0.0f);
  EXPECT_EQ(rig.kinds(), (std::vector<SoundKind>{SoundKind::error, SoundKind::tick}));
  runFor(*game, 2);  // the other blocks sink meanwhile
  EXPECT_EQ(game->motion(), Motion::still);

  const auto revision = game->revision();
  game->showTouch({0.5f, 0.5f});
  EXPECT_FALSE(game->touchFX().has_value());
  EXPECT_EQ(game->revision(), revision);

  // Turned off again, the same refusal shakes and a touch ripples.
  setPreference(*game, &Preferences::reducedMotion, false);
  game->act(0, Tool::carve);
  EXPECT_GT(boat.shake[0], 0.0f);
  game->showTouch({0.5f, 0.5f});
  EXPECT_TRUE(game->touchFX().has_value());
}

}  // namespace
}  // namespace sorvel::test
