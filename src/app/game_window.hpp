#pragma once

#include <glm/vec2.hpp>
#include <memory>
#include <optional>
#include <string>

#include "app/grab_cursor.hpp"
#include "app/window_state.hpp"
#include "base/result.hpp"

struct SDL_Window;

namespace sorvel {

// The game's one window and its OpenGL 3.3 core context, made with SDL.
// Sizes come in two units: points, in which the player's pointer moves and
// the window is laid out, and pixels, which the GPU draws (more of them than
// points on a high-density display).
class GameWindow {
 public:
  static constexpr int kDefaultWidth = 1360;
  static constexpr int kDefaultHeight = 880;
  static constexpr int kMinWidth = 900;
  static constexpr int kMinHeight = 640;

  // Starts SDL's video, makes the window (hidden until show()) and its
  // context, current on this thread. `place` is where the player left the
  // window last time, if it still fits a display. Never aborts: the reason
  // says what failed, with SDL's reason.
  static Result<std::unique_ptr<GameWindow>> open(const std::optional<WindowState>& place);

  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  void show();
  glm::ivec2 points() const;
  glm::ivec2 pixels() const;
  bool minimised() const;
  bool focused() const;
  // Where and how the window stands now, to be remembered at the end: the
  // place (of its frame's top left corner) and size it has when neither
  // maximised nor fullscreen.
  WindowState state() const;
  // Keeps the window's place and size while it is neither maximised nor
  // fullscreen, and its display's refresh rate; called whenever it moves,
  // changes size or changes display.
  void noteGeometry();

  // Desktop fullscreen: the display's own mode, so switching is instant.
  void toggleFullscreen();
  void setFullscreen(bool on);
  // The pointer's look: a grabbing hand while the player turns the block, a
  // pointing hand over the interface's controls.
  enum class Cursor { arrow, hand, grab };
  void showCursor(Cursor cursor);
  // Shows what was drawn; blocks for vsync where the driver offers it.
  void swap();
  // Frames per second the window's display refreshes at, or 60 when it does
  // not say; looked up again whenever the window moves.
  int refreshRate() const { return refreshRate_; }
  const std::string& describe() const { return description_; }

 private:
  GameWindow() = default;
  // Each fails with SDL's reason.
  Result<void> createWindow(const std::optional<WindowState>& place);
  Result<void> createContext();
  // The place and size now, nothing while maximised, fullscreen or minimised.
  std::optional<WindowState> normalPlace() const;

  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;  // SDL_GLContext
  SdlCursor grabCursor_;
  SdlCursor handCursor_;
  SdlCursor arrowCursor_;
  Cursor cursor_ = Cursor::arrow;
  WindowState normal_;
  int refreshRate_ = 60;
  std::string description_;
};

// Whether SDL's video driver of this name shows a window to a person (the
// desktop's, or the screen's own), not one drawn only into memory.
bool showsAWindow(const char* videoDriver);

}  // namespace sorvel
