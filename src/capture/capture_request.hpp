#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/language.hpp"
#include "base/result.hpp"
#include "capture/still_options.hpp"

namespace sorvel {

// What the command line asks of a still picture, read once at launch. The
// values that can be refused keep their reasons here, so the still reports
// them in its own order: a path that cannot be written first.
struct StillRequest {
  std::string output;
  Result<still::Size> size = still::kStillSize;
  std::optional<still::CameraPlacement> camera;
  Result<std::int64_t> settleTicks = still::kDefaultSettleTicks;
  std::optional<double> spin;  // radians
  bool interface = false;
  double interfaceScale = 1;  // pixels a point
  std::optional<std::string> demo;
  // A chapter folder to try, as the window would; empty for none.
  std::filesystem::path chapter;
  std::optional<Language> language;  // --lang; Spanish when none
};

// What the command line and the environment ask of the film.
struct FilmRequest {
  std::string output;
  Result<still::Size> size = still::kFilmSize;
  // The encoder asked for ($SORVEL_FFMPEG), and where a bare name is looked
  // for ($PATH); either may be absent.
  std::optional<std::string> encoder;
  std::optional<std::string> searchPath;
  std::optional<Language> language;
};

}  // namespace sorvel
