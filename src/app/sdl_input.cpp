#include "app/sdl_input.hpp"

#include <SDL.h>

#include "app/game_window.hpp"
#include "app/input_map.hpp"
#include "app/pointer_router.hpp"

namespace sorvel {

namespace {

Modifiers modifiers(Uint16 mod) {
  return {.alt = (mod & KMOD_ALT) != 0, .shift = (mod & KMOD_SHIFT) != 0, .ctrl = (mod & KMOD_CTRL) != 0};
}

// SDL's idea of the keys held now, after every event it has queued. SDL
// sends key events for whatever changed while the window was away (releases
// on losing focus, the keyboard looked up again on gaining it), so after
// the start the key events alone keep track.
Modifiers heldNow() { return modifiers(static_cast<Uint16>(SDL_GetModState())); }

glm::vec2 viewPoint(const GameWindow& window, int x, int y) {
  const glm::ivec2 size = window.points();
  if (size.x <= 0 || size.y <= 0) return {0, 0};
  return {static_cast<float>(x) / static_cast<float>(size.x), static_cast<float>(y) / static_cast<float>(size.y)};
}

Key keyFor(const SDL_Keysym& key, bool ctrl) {
  // The cursor's keys by their place; with Ctrl, shortcuts by their letter,
  // so Ctrl+Z is undo wherever Z is printed.
  if (!ctrl) {
    switch (key.scancode) {
      case SDL_SCANCODE_W: return Key::w;
      case SDL_SCANCODE_A: return Key::a;
      case SDL_SCANCODE_S: return Key::s;
      case SDL_SCANCODE_D: return Key::d;
      default: break;
    }
  }
  switch (key.sym) {
    case SDLK_ESCAPE: return Key::escape;
    case SDLK_SPACE: return Key::space;
    case SDLK_UP: return Key::up;
    case SDLK_DOWN: return Key::down;
    case SDLK_LEFT: return Key::left;
    case SDLK_RIGHT: return Key::right;
    case SDLK_PAGEUP: return Key::pageUp;
    case SDLK_PAGEDOWN: return Key::pageDown;
    case SDLK_TAB: return Key::tab;
    case SDLK_z: return Key::z;
    case SDLK_y: return Key::y;
    case SDLK_F2: return Key::f2;
    case SDLK_PLUS: return Key::plus;
    case SDLK_EQUALS: return Key::equals;
    case SDLK_KP_PLUS: return Key::keypadPlus;
    case SDLK_MINUS: return Key::minus;
    case SDLK_KP_MINUS: return Key::keypadMinus;
    case SDLK_q: return Key::q;
    case SDLK_F11: return Key::f11;
    case SDLK_RETURN: return Key::enter;
    case SDLK_KP_ENTER: return Key::keypadEnter;
    default: return Key::other;
  }
}

std::optional<PointerButton> buttonFor(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return PointerButton::left;
    case SDL_BUTTON_RIGHT: return PointerButton::right;
    case SDL_BUTTON_MIDDLE: return PointerButton::middle;
    default: return std::nullopt;
  }
}

}  // namespace

SdlInput::SdlInput() : held_(heldNow()) {}

WindowRequest SdlInput::handle(const SDL_Event& event, GameWindow& window, PointerRouter& pointer, InputMap& keys) {
  switch (event.type) {
    case SDL_QUIT:
      return WindowRequest::quit;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (const auto button = buttonFor(event.button.button)) {
        pointer.button({.button = *button,
                        .pressed = event.type == SDL_MOUSEBUTTONDOWN,
                        .at = viewPoint(window, event.button.x, event.button.y),
                        .mods = held_},
                       {static_cast<float>(event.button.x), static_cast<float>(event.button.y)});
      }
      return WindowRequest::none;
    case SDL_MOUSEMOTION:
      pointer.motion({.at = viewPoint(window, event.motion.x, event.motion.y),
                      .delta = {static_cast<float>(event.motion.xrel), static_cast<float>(event.motion.yrel)}},
                     {static_cast<float>(event.motion.x), static_cast<float>(event.motion.y)});
      return WindowRequest::none;
    case SDL_MOUSEWHEEL:
      pointer.wheel({.x = event.wheel.preciseX, .y = event.wheel.preciseY, .mods = held_});
      return WindowRequest::none;
    case SDL_KEYUP:
      held_ = modifiers(event.key.keysym.mod);
      return WindowRequest::none;
    case SDL_KEYDOWN:
      held_ = modifiers(event.key.keysym.mod);
      switch (keys.key({.key = keyFor(event.key.keysym, held_.ctrl),
                         .mods = held_,
                         .repeat = event.key.repeat != 0})) {
        case KeyResult::quit: return WindowRequest::quit;
        case KeyResult::toggleFullscreen: return WindowRequest::toggleFullscreen;
        case KeyResult::handled:
        case KeyResult::notHandled: return WindowRequest::none;
      }
      return WindowRequest::none;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_LEAVE:
          pointer.leave();
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          pointer.cancel();
          break;

        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
          window.noteGeometry();
          break;
        default:
          break;
      }
      return WindowRequest::none;
    default:
      return WindowRequest::none;
  }
}

}  // namespace sorvel
