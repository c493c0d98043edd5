#pragma once

#include <cstdio>

#include "app/quit_request.hpp"
#include "base/settings_store.hpp"

namespace sorvel {

// Where the run keeps its settings: the player's file, or memory only for a
// still or film (unless a reset is asked for too).
SettingsStore::Options settingsOptionsFor(const ArgumentLayer& arguments);

// The program's start-up order once the options sit in the store's argument
// layer: the reset first, then a still, then a film, otherwise the game.
// Returns the process exit status. `quit` lets an interrupt end the game as
// closing its window does.
int startApplication(SettingsStore& store, QuitRequest& quit);

}  // namespace sorvel
