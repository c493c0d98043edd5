#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/draw_schedule.hpp"
#include "app/frame_stats.hpp"
#include "app/gamepad_map.hpp"
#include "app/input_map.hpp"
#include "app/pointer_router.hpp"
#include "app/scene_scale.hpp"
#include "app/sdl_gamepads.hpp"
#include "app/sdl_input.hpp"
#include "app/window_options.hpp"
#include "base/settings_store.hpp"
#include "puzzle/shelf.hpp"
#include "render/presenter.hpp"
#include "ui/interface.hpp"
#include "ui/views.hpp"

union SDL_Event;

namespace sorvel {

class Game;
class GameWindow;
class InterfaceStack;
class LayerCompositor;
class Renderer;

// The game played in its window, in the parts of a frame loop: init once,
// then each frame its events and the frame itself, and shutdown at the end.
// The caller runs the loop (and so decides when it ends).
class WindowApp {
 public:
  // How a look at the game ended: whether a frame was drawn (and so wants
  // pacing), whether it was the last one asked for, and how long the loop
  // may sleep waiting for an event before the next look.
  struct FrameEnd {
    bool drawn = false;
    bool last = false;
    double sleep = 0;
  };

  // The game of the chapters on `shelf`, saving to `store`, as `options` ask.
  WindowApp(SettingsStore& store, WindowOptions options, Shelf shelf);
  ~WindowApp();
  WindowApp(const WindowApp&) = delete;
  WindowApp& operator=(const WindowApp&) = delete;

  // The window, its GL context, the renderer, the interface and the game,
  // with the demo script asked for; then shows the window. False, with one
  // line on stderr, when any of them cannot be had.
  bool init();
  // Notes when the frame starts: its clocks count the events too.
  void startFrame();
  // One of SDL's events; false when it asks the game to close.
  bool event(const SDL_Event& event);
  // Ticks the game and draws a frame if the picture changed or moves.
  FrameEnd frame();
  // Sleeps out the rest of the frame where swapping does not wait for the display.
  void pace() const;
  // Saves the open puzzle and the window's place; says the stats if asked.
  void shutdown();

 private:
  bool openWindow();
  bool openRenderer();
  void openInterface();
  void startGame();
  // The interface brought up to the game's published state and the window.
  void updateInterface(glm::ivec2 pixels);
  // Draws and shows the frame as `plan` says; `cpuFrame` is the thread's
  // CPU time before it. Whether the picture shown is whole (full quality at
  // the window's size); nothing when none could be shown.
  std::optional<bool> present(const Frame& frame, glm::ivec2 pixels, double cpuFrame, const DrawSchedule::Plan& plan);
  double secondsSinceStart() const;
  // The pad's commands and the right stick's turn, `dt` seconds of it.
  void playGamepad(double dt);
  // The player's interface size, 1 to 2.
  float interfaceScale() const;
  // The window made as the preferences say (fullscreen or not).
  void followPreferences();

  SettingsStore& store_;
  const WindowOptions options_;
  Shelf shelf_;  // handed to the game when it starts
  FrameStats stats_;
  // Declared in the order they are made; they go in reverse, the window and
  // its GL context last.
  std::unique_ptr<GameWindow> window_;
  std::unique_ptr<Renderer> renderer_;
  std::optional<SceneScale> sceneScale_;
  std::optional<DrawSchedule> schedule_;
  bool cpuRenderer_ = false;
  // Made with the renderer (its program is GL start-up work), then handed
  // to the interface once the fonts are loaded.
  std::unique_ptr<LayerCompositor> compositor_;
  std::unique_ptr<InterfaceStack> interface_;
  std::unique_ptr<Game> game_;
  std::optional<InputMap> input_;
  std::optional<PointerRouter> pointer_;
  std::optional<SdlInput> sdlInput_;
  std::optional<SdlGamepads> gamepads_;
  GamepadMap gamepad_;
  Presenter presenter_;

  Clock::time_point epoch_;
  std::optional<long> quitAfter_;
  std::optional<ui::InterfaceState> shownState_;
  std::uint64_t shownRevision_ = 0;
  // What the picture on screen shows, to tell whether it must change.
  std::optional<Frame> shownFrame_;
  std::vector<ui::LayerStamp> shownLayers_;
  glm::ivec2 shownPixels_{0};
  bool exposed_ = false;  // uncovered: the window wants its picture again
  bool fullscreen_ = false;  // as the window was last made
  Clock::time_point last_;
  Clock::time_point frameStart_;
  double cpuStart_ = 0;
};

}  // namespace sorvel
