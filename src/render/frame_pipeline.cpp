#include "render/frame_pipeline.hpp"

#include <cstring>
#include <new>
#include <utility>

namespace sorvel {

Result<std::unique_ptr<FramePipeline>> FramePipeline::create(int width, int height, Sink sink) {
  if (width <= 0 || height <= 0) return Reason{"a film frame needs a size"};
  std::unique_ptr<FramePipeline> pipeline(new FramePipeline(width, height, std::move(sink)));
  for (GlBuffer& buffer : pipeline->pixelBuffers_) {
    buffer = GlBuffer::make();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer.id());
    // Read back often, by the CPU: GL_STREAM_READ.
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(pipeline->frameBytes_), nullptr, GL_STREAM_READ);
  }
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
    return Reason{"the GPU could not hold two frames to read back (GL error " + std::to_string(error) + ")"};
  }
  pipeline->writer_ = std::thread([raw = pipeline.get()] { raw->writeFrames(); });
  return pipeline;
}

FramePipeline::FramePipeline(int width, int height, Sink sink)
    : width_(width),
      height_(height),
      frameBytes_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4),
      sink_(std::move(sink)) {
  // The writer's frame, the queue, and the one being filled.
  for (std::size_t n = 0; n < kQueued + 1; ++n) spare_.emplace_back(frameBytes_);
}

FramePipeline::~FramePipeline() { stopWriter(); }

void FramePipeline::stopWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
}

bool FramePipeline::submit(GLuint framebuffer) {
  {
    std::lock_guard lock(mutex_);
    if (failed_) return false;
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers_[next_].id());
  // Into the pixel buffer the read returns at once; the GPU fills it after
  // the drawing before it, while the CPU goes on to the frame before.
  glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);

  bool ok = true;
  if (pending_) ok = handOver(1 - next_);
  pending_ = true;
  next_ = 1 - next_;
  return ok;
}

bool FramePipeline::handOver(std::size_t buffer) {
  std::vector<std::uint8_t> frame;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || !spare_.empty(); });
    if (failed_) return false;
    frame = std::move(spare_.front());
    spare_.pop_front();
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers_[buffer].id());
  const auto* pixels = static_cast<const std::uint8_t*>(
      glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(frameBytes_), GL_MAP_READ_BIT));
  if (pixels == nullptr) {
    std::lock_guard lock(mutex_);
    failed_ = true;
    return false;
  }
  // GL counts rows from the bottom; the encoder wants the top row first.
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
  for (std::size_t row = 0; row < static_cast<std::size_t>(height_); ++row) {
    std::memcpy(frame.data() + row * rowBytes, pixels + (static_cast<std::size_t>(height_) - 1 - row) * rowBytes,
                rowBytes);
  }
  glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  {
    std::lock_guard lock(mutex_);
    queued_.push_back(std::move(frame));
  }
  changed_.notify_all();
  return true;
}

void FramePipeline::writeFrames() {
  for (;;) {
    std::vector<std::uint8_t> frame;
    bool write = false;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
      if (stopping_) return;
      frame = std::move(queued_.front());
      queued_.pop_front();
      write = !failed_;
      writing_ = write;
    }
    // Once the sink has failed, frames still queued only go back as spares.
    const bool written = !write || sink_(frame);
    {
      std::lock_guard lock(mutex_);
      writing_ = false;
      if (!written) failed_ = true;
      spare_.push_back(std::move(frame));
    }
    changed_.notify_all();
  }
}

bool FramePipeline::finish() {
  bool ok = true;
  if (pending_) {
    ok = handOver(1 - next_);
    pending_ = false;
  }
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || (queued_.empty() && !writing_); });
    ok = ok && !failed_;
  }
  stopWriter();
  return ok;
}

}  // namespace sorvel
