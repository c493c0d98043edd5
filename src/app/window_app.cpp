#include "app/window_app.hpp"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

#include "app/game_window.hpp"
#include "app/window_place.hpp"
#include "game/game.hpp"
#include "platform_audio/sdl_audio_output.hpp"
#include "render/gl_info.hpp"
#include "render/interface_stack.hpp"
#include "render/renderer.hpp"
#include "ui/interface.hpp"

namespace sorvel {

namespace {

// How soon the loop looks again while a gamepad holds something down.
constexpr double kPadLook = 1.0 / 60;

}  // namespace

WindowApp::WindowApp(SettingsStore& store, WindowOptions options, Shelf shelf)
    : store_(store), options_(std::move(options)), shelf_(std::move(shelf)) {
  stats_.enabled = options_.stats;
}

WindowApp::~WindowApp() = default;

bool WindowApp::init() {
  if (!openWindow() || !openRenderer()) return false;
  openInterface();
  startGame();
  input_.emplace(*game_);
  ui::Interface& ui = interface_->interface();
  input_->commands().setFocus({.move = [&ui](int step) { ui.moveFocus(step); },
                               .press =
                                   [this, &ui] {
                                     const std::optional<ui::Action> action = ui.focused();
                                     if (action) ui::perform(*action, *game_);
                                     return action.has_value();
                                   },
                               .drop = [&ui] { ui.dropFocus(); }});
  // The interface is laid out in points divided by the player's size.
  pointer_.emplace(
      *input_, [this, &ui](ui::Point p) { return ui.hit({p.x / interfaceScale(), p.y / interfaceScale()}); },
      [this](ui::Action action) { ui::perform(action, *game_); });
  fullscreen_ = window_->state().fullscreen;
  if (!store_.contains(preference_keys::kFullscreen)) {
    // A player from before the preference keeps the window as it was left.
    Preferences p = game_->preferences();
    p.fullscreen = fullscreen_;
    game_->setPreferences(p);
  }
  followPreferences();
  epoch_ = Clock::now();
  if (!options_.quitAfterFramesProblem.empty()) {
    std::fprintf(stderr, "sorvel: %s\n", options_.quitAfterFramesProblem.c_str());
  }
  quitAfter_ = options_.quitAfterFrames;
  sdlInput_.emplace();
  gamepads_.emplace();
  window_->show();
  last_ = Clock::now();
  return true;
}

bool WindowApp::openWindow() {
  const Clock::time_point step = Clock::now();
  Result<std::unique_ptr<GameWindow>> opened = GameWindow::open(rememberedWindowPlace());
  if (!opened) {
    std::fprintf(stderr, "sorvel: %s; --still and --film need no window\n", opened.why().c_str());
    return false;
  }
  window_ = std::move(*opened);
  stats_.window = millisecondsSince(step);
  return true;
}

bool WindowApp::openRenderer() {
  const Clock::time_point step = Clock::now();
  const char* rendererName = currentGlRenderer();
  cpuRenderer_ = isSoftwareRenderer(rendererName != nullptr ? rendererName : "");
  // Only what the first frame draws with is built before it: on a CPU, a
  // quick picture.
  Result<std::unique_ptr<Renderer>> made = Renderer::create(cpuRenderer_ ? DrawQuality::quick : DrawQuality::full);
  if (!made) {
    std::fprintf(stderr, "sorvel: %s (%s); --still and --film need no window\n", made.why().c_str(),
                 window_->describe().c_str());
    return false;
  }
  renderer_ = std::move(*made);
  const PinnedSceneScale& pinned = options_.sceneScale;
  if (!pinned.problem.empty()) std::fprintf(stderr, "sorvel: %s\n", pinned.problem.c_str());
  sceneScale_.emplace(cpuRenderer_, pinned.scale);
  schedule_.emplace(cpuRenderer_);
  Result<std::unique_ptr<LayerCompositor>> compositor = LayerCompositor::create();
  if (!compositor) {
    std::fprintf(stderr, "sorvel: %s (%s)\n", compositor.why().c_str(), window_->describe().c_str());
    return false;
  }
  compositor_ = std::move(*compositor);
  stats_.renderer = millisecondsSince(step);
  return true;
}

void WindowApp::openInterface() {
  // Fonts found and faces loaded before the window shows: a cold font cache
  // costs seconds.
  const Clock::time_point step = Clock::now();
  interface_ = std::make_unique<InterfaceStack>(std::move(compositor_));
  stats_.fonts = millisecondsSince(step);
}

void WindowApp::startGame() {
  const Clock::time_point step = Clock::now();
  game_ = std::make_unique<Game>(GameOptions{.persist = true,
                                             .store = &store_,
                                             .gpu = renderer_.get(),
                                             .audio = std::make_unique<SdlAudioOutput>(),
                                             .shelf = std::move(shelf_),
                                             .language = options_.language});
  if (options_.demo) game_->demo(*options_.demo);
  stats_.game = millisecondsSince(step);
}

void WindowApp::startFrame() {
  frameStart_ = Clock::now();
  cpuStart_ = threadCpuSeconds();
}

bool WindowApp::event(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) exposed_ = true;
  if (gamepads_->handle(event, gamepad_, secondsSinceStart())) return true;
  // The pointer in use hides the keyboard's focus ring; a key shows it again.
  if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONDOWN) interface_->interface().showFocus(false);
  switch (sdlInput_->handle(event, *window_, *pointer_, *input_)) {
    case WindowRequest::none:
      break;
    case WindowRequest::quit:
      return false;
    case WindowRequest::toggleFullscreen: {
      // The window's own key, from whatever the window is now; the
      // preference follows it.
      window_->toggleFullscreen();
      fullscreen_ = window_->state().fullscreen;
      Preferences p = game_->preferences();
      p.fullscreen = fullscreen_;
      game_->setPreferences(p);
      break;
    }
  }
  followPreferences();
  return true;
}

float WindowApp::interfaceScale() const { return game_->preferences().interfaceScale(); }

void WindowApp::followPreferences() {
  if (game_->preferences().fullscreen == fullscreen_) return;
  fullscreen_ = game_->preferences().fullscreen;
  window_->setFullscreen(fullscreen_);
}

WindowApp::FrameEnd WindowApp::frame() {
  // A minimised window draws nothing and its game stands still; the clock
  // starts again from the moment it is back.
  if (window_->minimised()) {
    last_ = Clock::now();
    return {.sleep = 0.1};
  }
  const Clock::time_point now = Clock::now();
  const double dt = std::chrono::duration<double>(now - last_).count();
  last_ = now;
  // Time spent away from the window is not time spent on the puzzle.
  game_->setPlayClockPaused(!window_->focused());
  const glm::ivec2 pixels = window_->pixels();
  if (pixels.y > 0) game_->viewportChanged(static_cast<float>(pixels.x) / static_cast<float>(pixels.y));
  playGamepad(dt);
  game_->tick(dt);
  if (pixels.x <= 0 || pixels.y <= 0) return {.sleep = 0.1};
  Frame frame = game_->frame();
  updateInterface(pixels);
  std::vector<ui::LayerStamp> layers = ui::stampsOf(interface_->interface().layers());
  const bool changed = !shownFrame_ || pixels != shownPixels_ || layers != shownLayers_ ||
                       !sameScene(frame, *shownFrame_);
  const DrawSchedule::Plan plan = schedule_->plan(secondsSinceStart(), game_->motion(), changed);
  if (!plan.moving) stats_.atRest(now);
  if (!plan.draw) {
    // Uncovered with nothing new to draw: the picture it had, again.
    if (exposed_ && presenter_.showAgain(pixels)) window_->swap();
    exposed_ = false;
    // A held stick sends no events: look again within a frame.
    return {.sleep = gamepad_.busy() ? std::min(plan.sleep, kPadLook) : plan.sleep};
  }
  exposed_ = false;
  const std::optional<bool> whole = present(frame, pixels, threadCpuSeconds(), plan);
  if (!whole) return {.sleep = DrawSchedule::kLongestSleep};
  schedule_->shown(secondsSinceStart(), *whole);
  shownFrame_ = std::move(frame);
  shownLayers_ = std::move(layers);
  shownPixels_ = pixels;
  return {.drawn = true, .last = quitAfter_ && stats_.frames >= *quitAfter_};
}

void WindowApp::playGamepad(double dt) {
  for (const Command command : gamepad_.take(secondsSinceStart())) input_->commands().run(command);
  const glm::vec2 turn = gamepad_.turnRate();
  // A card over the block holds it still, as it does for the pointer.
  const bool covered = game_->settingsCard() != SettingsCard::closed || game_->showTutorial();
  if (turn == glm::vec2(0) || covered || game_->screen() == Screen::home) return;
  // After a sleep, the first frame's turn is a frame's worth, not the sleep's.
  game_->drag(turn * static_cast<float>(std::min(dt, kPadLook * 3)));
}

double WindowApp::secondsSinceStart() const { return std::chrono::duration<double>(Clock::now() - epoch_).count(); }

void WindowApp::updateInterface(glm::ivec2 pixels) {
  // The player's size on top of the display's: fewer, larger points.
  const float size = interfaceScale();
  const glm::vec2 points = glm::vec2(window_->points()) / size;
  const float scale = points.x > 0 ? static_cast<float>(pixels.x) / points.x : 1.0f;
  // The interface reads only published fields: a new snapshot (strings and
  // all) only when one of them changed.
  if (!shownState_ || game_->revision() != shownRevision_) {
    shownState_ = ui::snapshot(*game_);
    shownRevision_ = game_->revision();
  }
  interface_->interface().update(*shownState_, game_->touchFX(),
                                 {points.x, points.y}, scale,
                                 std::chrono::duration<double>(Clock::now() - epoch_).count());
  // After the interface is laid out anew: a card that just closed takes
  // its buttons, and the hand over them, along.
  window_->showCursor(input_->orbiting()         ? GameWindow::Cursor::grab
                      : pointer_->overControl() ? GameWindow::Cursor::hand
                                                : GameWindow::Cursor::arrow);
}

std::optional<bool> WindowApp::present(const Frame& frame, glm::ivec2 pixels, double cpuFrame,
                                       const DrawSchedule::Plan& plan) {
  const glm::ivec2 scene = plan.moving ? sceneScale_->sceneSize(pixels) : pixels;
  const bool shown = presenter_.present(*renderer_, frame, pixels, scene, plan.quality,
                                        [this](const RenderTarget& target) { interface_->draw(target); });
  stats_.gameSeconds += cpuFrame - cpuStart_;
  stats_.renderSeconds += threadCpuSeconds() - cpuFrame;
  window_->swap();
  // A CPU renderer has drawn the frame by now anyway; on any other, never
  // let frames queue up behind the one on screen, so the next input shows
  // in the next frame.
  finishGpuWork();
  if (!shown) return std::nullopt;
  const Clock::time_point shownAt = Clock::now();
  const double frameSeconds = std::chrono::duration<double>(shownAt - frameStart_).count();
  if (plan.moving) sceneScale_->frameShown(frameSeconds);
  stats_.frameShown(1000 * frameSeconds, static_cast<float>(scene.x) / static_cast<float>(pixels.x), plan.moving,
                    frameStart_, shownAt);
  // The rest of the programs right after the first frame, before the
  // first picture at rest needs them.
  if (stats_.frames == 1 && cpuRenderer_) renderer_->prepare(DrawQuality::full);
  // Four samples of every pixel are not kept for a picture that stays.
  const bool whole = plan.quality == DrawQuality::full && scene == pixels;
  if (cpuRenderer_ && whole) renderer_->releaseTargets();
  return whole;
}

void WindowApp::pace() const {
  // Where swapping does not wait for the display (no vsync, a hidden
  // window), keep to its refresh rate, at most 120 frames a second,
  // rather than spin a core.
  const auto period = std::chrono::duration<double>(1.0 / std::min(window_->refreshRate(), 120));
  const auto spent = Clock::now() - frameStart_;
  if (spent < period) std::this_thread::sleep_for(period - spent);
}

void WindowApp::shutdown() {
  // Play time since the last action would otherwise be lost.
  game_->saveOpenPuzzle();
  store_.flush();
  rememberWindowPlace(window_->state());
  stats_.end();
}

}  // namespace sorvel
