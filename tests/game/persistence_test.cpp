#include <nlohmann/json.hpp>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

TEST(Persistence, ProgressComesBackCarvedAndMarkedWithoutAnimation) {
  Rig rig;
  {
    auto game = rig.start(true);
    game->goHome(false);
    game->open(1);
    Slot& boat = slotAt(*game, 1);
    game->act(boat, 3, Tool::carve);
    game->act(boat, 5, Tool::carve);
    game->act(boat, 0, Tool::carve);  // a mistake, left marked
    game->act(boat, 7, Tool::mark);
    runFor(*game, 2.5);
    game->goHome(false);  // leaving saves the play time too
  }
  rig.store().flush();
  const auto saved = nlohmann::json::parse(readFile(rig.dir / "settings.json"));
  EXPECT_EQ(saved.at("sorvel.state.barco"), "100202010000000000");
  EXPECT_EQ(saved.at("sorvel.mistakes.barco"), 1);

  auto game = rig.start(true);
  EXPECT_EQ(game->screen(), Screen::home);  // not a first launch any more
  const Slot& boat = slotAt(*game, 1);
  EXPECT_EQ(boat.puzzle.encodeState(), "100202010000000000");
  EXPECT_EQ(boat.breakT[3], 10);
  EXPECT_EQ(boat.breakT[4], -1);
  EXPECT_EQ(boat.mark[0], 1);
  EXPECT_EQ(boat.mark[7], 1);
  EXPECT_EQ(boat.puzzle.mistakes, 1);
  EXPECT_NEAR(boat.puzzle.elapsed, 2.5, 0.02);
  game->open(1);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(game->guide(), std::nullopt);
}

TEST(Persistence, SavingTheOpenPuzzleAtQuitKeepsThePlayTime) {
  Rig rig;
  {
    auto game = rig.start(true);
    game->act(slotAt(*game, 0), 15, Tool::carve);
    runFor(*game, 4);
    game->saveOpenPuzzle();  // what the window does on quit
  }
  auto game = rig.start(true);
  EXPECT_NEAR(slotAt(*game, 0).puzzle.elapsed, 4, 0.02);
  EXPECT_EQ(stateOf(*game, 0, 15), CellState::broken);
}

TEST(Persistence, TheSolvedListIsWrittenWholeAndKeepsUnknownIds) {
  Rig rig;
  rig.store().setBoolean("sorvel.launched", true);
  rig.store().setStringList("sorvel.solved", {"retired"});
  {
    auto game = rig.start(true);
    EXPECT_EQ(game->solvedCount(), 0);
    game->open(2);
    game->act(slotAt(*game, 2), 1, Tool::carve);
  }
  auto solved = rig.store().stringList("sorvel.solved");
  ASSERT_TRUE(solved);
  std::sort(solved->begin(), solved->end());
  EXPECT_EQ(*solved, (std::vector<std::string>{"pieza", "retired"}));

  auto game = rig.start(true);
  EXPECT_EQ(game->solvedCount(), 1);
  game->open(2);
  EXPECT_EQ(game->screen(), Screen::solved);
}

TEST(Persistence, AStateThatNoLongerFitsThePuzzleIsIgnoredButItsCountsAreNot) {
  Rig rig;
  rig.store().setBoolean("sorvel.launched", true);
  rig.store().setString("sorvel.state.barco", "2222");
  rig.store().setString("sorvel.state.torre", "2x2200000000");
  rig.store().setInteger("sorvel.mistakes.barco", 3);
  rig.store().setNumber("sorvel.time.barco", 61.5);
  auto game = rig.start(true);
  const Slot& boat = slotAt(*game, 1);
  EXPECT_EQ(boat.puzzle.encodeState(), std::string(18, '0'));
  EXPECT_EQ(boat.puzzle.mistakes, 3);
  EXPECT_EQ(boat.puzzle.elapsed, 61.5);
  EXPECT_EQ(slotAt(*game, 3).puzzle.encodeState(), "202200000000");
}

}  // namespace
}  // namespace sorvel::test
