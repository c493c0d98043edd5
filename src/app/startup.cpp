#include "app/startup.hpp"

#include <cstdio>
#include <memory>
#include <string>

#include "app/window_run.hpp"
#include "capture/film.hpp"
#include "capture/still.hpp"
#include "puzzle/library.hpp"

namespace sorvel {

SettingsStore::Options settingsOptionsFor(const ArgumentLayer& arguments) {
  // Read as the game reads them, so "-sorvelReset NO" means no.
  SettingsStore asked(SettingsStore::Options{});
  asked.setArguments(arguments);
  const bool capture = asked.contains("sorvelStill") || asked.contains("sorvelFilm");
  // A capture takes its options from the command line alone and must leave
  // saved progress as it found it, damaged or not; only an explicit reset
  // reaches the file.
  if (capture && !asked.boolean("sorvelReset")) return SettingsStore::Options{};
  return defaultSettingsOptions();
}

int startApplication(SettingsStore& store, QuitRequest& quit) {
  if (store.boolean("sorvelReset")) {
    store.removeAll();
    std::printf("sorvel: saved progress removed (%s)\n", store.file().c_str());
  }
  if (const auto still = store.string("sorvelStill")) return captureStill(store, *still);
  if (const auto film = store.string("sorvelFilm")) {
    // Shared: the interrupt's thread may still reach it after the film.
    auto interrupt = std::make_shared<FilmInterrupt>();
    quit.setWake([interrupt, &quit] {
      interrupt->stop();
      quit.done();
    });
    return makeFilm(store, *film, *interrupt);
  }

  // A broken chapter stops the program here with its reason, before a
  // window flashes up.
  const auto [chapter, puzzles] = Library::chapter();
  std::printf("sorvel: chapter \"%s\" with %zu puzzles loaded\n", chapter.id.c_str(), puzzles.size());
  std::fflush(stdout);
  return playInWindow(store, quit);
}

}  // namespace sorvel
