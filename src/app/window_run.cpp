#include "app/window_run.hpp"

#include <SDL.h>

#include <cmath>
#include <utility>

#include "app/quit_request.hpp"
#include "app/window_app.hpp"

namespace sorvel {
namespace {

// Sleeps until an event comes, or `seconds` pass; looks without sleeping
// when there is no time to sleep.
bool nextEvent(SDL_Event& event, double seconds) {
  const int ms = static_cast<int>(std::floor(seconds * 1000));
  return ms > 0 ? SDL_WaitEventTimeout(&event, ms) == 1 : SDL_PollEvent(&event) == 1;
}

}  // namespace

int playInWindow(SettingsStore& store, const WindowOptions& options, Shelf shelf, QuitRequest& quit) {
  WindowApp app(store, options, std::move(shelf));
  if (!app.init()) return 1;
  quit.setWake([] {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
  });
  bool running = true;
  double sleep = 0;
  while (running && !quit.asked()) {
    SDL_Event event;
    bool pending = nextEvent(event, sleep);
    // Input is read just before the frame it changes. Every event queued is
    // handled, a request to close included, and the frame still drawn.
    app.startFrame();
    while (pending) {
      if (!app.event(event)) running = false;
      pending = SDL_PollEvent(&event) == 1;
    }
    const WindowApp::FrameEnd end = app.frame();
    if (end.last) running = false;
    sleep = end.sleep;
    if (end.drawn) app.pace();
  }
  quit.setWake({});
  app.shutdown();
  quit.done();
  return 0;
}

}  // namespace sorvel
