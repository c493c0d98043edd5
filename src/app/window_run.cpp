#include "app/window_run.hpp"

#include <SDL.h>

#include <utility>

#include "app/quit_request.hpp"
#include "app/window_app.hpp"

namespace sorvel {

int playInWindow(SettingsStore& store, const WindowOptions& options, Chapter chapter, QuitRequest& quit) {
  WindowApp app(store, options, std::move(chapter));
  if (!app.init()) return 1;
  quit.setWake([] {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
  });
  bool running = true;
  while (running && !quit.asked()) {
    app.startFrame();
    SDL_Event event;
    // Every event queued is handled, a request to close included, and the
    // frame still drawn.
    while (SDL_PollEvent(&event)) {
      if (!app.event(event)) running = false;
    }
    const WindowApp::FrameEnd end = app.frame();
    if (end == WindowApp::FrameEnd::away) continue;
    if (end == WindowApp::FrameEnd::last) running = false;
    app.pace();
  }
  quit.setWake({});
  app.shutdown();
  quit.done();
  return 0;
}

}  // namespace sorvel
