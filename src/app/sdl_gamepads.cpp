#include "app/sdl_gamepads.hpp"

#include <SDL.h>

#include <cstdio>

namespace sorvel {

namespace {

PadButton padButton(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return PadButton::a;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::b;
    case SDL_CONTROLLER_BUTTON_X: return PadButton::x;
    case SDL_CONTROLLER_BUTTON_Y: return PadButton::y;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::back;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::start;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return PadButton::leftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return PadButton::rightShoulder;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadButton::dpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadButton::dpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadButton::dpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadButton::dpadRight;
    default: return PadButton::other;
  }
}

PadAxis padAxis(Uint8 axis) {
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: return PadAxis::leftX;
    case SDL_CONTROLLER_AXIS_LEFTY: return PadAxis::leftY;
    case SDL_CONTROLLER_AXIS_RIGHTX: return PadAxis::rightX;
    case SDL_CONTROLLER_AXIS_RIGHTY: return PadAxis::rightY;
    default: return PadAxis::other;
  }
}

}  // namespace

void SdlGamepads::Close::operator()(_SDL_GameController* pad) const { SDL_GameControllerClose(pad); }

SdlGamepads::SdlGamepads() {
  started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (!started_) std::fprintf(stderr, "sorvel: no gamepads (%s); the keyboard and mouse play on\n", SDL_GetError());
  // Pads plugged in already arrive as "added" events, like those plugged in later.
}

SdlGamepads::~SdlGamepads() {
  open_.clear();
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlGamepads::handle(const SDL_Event& event, GamepadMap& map, double now) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      if (SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which)) {
        const int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
        open_[id].reset(pad);
      }
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
      open_.erase(event.cdevice.which);
      // Whatever it held is let go; the game plays on.
      map.reset();
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      map.button(padButton(event.cbutton.button), event.type == SDL_CONTROLLERBUTTONDOWN, now);
      return true;
    case SDL_CONTROLLERAXISMOTION:
      map.axis(padAxis(event.caxis.axis), static_cast<float>(event.caxis.value) / 32767.0f, now);
      return true;
    default:
      return false;
  }
}

}  // namespace sorvel
