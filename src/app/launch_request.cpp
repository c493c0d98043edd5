#include "app/launch_request.hpp"

#include <cstdlib>
#include <optional>
#include <string>

#include "base/setting_text.hpp"

namespace sorvel {
namespace {

std::optional<std::string> text(const OptionTexts& options, std::string_view name) {
  const auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return found->second;
}

std::optional<double> number(const OptionTexts& options, std::string_view name) {
  const auto given = text(options, name);
  if (!given) return std::nullopt;
  return leadingNumber(*given);
}

bool yes(const OptionTexts& options, std::string_view name) {
  const auto given = text(options, name);
  return given && meansYes(*given);
}

// The command line refuses an unknown language before a request is read.
std::optional<Language> language(const OptionTexts& options) {
  const auto given = text(options, option::kLang);
  return given ? languageFromCode(*given) : std::nullopt;
}

StillRequest stillRequest(std::string output, const OptionTexts& options) {
  return StillRequest{
      .output = std::move(output),
      .size = still::parseSize(text(options, option::kSize), still::kStillSize),
      .camera = still::parseCamera(text(options, option::kCam)),
      .settleTicks = still::settleTicks(number(options, option::kWait)),
      .spin = number(options, option::kSpin),
      .interface = yes(options, option::kUI),
      .interfaceScale = number(options, option::kUIScale).value_or(1),
      .demo = text(options, option::kDemo),
      .chapter = text(options, option::kChapter).value_or(""),
      .language = language(options),
  };
}

std::optional<std::string> variable(const Environment& environment, const char* name) {
  const char* value = environment(name);
  if (value == nullptr) return std::nullopt;
  return value;
}

FilmRequest filmRequest(std::string output, const OptionTexts& options, const Environment& environment) {
  return FilmRequest{.output = std::move(output),
                     .size = still::parseSize(text(options, option::kSize), still::kFilmSize),
                     .encoder = variable(environment, "SORVEL_FFMPEG"),
                     .searchPath = variable(environment, "PATH"),
                     .language = language(options)};
}

WindowOptions windowOptions(const OptionTexts& options, const Environment& environment) {
  WindowOptions window{.demo = text(options, option::kDemo),
                       .stats = environment("SORVEL_STATS") != nullptr,
                       .sceneScale = parsePinnedSceneScale(environment("SORVEL_SCENE_SCALE")),
                       .language = language(options)};
  constexpr const char* kQuitAfter = "SORVEL_QUIT_AFTER_FRAMES";
  const char* frames = environment(kQuitAfter);
  if (frames == nullptr || *frames == '\0') return window;
  char* end = nullptr;
  const long value = std::strtol(frames, &end, 10);
  if (*end != '\0' || value < 0) {
    window.quitAfterFramesProblem = std::string(kQuitAfter) + "=\"" + frames + "\" is not a whole number; ignored";
  } else {
    window.quitAfterFrames = value;
  }
  return window;
}

}  // namespace

LaunchRequest readLaunchRequest(const OptionTexts& options, const Environment& environment) {
  LaunchRequest request{.reset = yes(options, option::kReset),
                        .chapter = text(options, option::kChapter).value_or("")};
  if (auto output = text(options, option::kStill)) {
    request.action = stillRequest(std::move(*output), options);
  } else if (auto film = text(options, option::kFilm)) {
    request.action = filmRequest(std::move(*film), options, environment);
  } else {
    request.action = windowOptions(options, environment);
  }
  return request;
}

}  // namespace sorvel
