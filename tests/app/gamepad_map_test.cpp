#include "app/gamepad_map.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace sorvel {
namespace {

using enum Command;
using Commands = std::vector<Command>;

TEST(GamepadMap, ButtonsActOnceOnTheirPress) {
  GamepadMap pad;
  for (PadButton b : {PadButton::a, PadButton::x, PadButton::y, PadButton::b, PadButton::start,
                      PadButton::rightShoulder, PadButton::leftShoulder, PadButton::other}) {
    pad.button(b, true, 0);
    pad.button(b, false, 0.1);
  }
  EXPECT_EQ(pad.take(0.2), (Commands{confirm, confirmOther, switchTool, back, settings, peelUp, peelDown}));
  EXPECT_TRUE(pad.take(5).empty()) << "a button held repeats nothing";
  EXPECT_FALSE(pad.busy());
}

TEST(GamepadMap, AHeldDirectionStepsThenRepeatsUntilLetGo) {
  GamepadMap pad;
  pad.button(PadButton::dpadRight, true, 1);
  EXPECT_EQ(pad.take(1), Commands{cursorRight});
  EXPECT_TRUE(pad.take(1 + GamepadMap::kRepeatDelay - 0.01).empty());
  EXPECT_EQ(pad.take(1 + GamepadMap::kRepeatDelay), Commands{cursorRight});
  EXPECT_EQ(pad.take(1 + GamepadMap::kRepeatDelay + GamepadMap::kRepeatInterval), Commands{cursorRight});
  // A stalled frame repeats once, not for every interval it missed.
  EXPECT_EQ(pad.take(10), Commands{cursorRight});
  EXPECT_TRUE(pad.take(10.01).empty());
  EXPECT_TRUE(pad.busy());
  pad.button(PadButton::dpadRight, false, 11);
  EXPECT_TRUE(pad.take(20).empty());
  EXPECT_FALSE(pad.busy());
}

TEST(GamepadMap, TheLeftStickStepsAlongItsStrongerAxisWithoutFlickeringAtItsEdge) {
  GamepadMap pad;
  pad.axis(PadAxis::leftX, 0.5f, 0);
  EXPECT_TRUE(pad.take(0).empty()) << "not pushed far enough";
  pad.axis(PadAxis::leftY, -0.8f, 0);
  EXPECT_EQ(pad.take(0), Commands{cursorUp});
  // Wobbling near its edge neither lets go nor steps again.
  pad.axis(PadAxis::leftX, 0.3f, 0.1);
  pad.axis(PadAxis::leftY, -0.45f, 0.1);
  pad.axis(PadAxis::leftY, -0.7f, 0.2);
  EXPECT_TRUE(pad.take(0.2).empty());
  pad.axis(PadAxis::leftY, 0, 0.3);
  pad.axis(PadAxis::leftX, 0, 0.3);
  pad.axis(PadAxis::leftX, -1, 0.4);
  EXPECT_EQ(pad.take(0.4), Commands{cursorLeft});
  // Unplugged mid-push: nothing stays held.
  pad.reset();
  EXPECT_TRUE(pad.take(5).empty());
  EXPECT_FALSE(pad.busy());
}

TEST(GamepadMap, TheRightStickTurnsPastItsDeadZoneFasterTheFurtherItGoes) {
  GamepadMap pad;
  pad.axis(PadAxis::rightX, 0.15f, 0);
  EXPECT_EQ(pad.turnRate(), glm::vec2(0));
  EXPECT_FALSE(pad.busy());
  pad.axis(PadAxis::rightX, 0.6f, 0);
  const float half = pad.turnRate().x;
  pad.axis(PadAxis::rightX, -1, 0);
  pad.axis(PadAxis::rightY, 1.5f, 0);  // a bad reading is held to the edge
  EXPECT_FLOAT_EQ(pad.turnRate().x, -GamepadMap::kTurnPointsPerSecond);
  EXPECT_FLOAT_EQ(pad.turnRate().y, GamepadMap::kTurnPointsPerSecond);
  EXPECT_GT(half, 0);
  EXPECT_LT(half, GamepadMap::kTurnPointsPerSecond / 2) << "eased in near the middle";
  EXPECT_TRUE(pad.busy());
  EXPECT_TRUE(pad.take(0).empty()) << "the right stick steps nothing";
}

}  // namespace
}  // namespace sorvel
