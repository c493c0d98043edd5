#pragma once

#include "app/window_options.hpp"
#include "base/settings_store.hpp"
#include "puzzle/shelf.hpp"

namespace sorvel {

class QuitRequest;

// Plays the game in its window until the player quits: the window and its
// GL context, the renderer, the one Game of `chapter` (saving to `store`,
// heard through the sound device), the demo script if `options` asks for
// one, then the draw loop. Returns the exit status: 1, with one line on stderr, when there is no
// display or no OpenGL 3.3, before anything is saved.
int playInWindow(SettingsStore& store, const WindowOptions& options, Shelf shelf, QuitRequest& quit);

}  // namespace sorvel
