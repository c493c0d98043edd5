#pragma once

#include "app/launch_request.hpp"
#include "app/quit_request.hpp"
#include "base/settings_store.hpp"

namespace sorvel {

// Where the run keeps its settings: the player's file, or memory only for a
// still or film (unless a reset is asked for too).
SettingsStore::Options settingsOptionsFor(const LaunchRequest& request);

// The program's start-up order: the reset first, then the still, the film or
// the game. Returns the process exit status. `quit` lets an interrupt end the
// game as closing its window does.
int startApplication(const LaunchRequest& request, SettingsStore& store, QuitRequest& quit);

}  // namespace sorvel
