#pragma once

union SDL_Event;

namespace sorvel {

class GameWindow;
class InputMap;

// What the window itself must do after an event.
enum class WindowRequest { none, quit, toggleFullscreen };

// Hands one SDL event to the input mapping in its own terms: positions as
// view points of the window's size in points, the wheel's precise amounts,
// keys by what they print.
WindowRequest handleSdlEvent(const SDL_Event& event, GameWindow& window, InputMap& input);

}  // namespace sorvel
