#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>

#include "game_fixture.hpp"
#include "puzzle/library.hpp"

namespace sorvel::test {
namespace {

TEST(Launch, WithoutPersistenceTheStoreIsNeitherReadNorWritten) {
  Rig rig;
  rig.store->setString("sorvel.state.barco", std::string(18, '2'));
  rig.store->setStringList("sorvel.solved", {"barco"});
  auto game = rig.start(/*persist=*/false);
  EXPECT_EQ(game->screen(), Screen::home);  // not even a first launch
  EXPECT_TRUE(game->solvedIDs().empty());
  EXPECT_EQ(game->slot(1).puzzle.remainingToCarve(), 9);

  game->open(2);
  game->act(1, Tool::carve);
  game->nextPuzzle();
  game->saveOpenPuzzle();
  game->goHome(true);
  EXPECT_FALSE(rig.store->contains("sorvel.state.pieza"));
  EXPECT_FALSE(rig.store->contains("sorvel.launched"));
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{"barco"});
}

TEST(Launch, FirstLaunchOpensTheTutorialAndTheSecondStaysOnTheTable) {
  Rig rig;
  {
    auto first = rig.start(true);
    EXPECT_EQ(first->screen(), Screen::playing);
    EXPECT_EQ(first->current(), 0);
  }
  rig.reopenStore();
  auto second = rig.start(true);
  EXPECT_EQ(second->screen(), Screen::home);
  EXPECT_FALSE(second->current());
}

TEST(Launch, TheTutorialCardsDoneActionHidesItAndRemembersItWasSeen) {
  Rig rig;
  auto game = rig.start(true);
  game->showTutorialCard();
  EXPECT_TRUE(game->showTutorial());
  EXPECT_FALSE(rig.store->boolean("sorvel.tutorialSeen"));
  game->dismissTutorialCard();
  EXPECT_FALSE(game->showTutorial());
  EXPECT_TRUE(rig.store->boolean("sorvel.tutorialSeen"));
}

TEST(Screens, NextPuzzleWrapsAroundAndSavesTheBlockItLeaves) {
  Rig rig;
  auto game = rig.start(true);  // on the tutorial, as at every first launch
  game->nextPuzzle();
  game->nextPuzzle();
  EXPECT_EQ(game->current(), 2);
  runFor(*game, 0.5);
  game->nextPuzzle();
  EXPECT_EQ(game->current(), 0);
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_GT(game->slot(2).puzzle.elapsed, 0.4);
  EXPECT_EQ(rig.store->number("sorvel.time.pieza"), game->slot(2).puzzle.elapsed);

  game->goHome(false);
  game->nextPuzzle();
  EXPECT_EQ(game->screen(), Screen::home);
}

TEST(Screens, OpeningAnotherBlockStraightFromPlaySavesThePlayTimeOfTheOneItLeaves) {
  Rig rig;
  auto game = rig.start(true);
  game->open(1);
  runFor(*game, 0.5);
  game->open(2);
  EXPECT_GT(game->slot(1).puzzle.elapsed, 0.4);
  EXPECT_EQ(rig.store->number("sorvel.time.barco"), game->slot(1).puzzle.elapsed);
}

TEST(Screens, RestartingASolvedBlockGivesAFreshBlockInPlay) {
  Rig rig;
  auto game = rig.start(true);
  game->open(1);
  const Slot& boat = game->slot(1);
  game->act(0, Tool::carve);  // a figure cube: one mistake
  while (game->autoCarveStep()) {
  }
  ASSERT_EQ(game->screen(), Screen::solved);
  runFor(*game, 3);

  game->restartCurrent();
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->mistakes(), 0);
  EXPECT_EQ(boat.puzzle.elapsed, 0);
  EXPECT_EQ(boat.puzzle.remainingToCarve(), 9);
  EXPECT_TRUE(std::ranges::all_of(boat.popT, [](float t) { return t == -1; }));
  EXPECT_FALSE(game->solvedIDs().contains("barco"));
  EXPECT_EQ(rig.store->string("sorvel.state.barco"), std::string(18, '0'));
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{});
}

TEST(Screens, ThePlayClockCountsRealTimeOnlyInPlayAndInFront) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  const double& elapsed = game->slot(1).puzzle.elapsed;
  // A minute at five frames a second is a minute.
  for (int frame = 0; frame < 300; ++frame) game->tick(0.2);
  EXPECT_NEAR(elapsed, 60, 0.6);
  // A machine suspended mid-play adds only a moment.
  game->tick(3600);
  EXPECT_NEAR(elapsed, 60 + Game::kLongestPlayClockTick, 0.6);
  const double before = elapsed;
  // A clock that steps back or reads NaN once must not spoil the time for good.
  game->tick(-1);
  game->tick(std::nan(""));
  EXPECT_EQ(elapsed, before);
  EXPECT_TRUE(std::isfinite(game->time()));
  game->showTutorialCard();  // the tutorial card stops it
  game->tick(0.05);
  game->dismissTutorialCard();
  // So does a window in the background, while the block still animates.
  game->setPlayClockPaused(true);
  const float time = game->time();
  game->tick(0.05);
  EXPECT_GT(game->time(), time);
  game->setPlayClockPaused(false);
  game->tick(0.01);
  EXPECT_NEAR(elapsed, before + 0.01, 1e-7);
  game->goHome(false);
  game->tick(0.05);
  EXPECT_NEAR(elapsed, before + 0.01, 1e-7);
}

// Carves the peg's one surplus cube, which solves it.
void solvePeg(Game& game) {
  game.open(2);
  game.act(game.slot(2).puzzle.index(0, 0, 1), Tool::carve);
  ASSERT_EQ(game.screen(), Screen::solved);
}

TEST(Reveal, SlowFramesMoveEverythingAsQuickOnesDoAndTheCardRisesOnTime) {
  Rig rig;
  auto slow = rig.start();
  auto quick = rig.start();  // the same seed: the same chips
  solvePeg(*slow);
  solvePeg(*quick);
  // Five frames a second against twenty: the solved card rises at 2.3 s,
  // within one slow frame.
  double shownAt = 0;
  for (int frame = 1; frame <= 20 && !slow->revealCard(); ++frame) {
    slow->tick(0.2);
    for (int i = 0; i < 4; ++i) quick->tick(0.05);
    shownAt = frame * 0.2;
    if (frame == 3) {
      // The carve's chips fly and bounce as they would at a quicker rate.
      ASSERT_EQ(slow->chips().size(), quick->chips().size());
      ASSERT_FALSE(slow->chips().empty());
      for (size_t i = 0; i < slow->chips().size(); ++i) {
        EXPECT_NEAR(glm::distance(slow->chips()[i].pos, quick->chips()[i].pos), 0, 1e-3f) << "chip " << i;
      }
    }
  }
  EXPECT_GE(shownAt, 2.3 - 1e-6);
  EXPECT_LE(shownAt, 2.5 + 1e-6);
  EXPECT_TRUE(quick->revealCard());
  EXPECT_NEAR(slow->time(), quick->time(), 1e-4f);
  EXPECT_NEAR(slow->revealT(), quick->revealT(), 1e-4f);
  EXPECT_NEAR(slow->camera().yaw, quick->camera().yaw, 1e-4f);

  // A stall moves the animations a quarter of a second at most.
  const float before = slow->time();
  slow->tick(10);
  EXPECT_NEAR(slow->time() - before, Game::kLongestAnimatedTick, 1e-5f);
}

// The boat: cell 0 is a figure cube, cell 3 a surplus one.
class Carving : public ::testing::Test {
 protected:
  void SetUp() override {
    game = rig.start(true);
    game->open(1);
    rig.heard.clear();
  }
  char saved(int cell) { return rig.store->string("sorvel.state.barco").value_or("?").at(static_cast<size_t>(cell)); }

  Rig rig;
  std::unique_ptr<Game> game;
};

using Heard = std::vector<std::pair<SoundKind, float>>;

TEST_F(Carving, ASurplusCubeBreaksAndAFigureCubeIsAMistakeLeftMarked) {
  game->act(3, Tool::carve);
  EXPECT_EQ(stateOf(*game, 1, 3), CellState::broken);
  EXPECT_EQ(game->chips().size(), 5u);
  EXPECT_EQ(saved(3), '2');
  EXPECT_EQ(game->mistakes(), 0);

  game->act(0, Tool::carve);
  EXPECT_EQ(stateOf(*game, 1, 0), CellState::marked);
  EXPECT_EQ(game->chips().size(), 5u);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(rig.store->integer("sorvel.mistakes.barco"), 1);
  // Now marked, it is protected: a second carve is refused and not counted.
  game->act(0, Tool::carve);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(rig.heard, (Heard{{SoundKind::carve, 0.85f}, {SoundKind::error, 1.0f}, {SoundKind::tick, 1.0f}}));
}

TEST_F(Carving, MarksToggleAndARefusedCarveSavesNothing) {
  game->act(3, Tool::mark);
  EXPECT_EQ(saved(3), '1');
  rig.store->setString("sorvel.state.barco", "sentinel");
  game->act(3, Tool::carve);
  EXPECT_EQ(stateOf(*game, 1, 3), CellState::marked);
  EXPECT_EQ(rig.store->string("sorvel.state.barco"), "sentinel");
  game->act(3, Tool::mark);
  EXPECT_EQ(stateOf(*game, 1, 3), CellState::solid);
  EXPECT_EQ(saved(3), '0');

  game->act(5, Tool::carve);
  game->act(5, Tool::mark);  // a carved cube cannot be marked
  EXPECT_EQ(stateOf(*game, 1, 5), CellState::broken);
  EXPECT_EQ(rig.heard, (Heard{{SoundKind::mark, 0.7f},
                              {SoundKind::tick, 1.0f},
                              {SoundKind::unmark, 0.7f},
                              {SoundKind::carve, 0.85f}}));
}

TEST_F(Carving, AnActOutsideTheOpenBlockOrOffThePlayingScreenDoesNothing) {
  game->act(-1, Tool::carve);
  game->act(18, Tool::mark);
  EXPECT_EQ(rig.heard, Heard{});
  game->open(2);
  game->act(1, Tool::carve);  // the peg is solved
  game->act(0, Tool::carve);  // its figure cube, from the solved screen
  EXPECT_EQ(stateOf(*game, 2, 0), CellState::solid);
  EXPECT_EQ(game->mistakes(), 0);
}

TEST_F(Carving, TheLastSurplusCubeSolvesTheBlockAndTheRevealKeepsItsTimes) {
  const Slot& peg = game->slot(2);
  game->open(2);
  runFor(*game, 0.25);
  game->act(1, Tool::carve);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_GT(game->lastTime(), 0.2);
  EXPECT_EQ(game->lastTime(), peg.puzzle.elapsed);
  EXPECT_FALSE(game->revealCard());
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{"pieza"});
  EXPECT_EQ(rig.store->string("sorvel.state.pieza"), "02");  // the solving carve is saved too

  auto jingles = [&] { return std::ranges::count(rig.kinds(), SoundKind::solved); };
  float soundAt = -1, cardAt = -1;
  for (int i = 0; i < 400; ++i) {
    game->tick(0.01);
    if (soundAt < 0 && jingles() > 0) soundAt = game->revealT();
    if (cardAt < 0 && game->revealCard()) cardAt = game->revealT();
  }
  EXPECT_EQ(jingles(), 1);
  EXPECT_GE(soundAt, 0.55f);
  EXPECT_LT(soundAt, 0.56f);
  EXPECT_GE(cardAt, 2.3f);
  EXPECT_LT(cardAt, 2.31f);
  EXPECT_GE(peg.popT[0], 0);  // the figure cube popped, the carved one did not
  EXPECT_EQ(peg.popT[1], -1);

  // Opened again later it shows the card at once, without a second jingle.
  game->goHome(false);
  game->open(2);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_TRUE(game->revealCard());
  runFor(*game, 3);
  EXPECT_EQ(jingles(), 1);
}

TEST(Persistence, ProgressSurvivesARestartWithItsMistakesAndPlayTime) {
  Rig rig;
  {
    auto game = rig.start(true);
    game->open(1);
    game->act(3, Tool::carve);
    game->act(5, Tool::carve);
    game->act(0, Tool::carve);  // a mistake, left marked
    game->act(7, Tool::mark);
    runFor(*game, 2.5);
    game->saveOpenPuzzle();  // what the window does on quit
  }
  rig.reopenStore();
  auto game = rig.start(true);
  EXPECT_EQ(game->screen(), Screen::home);
  const Slot& boat = game->slot(1);
  EXPECT_EQ(boat.puzzle.encodeState(), "100202010000000000");
  EXPECT_EQ(boat.puzzle.mistakes, 1);
  EXPECT_NEAR(boat.puzzle.elapsed, 2.5, 0.02);
  EXPECT_EQ(boat.breakT[3], 10);  // shown long carved, not breaking again
  EXPECT_EQ(boat.mark[7], 1);
  game->open(1);
  EXPECT_EQ(game->mistakes(), 1);
}

// Two games open on one progress file each save the solved list as they
// know it; the one that saves last leaves out the other's solve.
TEST(Persistence, ABlockLeftWithNothingToCarveIsSolvedThoughTheListLostIt) {
  Rig rig;
  {
    auto game = rig.start(true);
    solvePeg(*game);
  }
  rig.store->setStringList("sorvel.solved", {});
  rig.reopenStore();
  auto game = rig.start(true);
  EXPECT_TRUE(game->solvedIDs().contains("pieza"));
  EXPECT_EQ(game->solvedCount(), 1);
  game->open(2);
  EXPECT_EQ(game->screen(), Screen::solved) << "a block with nothing to carve opened for play";
}

// The most progress a chapter can leave: the most blocks, cubes and the
// longest ids the loader allows, every cube of every block carved or marked
// by mistake and every block solved. It must stay far below the size at
// which the store would set the file aside as not its own.
TEST(Persistence, TheLargestChaptersProgressFitsTheStoreWithRoomToSpare) {
  const int side = Library::kMaxSide;
  std::vector<FixturePuzzle> blocks;
  for (int i = 0; i < Library::kMaxChapterBlocks; ++i) {
    std::string id = std::to_string(i) + "-";
    id.resize(Library::kMaxIdBytes, 'x');
    const glm::ivec3 size = i == 0 ? glm::ivec3(side) : i == 1 ? glm::ivec3(side, 3, side) : glm::ivec3(2, 3, 4);
    std::string solution(static_cast<size_t>(size.x * size.y * size.z), '0');
    for (size_t c = 0; c < solution.size(); c += 2) solution[c] = '1';
    blocks.push_back({id, size.x, size.y, size.z, solution});
  }
  Rig rig(blocks);
  long long cells = 0;
  {
    auto game = rig.start(true);
    for (int s = 0; s < game->slotCount(); ++s) {
      game->open(s);
      const Puzzle& p = game->slot(s).puzzle;
      cells += p.cellCount();
      // The figure's cubes first, each a mistake; the last surplus cube solves.
      for (int i = 0; i < p.cellCount(); ++i) {
        if (p.sol[static_cast<size_t>(i)]) game->act(i, Tool::carve);
      }
      for (int i = 0; i < p.cellCount(); ++i) {
        if (!p.sol[static_cast<size_t>(i)]) game->act(i, Tool::carve);
      }
      ASSERT_EQ(game->screen(), Screen::solved) << "block " << s;
      runFor(*game, 1);
      game->goHome(false);
    }
  }
  EXPECT_GT(cells, Library::kMaxChapterCells * 99 / 100);
  rig.reopenStore();
  const auto bytes = std::filesystem::file_size(rig.dir / "settings.json");
  EXPECT_LT(bytes, SettingsStore::kMaxFileBytes / 4);
  auto game = rig.start(true);
  EXPECT_EQ(game->solvedCount(), Library::kMaxChapterBlocks);
  EXPECT_EQ(game->slot(0).puzzle.mistakes, (side * side * side + 1) / 2);

  // That bound holds for every chapter only while one more block, a longer
  // id or one more cube is refused.
  blocks.push_back({"uno", 1, 1, 1, "1"});
  writeChapter(rig.dir.path(), blocks);
  EXPECT_THROW(Library::load(rig.dir.path()), LoadError);
  blocks.pop_back();
  blocks[2].id += "x";
  writeChapter(rig.dir.path(), blocks);
  EXPECT_THROW(Library::load(rig.dir.path()), LoadError);
  blocks[2].id.pop_back();
  blocks[1].Y = 4;  // 576 cubes more, past the chapter's limit
  blocks[1].solution.assign(static_cast<size_t>(side * 4 * side), '1');
  writeChapter(rig.dir.path(), blocks);
  EXPECT_THROW(Library::load(rig.dir.path()), LoadError);
}

}  // namespace
}  // namespace sorvel::test
