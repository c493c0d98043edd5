#include "app/game_window.hpp"

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "app/grab_cursor.hpp"
#include "render/gl_info.hpp"

namespace sorvel {

namespace {

std::string sdlReason() {
  const char* reason = SDL_GetError();
  return reason != nullptr && *reason != '\0' ? reason : "no reason given";
}

std::vector<Rect> usableDisplays() {
  std::vector<Rect> displays;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(i, &r) == 0) displays.push_back({r.x, r.y, r.w, r.h});
  }
  return displays;
}

}  // namespace

bool showsAWindow(const char* videoDriver) {
  if (videoDriver == nullptr) return false;
  for (const char* shown : {"x11", "wayland", "kmsdrm"}) {
    if (SDL_strcasecmp(videoDriver, shown) == 0) return true;
  }
  return false;
}

namespace {

// Starts SDL's video; empty, or why no window can be had.
Result<void> startVideo() {
  // Task switchers and desktop entries know the game by this class; a
  // player's own setting wins.
  setenv("SDL_VIDEO_X11_WMCLASS", "sorvel", 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", "sorvel", 0);
  SDL_SetHint(SDL_HINT_APP_NAME, "Sorvel");
  // A click into a window in the background is a game click too.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Where no display answers, SDL falls back on drivers that draw into
  // memory: the game would run for ever in a window nobody can see. Only a
  // player who names a driver gets one of those.
  const char* chosenDriver = std::getenv("SDL_VIDEODRIVER");
  const bool driverChosen = chosenDriver != nullptr && *chosenDriver != '\0';
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Reason{"cannot open the game window (" + sdlReason() + ")"};
  if (const char* driver = SDL_GetCurrentVideoDriver(); !driverChosen && !showsAWindow(driver)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return Reason{"cannot open the game window (no display: SDL found only its \"" +
                  std::string(driver != nullptr ? driver : "?") + "\" video driver)"};
  }
  return {};
}

}  // namespace

Result<std::unique_ptr<GameWindow>> GameWindow::open(const std::optional<WindowState>& place) {
  if (Result<void> started = startVideo(); !started) return Reason{started.why()};
  std::unique_ptr<GameWindow> window(new GameWindow());
  if (Result<void> made = window->createWindow(place); !made) return Reason{made.why()};
  if (Result<void> made = window->createContext(); !made) return Reason{made.why()};

  window->grabCursor_ = makeGrabCursor();
  window->handCursor_.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND));
  window->arrowCursor_.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));

  const char* renderer = currentGlRenderer();
  const char* version = currentGlVersionText();
  window->description_ = std::string(renderer != nullptr ? renderer : "?") + ", OpenGL " +
                         (version != nullptr ? version : "?") + ", " + SDL_GetCurrentVideoDriver();
  return window;
}

Result<void> GameWindow::createWindow(const std::optional<WindowState>& place) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  // The renderer draws into targets of its own and blits the picture here:
  // the window needs no depth, stencil or multisampling of its own.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

  std::optional<WindowState> fitted;
  if (place) fitted = fitToDisplays(*place, usableDisplays(), kMinWidth, kMinHeight);
  const int x = fitted ? fitted->x : static_cast<int>(SDL_WINDOWPOS_CENTERED);
  const int y = fitted ? fitted->y : static_cast<int>(SDL_WINDOWPOS_CENTERED);
  const int w = fitted ? fitted->width : kDefaultWidth;
  const int h = fitted ? fitted->height : kDefaultHeight;
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
  if (fitted && fitted->maximised) flags |= SDL_WINDOW_MAXIMIZED;
  if (fitted && fitted->fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  window_ = SDL_CreateWindow("Sorvel", x, y, w, h, flags);
  if (window_ == nullptr) return Reason{"cannot open the game window (" + sdlReason() + ")"};
  SDL_SetWindowMinimumSize(window_, kMinWidth, kMinHeight);
  // A window that starts maximised or fullscreen has no normal place to note
  // until it leaves that state: the remembered one stands until then.
  if (fitted) normal_ = {.x = fitted->x, .y = fitted->y, .width = fitted->width, .height = fitted->height};
  return {};
}

Result<void> GameWindow::createContext() {
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    return Reason{"cannot get an OpenGL 3.3 core context for the window (" + sdlReason() + ")"};
  }
  if (const int version = currentGlVersion(); version < 33) {
    return Reason{"the window's OpenGL is " + std::to_string(version / 10) + "." + std::to_string(version % 10) +
                  ", and 3.3 is needed"};
  }
  // Adaptive vsync tears a late frame rather than halving the rate; plain
  // vsync next; without either, the draw loop paces itself.
  if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
  return {};
}

GameWindow::~GameWindow() {
  // The cursors go before the video they were made with.
  grabCursor_.reset();
  handCursor_.reset();
  arrowCursor_.reset();
  if (context_ != nullptr) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GameWindow::show() {
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  noteGeometry();
}

glm::ivec2 GameWindow::points() const {
  glm::ivec2 size;
  SDL_GetWindowSize(window_, &size.x, &size.y);
  return size;
}

glm::ivec2 GameWindow::pixels() const {
  glm::ivec2 size;
  SDL_GL_GetDrawableSize(window_, &size.x, &size.y);
  return size;
}

bool GameWindow::minimised() const {
  const Uint32 flags = SDL_GetWindowFlags(window_);
  return (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

bool GameWindow::focused() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0; }

void GameWindow::noteGeometry() {
  SDL_DisplayMode mode;
  const int display = SDL_GetWindowDisplayIndex(window_);
  const bool known = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0;
  refreshRate_ = known ? mode.refresh_rate : 60;

  if (const auto place = normalPlace()) normal_ = *place;
}

std::optional<WindowState> GameWindow::normalPlace() const {
  const Uint32 flags = SDL_GetWindowFlags(window_);
  if ((flags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MINIMIZED)) != 0) return std::nullopt;
  WindowState place;
  SDL_GetWindowPosition(window_, &place.x, &place.y);
  SDL_GetWindowSize(window_, &place.width, &place.height);
  // SDL says where the window's content is, but a window manager places a
  // new window by its frame: kept by the frame, the window comes back where
  // it was left instead of a title bar lower at every start.
  int top = 0, left = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr) == 0) {
    place.x -= left;
    place.y -= top;
  }
  return place;
}

WindowState GameWindow::state() const {
  const Uint32 flags = SDL_GetWindowFlags(window_);
  // Looked at again: the frame's size may have become known since the
  // window last moved.
  WindowState state = normalPlace().value_or(normal_);
  state.maximised = (flags & SDL_WINDOW_MAXIMIZED) != 0;
  state.fullscreen = (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
  return state;
}

void GameWindow::toggleFullscreen() {
  const bool fullscreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
  SDL_SetWindowFullscreen(window_, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void GameWindow::setFullscreen(bool on) { SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0); }

void GameWindow::showCursor(Cursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  const SdlCursor& shape = cursor == Cursor::grab ? grabCursor_ : cursor == Cursor::hand ? handCursor_ : arrowCursor_;
  if (shape) SDL_SetCursor(shape.get());
}

void GameWindow::swap() { SDL_GL_SwapWindow(window_); }

}  // namespace sorvel
