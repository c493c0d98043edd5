#include <gmock/gmock.h>

#include <cmath>
#include <limits>
#include <vector>

#include "game/game_fixture.hpp"
#include "game/game_test_access.hpp"
#include "soak/soak.hpp"
#include "soak/watch.hpp"

namespace sorvel::test {
namespace {

using soak::Change;
using soak::Watch;
using Access = GameTestAccess;

// The message of the first broken invariant, or nothing when all hold.
std::string momentFault(const Game& game) {
  try {
    soak::checkMoment(game);
    soak::checkFrame(game);
  } catch (const soak::Violation& v) {
    return v.what();
  }
  return {};
}

std::string stepFault(Watch& watch, const Game& game, const Change& change) {
  try {
    watch.step(game, change);
  } catch (const soak::Violation& v) {
    return v.what();
  }
  return {};
}

// The fixture chapter's boat is slot 1 (cell 0 figure, cell 3 surplus); the
// peg is slot 2 (cell 0 figure, cell 1 surplus).
TEST(SoakWatch, EveryInvariantHoldsThroughOrdinaryPlay) {
  Rig rig;
  auto game = rig.start(true);
  Watch watch(*game);
  auto step = [&](const Change& change) {
    ASSERT_EQ(stepFault(watch, *game, change), "");
    ASSERT_EQ(momentFault(*game), "");
  };
  game->open(1);
  step(Change::nothing());
  // A carve, a mistake, a refused carve of the marked cube, a mark and its undoing.
  for (auto [cell, tool] :
       {std::pair{3, Tool::carve}, {0, Tool::carve}, {0, Tool::carve}, {7, Tool::mark}, {7, Tool::mark}}) {
    game->act(cell, tool);
    step(Change::tap(tool));
  }
  for (double dt : {1.0 / 60, 0.0, 1e300, std::numeric_limits<double>::infinity()}) {
    game->tick(dt);
    step(Change::tick(dt));
  }
  game->setPeel(1);
  step(Change::nothing());
  game->restartCurrent();
  step(Change::restart());

  game->open(2);
  step(Change::nothing());
  game->act(1, Tool::carve);
  step(Change::tap(Tool::carve));
  EXPECT_EQ(game->screen(), Screen::solved);
  for (int i = 0; i < 300; ++i) {
    game->tick(1.0 / 60);
    step(Change::tick(1.0 / 60));
  }
  game->nextPuzzle();
  step(Change::nothing());
  EXPECT_EQ(watch.solves(), 1);
}

TEST(SoakWatch, CatchesABrokenMomentWhereverItLies) {
  Rig rig;
  auto faultAfter = [&](auto&& corrupt) {
    auto fresh = rig.start(false);
    fresh->open(1);
    corrupt(*fresh, Access::slot(*fresh, 1));
    return momentFault(*fresh);
  };
  EXPECT_THAT(faultAfter([](Game&, Slot& s) {
                s.puzzle.state[0] = CellState::broken;
                s.breakT[0] = 0;
              }),
              ::testing::HasSubstr("figure cube 0 was carved away"));
  EXPECT_THAT(faultAfter([](Game&, Slot& s) { s.puzzle.state[3] = static_cast<CellState>(7); }),
              ::testing::HasSubstr("invalid state 7"));
  EXPECT_THAT(faultAfter([](Game&, Slot& s) { s.puzzle.state[3] = CellState::broken; }),
              ::testing::HasSubstr("break clock"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::setSolvedIDs(g, {"barco"}); }),
              ::testing::HasSubstr("listed as solved with 9 surplus"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::setSolvedIDs(g, {"lost"}); }),
              ::testing::HasSubstr("not on the table"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::setMistakes(g, 4); }), ::testing::HasSubstr("shown mistakes"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::revealT(g) = 3; }),
              ::testing::HasSubstr("on the playing screen"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::camera(g).goalTarget.y = std::nanf(""); }),
              ::testing::HasSubstr("camera not finite"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::camera(g).pitch = 1.6f; }), ::testing::HasSubstr("pitch"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::camera(g).aspect = 0; }), ::testing::HasSubstr("aspect 0"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::chips(g).resize(Game::kMaxChips + 1, Chip{.life = 1}); }),
              ::testing::HasSubstr("more than 600"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::setPeelValue(g, 5); }), ::testing::HasSubstr("peel 5"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::hover(g) = 18; }), ::testing::HasSubstr("hover 18"));
  // The boat is no tutorial: no guide may point into it.
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::guideCells(g) = {2}; }), ::testing::HasSubstr("no guide"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) {
                Access::chips(g).push_back(Chip{.life = 1, .size = glm::vec3(std::numeric_limits<float>::infinity())});
              }),
              ::testing::HasSubstr("a chip"));
  EXPECT_THAT(faultAfter([](Game& g, Slot&) { Access::setRevealCard(g, true); }),
              ::testing::HasSubstr("reveal card up"));
  EXPECT_THAT(faultAfter([](Game&, Slot& s) { s.popT[3] = 0; }), ::testing::HasSubstr("surplus cell 3 popped"));
  // A guide left up over another block's solved figure.
  EXPECT_THAT(faultAfter([](Game& g, Slot&) {
                g.open(2);
                g.act(1, Tool::carve);
                Access::setGuide(g, Guide{});
              }),
              ::testing::HasSubstr("guide step 0 shown outside play"));
  // Only the frame shows this one: a block standing nowhere.
  EXPECT_THAT(faultAfter([](Game&, Slot& s) { s.origin.x = std::nanf(""); }), ::testing::HasSubstr("frame cube"));
}

TEST(SoakWatch, HoldsEachStepToWhatItMayChange) {
  Rig rig;
  auto game = rig.start(false);
  game->open(1);
  Watch watch(*game);
  Slot& boat = Access::slot(*game, 1);
  Slot& peg = Access::slot(*game, 2);

  boat.puzzle.state[3] = CellState::marked;  // a carve that left a surplus cube marked
  EXPECT_THAT(stepFault(watch, *game, Change::tap(Tool::carve)), ::testing::HasSubstr("from solid to marked"));
  boat.puzzle.state[3] = CellState::solid;

  boat.puzzle.state[3] = boat.puzzle.state[5] = CellState::marked;
  EXPECT_THAT(stepFault(watch, *game, Change::tap(Tool::mark)), ::testing::HasSubstr("changed cells 3 and 5"));
  boat.puzzle.state[3] = boat.puzzle.state[5] = CellState::solid;

  peg.puzzle.state[0] = CellState::marked;  // not the open block
  EXPECT_THAT(stepFault(watch, *game, Change::tap(Tool::mark)), ::testing::HasSubstr("cells of block 2"));
  peg.puzzle.state[0] = CellState::solid;

  game->act(0, Tool::carve);
  ASSERT_EQ(stepFault(watch, *game, Change::tap(Tool::carve)), "");
  boat.puzzle.mistakes = 0;
  Access::setMistakes(*game, 0);
  EXPECT_THAT(stepFault(watch, *game, Change::nothing()), ::testing::HasSubstr("from 1 to 0 without a tap"));
  boat.puzzle.mistakes = 1;
  Access::setMistakes(*game, 1);

  boat.puzzle.state[3] = CellState::marked;
  EXPECT_THAT(stepFault(watch, *game, Change::tick(0.01)), ::testing::HasSubstr("cells of block 1"));
  boat.puzzle.state[3] = CellState::solid;
  boat.puzzle.mistakes = 2;
  EXPECT_THAT(stepFault(watch, *game, Change::restart()), ::testing::HasSubstr("restart left block 1"));
  boat.puzzle.mistakes = 1;

  boat.puzzle.elapsed += 0.01;
  EXPECT_THAT(stepFault(watch, *game, Change::nothing()), ::testing::HasSubstr("play clock"));
  boat.puzzle.elapsed = 0;
  game->showTutorialCard();
  ASSERT_EQ(stepFault(watch, *game, Change::nothing()), "");
  boat.puzzle.elapsed += 0.01;  // the tutorial card is up: the clock must stand
  EXPECT_THAT(stepFault(watch, *game, Change::tick(0.01)), ::testing::HasSubstr("allowing 0 s"));
  boat.puzzle.elapsed = 0;
  game->dismissTutorialCard();
  ASSERT_EQ(stepFault(watch, *game, Change::nothing()), "");
  boat.puzzle.elapsed += 2.5;  // a suspended machine counts for 2 s at most
  EXPECT_THAT(stepFault(watch, *game, Change::tick(60)), ::testing::HasSubstr("allowing 2 s"));
  boat.puzzle.elapsed = 0;
  game->tick(60);
  EXPECT_EQ(stepFault(watch, *game, Change::tick(60)), "");
}

TEST(SoakWatch, ARelaunchMustRestoreExactlyWhatWasSaved) {
  Rig rig;
  auto game = rig.start(true);
  game->open(1);
  game->act(0, Tool::carve);
  runFor(*game, 0.5);
  game->saveOpenPuzzle();
  const Watch watch(*game);

  rig.reopenStore();
  EXPECT_NO_THROW(watch.compareRestored(*rig.start(true)));
  rig.store->setInteger("sorvel.mistakes.barco", 0);
  try {
    watch.compareRestored(*rig.start(true));
    ADD_FAILURE() << "a lost mistake went unnoticed";
  } catch (const soak::Violation& v) {
    EXPECT_THAT(v.what(), ::testing::HasSubstr("restored with 0 mistakes instead of 1"));
  }
}

TEST(SoakRun, AShortSessionOnAnotherChapterDoesEveryKindOfStep) {
  Rig rig;
  const soak::Report report = soak::run({.ticks = 3000, .seed = 5, .resources = rig.dir.path()});
  EXPECT_EQ(report.block, "tutorial");  // first of the two largest, 18 cells each
  for (const char* kind : {"tap", "tap-alternate", "tap-cell", "drag", "hover", "peel", "tool", "viewport", "open",
                           "home", "save", "relaunch", "compare", "tick", "tick-odd"}) {
    EXPECT_GT(report.actions.count(kind), 0u) << kind;
  }
  EXPECT_GT(report.solves, 0);
}

// A failure names its seed and tick: run again, it must come out the same.
TEST(SoakRun, TheSameSeedPlaysTheSameSession) {
  Rig rig;
  const soak::Options options{.ticks = 1500, .seed = 11, .resources = rig.dir.path()};
  const soak::Report first = soak::run(options);
  const soak::Report again = soak::run(options);
  EXPECT_EQ(first.actions, again.actions);
  EXPECT_EQ(first.solvesByBlock, again.solvesByBlock);
  EXPECT_EQ(first.restarts, again.restarts);
  soak::Options other = options;
  other.seed = 12;
  EXPECT_NE(soak::run(other).actions, first.actions);
}

TEST(SoakRun, ResidentMemoryIsReadFromTheKernel) {
  const auto before = soak::residentKiB();
  ASSERT_TRUE(before.has_value());
  std::vector<char> block(32 << 20, 1);  // touched, so resident
  const auto after = soak::residentKiB();
  ASSERT_TRUE(after.has_value());
  EXPECT_GE(*after - *before, 30 << 10);
  EXPECT_GE(soak::peakResidentKiB().value_or(0), *after);
  EXPECT_EQ(block[block.size() / 2], 1);
}

}  // namespace
}  // namespace sorvel::test
