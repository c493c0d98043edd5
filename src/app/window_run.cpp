#include "app/window_run.hpp"

#include <SDL.h>
#include <epoxy/gl.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/game_window.hpp"
#include "app/input_map.hpp"
#include "app/quit_request.hpp"
#include "app/scene_scale.hpp"
#include "app/pointer_router.hpp"
#include "app/sdl_input.hpp"
#include "app/window_state.hpp"
#include "game/game.hpp"
#include "platform_audio/sdl_audio_output.hpp"
#include "render/layer_compositor.hpp"
#include "render/offscreen_target.hpp"
#include "render/renderer.hpp"
#include "ui/composite.hpp"
#include "ui/interface.hpp"
#include "ui/painter.hpp"

namespace sorvel {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

long peakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The picture goes through a target of our own, as it does for a still, and
// is then copied to the window: the window and the captures share one path,
// and no driver's idea of an sRGB window matters. A scene drawn smaller than
// the window goes through a second target first and is scaled up into the
// first, so the interface over it keeps every pixel.
class Presenter {
 public:
  // False, with nothing shown, when no target of that size can be had.
  // `overlay` draws over the scene, into the target, before it is shown.
  bool present(Renderer& renderer, const Frame& frame, glm::ivec2 pixels, glm::ivec2 scene,
               const std::function<void(int width, int height)>& overlay) {
    if (!fit(target_, pixels, "the window's picture")) return false;
    const bool scaled = scene != pixels;
    if (scaled && !fit(sceneTarget_, scene, "the window's scene")) return false;
    if (!scaled) sceneTarget_.reset();
    const OffscreenTarget& drawn = scaled ? *sceneTarget_ : *target_;
    if (!renderer.render(frame, {drawn.framebuffer(), scene.x, scene.y})) {
      reportOnce("a picture of " + std::to_string(scene.x) + "x" + std::to_string(scene.y) + " pixels");
      return false;
    }
    // Both hold sRGB-encoded values: copy (and scale) them as they are.
    glDisable(GL_FRAMEBUFFER_SRGB);
    if (scaled) {
      glBindFramebuffer(GL_READ_FRAMEBUFFER, sceneTarget_->framebuffer());
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target_->framebuffer());
      glBlitFramebuffer(0, 0, scene.x, scene.y, 0, 0, pixels.x, pixels.y, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    target_->bind();
    overlay(pixels.x, pixels.y);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target_->framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, pixels.x, pixels.y, 0, 0, pixels.x, pixels.y, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    reported_ = false;
    return true;
  }

 private:
  bool fit(std::optional<OffscreenTarget>& target, glm::ivec2 size, const char* what) {
    if (target && target->width() == size.x && target->height() == size.y) return true;
    target.reset();
    OffscreenTarget::Created made = OffscreenTarget::create(size.x, size.y);
    if (!made.target) {
      reportOnce(std::string(what) + " (" + made.error + ")");
      return false;
    }
    target = std::move(made.target);
    return true;
  }

  void reportOnce(const std::string& what) {
    if (!reported_) std::fprintf(stderr, "sorvel: the driver cannot draw %s; waiting for another size\n", what.c_str());
    reported_ = true;
  }

  std::optional<OffscreenTarget> target_;
  std::optional<OffscreenTarget> sceneTarget_;
  bool reported_ = false;
};

// What SORVEL_STATS asks for: the start-up split once the first frame is
// shown, then the frame rate, the main thread's work per frame and the
// memory on the way out.
struct Stats {
  bool enabled = false;
  Clock::time_point start = Clock::now();
  double window = 0, renderer = 0, fonts = 0, game = 0;
  long frames = 0;
  double sceneScaleSum = 0;
  // Main-thread CPU: events, tick and frame assembly; then the renderer's
  // submission (on a software GL this includes the driver's own work).
  double gameSeconds = 0, renderSeconds = 0;
  Clock::time_point loopStart;

  void firstFrame(double frameMs) const {
    if (!enabled) return;
    std::fprintf(stderr,
                 "sorvel: first frame shown %.0f ms after start (window and GL %.0f, renderer %.0f, fonts %.0f, "
                 "game %.0f, first frame %.0f)\n",
                 millisecondsSince(start), window, renderer, fonts, game, frameMs);
  }
  void end() const {
    if (!enabled || frames == 0) return;
    const double seconds = std::chrono::duration<double>(Clock::now() - loopStart).count();
    const double n = static_cast<double>(frames);
    std::fprintf(stderr,
                 "sorvel: %ld frames in %.1f s (%.1f a second), the scene at %.0f%% of the window on average; "
                 "main thread CPU a frame: %.2f ms for events, tick and frame, %.2f ms rendering; peak memory "
                 "%ld MiB\n",
                 frames, seconds, n / seconds, 100 * sceneScaleSum / n, 1000 * gameSeconds / n,
                 1000 * renderSeconds / n, peakResidentKiB() / 1024);
  }
};

void rememberWindow(const GameWindow& window) {
  const std::filesystem::path file = windowStateFile();
  if (file.empty()) return;
  if (const std::string problem = writeWindowState(file, window.state()); !problem.empty()) {
    std::fprintf(stderr, "sorvel: the window's place is not remembered: %s\n", problem.c_str());
  }
}

std::optional<WindowState> rememberedWindow() {
  const std::filesystem::path file = windowStateFile();
  if (file.empty()) return std::nullopt;
  const Result<std::optional<WindowState>> read = readWindowState(file);
  if (!read) {
    std::fprintf(stderr, "sorvel: %s\n", read.why().c_str());
    return std::nullopt;
  }
  return *read;
}

}  // namespace

int playInWindow(SettingsStore& store, const WindowOptions& options, Chapter chapter, QuitRequest& quit) {
  Stats stats{.enabled = options.stats};
  Clock::time_point step = Clock::now();
  GameWindow::Opened opened = GameWindow::open(rememberedWindow());
  if (!opened.window) {
    std::fprintf(stderr, "sorvel: %s; --still and --film need no window\n", opened.error.c_str());
    return 1;
  }
  GameWindow& window = *opened.window;
  stats.window = millisecondsSince(step);

  step = Clock::now();
  Renderer::Created made = Renderer::create();
  if (!made.renderer) {
    std::fprintf(stderr, "sorvel: %s (%s); --still and --film need no window\n", made.error.c_str(),
                 window.describe().c_str());
    return 1;
  }
  Renderer& renderer = *made.renderer;
  const auto* rendererName = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const PinnedSceneScale& pinned = options.sceneScale;
  if (!pinned.problem.empty()) std::fprintf(stderr, "sorvel: %s\n", pinned.problem.c_str());
  SceneScale sceneScale(isSoftwareRenderer(rendererName != nullptr ? rendererName : ""), pinned.scale);
  LayerCompositor::Created compositor = LayerCompositor::create();
  if (!compositor.compositor) {
    std::fprintf(stderr, "sorvel: %s (%s)\n", compositor.error.c_str(), window.describe().c_str());
    return 1;
  }
  stats.renderer = millisecondsSince(step);

  // Fonts found and faces loaded before the window shows: a cold font cache
  // costs seconds.
  step = Clock::now();
  const ui::Painter painter;
  ui::Interface interface(painter);
  ui::CompositedInterface overlays(*compositor.compositor);
  stats.fonts = millisecondsSince(step);

  step = Clock::now();
  Game game(GameOptions{.persist = true,
                        .store = &store,
                        .gpu = &renderer,
                        .audio = std::make_unique<SdlAudioOutput>(),
                        .chapter = std::move(chapter)});
  if (options.demo) game.demo(*options.demo);
  stats.game = millisecondsSince(step);

  InputMap input(game);
  PointerRouter pointer(
      input, [&interface](ui::Point p) { return interface.hit(p); },
      [&game](ui::Action action) { ui::perform(action, game); });
  const Clock::time_point epoch = Clock::now();
  if (!options.quitAfterFramesProblem.empty()) {
    std::fprintf(stderr, "sorvel: %s\n", options.quitAfterFramesProblem.c_str());
  }
  const std::optional<long> quitAfter = options.quitAfterFrames;
  quit.setWake([] {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
  });

  SdlInput sdlInput;
  Presenter presenter;
  std::optional<ui::InterfaceState> shownState;
  std::uint64_t shownRevision = 0;
  window.show();
  Clock::time_point last = Clock::now();
  bool running = true;
  while (running && !quit.asked()) {
    const Clock::time_point frameStart = Clock::now();
    const double cpuStart = threadCpuSeconds();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      switch (sdlInput.handle(event, window, pointer, input)) {
        case WindowRequest::none:
          break;
        case WindowRequest::quit:
          running = false;
          break;
        case WindowRequest::toggleFullscreen:
          window.toggleFullscreen();
          break;
      }
    }
    // A minimised window draws nothing and its game stands still; the
    // clock starts again from the moment it is back.
    if (window.minimised()) {
      SDL_WaitEventTimeout(nullptr, 100);
      last = Clock::now();
      continue;
    }
    const Clock::time_point now = Clock::now();
    const double dt = std::chrono::duration<double>(now - last).count();
    last = now;
    // Time spent away from the window is not time spent on the puzzle.
    game.setPlayClockPaused(!window.focused());
    const glm::ivec2 pixels = window.pixels();
    if (pixels.y > 0) game.viewportChanged(static_cast<float>(pixels.x) / static_cast<float>(pixels.y));
    game.tick(dt);
    if (pixels.x <= 0 || pixels.y <= 0) continue;
    const Frame frame = game.frame();
    const glm::ivec2 points = window.points();
    const float scale = points.x > 0 ? static_cast<float>(pixels.x) / static_cast<float>(points.x) : 1.0f;
    // The interface reads only published fields: a new snapshot (strings and
    // all) only when one of them changed.
    if (!shownState || game.revision() != shownRevision) {
      shownState = ui::snapshot(game);
      shownRevision = game.revision();
    }
    interface.update(*shownState, game.touchFX(),
                     {static_cast<float>(points.x), static_cast<float>(points.y)}, scale,
                     std::chrono::duration<double>(Clock::now() - epoch).count());
    // After the interface is laid out anew: a card that just closed takes
    // its buttons, and the hand over them, along.
    window.showCursor(input.orbiting()         ? GameWindow::Cursor::grab
                      : pointer.overControl() ? GameWindow::Cursor::hand
                                              : GameWindow::Cursor::arrow);
    const double cpuFrame = threadCpuSeconds();
    const bool shown = presenter.present(renderer, frame, pixels, sceneScale.sceneSize(pixels),
                                         [&](int width, int height) { overlays.draw(interface.layers(), width, height); });
    stats.gameSeconds += cpuFrame - cpuStart;
    stats.renderSeconds += threadCpuSeconds() - cpuFrame;
    window.swap();
    if (shown) {
      sceneScale.frameShown(std::chrono::duration<double>(Clock::now() - frameStart).count());
      stats.sceneScaleSum += sceneScale.scale();
    }
    if (shown && ++stats.frames == 1) {
      stats.loopStart = Clock::now();
      stats.firstFrame(millisecondsSince(frameStart));
    }
    if (quitAfter && stats.frames >= *quitAfter) running = false;

    // Where swapping does not wait for the display (no vsync, a hidden
    // window), keep to its refresh rate, at most 120 frames a second,
    // rather than spin a core.
    const auto period = std::chrono::duration<double>(1.0 / std::min(window.refreshRate(), 120));
    const auto spent = Clock::now() - frameStart;
    if (spent < period) std::this_thread::sleep_for(period - spent);
  }
  quit.setWake({});

  // Play time since the last action would otherwise be lost.
  game.saveOpenPuzzle();
  store.flush();
  rememberWindow(window);
  stats.end();
  quit.done();
  return 0;
}

}  // namespace sorvel
