#include "app/draw_schedule.hpp"

#include <algorithm>

namespace sorvel {

DrawSchedule::Plan DrawSchedule::plan(double now, Motion motion, bool changed) {
  const DrawQuality moving = quickWhileMoving_ ? DrawQuality::quick : DrawQuality::full;
  if (!anyShown_ || changed || motion == Motion::moving) {
    lastMotion_ = now;
    return {.draw = true, .quality = moving, .moving = true};
  }
  if (motion == Motion::ambient) {
    lastMotion_ = now;
    const double due = lastShown_ + 1 / kAmbientRate;
    if (now >= due) return {.draw = true, .quality = moving, .moving = true};
    return {.sleep = due - now};
  }
  if (wholeShown_) return {.sleep = kLongestSleep};
  const double due = lastMotion_ + kRefineAfter;
  if (now >= due) return {.draw = true, .quality = DrawQuality::full};
  return {.sleep = std::min(due - now, kLongestSleep)};
}

void DrawSchedule::shown(double now, bool whole) {
  anyShown_ = true;
  wholeShown_ = whole;
  lastShown_ = now;
  // A frame that took long must not eat into the pause before the refine.
  if (!whole) lastMotion_ = std::max(lastMotion_, now);
}

}  // namespace sorvel
