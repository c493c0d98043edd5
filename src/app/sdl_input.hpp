#pragma once

#include "app/input_map.hpp"

union SDL_Event;

namespace sorvel {

class GameWindow;
class PointerRouter;

// What the window itself must do after an event.
enum class WindowRequest { none, quit, toggleFullscreen };

// Hands SDL events on in the input mapping's terms: pointer events to the
// router (the interface first, then the scene) with positions as view points
// of the window's size in points, the wheel's precise amounts, keys by what
// they print.
//
// A click is read with the modifier keys as they were when it was made, not
// when its frame gets round to it: the key events before it in the queue say
// so. On a slow frame, shift let go just after a click would otherwise turn a
// mark into a carve, and a mistake the player never made.
class SdlInput {
 public:
  SdlInput();
  WindowRequest handle(const SDL_Event& event, GameWindow& window, PointerRouter& pointer, InputMap& keys);

 private:
  Modifiers held_;
};

}  // namespace sorvel
