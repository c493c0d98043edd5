#pragma once

#include <functional>

#include "app/play_command.hpp"

namespace sorvel {

class Game;

// What a command means on the screen and card shown now. A card over
// everything (the settings, the help) takes the directions and Enter for its
// buttons and leaves the block alone; in play the directions move the
// cursor on the block; on the table they move the highlight.
class CommandRouter {
 public:
  // The keyboard's focus on the interface's controls; without it, no
  // control ever has the focus.
  struct Focus {
    std::function<void(int step)> move;
    // Presses the focused control; false when none has the focus.
    std::function<bool()> press;
    // No control has the focus any more: the player went back to the block.
    std::function<void()> drop;
  };

  // One zoom key or wheel notch: closer, or back out by about as much.
  static constexpr float kZoomIn = 0.93f;
  static constexpr float kZoomOut = 1.07f;

  explicit CommandRouter(Game& game) : game_(game) {}
  void setFocus(Focus focus) { focus_ = std::move(focus); }

  void run(Command command);

 private:
  bool cardOver() const;
  void moveFocus(int step);
  void direction(int dx, int dy);
  void back();

  Game& game_;
  Focus focus_;
};

}  // namespace sorvel
