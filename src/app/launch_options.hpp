#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/settings_store.hpp"

namespace sorvel {

// One launch option, reachable as `-sorvelName value` (the settings store's
// argument layer) or in its GNU spelling.
struct LaunchOption {
  std::string_view name;      // "sorvelStill"
  std::string_view longName;  // "--still"
  std::string_view argument;  // what the long form takes; empty for a switch
  std::string_view help;
};

inline constexpr LaunchOption kLaunchOptions[] = {
    {"sorvelReset", "--reset", "", "remove all saved progress, then start as on a first launch"},
    {"sorvelStill", "--still", "PATH", "render one still picture to a PNG file and exit"},
    {"sorvelFilm", "--film", "PATH", "render the film to a video file (with a WAV sound track) and exit"},
    {"sorvelDemo", "--demo", "SCRIPT", "run a demo script on the game (or on the still)"},
    {"sorvelSize", "--size", "WxH", "picture size in pixels for the still or the film"},
    {"sorvelCam", "--cam", "YAW,PITCH,ZOOM", "camera for the still: radians, radians, zoom factor"},
    {"sorvelWait", "--wait", "SECONDS", "simulated time before the still is taken (default 5)"},
    {"sorvelSpin", "--spin", "RADIANS", "turn of the solved figure in the still"},
    {"sorvelUI", "--ui", "", "draw the interface of the screen over the still"},
    {"sorvelUIScale", "--ui-scale", "PIXELS", "pixels per point of the still's interface (default 1)"},
};

struct CommandLine {
  enum class Action { run, help, version, fail };
  Action action = Action::run;
  ArgumentLayer arguments;  // option name -> value, for the settings store
  std::string error;        // with Action::fail: what was wrong
};

// Reads the arguments after the program name. Later repeats of an option win.
CommandLine parseCommandLine(std::span<const std::string_view> args);

std::string helpText();

}  // namespace sorvel
