#include "app/command_router.hpp"

#include <vector>

#include "game/game_fixture.hpp"

namespace sorvel::test {
namespace {

// The router over a game of the test chapter, with a focus that records
// what it was asked and has a control to press only when told so.
class Router : public ::testing::Test {
 protected:
  void SetUp() override {
    router.setFocus({.move = [this](int step) { moves.push_back(step); },
                     .press =
                         [this] {
                           if (!focusOnAControl) return false;
                           ++presses;
                           return true;
                         },
                     .drop = [this] { ++drops; }});
  }
  void run(std::initializer_list<Command> commands) {
    for (Command c : commands) router.run(c);
  }

  Rig rig;
  std::unique_ptr<Game> game = rig.start();
  CommandRouter router{*game};
  std::vector<int> moves;
  bool focusOnAControl = false;
  int presses = 0, drops = 0;
};

TEST_F(Router, ACardOverEverythingTakesTheDirectionsAndLeavesTheBlockAlone) {
  game->open(1);
  run({Command::settings});
  ASSERT_EQ(game->settingsCard(), SettingsCard::open);
  run({Command::cursorDown, Command::cursorRight, Command::cursorUp, Command::focusPrevious});
  EXPECT_EQ(moves, (std::vector<int>{1, 1, -1, -1}));
  const Camera camera = game->camera();
  run({Command::switchTool, Command::peelUp, Command::turnLeft, Command::zoomIn, Command::confirm,
       Command::confirmOther});
  EXPECT_EQ(game->tool(), Tool::carve);
  EXPECT_EQ(game->peel(), 0);
  EXPECT_EQ(game->camera().goalYaw, camera.goalYaw);
  EXPECT_EQ(game->camera().zoom, camera.zoom);
  EXPECT_EQ(game->slot(1).puzzle.remainingToCarve(), rig.start()->slot(1).puzzle.remainingToCarve())
      << "Enter reached the block through the card";

  // Back takes the topmost thing away first.
  game->askToErase();
  run({Command::back});
  EXPECT_EQ(game->settingsCard(), SettingsCard::open);
  run({Command::back});
  EXPECT_EQ(game->settingsCard(), SettingsCard::closed);
  game->showTutorialCard();
  run({Command::back});
  EXPECT_FALSE(game->showTutorial());
  EXPECT_EQ(game->screen(), Screen::playing);
  run({Command::back});
  EXPECT_EQ(game->screen(), Screen::home);
}

TEST_F(Router, EnterPressesTheFocusedControlBeforeItTouchesTheBlock) {
  game->open(2);
  game->snapCamera();
  focusOnAControl = true;
  run({Command::confirm});
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(game->slot(2).puzzle.remainingToCarve(), 1) << "carved as well as pressing";
  // Moving the cursor hands Enter back to the block.
  run({Command::cursorLeft});
  EXPECT_EQ(drops, 1);
  focusOnAControl = false;
  run({Command::confirm});
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(game->slot(2).puzzle.remainingToCarve(), 0) << "Enter without a focus carves the cursor's cube";
}

TEST_F(Router, OnTheTableTheArrowsMoveTheHighlightAndEnterOpensIt) {
  game->goHome(false);
  run({Command::turnRight});
  ASSERT_TRUE(game->hoveredSlot());
  const int first = *game->hoveredSlot();
  run({Command::cursorRight});
  EXPECT_NE(game->hoveredSlot(), first);
  const std::optional<int> chosen = game->hoveredSlot();
  run({Command::confirm});
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(game->current(), chosen);
}

// The shoulders (or Up and Down) and Page Up and Down move along the shelf on
// the table only; in play they peel and tilt as before.
TEST(ShelfRouter, TheShouldersAndPageKeysMoveAlongTheShelfOnTheTable) {
  Rig rig;
  writeChapter(rig.dir / "chapters/02-dos", {{"dado", 1, 1, 2, "10"}}, "dos");
  auto game = rig.start();
  CommandRouter router{*game};
  router.run(Command::peelUp);
  EXPECT_EQ(game->shownChapter(), 1);
  router.run(Command::peelUp);
  EXPECT_EQ(game->shownChapter(), 1);
  router.run(Command::tiltUp);
  EXPECT_EQ(game->shownChapter(), 0);
  router.run(Command::tiltDown);
  router.run(Command::peelDown);
  EXPECT_EQ(game->shownChapter(), 0);
  game->open(1);
  router.run(Command::peelUp);
  EXPECT_EQ(game->peel(), 1);
  EXPECT_EQ(game->shownChapter(), 0);
}

}  // namespace
}  // namespace sorvel::test
