#pragma once

#include "game/types.hpp"
#include "render/draw_quality.hpp"

namespace sorvel {

// When the window draws, and how well. Nothing is drawn while nothing
// changes: the loop sleeps until an event comes or a frame is due. What
// moves is drawn at once, ambient motion (a figure turning, the table's
// sway) at most kAmbientRate times a second. A renderer that draws on the
// CPU draws moving frames quickly (and any renderer may draw them smaller
// than the window) and, once everything has been at rest for kRefineAfter,
// one whole picture, which then stays on screen.
class DrawSchedule {
 public:
  static constexpr double kAmbientRate = 30;
  // Counted from the last moving frame on screen. Short, since the whole
  // picture takes 0.35-0.45 s on a CPU and should be up within half a second
  // of the motion's end; long enough that a hand pausing mid-drag between
  // two pointer moves does not start it.
  static constexpr double kRefineAfter = 0.08;
  // The loop looks in at least this often while asleep, so the play clock
  // keeps counting.
  static constexpr double kLongestSleep = 1.0;

  explicit DrawSchedule(bool quickWhileMoving) : quickWhileMoving_(quickWhileMoving) {}

  struct Plan {
    bool draw = false;
    DrawQuality quality = DrawQuality::full;
    bool moving = false;  // drawn because something moves or changed, not to refine a still picture
    double sleep = 0;     // seconds the loop may sleep waiting for an event, when nothing is drawn
  };
  // What to do at `now` (seconds on a steady clock) when the scene does
  // `motion` and `changed` says the picture differs from the one shown (an
  // event changed it, the interface moved, the window's size changed).
  Plan plan(double now, Motion motion, bool changed);
  // The frame planned was drawn and shown at `now`; `whole` when in full
  // quality at the window's full size, so there is nothing to refine.
  void shown(double now, bool whole);

 private:
  bool quickWhileMoving_;
  bool anyShown_ = false;
  bool wholeShown_ = false;  // the picture on screen needs no refining
  double lastShown_ = 0;
  double lastMotion_ = 0;
};

}  // namespace sorvel
