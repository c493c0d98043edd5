#pragma once

#include <optional>
#include <string>

#include "app/scene_scale.hpp"
#include "base/language.hpp"

namespace sorvel {

// What the launch asks of the game in its window, from the command line and
// the environment. Unreadable values are kept with what was wrong with them:
// the window says so once it is up, where a player running it sees the line.
struct WindowOptions {
  std::optional<std::string> demo;  // a demo script to run on the game
  bool stats = false;               // SORVEL_STATS: timings and memory on stderr
  std::optional<long> quitAfterFrames;  // SORVEL_QUIT_AFTER_FRAMES, for scripted runs
  std::string quitAfterFramesProblem;
  PinnedSceneScale sceneScale;  // SORVEL_SCENE_SCALE
  std::optional<Language> language;  // --lang, over the player's saved choice for this run
};

}  // namespace sorvel
