#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

TEST(Screens, WithoutPersistenceTheGameStartsFreshOnTheTableAndNeverTouchesTheStore) {
  Rig rig;
  rig.store().setString("sorvel.state.barco", std::string(18, '2'));
  rig.store().setStringList("sorvel.solved", {"barco"});
  auto game = rig.start(/*persist=*/false);
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_FALSE(game->current());
  EXPECT_TRUE(game->solvedIDs().empty());
  EXPECT_EQ(slotAt(*game, 1).puzzle.remainingToCarve(), 9);

  // A whole solve leaves the store as it was.
  game->open(2);
  game->act(slotAt(*game, 2), 1, Tool::carve);
  game->goHome(true);
  EXPECT_FALSE(rig.store().contains("sorvel.state.pieza"));
  EXPECT_FALSE(rig.store().contains("sorvel.launched"));
  EXPECT_EQ(rig.store().stringList("sorvel.solved"), std::vector<std::string>{"barco"});
}

TEST(Screens, FirstLaunchOpensTheTutorialAndTheSecondStaysOnTheTable) {
  Rig rig;
  {
    auto first = rig.start(true);
    EXPECT_EQ(first->screen(), Screen::playing);
    EXPECT_EQ(first->current(), 0);
    EXPECT_TRUE(rig.store().boolean("sorvel.launched"));
  }
  auto second = rig.start(true);
  EXPECT_EQ(second->screen(), Screen::home);
  EXPECT_FALSE(second->current());
}

TEST(Screens, FirstLaunchWithTheTutorialAlreadySolvedStaysOnTheTableButStoresTheFlag) {
  Rig rig;
  rig.store().setStringList("sorvel.solved", {"tutorial"});
  auto game = rig.start(true);
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_TRUE(rig.store().boolean("sorvel.launched"));
}

TEST(Screens, ResetBehavesAsAFirstLaunchWithEveryPuzzleFresh) {
  Rig rig;
  {
    auto game = rig.start(true);
    game->goHome(false);
    game->open(2);
    game->act(slotAt(*game, 2), 1, Tool::carve);
    game->goHome(false);
  }
  rig.store().removeAll();
  auto game = rig.start(true);
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->current(), 0);
  EXPECT_TRUE(game->solvedIDs().empty());
  EXPECT_EQ(stateOf(*game, 2, 1), CellState::solid);
}

TEST(Screens, OpeningPlaysOrShowsTheSolvedFigureByTheSolvedSetAndTheCells) {
  Rig rig;
  auto game = rig.start();
  Slot& peg = slotAt(*game, 2);

  // Cells all carved but not in the solved set: playing.
  peg.puzzle.state[1] = CellState::broken;
  game->open(2);
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->revealT, -1);
  game->goHome(false);

  // In the solved set but a cube put back: playing too.
  game->setSolvedIDs({"pieza"});
  peg.puzzle.state[1] = CellState::solid;
  game->open(2);
  EXPECT_EQ(game->screen(), Screen::playing);
  game->goHome(false);

  peg.puzzle.state[1] = CellState::broken;
  peg.puzzle.elapsed = 12.5;
  rig.heard.clear();
  game->open(2);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(game->revealT, 100);
  EXPECT_TRUE(game->revealCard());
  EXPECT_EQ(game->lastTime(), 12.5);
  EXPECT_FALSE(game->guide());
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::whoosh});
  EXPECT_FLOAT_EQ(game->camera.goalDist, game->fitDistance(peg) * 1.15f);
  EXPECT_FLOAT_EQ(game->camera.goalYaw, 0.55f);
  EXPECT_FLOAT_EQ(game->camera.goalPitch, 0.32f);
}

TEST(Screens, GoingHomeSnapsQuietlyOrGlidesWithAWhoosh) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  runFor(*game, 1);
  rig.heard.clear();
  game->goHome(false);
  EXPECT_TRUE(rig.heard.empty());
  EXPECT_EQ(game->camera.yaw, game->camera.goalYaw);
  EXPECT_EQ(game->camera.pitch, game->camera.goalPitch);
  EXPECT_EQ(game->camera.dist, game->camera.goalDist);
  EXPECT_EQ(game->camera.target, game->camera.goalTarget);
  EXPECT_EQ(game->camera.goalTarget, glm::vec3(0, 5, 0));
  EXPECT_EQ(game->camera.goalDist, game->homeDistance());

  game->open(1);
  rig.heard.clear();
  const float distBefore = game->camera.dist;
  game->goHome(true);
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::whoosh});
  EXPECT_EQ(game->camera.dist, distBefore);  // eases there over the next ticks
  EXPECT_EQ(game->peel(), 0);
  EXPECT_FALSE(game->current());
}

TEST(Screens, NextPuzzleWrapsAndSavesTheBlockItLeaves) {
  Rig rig;
  auto game = rig.start(true);
  game->nextPuzzle();  // from the tutorial opened at first launch
  EXPECT_EQ(game->current(), 1);
  game->goHome(false);
  game->open(3);
  slotAt(*game, 3).puzzle.elapsed = 4;
  game->nextPuzzle();
  EXPECT_EQ(game->current(), 0);
  EXPECT_EQ(rig.store().number("sorvel.time.torre"), 4);

  game->goHome(false);
  game->nextPuzzle();
  EXPECT_EQ(game->screen(), Screen::home);
}

TEST(Screens, RestartingASolvedBlockGivesAFreshBlockInPlay) {
  Rig rig;
  auto game = rig.start(true);
  game->goHome(false);
  game->open(1);
  Slot& boat = slotAt(*game, 1);
  game->act(boat, 0, Tool::carve);  // a figure cube: one mistake
  while (game->autoCarveStep()) {
  }
  ASSERT_EQ(game->screen(), Screen::solved);
  ASSERT_TRUE(game->solvedIDs().contains("barco"));
  runFor(*game, 3);

  game->restartCurrent();
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->mistakes(), 0);
  EXPECT_EQ(boat.puzzle.mistakes, 0);
  EXPECT_EQ(boat.puzzle.elapsed, 0);
  EXPECT_EQ(boat.puzzle.remainingToCarve(), 9);
  EXPECT_FALSE(game->solvedIDs().contains("barco"));
  for (float t : boat.popT) EXPECT_EQ(t, -1);
  for (float t : boat.breakT) EXPECT_EQ(t, -1);
  rig.store().flush();
  EXPECT_EQ(rig.store().string("sorvel.state.barco"), std::string(18, '0'));
  EXPECT_EQ(rig.store().stringList("sorvel.solved"), std::vector<std::string>{});
}

TEST(Screens, TitlesAndCountsLeaveTheTutorialOut) {
  Rig rig;
  auto game = rig.start();
  EXPECT_EQ(game->playTitle(), "");
  EXPECT_EQ(game->currentName(), "");
  EXPECT_EQ(game->figureCount(), 3);
  game->open(0);
  EXPECT_EQ(game->playTitle(), "Aprende a tallar");
  game->open(2);
  EXPECT_EQ(game->playTitle(), "Figura 2 de 3");
  EXPECT_EQ(game->currentName(), "pieza");  // no Spanish name: the id
  game->open(3);
  EXPECT_EQ(game->currentName(), "Torre");

  game->setSolvedIDs({"tutorial", "barco", "gone"});
  EXPECT_EQ(game->solvedCount(), 1);
}

}  // namespace
}  // namespace sorvel::test
