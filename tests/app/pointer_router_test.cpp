#include "app/pointer_router.hpp"

#include <vector>

#include "game/game_fixture.hpp"

namespace sorvel::test {
namespace {

using enum PointerButton;

// The peg open and settled; a fake interface has one control, a button in
// the window's top-left corner, and may put the tutorial card up.
class PointerRouterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game->open(2);
    game->snapCamera();
    cube = viewPoint(*game, game->slot(2).cellCenter(front));
  }
  ui::Interface::Hit hitAt(ui::Point p) const {
    const bool overButton = p.x < 50 && p.y < 50;
    if (cardUp) return {.action = overButton ? std::optional(ui::Action::tutorialDone) : std::nullopt, .sceneMayHave = false};
    if (overButton && helpShown) return {.action = ui::Action::help, .sceneMayHave = false};
    return {};
  }
  void click(PointerButton b, glm::vec2 at, ui::Point points, ui::Point releaseAt) {
    router.button({b, true, at, {}}, points);
    router.button({b, false, at, {}}, releaseAt);
  }
  CellState frontState() const { return stateOf(*game, 2, front); }

  Rig rig;
  std::unique_ptr<Game> game = rig.start();
  InputMap input{*game};
  bool cardUp = false;
  bool helpShown = true;
  std::vector<ui::Action> acted;
  PointerRouter router{input, [this](ui::Point p) { return hitAt(p); },
                       [this](ui::Action a) { acted.push_back(a); }};
  int front = game->slot(2).puzzle.index(0, 0, 1);
  glm::vec2 cube{0};
  const ui::Point onButton{20, 20}, elsewhere{400, 300};
};

TEST_F(PointerRouterTest, AControlActsOnceOnAReleaseOverItAndKeepsThePressFromTheScene) {
  click(left, cube, onButton, onButton);
  EXPECT_EQ(acted, std::vector{ui::Action::help});
  EXPECT_EQ(frontState(), CellState::solid);
  // Slipping off the button before letting go cancels it.
  click(left, cube, onButton, elsewhere);
  EXPECT_EQ(acted.size(), 1u);
  EXPECT_EQ(frontState(), CellState::solid);
  // Elsewhere the click is the scene's.
  click(left, cube, elsewhere, elsewhere);
  EXPECT_EQ(frontState(), CellState::broken);
  EXPECT_EQ(acted.size(), 1u);
}

TEST_F(PointerRouterTest, TheTutorialCardKeepsEveryPressFromTheScene) {
  cardUp = true;
  click(left, cube, elsewhere, elsewhere);
  click(right, cube, elsewhere, elsewhere);
  const float yaw = game->camera().goalYaw;
  router.motion({cube, {40, 0}}, elsewhere);
  router.wheel({.y = 1});
  EXPECT_EQ(frontState(), CellState::solid);
  EXPECT_EQ(game->camera().goalYaw, yaw);
  click(left, cube, onButton, onButton);
  EXPECT_EQ(acted, std::vector{ui::Action::tutorialDone});
  // A turn that began on the scene keeps going over a control.
  cardUp = false;
  router.button({right, true, cube, {}}, elsewhere);
  router.motion({cube, {40, 0}}, onButton);
  EXPECT_GT(game->camera().goalYaw, yaw);
  EXPECT_TRUE(router.overControl());
}

TEST_F(PointerRouterTest, TheHandFollowsTheInterfaceUnderAStillPointer) {
  router.motion({cube, {1, 0}}, onButton);
  EXPECT_TRUE(router.overControl());
  // A card closes, taking its button from under the pointer, which has not
  // moved; then the layout puts one back there.
  helpShown = false;
  EXPECT_FALSE(router.overControl());
  helpShown = true;
  EXPECT_TRUE(router.overControl());
  router.leave();
  EXPECT_FALSE(router.overControl()) << "the pointer left the window";
}

}  // namespace
}  // namespace sorvel::test
