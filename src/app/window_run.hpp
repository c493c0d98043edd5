#pragma once

#include "base/settings_store.hpp"

namespace sorvel {

class QuitRequest;

// Plays the game in its window until the player quits: the window and its
// GL context, the renderer, the one Game (saving to `store`, heard through
// the sound device), the demo script if one was asked for, then the draw
// loop. Returns the exit status: 1, with one line on stderr, when there is no
// display or no OpenGL 3.3, before anything is saved.
int playInWindow(SettingsStore& store, QuitRequest& quit);

}  // namespace sorvel
