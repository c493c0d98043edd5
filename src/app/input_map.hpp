#pragma once

// What the player's mouse, trackpad and keys mean to the game. The window
// turns its events into these plain structs; everything here is free of SDL,
// so the click slack, the wheel rules and the keys are tested without a display.

#include <glm/vec2.hpp>
#include <optional>

#include "app/command_router.hpp"
#include "app/play_command.hpp"

namespace sorvel {

class Game;

enum class PointerButton { left, right, middle };

struct Modifiers {
  bool alt = false, shift = false, ctrl = false;
};

// `at` is the view point Game takes: (x / width, y / height) of the window in
// points, origin at the top left, y downwards.
struct ButtonEvent {
  PointerButton button = PointerButton::left;
  bool pressed = false;
  glm::vec2 at{0};
  Modifiers mods;
};

// `delta` is the travel since the last motion, in window points (not pixels),
// so the click slack feels the same on every display.
struct MotionEvent {
  glm::vec2 at{0};
  glm::vec2 delta{0};
};

// The wheel's precise amounts in steps, as the system reports them: x positive
// to the right, y positive away from the player. Pass them unchanged, even when
// the system says the direction is flipped: a pan then moves the block the way
// the player's documents move under the same fingers.
struct WheelEvent {
  float x = 0, y = 0;
  Modifiers mods;
};

// Keys by what they print, whatever the layout: '+' is its own key on some
// keyboards and shift+'=' on others, so both zoom in. W, A, S and D are the
// exception: they stand for four places on the keyboard, whatever those
// print, so that every layout moves the cursor with the same hand.
enum class Key {
  escape, space, up, down, left, right, pageUp, pageDown, plus, equals, keypadPlus, minus, keypadMinus,
  q, z, y, w, a, s, d, tab, f2, f11, enter, keypadEnter, other
};

struct KeyEvent {
  Key key = Key::other;
  Modifiers mods;
  bool repeat = false;  // the system repeating a key held down
};

// What the window must do itself after a key: the game has no say in quitting
// or the window's size.
enum class KeyResult { handled, notHandled, quit, toggleFullscreen };

// What a key asks of the game, if anything; the window's own keys (quit,
// fullscreen) are not commands.
std::optional<Command> commandFor(const KeyEvent& e);

class InputMap {
 public:
  // A press that travels at most this far (|dx| + |dy|, in points) is a tap.
  static constexpr float kTapTravel = 3;
  // Points of finger travel in one precise wheel step. Wayland hands SDL a
  // trackpad's travel in surface points and SDL divides it by ten to make
  // steps, so ten points per step gives the fingers' own travel back.
  static constexpr float kPointsPerWheelStep = 10;

  explicit InputMap(Game& game) : game_(game), commands_(game) {}

  void button(const ButtonEvent& e);
  void motion(const MotionEvent& e);
  // The pointer left the window: nothing is hovered any more.
  void leave();
  void wheel(const WheelEvent& e);
  KeyResult key(const KeyEvent& e);
  // The window lost focus: the held button's release may never arrive, so the
  // press is forgotten rather than left to turn the block on the next motion.
  void cancel();

  // The block is being turned by the pointer (the window shows a grabbing hand).
  bool orbiting() const;

  // Where the keys' commands go; the window gives it the interface's focus.
  CommandRouter& commands() { return commands_; }

 private:
  Game& game_;
  CommandRouter commands_;
  // The button that steers: the first one pressed, until it is let go.
  std::optional<PointerButton> held_;
  float moved_ = 0;  // points travelled since it was pressed
};

}  // namespace sorvel
