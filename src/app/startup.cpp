#include "app/startup.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "app/window_run.hpp"
#include "base/say_stop.hpp"
#include "base/resources.hpp"
#include "capture/film.hpp"
#include "capture/still.hpp"
#include "puzzle/library.hpp"

namespace sorvel {

SettingsStore::Options settingsOptionsFor(const LaunchRequest& request) {
  const bool capture = !std::holds_alternative<WindowOptions>(request.action);
  // A capture must leave saved progress as it found it, damaged or not; only
  // an explicit reset reaches the file.
  if (capture && !request.reset) return SettingsStore::Options{};
  return defaultSettingsOptions();
}

int startApplication(const LaunchRequest& request, SettingsStore& store, QuitRequest& quit) {
  if (request.reset) {
    store.removeAll();
    std::printf("sorvel: saved progress removed (%s)\n", store.file().c_str());
  }
  if (const auto* still = std::get_if<StillRequest>(&request.action)) return captureStill(*still);
  if (const auto* film = std::get_if<FilmRequest>(&request.action)) {
    // Shared: the interrupt's thread may still reach it after the film.
    auto interrupt = std::make_shared<FilmInterrupt>();
    quit.setWake([interrupt, &quit] {
      interrupt->stop();
      quit.done();
    });
    return makeFilm(*film, *interrupt);
  }

  // A broken chapter stops the program here with its reason, before a
  // window flashes up.
  Result<Chapter> chapter = Library::chapter(resourceDir());
  if (!chapter) {
    sayStop(chapter.why());
    return 1;
  }
  std::printf("sorvel: chapter \"%s\" with %zu puzzles loaded\n", chapter->chapter.id.c_str(),
              chapter->puzzles.size());
  std::fflush(stdout);
  return playInWindow(store, std::get<WindowOptions>(request.action), std::move(*chapter), quit);
}

}  // namespace sorvel
