#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace sorvel {

// The folder the running program lives in; empty when it cannot be told.
std::filesystem::path executableDir();

// The folder holding "puzzles/" and "toys/". Looked for in this order:
// $SORVEL_RESOURCES (taken as given, so tests can point anywhere), beside the
// executable, the install prefix's share/sorvel, the source tree.
std::filesystem::path resourceDir();

// A resource named `name` with `extension`: first in `subfolder` of `dir`, then
// at the top of `dir`. Nothing when neither exists.
std::optional<std::filesystem::path> findResource(const std::filesystem::path& dir,
                                                  std::string_view subfolder,
                                                  std::string_view name,
                                                  std::string_view extension);

// The per-user folder for saved progress: $SORVEL_DATA_DIR when set (tests),
// else $XDG_DATA_HOME/sorvel, else ~/.local/share/sorvel.
std::filesystem::path userDataDir();

// The per-user folder for state that belongs to this machine rather than to
// the player's progress (where the window was): $XDG_STATE_HOME/sorvel when
// that is an absolute path, as the XDG rules ask, else ~/.local/state/sorvel.
std::filesystem::path userStateDir();

}  // namespace sorvel
