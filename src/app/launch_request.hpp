#pragma once

#include <filesystem>
#include <functional>
#include <variant>

#include "app/launch_options.hpp"
#include "app/window_options.hpp"
#include "capture/capture_request.hpp"

namespace sorvel {

// Everything a launch asks for, read once from the command line and the
// environment: whether to remove saved progress first, then one of the
// game in its window, a still or the film.
struct LaunchRequest {
  bool reset = false;
  // A chapter folder to try: on the shelf after the game's own, and shown
  // first. Empty for none.
  std::filesystem::path chapter;
  std::variant<WindowOptions, StillRequest, FilmRequest> action;
};

// Looks up an environment variable: std::getenv, or a table in tests.
using Environment = std::function<const char*(const char*)>;

// A still wins over a film, and either over the window. Option texts read as
// the settings store reads its own, so "-sorvelReset NO" means no.
LaunchRequest readLaunchRequest(const OptionTexts& options, const Environment& environment);

}  // namespace sorvel
