// The shelf of chapters on the table: moving along it, chapters opening as the
// player carves, and what each chapter keeps.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/game_test_access.hpp"
#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

// Chapter 1 as the Rig writes it (the tutorial, two figures), and two more
// of the game's: "dos" with two figures, "tres" with one.
struct ShelfRig : Rig {
  ShelfRig() {
    writeChapter(dir / "chapters/02-dos", {{"dado", 1, 1, 2, "10"}, {"cubo", 1, 1, 2, "01"}}, "dos");
    writeChapter(dir / "chapters/03-tres", {{"torre", 1, 2, 1, "10"}}, "tres");
  }
};

void solveSlot(Game& game, int index) {
  game.open(index);
  while (game.autoCarveStep()) {
  }
  ASSERT_EQ(game.screen(), Screen::solved) << index;
  game.goHome(false);
}

bool anyCubeDimmed(const Game& game) {
  const Frame frame = game.frame();
  return std::any_of(frame.cubes.begin(), frame.cubes.end(),
                     [](const CubeInst& c) { return (c.clues.w & kCubeDimmed) != 0; });
}

TEST(Shelf, AChapterOpensOnceHalfTheFiguresOfTheOneBeforeAreCarved) {
  ShelfRig rig;
  auto game = rig.start();
  ASSERT_EQ(game->chapterCount(), 3);
  EXPECT_TRUE(game->chapterOpen(0));
  EXPECT_EQ(game->figuresToOpen(1), 1);  // one of chapter 1's two figures; the tutorial does not count
  EXPECT_EQ(game->figuresToOpen(2), 1);

  game->showChapter(1);
  EXPECT_EQ(game->shownChapter(), 1);
  ASSERT_EQ(game->slotCount(), 2);
  EXPECT_EQ(game->slot(0).puzzle.def.id, "dado");
  EXPECT_TRUE(anyCubeDimmed(*game));
  // Nothing opens a closed chapter's block, by pointer or keys.
  const Slot& dado = game->slot(0);
  game->tap(viewPoint(*game, {dado.center.x, 0.1f, dado.center.z}), false);
  EXPECT_EQ(game->screen(), Screen::home);
  game->hoverAt(viewPoint(*game, {dado.center.x, 0.1f, dado.center.z}));
  EXPECT_FALSE(game->hoveredSlot());
  game->moveHighlight(1);
  game->openHighlighted();
  EXPECT_EQ(game->screen(), Screen::home);

  game->showChapter(0);
  solveSlot(*game, 2);
  EXPECT_TRUE(game->chapterOpen(1));
  EXPECT_FALSE(game->chapterOpen(2));
  game->showChapter(1);
  EXPECT_FALSE(anyCubeDimmed(*game));
  game->tap(viewPoint(*game, {dado.center.x, 0.1f, dado.center.z}), false);
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->playTitle(), "Figura 1 de 2");
}

TEST(Shelf, TitlesAndCountsBelongToTheChapterShownAndOnlyTheTableMovesAlongIt) {
  ShelfRig rig;
  auto game = rig.start();
  EXPECT_EQ(game->chapterTitle(0), "Capítulo 1 · Pruebas");
  EXPECT_EQ(game->chapterTitle(2), "Capítulo 3 · tres");
  solveSlot(*game, 2);
  EXPECT_EQ(game->solvedCount(), 1);
  EXPECT_EQ(game->figureCount(), 2);
  game->showChapter(1);
  EXPECT_EQ(game->solvedCount(), 0);
  EXPECT_EQ(game->figureCount(), 2);
  EXPECT_EQ(game->chapter().id, "dos");

  // In play, and past either end, the chapter stays.
  game->open(1);
  game->showChapter(0);
  EXPECT_EQ(game->shownChapter(), 1);
  game->goHome(false);
  game->showChapter(-1);
  game->showChapter(3);
  EXPECT_EQ(game->shownChapter(), 1);
}

TEST(Shelf, EachChapterKeepsItsProgressAndTheLastShownComesBack) {
  ShelfRig rig;
  {
    auto game = rig.start(true);
    game->dismissTutorialCard();
    game->goHome(false);
    solveSlot(*game, 2);
    game->showChapter(1);
    game->open(1);
    game->act(game->slot(1).puzzle.index(0, 0, 0), Tool::carve);  // cubo's surplus cube: solved
    game->goHome(false);
    game->showChapter(0);
    game->showChapter(1);
    EXPECT_TRUE(game->slot(1).puzzle.solved());
  }
  rig.reopenStore();
  auto again = rig.start(true);
  EXPECT_EQ(again->shownChapter(), 1);
  EXPECT_TRUE(again->slot(1).puzzle.solved());
  EXPECT_EQ(again->solvedCount(), 1);
  EXPECT_TRUE(again->chapterOpen(2));

  // Erasing the progress closes the chapters it opened, and the table goes
  // back to the first.
  again->eraseProgress();
  EXPECT_EQ(again->shownChapter(), 0);
  EXPECT_FALSE(again->chapterOpen(1));
  again->showChapter(1);
  EXPECT_FALSE(again->slot(1).puzzle.solved());
}

TEST(Shelf, AClosedChapterIsNotWhereTheNextStartBegins) {
  ShelfRig rig;
  rig.start(true).reset();
  rig.store->setString("sorvel.chapter", "tres");
  EXPECT_EQ(rig.start(true)->shownChapter(), 0);
  rig.store->setString("sorvel.chapter", "nada");
  EXPECT_EQ(rig.start(true)->shownChapter(), 0);
}

TEST(Shelf, ATriedChapterIsShownFirstAlwaysOpenAndNamedAlone) {
  ShelfRig rig;
  writeChapter(rig.dir / "mio", {{"cometa", 1, 1, 2, "10"}}, "mio");
  auto game = std::make_unique<Game>(GameOptions{.resources = rig.dir.path(), .tryChapter = rig.dir / "mio"});
  EXPECT_EQ(game->chapterCount(), 4);
  EXPECT_EQ(game->shownChapter(), 3);
  EXPECT_TRUE(game->chapterOpen(3));
  EXPECT_EQ(game->chapterTitle(3), "mio");
}

TEST(Shelf, TheDemoShowsAnyChapterAndActsOnIt) {
  ShelfRig rig;
  auto game = rig.start();
  game->demo("chapter:3:solved:0");
  EXPECT_EQ(game->shownChapter(), 2);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(game->currentName(), "torre");
  game->demo("chapter:2");
  EXPECT_EQ(game->shownChapter(), 1);
  EXPECT_EQ(game->screen(), Screen::home);
  game->demo("chapter:9:play:0");
  game->demo("chapter:x");
  EXPECT_EQ(game->shownChapter(), 1);
  EXPECT_NE(rig.out.str().find("demo: \"chapter:9:play:0\" ignored: there is no chapter 9 (the shelf has 3)"),
            std::string::npos)
      << rig.out.str();
  EXPECT_NE(rig.out.str().find("there is no chapter x"), std::string::npos);
}

}  // namespace
}  // namespace sorvel::test
