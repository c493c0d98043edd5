#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorvel {

// A framebuffer of our own: sRGB colour and 24-bit depth, W x H. Captures
// render into it, and so does the window before it blits, so both share one
// path. Create, use and destroy it while the same GL context is current.
class OffscreenTarget {
 public:
  struct Created;

  // Fails, with a message, for an empty size, one past the driver's limits, or
  // a framebuffer the driver calls incomplete.
  static Created create(int width, int height);

  OffscreenTarget(OffscreenTarget&& other) noexcept;
  OffscreenTarget& operator=(OffscreenTarget&& other) noexcept;
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;
  ~OffscreenTarget();

  int width() const { return width_; }
  int height() const { return height_; }
  GLuint framebuffer() const { return framebuffer_; }

  // Binds it for drawing and reading, with a viewport that covers it.
  void bind() const;

  // The colour as stored (sRGB-encoded), 4 bytes a pixel RGBA with no row
  // padding, and the top row first, as image files want it (GL counts rows
  // from the bottom). Leaves the read framebuffer binding as it found it.
  std::vector<std::uint8_t> readRgba() const;

 private:
  OffscreenTarget() = default;
  void release() noexcept;

  int width_ = 0;
  int height_ = 0;
  GLuint framebuffer_ = 0;
  GLuint colour_ = 0;
  GLuint depth_ = 0;
};

struct OffscreenTarget::Created {
  std::optional<OffscreenTarget> target;
  std::string error;  // empty when `target` holds one
};

}  // namespace sorvel
