#include "app/frame_stats.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace sorvel {
namespace {

long peakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}


void FrameStats::frameShown(double frameMs, float sceneScale, bool moving, Clock::time_point started,
                            Clock::time_point shownAt) {
  if (moving) {
    if (resting_) restSeconds += std::chrono::duration<double>(started - restStart_).count();
    resting_ = false;
    if (!inStretch_) stretchStart_ = started;
    inStretch_ = true;
    stretchEnd_ = shownAt;
    ++movingFrames;
  } else {
    ++restFrames;
    // The picture that refines a rest: how long after the motion ended.
    if (resting_) {
      const double ms = std::chrono::duration<double, std::milli>(shownAt - restStart_).count();
      refineMsSum += ms;
      refineMsMost = std::max(refineMsMost, ms);
      ++refines;
    }
  }
  sceneScaleSum += sceneScale;
  if (++frames != 1) return;
  loopStart = Clock::now();
  if (!enabled) return;
  std::fprintf(stderr,
               "sorvel: first frame shown %.0f ms after start (window and GL %.0f, renderer %.0f, fonts %.0f, "
               "game %.0f, first frame %.0f)\n",
               millisecondsSince(start), window, renderer, fonts, game, frameMs);
}

void FrameStats::atRest(Clock::time_point since) {
  if (inStretch_) movingSeconds += std::chrono::duration<double>(stretchEnd_ - stretchStart_).count();
  inStretch_ = false;
  if (!resting_) restStart_ = since;
  resting_ = true;
}

void FrameStats::end() {
  if (!enabled || frames == 0) return;
  const Clock::time_point now = Clock::now();
  if (resting_) restSeconds += std::chrono::duration<double>(now - restStart_).count();
  if (inStretch_) movingSeconds += std::chrono::duration<double>(stretchEnd_ - stretchStart_).count();
  resting_ = inStretch_ = false;
  const double seconds = std::chrono::duration<double>(Clock::now() - loopStart).count();
  const double n = static_cast<double>(frames);
  std::fprintf(stderr,
               "sorvel: %ld frames in %.1f s (%.1f a second), the scene at %.0f%% of the window on average; "
               "main thread CPU a frame: %.2f ms for events, tick and frame, %.2f ms rendering; peak memory "
               "%ld MiB\n",
               frames, seconds, n / seconds, 100 * sceneScaleSum / n, 1000 * gameSeconds / n,
               1000 * renderSeconds / n, peakResidentKiB() / 1024);
  std::fprintf(stderr, "sorvel: moving: %ld frames in %.1f s (%.1f a second)\n", movingFrames, movingSeconds,
               movingSeconds > 0 ? static_cast<double>(movingFrames) / movingSeconds : 0.0);
  std::fprintf(stderr, "sorvel: at rest: %.1f s, %ld frames drawn\n", restSeconds, restFrames);
  if (refines > 0) {
    std::fprintf(stderr, "sorvel: the full picture came %.0f ms after the motion ended (%.0f at most, %ld times)\n",
                 refineMsSum / static_cast<double>(refines), refineMsMost, refines);
  }
}

}  // namespace sorvel
