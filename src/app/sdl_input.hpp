#pragma once

union SDL_Event;

namespace sorvel {

class GameWindow;
class InputMap;
class PointerRouter;

// What the window itself must do after an event.
enum class WindowRequest { none, quit, toggleFullscreen };

// Hands one SDL event on in the input mapping's terms: pointer events to the
// router (the interface first, then the scene) with positions as view points
// of the window's size in points, the wheel's precise amounts, keys by what
// they print.
WindowRequest handleSdlEvent(const SDL_Event& event, GameWindow& window, PointerRouter& pointer, InputMap& keys);

}  // namespace sorvel
