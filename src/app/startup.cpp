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
#include "puzzle/shelf.hpp"

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

  // A broken chapter of the game's, or the one asked for, stops the program
  // here with its reason, before a window flashes up; a broken chapter of
  // the player's is only left off the shelf.
  Shelf shelf;
  try {
    shelf = Library::loadShelf(
        {.resources = resourceDir(), .playerChapters = userDataDir() / "chapters", .tryChapter = request.chapter});
  } catch (const LoadError& error) {
    sayStop(std::string("cannot load the puzzles: ") + error.what());
    return 1;
  }
  for (const std::string& note : shelf.notes) std::fprintf(stderr, "sorvel: %s\n", note.c_str());
  std::size_t puzzles = 0;
  for (const Chapter& chapter : shelf.chapters) puzzles += chapter.puzzles.size();
  std::printf("sorvel: %zu chapters with %zu puzzles loaded\n", shelf.chapters.size(), puzzles);
  std::fflush(stdout);
  return playInWindow(store, std::get<WindowOptions>(request.action), std::move(shelf), quit);
}

}  // namespace sorvel
