#pragma once

#include <optional>

#include "app/window_state.hpp"

namespace sorvel {

// Where the player left the window last time, if the game has been closed
// before; a damaged file is said on stderr and ignored.
std::optional<WindowState> rememberedWindowPlace();
// Notes where the window is now, for the next start; a failure is said on
// stderr and costs nothing else.
void rememberWindowPlace(const WindowState& place);

}  // namespace sorvel
