#pragma once

#include <chrono>

namespace sorvel {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start);
// CPU time this thread has used, in seconds.
double threadCpuSeconds();

// What SORVEL_STATS asks for: the start-up split once the first frame is
// shown, then the frame rate, the main thread's work per frame and the
// memory on the way out; and the frames drawn while something moved, apart
// from the time at rest and what little was drawn in it.
struct FrameStats {
  bool enabled = false;
  Clock::time_point start = Clock::now();
  // Milliseconds each part of the start-up took.
  double window = 0, renderer = 0, fonts = 0, game = 0;
  long frames = 0;
  double sceneScaleSum = 0;
  // Main-thread CPU: events, tick and frame assembly; then the renderer's
  // submission (on a software GL this includes the driver's own work).
  double gameSeconds = 0, renderSeconds = 0;
  Clock::time_point loopStart;

  // While something moves: from the first moving frame's start to the
  // last one's swap, stretch by stretch.
  long movingFrames = 0;
  double movingSeconds = 0;
  // At rest: from the moment nothing moved to the next motion.
  long restFrames = 0;
  double restSeconds = 0;
  // From the end of each motion to its full picture on screen.
  double refineMsSum = 0, refineMsMost = 0;
  long refines = 0;

  // A frame reached the screen after `frameMs` of its own, at `shownAt`;
  // `moving` when drawn because something moved, not to refine the picture.
  void frameShown(double frameMs, float sceneScale, bool moving, Clock::time_point started,
                  Clock::time_point shownAt);
  // Nothing moves from `since` on (said again while it lasts).
  void atRest(Clock::time_point since);
  void end();

 private:
  bool resting_ = false;
  bool inStretch_ = false;
  Clock::time_point stretchStart_, stretchEnd_, restStart_;
};

}  // namespace sorvel
