#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "base/result.hpp"

namespace sorvel {

// One launch option, reachable as `-sorvelName value` or in its GNU spelling.
struct LaunchOption {
  std::string_view name;      // "sorvelStill"
  std::string_view longName;  // "--still"
  std::string_view argument;  // what the long form takes; empty for a switch
  std::string_view help;
};

// Each option's name, as the table below lists it and the launch request
// reads it.
namespace option {
inline constexpr std::string_view kReset = "sorvelReset";
inline constexpr std::string_view kStill = "sorvelStill";
inline constexpr std::string_view kFilm = "sorvelFilm";
inline constexpr std::string_view kDemo = "sorvelDemo";
inline constexpr std::string_view kSize = "sorvelSize";
inline constexpr std::string_view kCam = "sorvelCam";
inline constexpr std::string_view kWait = "sorvelWait";
inline constexpr std::string_view kSpin = "sorvelSpin";
inline constexpr std::string_view kUI = "sorvelUI";
inline constexpr std::string_view kUIScale = "sorvelUIScale";
inline constexpr std::string_view kChapter = "sorvelChapter";
inline constexpr std::string_view kLang = "sorvelLang";
}  // namespace option

inline constexpr LaunchOption kLaunchOptions[] = {
    {option::kReset, "--reset", "", "remove all saved progress, then start as on a first launch"},
    {option::kStill, "--still", "PATH", "render one still picture to a PNG file and exit"},
    {option::kFilm, "--film", "PATH", "render the film to a video file (with a WAV sound track) and exit"},
    {option::kDemo, "--demo", "SCRIPT", "run a demo script on the game (or on the still)"},
    {option::kSize, "--size", "WxH", "picture size in pixels for the still or the film"},
    {option::kCam, "--cam", "YAW,PITCH,ZOOM", "camera for the still: radians, radians, zoom factor"},
    {option::kWait, "--wait", "SECONDS", "simulated time before the still is taken (default 5)"},
    {option::kSpin, "--spin", "RADIANS", "turn of the solved figure in the still"},
    {option::kUI, "--ui", "", "draw the interface of the screen over the still"},
    {option::kUIScale, "--ui-scale", "PIXELS", "pixels per point of the still's interface (default 1)"},
    {option::kChapter, "--chapter", "FOLDER", "open a chapter folder directly, to try it (the game or the still)"},
    {option::kLang, "--lang", "LANG", "play in es (Spanish, the default) or en (English) this time"},
};

// Option name ("sorvelStill") -> the text given; a switch holds "YES".
using OptionTexts = std::map<std::string, std::string, std::less<>>;

struct CommandLine {
  enum class Action { run, help, version };
  Action action = Action::run;
  OptionTexts options;
};

// Reads the arguments after the program name. Later repeats of an option win.
// Refused, saying what was wrong, at the first unknown option or missing value.
Result<CommandLine> parseCommandLine(std::span<const std::string_view> args);

std::string helpText();

}  // namespace sorvel
