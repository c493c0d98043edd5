#include "app/frame_stats.hpp"

#include <sys/resource.h>

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


void FrameStats::frameShown(double frameMs, float sceneScale) {
  sceneScaleSum += sceneScale;
  if (++frames != 1) return;
  loopStart = Clock::now();
  if (!enabled) return;
  std::fprintf(stderr,
               "sorvel: first frame shown %.0f ms after start (window and GL %.0f, renderer %.0f, fonts %.0f, "
               "game %.0f, first frame %.0f)\n",
               millisecondsSince(start), window, renderer, fonts, game, frameMs);
}

void FrameStats::end() const {
  if (!enabled || frames == 0) return;
  const double seconds = std::chrono::duration<double>(Clock::now() - loopStart).count();
  const double n = static_cast<double>(frames);
  std::fprintf(stderr,
               "sorvel: %ld frames in %.1f s (%.1f a second), the scene at %.0f%% of the window on average; "
               "main thread CPU a frame: %.2f ms for events, tick and frame, %.2f ms rendering; peak memory "
               "%ld MiB\n",
               frames, seconds, n / seconds, 100 * sceneScaleSum / n, 1000 * gameSeconds / n,
               1000 * renderSeconds / n, peakResidentKiB() / 1024);
}

}  // namespace sorvel
