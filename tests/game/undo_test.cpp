#include <algorithm>

#include "game_fixture.hpp"
#include "game_test_access.hpp"

namespace sorvel::test {
namespace {

// Cells of the boat: 0 and 1 are figure cubes, 3, 5, 7 and 10 surplus ones.
constexpr int kBoat = 1, kPeg = 2;
constexpr int kFigure = 0, kFigure2 = 1, kSurplus = 3, kSurplus2 = 5, kSurplus3 = 7, kSurplus4 = 10;

std::string savedCells(const Rig& rig, const char* id) {
  return rig.store->string(std::string("sorvel.state.") + id).value_or("");
}

// The saved text of the boat with the given cells at the given digits.
std::string boatText(std::initializer_list<std::pair<int, char>> cells) {
  std::string text(18, '0');
  for (const auto& [cell, digit] : cells) text[static_cast<size_t>(cell)] = digit;
  return text;
}

TEST(Undo, ACarveTakenBackStandsAtOnceAndIsSavedSoThenDoneAgain) {
  Rig rig;
  auto game = rig.start(true);
  game->open(kBoat);
  runFor(*game, 4);
  game->clearChips();
  const Frame whole = game->frame();
  EXPECT_FALSE(game->canUndo());

  game->act(kSurplus, Tool::carve);
  game->tick(0.05);  // mid-break
  EXPECT_TRUE(game->canUndo());
  EXPECT_FALSE(game->canRedo());
  rig.heard.clear();
  game->undo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus), CellState::solid);
  EXPECT_EQ(game->slot(kBoat).breakT[kSurplus], -1.0f) << "the cube must not finish breaking off";
  EXPECT_EQ(savedCells(rig, "barco"), boatText({}));
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::unmark});
  EXPECT_FALSE(game->canUndo());
  EXPECT_TRUE(game->canRedo());
  runFor(*game, 4);
  game->clearChips();
  EXPECT_TRUE(sameScene(whole, game->frame())) << "the block looks as it did before the carve";

  rig.heard.clear();
  game->redo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus), CellState::broken);
  EXPECT_EQ(savedCells(rig, "barco"), boatText({{kSurplus, '2'}}));
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::mark});
  EXPECT_TRUE(game->canUndo());
  EXPECT_FALSE(game->canRedo());
  runFor(*game, 1);
  EXPECT_FALSE(sameScene(whole, game->frame())) << "the redone carve breaks the cube off again";

  // With nothing left to take back or do again, nothing happens, silently.
  rig.heard.clear();
  game->redo();
  game->undo();
  game->undo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus), CellState::solid);
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::unmark});
}

TEST(Undo, MarksUnmarksAndMistakesGoBackInOrderAndAMistakeStaysCounted) {
  Rig rig;
  auto game = rig.start(true);
  game->open(kBoat);
  game->act(kSurplus2, Tool::mark);
  game->act(kSurplus2, Tool::carve);  // refused: a marked cube is protected, and nothing changes
  game->act(kSurplus2, Tool::mark);   // unmarked
  game->act(kFigure, Tool::carve);    // a mistake: marked instead
  ASSERT_EQ(game->mistakes(), 1);

  game->undo();
  EXPECT_EQ(stateOf(*game, kBoat, kFigure), CellState::solid);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(rig.store->integer("sorvel.mistakes.barco"), 1);
  game->undo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus2), CellState::marked);
  game->undo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus2), CellState::solid);
  EXPECT_FALSE(game->canUndo()) << "the refused carve was no step";
  EXPECT_EQ(savedCells(rig, "barco"), boatText({}));

  game->redo();
  game->redo();
  game->redo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus2), CellState::solid);
  EXPECT_EQ(stateOf(*game, kBoat, kFigure), CellState::marked);
  EXPECT_EQ(game->mistakes(), 1) << "a mistake done again is the same mistake";
  EXPECT_EQ(savedCells(rig, "barco"), boatText({{kFigure, '1'}}));

  // A mistake undone and then made anew is a second one.
  game->undo();
  game->act(kFigure, Tool::carve);
  EXPECT_EQ(game->mistakes(), 2);
  EXPECT_EQ(rig.store->integer("sorvel.mistakes.barco"), 2);
}

TEST(Undo, ANewActionAfterUndosLeavesNothingToRedo) {
  Rig rig;
  auto game = rig.start();
  game->open(kBoat);
  game->act(kSurplus, Tool::carve);
  game->act(kSurplus2, Tool::carve);
  game->act(kSurplus3, Tool::carve);
  game->undo();
  game->undo();
  ASSERT_TRUE(game->canRedo());
  game->act(kFigure2, Tool::mark);
  EXPECT_FALSE(game->canRedo());
  game->redo();
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus2), CellState::solid);

  game->undo();  // the mark
  EXPECT_EQ(stateOf(*game, kBoat, kFigure2), CellState::solid);
  game->undo();  // the first carve
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus), CellState::solid);
  EXPECT_FALSE(game->canUndo());
}

TEST(Undo, EveryBlockOpenedStartsWithNoHistory) {
  Rig rig;
  auto game = rig.start();
  auto expectFresh = [&](const char* how) {
    EXPECT_FALSE(game->canUndo()) << how;
    EXPECT_FALSE(game->canRedo()) << how;
  };
  // Leaves something both to undo and to redo.
  auto carveAndTakeBack = [&](int a, int b) {
    game->act(a, Tool::carve);
    game->act(b, Tool::carve);
    game->undo();
    ASSERT_TRUE(game->canUndo());
    ASSERT_TRUE(game->canRedo());
  };
  game->open(kBoat);
  carveAndTakeBack(kSurplus, kSurplus2);
  game->open(kPeg);
  expectFresh("another block opened");
  game->open(kBoat);
  expectFresh("the same block opened again");
  EXPECT_EQ(stateOf(*game, kBoat, kSurplus), CellState::broken) << "the carves themselves stay";

  carveAndTakeBack(kSurplus2, kSurplus3);
  game->goHome(true);
  game->open(kBoat);
  expectFresh("back from the table");

  carveAndTakeBack(kSurplus3, kSurplus4);
  game->restartCurrent();
  expectFresh("the block restarted");

  game->open(0);
  game->act(0, Tool::mark);
  game->nextPuzzle();
  expectFresh("the next block");
}

TEST(Undo, ASolvedBlockHasNothingToTakeBack) {
  Rig rig;
  auto game = rig.start(true);
  game->open(kPeg);
  game->act(0, Tool::mark);
  game->act(1, Tool::carve);  // the only surplus cube
  ASSERT_EQ(game->screen(), Screen::solved);
  EXPECT_FALSE(game->canUndo());
  rig.heard.clear();
  game->undo();
  EXPECT_EQ(stateOf(*game, kPeg, 1), CellState::broken);
  EXPECT_EQ(stateOf(*game, kPeg, 0), CellState::marked);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_TRUE(rig.heard.empty());
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{"pieza"});
}

TEST(Undo, ARedoThatLeavesNothingToCarveStartsTheRevealAsACarveDoes) {
  Rig rig;
  auto game = rig.start(true);
  game->open(kBoat);
  game->act(kSurplus, Tool::carve);
  game->undo();
  // Play cannot carve the rest without dropping the redo; set them carved.
  Slot& boat = GameTestAccess::slot(*game, kBoat);
  for (int i = 0; i < boat.puzzle.cellCount(); ++i) {
    const auto cell = static_cast<size_t>(i);
    if (i != kSurplus && !boat.puzzle.sol[cell]) boat.puzzle.state[cell] = CellState::broken;
  }
  ASSERT_EQ(game->screen(), Screen::playing);

  game->redo();
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(game->revealT(), 0);
  EXPECT_TRUE(game->solvedIDs().contains("barco"));
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{"barco"});
  EXPECT_FALSE(game->canUndo());
  EXPECT_FALSE(game->canRedo());
}

TEST(Undo, DemoCommandsTakeBackAndRedo) {
  Rig rig;
  auto game = rig.start();
  const Slot& boat = game->slot(kBoat);
  auto carved = [&boat] { return std::ranges::count(boat.puzzle.state, CellState::broken); };
  game->demo("play:1:2:0");
  ASSERT_EQ(carved(), 2);
  game->demo("undo");
  EXPECT_EQ(carved(), 1);
  game->demo("redo");
  EXPECT_EQ(carved(), 2);
}

// --- Erasing progress

// A player part-way through the chapter: the tutorial seen, the peg solved,
// a mistake and a carve in the boat, which is open.
std::unique_ptr<Game> playedGame(Rig& rig) {
  auto game = rig.start(true);
  game->dismissTutorialCard();
  game->open(kPeg);
  game->act(1, Tool::carve);
  EXPECT_EQ(game->screen(), Screen::solved);
  game->open(kBoat);
  game->act(kFigure, Tool::carve);
  game->act(kSurplus, Tool::carve);
  game->showTutorialCard();
  runFor(*game, 0.5);
  return game;
}

void expectEveryBlockFresh(const Game& game) {
  for (int s = 0; s < game.slotCount(); ++s) {
    const Slot& slot = game.slot(s);
    EXPECT_TRUE(std::ranges::all_of(slot.puzzle.state, [](CellState c) { return c == CellState::solid; })) << s;
    EXPECT_TRUE(std::ranges::all_of(slot.breakT, [](float t) { return t == -1; })) << s;
    EXPECT_TRUE(std::ranges::all_of(slot.popT, [](float t) { return t == -1; })) << s;
    EXPECT_EQ(slot.puzzle.mistakes, 0) << s;
    EXPECT_EQ(slot.puzzle.elapsed, 0) << s;
  }
  EXPECT_TRUE(game.solvedIDs().empty());
  EXPECT_EQ(game.mistakes(), 0);
}

TEST(EraseProgress, RemovesEveryProgressKeyButKeepsPreferencesAndGoesBackToAFreshTable) {
  Rig rig;
  rig.store->setNumber("sorvel.prefs.volume", 0.25);
  rig.store->setString("sorvel.state.from-an-older-chapter", "0120");
  auto game = playedGame(rig);
  ASSERT_TRUE(rig.store->contains("sorvel.tutorialSeen"));
  ASSERT_TRUE(rig.store->contains("sorvel.launched"));
  ASSERT_TRUE(game->canUndo());

  game->eraseProgress();
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_FALSE(game->current());
  EXPECT_FALSE(game->showTutorial());
  EXPECT_FALSE(game->canUndo());
  expectEveryBlockFresh(*game);
  runFor(*game, 1);  // the table clock must not save anything back

  rig.reopenStore();  // the removal reached the file
  EXPECT_EQ(rig.store->number("sorvel.prefs.volume"), 0.25);
  for (const char* key : {"sorvel.launched", "sorvel.tutorialSeen", "sorvel.solved", "sorvel.state.pieza",
                          "sorvel.state.barco", "sorvel.mistakes.barco", "sorvel.time.barco",
                          "sorvel.state.from-an-older-chapter"}) {
    EXPECT_FALSE(rig.store->contains(key)) << key;
  }

  // The next start is a first start again.
  game.reset();
  auto next = rig.start(true);
  EXPECT_EQ(next->screen(), Screen::playing);
  EXPECT_EQ(next->current(), 0);
  expectEveryBlockFresh(*next);
}

TEST(EraseProgress, WithoutPersistenceTheStoreIsLeftAloneButTheGameStartsAfresh) {
  Rig rig;
  rig.store->setStringList("sorvel.solved", {"barco"});
  rig.store->setBoolean("sorvel.launched", true);
  auto game = rig.start(false);
  game->open(kBoat);
  game->act(kSurplus, Tool::carve);
  game->eraseProgress();
  expectEveryBlockFresh(*game);
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{"barco"});
  EXPECT_TRUE(rig.store->boolean("sorvel.launched"));
}

}  // namespace
}  // namespace sorvel::test
