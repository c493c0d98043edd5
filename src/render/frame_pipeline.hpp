#pragma once

#include <epoxy/gl.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "base/result.hpp"
#include "render/gl_name.hpp"

namespace sorvel {

// Carries the film's frames from the GPU to a slow consumer (the encoder's
// pipe) without making the game wait on either: each picture is read back
// into a pixel buffer while the next one is drawn, and handed a frame later
// to a writer thread with a short queue. The game waits only when the queue
// is full, so the film goes at the pace of its slowest stage, not at the sum
// of all three. Frames leave whole, BGRA, top row first, in the order drawn.
class FramePipeline {
 public:
  // Called on the writer thread with each frame in turn; false when it can
  // take no more (the encoder has gone), which stops the pipeline.
  using Sink = std::function<bool(std::span<const std::uint8_t> frame)>;

  // Frames waiting for the writer beside the one it is writing.
  static constexpr std::size_t kQueued = 2;

  // Needs the GL context it will read in to be current.
  static Result<std::unique_ptr<FramePipeline>> create(int width, int height, Sink sink);

  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;
  // Stops the writer; frames not yet written are dropped.
  ~FramePipeline();

  // Starts reading the picture just drawn into `framebuffer` (its first
  // colour attachment, width x height), and hands the frame before it to the
  // writer, waiting while the queue is full. False once the sink has failed:
  // make no more frames.
  bool submit(GLuint framebuffer);
  // Hands over the last frame and waits until every frame has reached the
  // sink. False if the sink failed on any of them.
  bool finish();

 private:
  FramePipeline(int width, int height, Sink sink);
  // Copies the frame waiting in pixel buffer `buffer` into a queue buffer.
  bool handOver(std::size_t buffer);
  void writeFrames();
  void stopWriter();

  int width_;
  int height_;
  std::size_t frameBytes_;
  Sink sink_;

  std::array<GlBuffer, 2> pixelBuffers_;
  std::size_t next_ = 0;
  bool pending_ = false;  // pixel buffer 1 - next_ holds a frame not yet handed over

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<std::uint8_t>> spare_;
  std::deque<std::vector<std::uint8_t>> queued_;
  bool writing_ = false;
  bool stopping_ = false;
  bool failed_ = false;
  std::thread writer_;
};

}  // namespace sorvel
