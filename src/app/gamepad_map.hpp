#pragma once

// What a gamepad's buttons and sticks mean, as commands and a turning rate.
// The window hands it SDL's controller events as these plain values, so
// the dead zones and the repeat of a held direction are tested without a
// pad.

#include <glm/vec2.hpp>
#include <optional>
#include <vector>

#include "app/play_command.hpp"

namespace sorvel {

enum class PadButton {
  a, b, x, y, back, start, leftShoulder, rightShoulder, dpadUp, dpadDown, dpadLeft, dpadRight, other
};
enum class PadAxis { leftX, leftY, rightX, rightY, other };

class GamepadMap {
 public:
  // A held direction steps once, then again after this long, then at the
  // shorter interval for as long as it is held.
  static constexpr double kRepeatDelay = 0.4;
  static constexpr double kRepeatInterval = 0.12;
  // The left stick counts as pushed past this, and as let go below the
  // smaller value, so a stick resting near the edge does not flicker.
  static constexpr float kStickPush = 0.55f;
  static constexpr float kStickRelease = 0.35f;
  // The right stick turns nothing inside this, then faster the further out.
  static constexpr float kTurnDeadZone = 0.2f;
  // A stick pushed all the way turns the block as a drag of this many
  // points a second would.
  static constexpr float kTurnPointsPerSecond = 260;

  void button(PadButton button, bool pressed, double now);
  // `value` from -1 to 1: right and down are positive.
  void axis(PadAxis axis, float value, double now);
  // Unplugged: nothing is held any more.
  void reset();

  // The commands of the presses since the last call and the repeats due by
  // `now`, in order.
  std::vector<Command> take(double now);
  // The drag, in points a second, the right stick asks for.
  glm::vec2 turnRate() const;
  // Whether the game must look again soon without an event: a direction
  // held (its repeats) or the right stick turning.
  bool busy() const;

 private:
  struct Held {
    Command command;
    double next = 0;  // when it steps again
  };
  void hold(std::optional<Command> direction, double now);
  std::optional<Command> stickDirection() const;

  std::vector<Command> pending_;
  std::optional<Held> held_;
  std::optional<Command> pad_;    // the D-pad's direction held
  std::optional<Command> stick_;  // the left stick's
  glm::vec2 left_{0}, right_{0};
};

}  // namespace sorvel
