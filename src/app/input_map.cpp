#include "app/input_map.hpp"

#include <cmath>

#include "game/game.hpp"

namespace sorvel {

namespace {

// One wheel notch or zoom key: closer, or back out by about as much.
constexpr float kZoomIn = 0.93f;
constexpr float kZoomOut = 1.07f;
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
  game_.zoomBy(e.y > 0 ? kZoomIn : kZoomOut);
}

KeyResult InputMap::key(const KeyEvent& e) {
  switch (e.key) {
    // Holding these keeps stepping, as the system repeats them.
    case Key::up:
    case Key::down:
      game_.setPeel(game_.peel() + (e.key == Key::up ? 1 : -1));
      return KeyResult::handled;
    case Key::plus:
    case Key::equals:
    case Key::keypadPlus:
      game_.zoomBy(kZoomIn);
      return KeyResult::handled;
    case Key::minus:
    case Key::keypadMinus:
      game_.zoomBy(kZoomOut);
      return KeyResult::handled;
    default:
      break;
  }
  // The rest act once per press: a held space would flicker between tools,
  // and a held F11 would flash the screen.
  const auto once = [&](KeyResult result) { return e.repeat ? KeyResult::handled : result; };
  switch (e.key) {
    case Key::escape:
      // The topmost thing goes first: the card over the block, then the block.
      if (e.repeat) return KeyResult::handled;
      if (game_.showTutorial()) {
        game_.dismissTutorialCard();
      } else if (game_.screen() != Screen::home) {
        game_.goHome(true);
      }
      return KeyResult::handled;
    case Key::space:
      if (!e.repeat) game_.setTool(game_.tool() == Tool::carve ? Tool::mark : Tool::carve);
      return KeyResult::handled;
    case Key::f11:
      return once(KeyResult::toggleFullscreen);
    case Key::enter:
    case Key::keypadEnter:
      return e.mods.alt ? once(KeyResult::toggleFullscreen) : KeyResult::notHandled;
    case Key::q:
      return e.mods.ctrl ? once(KeyResult::quit) : KeyResult::notHandled;
    default:
      return KeyResult::notHandled;
  }
}

void InputMap::cancel() { held_.reset(); }

bool InputMap::orbiting() const {
  return held_ == PointerButton::right || (held_ == PointerButton::left && moved_ > kTapTravel);
}

}  // namespace sorvel
