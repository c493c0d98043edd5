#pragma once

#include <map>
#include <memory>

#include "app/gamepad_map.hpp"

union SDL_Event;
struct _SDL_GameController;

namespace sorvel {

// The gamepads plugged in, before the game started or during play, their
// events handed on to the mapping. A pad that goes leaves nothing held.
class SdlGamepads {
 public:
  // Starts SDL's controller support; without it the game plays on without
  // pads, saying so once.
  SdlGamepads();
  ~SdlGamepads();
  SdlGamepads(const SdlGamepads&) = delete;
  SdlGamepads& operator=(const SdlGamepads&) = delete;

  // Whether `event` was a pad's (and so taken).
  bool handle(const SDL_Event& event, GamepadMap& map, double now);

 private:
  struct Close {
    void operator()(_SDL_GameController* pad) const;
  };
  bool started_ = false;
  std::map<int, std::unique_ptr<_SDL_GameController, Close>> open_;  // by instance id
};

}  // namespace sorvel
