#include "app/gamepad_map.hpp"

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

std::optional<Command> commandFor(PadButton button) {
  switch (button) {
    case PadButton::a: return Command::confirm;
    case PadButton::x: return Command::confirmOther;
    case PadButton::y: return Command::switchTool;
    case PadButton::b: return Command::back;
    case PadButton::start: return Command::settings;
    case PadButton::rightShoulder: return Command::peelUp;
    case PadButton::leftShoulder: return Command::peelDown;
    case PadButton::dpadUp: return Command::cursorUp;
    case PadButton::dpadDown: return Command::cursorDown;
    case PadButton::dpadLeft: return Command::cursorLeft;
    case PadButton::dpadRight: return Command::cursorRight;
    default: return std::nullopt;
  }
}

bool isDirection(PadButton button) {
  return button == PadButton::dpadUp || button == PadButton::dpadDown || button == PadButton::dpadLeft ||
         button == PadButton::dpadRight;
}

// Past the dead zone, eased in: fine turns near the middle, fast at the edge.
float turn(float value) {
  const float out = (std::abs(value) - GamepadMap::kTurnDeadZone) / (1 - GamepadMap::kTurnDeadZone);
  if (!std::isfinite(value) || out <= 0) return 0;
  return std::copysign(std::min(out, 1.0f) * std::min(out, 1.0f), value);
}

}  // namespace

void GamepadMap::button(PadButton button, bool pressed, double now) {
  const std::optional<Command> command = commandFor(button);
  if (!command) return;
  if (isDirection(button)) {
    if (pressed) {
      pad_ = command;
    } else if (pad_ == command) {
      pad_.reset();
    }
    hold(pad_ ? pad_ : stick_, now);
    return;
  }
  if (pressed) pending_.push_back(*command);
}

void GamepadMap::axis(PadAxis axis, float value, double now) {
  if (!std::isfinite(value)) value = 0;
  value = std::clamp(value, -1.0f, 1.0f);
  switch (axis) {
    case PadAxis::leftX: left_.x = value; break;
    case PadAxis::leftY: left_.y = value; break;
    case PadAxis::rightX: right_.x = value; return;
    case PadAxis::rightY: right_.y = value; return;
    case PadAxis::other: return;
  }
  const std::optional<Command> direction = stickDirection();
  if (direction == stick_) return;
  stick_ = direction;
  if (!pad_) hold(stick_, now);
}

std::optional<Command> GamepadMap::stickDirection() const {
  // Along its stronger axis; held until it comes back well inside.
  const float x = std::abs(left_.x), y = std::abs(left_.y);
  const float reach = std::max(x, y);
  if (reach < (stick_ ? kStickRelease : kStickPush)) return std::nullopt;
  if (x >= y) return left_.x < 0 ? Command::cursorLeft : Command::cursorRight;
  return left_.y < 0 ? Command::cursorUp : Command::cursorDown;
}

void GamepadMap::hold(std::optional<Command> direction, double now) {
  if (held_ && direction == held_->command) return;
  if (!direction) {
    held_.reset();
    return;
  }
  // A new direction steps at once.
  pending_.push_back(*direction);
  held_ = Held{*direction, now + kRepeatDelay};
}

void GamepadMap::reset() {
  pending_.clear();
  held_.reset();
  pad_.reset();
  stick_.reset();
  left_ = right_ = glm::vec2(0);
}

std::vector<Command> GamepadMap::take(double now) {
  std::vector<Command> out = std::move(pending_);
  pending_.clear();
  if (held_) {
    // A long stall repeats once, not once for every interval missed.
    if (now >= held_->next) {
      out.push_back(held_->command);
      held_->next += kRepeatInterval;
      if (held_->next <= now) held_->next = now + kRepeatInterval;
    }
  }
  return out;
}

glm::vec2 GamepadMap::turnRate() const { return kTurnPointsPerSecond * glm::vec2(turn(right_.x), turn(right_.y)); }

bool GamepadMap::busy() const { return held_.has_value() || turnRate() != glm::vec2(0); }

}  // namespace sorvel
