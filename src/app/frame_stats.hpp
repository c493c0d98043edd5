#pragma once

#include <chrono>

namespace sorvel {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start);
// CPU time this thread has used, in seconds.
double threadCpuSeconds();

// What SORVEL_STATS asks for: the start-up split once the first frame is
// shown, then the frame rate, the main thread's work per frame and the
// memory on the way out.
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

  // A frame reached the screen after `frameMs` of its own.
  void frameShown(double frameMs, float sceneScale);
  void end() const;
};

}  // namespace sorvel
