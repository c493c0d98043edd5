#include "app/input_map.hpp"

#include <cmath>

#include "game/game.hpp"

namespace sorvel {

namespace {

// A trackpad pan turns the block a little further than the fingers travel.
constexpr float kPanGain = 1.2f;

}  // namespace

void InputMap::button(const ButtonEvent& e) {
  if (e.button == PointerButton::middle) return;
  if (e.pressed) {
    // A second button pressed mid-gesture is ignored: switching would turn a
    // drag into a tap of the other tool halfway through.
    if (held_ && *held_ != e.button) return;
    held_ = e.button;
    moved_ = 0;
    return;
  }
  // Also a release whose press we never saw, made outside the window: no tap.
  if (held_ != e.button) return;
  held_.reset();
  if (moved_ > kTapTravel) return;
  // The right button always acts with the other tool, as do alt, shift and
  // ctrl: most X11 window managers take alt+click to move windows.
  game_.tap(e.at, e.button == PointerButton::right || e.mods.alt || e.mods.shift || e.mods.ctrl);
}

void InputMap::motion(const MotionEvent& e) {
  if (!held_) {
    game_.hoverAt(e.at);
    return;
  }
  moved_ += std::abs(e.delta.x) + std::abs(e.delta.y);
  // A left click that wobbles a little is still a click, so the block holds
  // still until the slack is used up. The right button turns at once: a short
  // right click taps, but nobody minds the nudge.
  if (*held_ == PointerButton::right || moved_ > kTapTravel) game_.drag(e.delta);
}

void InputMap::leave() { game_.hoverAt(std::nullopt); }

void InputMap::wheel(const WheelEvent& e) {
  if (!std::isfinite(e.x) || !std::isfinite(e.y)) return;
  // A wheel clicks in whole vertical steps; a trackpad sends fractions or
  // sideways amounts, and SDL gives no other way of telling them apart.
  const bool pan = !e.mods.ctrl && (e.x != 0 || e.y != std::trunc(e.y));
  if (pan) {
    // The wheel's y runs away from the player and the view's runs down.
    game_.drag(-kPanGain * kPointsPerWheelStep * glm::vec2(e.x, -e.y));
    return;
  }
  // Ctrl+scroll is the pinch of most trackpads: one zoom step per event,
  // however small its amount.
  game_.zoomBy(e.y > 0 ? CommandRouter::kZoomIn : CommandRouter::kZoomOut);
}

std::optional<Command> commandFor(const KeyEvent& e) {
  const bool ctrl = e.mods.ctrl;
  switch (e.key) {
    case Key::w: return Command::cursorUp;
    case Key::a: return Command::cursorLeft;
    case Key::s: return Command::cursorDown;
    case Key::d: return Command::cursorRight;
    case Key::left: return Command::turnLeft;
    case Key::right: return Command::turnRight;
    case Key::pageUp: return Command::tiltUp;
    case Key::pageDown: return Command::tiltDown;
    case Key::up: return Command::peelUp;
    case Key::down: return Command::peelDown;
    case Key::plus:
    case Key::equals:
    case Key::keypadPlus: return Command::zoomIn;
    case Key::minus:
    case Key::keypadMinus: return Command::zoomOut;
    case Key::tab: return e.mods.shift ? Command::focusPrevious : Command::focusNext;
    case Key::z:
      if (!ctrl) return std::nullopt;
      return e.mods.shift ? Command::redo : Command::undo;
    case Key::y: return ctrl ? std::optional(Command::redo) : std::nullopt;
    case Key::space: return Command::switchTool;
    case Key::escape: return Command::back;
    case Key::f2: return Command::settings;
    case Key::enter:
    case Key::keypadEnter:
      // Alt+Enter is the window's own.
      if (e.mods.alt) return std::nullopt;
      return e.mods.shift || ctrl ? Command::confirmOther : Command::confirm;
    default: return std::nullopt;
  }
}

namespace {

// Holding these keeps stepping, as the system repeats them; the rest act
// once per press: a held space would flicker between tools, a held Enter
// carve a row, and a held F11 flash the screen.
bool repeats(Command c) {
  switch (c) {
    case Command::confirm:
    case Command::confirmOther:
    case Command::switchTool:
    case Command::back:
    case Command::settings: return false;
    default: return true;
  }
}

}  // namespace

KeyResult InputMap::key(const KeyEvent& e) {
  if (const std::optional<Command> command = commandFor(e)) {
    if (!e.repeat || repeats(*command)) commands_.run(*command);
    return KeyResult::handled;
  }
  const auto once = [&](KeyResult result) { return e.repeat ? KeyResult::handled : result; };
  switch (e.key) {
    case Key::f11: return once(KeyResult::toggleFullscreen);
    case Key::enter:
    case Key::keypadEnter: return e.mods.alt ? once(KeyResult::toggleFullscreen) : KeyResult::notHandled;
    case Key::q: return e.mods.ctrl ? once(KeyResult::quit) : KeyResult::notHandled;
    default: return KeyResult::notHandled;
  }
}

void InputMap::cancel() { held_.reset(); }

bool InputMap::orbiting() const {
  return held_ == PointerButton::right || (held_ == PointerButton::left && moved_ > kTapTravel);
}

}  // namespace sorvel
