#include "app/input_map.hpp"

#include <cmath>

#include "game/game_fixture.hpp"

namespace sorvel::test {
namespace {

using enum PointerButton;

// The peg open and settled, the pointer over its surplus cube, which stands in
// front of its one figure cube.
class Played : public ::testing::Test {
 protected:
  void SetUp() override {
    game->open(2);
    game->snapCamera();
    at = viewPoint(*game, game->slot(2).cellCenter(front));
  }
  CellState frontState() const { return stateOf(*game, 2, front); }
  float yaw() const { return game->camera().goalYaw; }
  void press(PointerButton b, bool down = true, Modifiers mods = {}) { input.button({b, down, at, mods}); }
  void click(PointerButton b, float travel = 0, Modifiers mods = {}) {
    press(b, true, mods);
    input.motion({at, {travel / 2, -travel / 2}});  // signs that cancel out must still count
    press(b, false, mods);
  }
  KeyResult key(Key k, Modifiers mods = {}, bool repeat = false) { return input.key({k, mods, repeat}); }

  Rig rig;
  std::unique_ptr<Game> game = rig.start();
  InputMap input{*game};
  int front = game->slot(2).puzzle.index(0, 0, 1);
  glm::vec2 at{0};
};

class InputMapPointer : public Played {};
class InputMapWheel : public Played {};
class InputMapKeys : public Played {};

TEST_F(InputMapPointer, ALeftPressTurnsOnlyPastThreePointsOfTravelAndTapsWithin) {
  const float yaw0 = yaw();
  press(left);
  for (int i = 0; i < 3; ++i) input.motion({at, {0.5f, -0.5f}});
  EXPECT_EQ(yaw(), yaw0);
  EXPECT_FALSE(input.orbiting());
  input.motion({at, {1, 0}});
  EXPECT_GT(yaw(), yaw0);
  EXPECT_TRUE(input.orbiting());
  press(left, false);
  EXPECT_FALSE(input.orbiting());
  EXPECT_EQ(frontState(), CellState::solid) << "four points of travel tapped";
  click(left, 2);
  EXPECT_EQ(frontState(), CellState::broken);
}

TEST_F(InputMapPointer, RightClicksAltShiftAndCtrlTapWithTheOtherToolAndTheRightTurnsAtOnce) {
  const float yaw0 = yaw();
  press(right);
  input.motion({at, {1, 0}});
  EXPECT_GT(yaw(), yaw0);
  EXPECT_TRUE(input.orbiting());
  press(right, false);
  EXPECT_EQ(frontState(), CellState::marked);
  click(left, 0, {.alt = true});
  EXPECT_EQ(frontState(), CellState::solid);
  click(left, 0, {.shift = true});
  EXPECT_EQ(frontState(), CellState::marked);
  // Ctrl too, since most X11 window managers take alt+click for themselves.
  click(left, 0, {.ctrl = true});
  EXPECT_EQ(frontState(), CellState::solid);
  click(left, 0, {.ctrl = true});
  EXPECT_EQ(frontState(), CellState::marked);
  click(right, 4);
  EXPECT_EQ(frontState(), CellState::marked) << "four points of right travel tapped";
}

TEST_F(InputMapPointer, TheFirstButtonSteersUntilLetGoAndUnseenPressesNeverTap) {
  press(left, false);
  EXPECT_EQ(frontState(), CellState::solid) << "a release with no press tapped";
  const float yaw0 = yaw();
  press(right);
  press(left);
  input.motion({at, {1, 0}});
  press(left, false);
  EXPECT_GT(yaw(), yaw0) << "the left button took over";
  press(right, false);
  EXPECT_EQ(frontState(), CellState::marked);

  // Focus lost mid-press: the next motion hovers, and the late release taps nothing.
  press(right);
  input.cancel();
  const float yaw1 = yaw();
  input.motion({at, {1, 0}});
  press(right, false);
  EXPECT_EQ(yaw(), yaw1);
  EXPECT_EQ(frontState(), CellState::marked);
  EXPECT_EQ(game->hover(), front);
  input.leave();
  EXPECT_EQ(game->hover(), -1);
}

TEST_F(InputMapWheel, WholeStepsZoomFractionsAndSidewaysAmountsPanAndCtrlAlwaysZooms) {
  const auto zoom = [&] { return game->camera().zoom; };
  game->goHome(false);
  input.wheel({0, 1});
  EXPECT_EQ(zoom(), 1.0f) << "zoomed on the table";
  game->open(2);
  input.wheel({0, 1});
  input.wheel({0, 0});
  EXPECT_FLOAT_EQ(zoom(), 0.93f * 1.07f);

  // A pan moves the block as a document scrolled by the same fingers would.
  const Camera before = game->camera();
  input.wheel({0, 0.5f});
  input.wheel({1, 0});
  EXPECT_GT(game->camera().goalPitch, before.goalPitch);
  EXPECT_LT(yaw(), before.goalYaw);
  EXPECT_EQ(zoom(), before.zoom);

  const float panned = yaw();
  input.wheel({0.5f, 0.25f, {.ctrl = true}});
  input.wheel({std::nanf(""), 1});
  EXPECT_FLOAT_EQ(zoom(), before.zoom * 0.93f);
  EXPECT_EQ(yaw(), panned);
}

TEST_F(InputMapKeys, OnTheTableOnlyTheToolAndTheWindowKeysAct) {
  game->goHome(false);
  rig.heard.clear();
  EXPECT_EQ(key(Key::escape), KeyResult::handled);
  EXPECT_TRUE(rig.heard.empty()) << "went home from home";
  key(Key::space);
  key(Key::space, {}, true);
  EXPECT_EQ(game->tool(), Tool::mark);
  EXPECT_EQ(key(Key::q, {.ctrl = true}), KeyResult::quit);
  EXPECT_EQ(key(Key::q, {.ctrl = true}, true), KeyResult::handled);
  EXPECT_EQ(key(Key::f11), KeyResult::toggleFullscreen);
  EXPECT_EQ(key(Key::enter, {.alt = true}), KeyResult::toggleFullscreen);
  EXPECT_EQ(key(Key::keypadEnter, {.alt = true}), KeyResult::toggleFullscreen);
  for (Key k : {Key::q, Key::z, Key::y, Key::other}) EXPECT_EQ(key(k), KeyResult::notHandled);
}

TEST(KeyCommands, ShortcutsNeedTheirModifiersAndAltEnterStaysTheWindows) {
  const auto command = [](Key k, Modifiers mods = {}) { return commandFor({k, mods, false}); };
  EXPECT_EQ(command(Key::z, {.ctrl = true}), Command::undo);
  EXPECT_EQ(command(Key::z, {.shift = true, .ctrl = true}), Command::redo);
  EXPECT_EQ(command(Key::y, {.ctrl = true}), Command::redo);
  EXPECT_EQ(command(Key::z), std::nullopt);
  EXPECT_EQ(command(Key::enter), Command::confirm);
  EXPECT_EQ(command(Key::keypadEnter, {.shift = true}), Command::confirmOther);
  EXPECT_EQ(command(Key::enter, {.alt = true}), std::nullopt);
  EXPECT_EQ(command(Key::tab), Command::focusNext);
  EXPECT_EQ(command(Key::tab, {.shift = true}), Command::focusPrevious);
  EXPECT_EQ(command(Key::w), Command::cursorUp);
  EXPECT_EQ(command(Key::d), Command::cursorRight);
  EXPECT_EQ(command(Key::left), Command::turnLeft);
  EXPECT_EQ(command(Key::pageDown), Command::tiltDown);
  EXPECT_EQ(command(Key::f2), Command::settings);
}

TEST_F(InputMapKeys, AHeldEnterActsOnceButAHeldDirectionKeepsStepping) {
  key(Key::enter);  // shows the cursor where the player looks
  EXPECT_EQ(game->slot(2).puzzle.remainingToCarve(), 1) << "carved a cube the player had not been shown";
  key(Key::enter);
  key(Key::enter, {}, true);
  key(Key::enter, {}, true);
  EXPECT_EQ(game->slot(2).puzzle.remainingToCarve(), 0) << "the second Enter carves the peg's one surplus cube";
  EXPECT_EQ(game->mistakes(), 0) << "a repeat carved on into the figure";
}

TEST_F(InputMapKeys, InPlayHeldKeysRepeatAndEscapeLeavesTheSolvedBlock) {
  key(Key::up, {}, true);
  EXPECT_EQ(game->peel(), 1);
  key(Key::down, {}, true);
  EXPECT_EQ(game->peel(), 0);
  for (Key k : {Key::plus, Key::equals, Key::keypadPlus, Key::minus, Key::keypadMinus}) key(k, {}, true);
  EXPECT_FLOAT_EQ(game->camera().zoom, 0.93f * 0.93f * 0.93f * 1.07f * 1.07f);

  key(Key::escape, {}, true);
  EXPECT_EQ(game->screen(), Screen::playing);
  click(left);  // carves the peg's only surplus cube
  ASSERT_EQ(game->screen(), Screen::solved);
  key(Key::escape);
  EXPECT_EQ(game->screen(), Screen::home);
}

TEST_F(InputMapKeys, EscapeClosesTheCardOverTheBlockBeforeLeavingIt) {
  game->showTutorialCard();
  key(Key::escape);
  EXPECT_FALSE(game->showTutorial());
  EXPECT_EQ(game->screen(), Screen::playing) << "left the block with the card still up";
  key(Key::escape);
  EXPECT_EQ(game->screen(), Screen::home);
  // The card over the table goes the same way, first.
  game->showTutorialCard();
  key(Key::escape);
  EXPECT_FALSE(game->showTutorial());
}

}  // namespace
}  // namespace sorvel::test
