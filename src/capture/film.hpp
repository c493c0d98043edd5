#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "capture/capture_request.hpp"

namespace sorvel {

// Lets an interrupt, which arrives on a thread of its own, stop a film under
// way: its encoder is killed and waited for and its half-made files removed
// before stop() returns, so the process may end straight after.
class FilmInterrupt {
 public:
  // From any thread. A film not yet begun is not begun.
  void stop();
  bool stopped();

  // The film's part: what stop() does while the film runs (nothing once it
  // is over), and the steps stop() must not fall in the middle of, such as
  // starting the encoder. unlessStopped() is false, and `step` not run, once
  // stopped.
  void whileRunning(std::function<void()> undo);
  bool unlessStopped(const std::function<void()>& step);

 private:
  std::mutex mutex_;
  std::function<void()> undo_;
  bool stopped_ = false;
};

// Renders the film's fixed sequence off-screen at 60 frames a second, pipes
// the frames into the video encoder (ffmpeg, or the one the request names)
// writing the request's output, and writes every sound played into output.wav; both are
// made under temporary names and take their places only when whole. Saved
// progress is neither read nor written. Returns the process exit status: 0
// once both files are made, 1 with a message on standard error when they
// could not be (no encoder, an encoder that failed, a path that cannot be
// written, no GPU).
// `interrupt` may stop it from another thread, leaving nothing written.
int makeFilm(const FilmRequest& request, FilmInterrupt& interrupt);

}  // namespace sorvel
