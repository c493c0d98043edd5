#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "render/gl_name.hpp"

namespace sorvel {

// How read-back pixels lay out their four bytes: RGBA for image files, BGRA
// for encoders and surfaces that want it.
enum class PixelOrder { Rgba, Bgra };

// A framebuffer of our own with one sRGB colour buffer, W x H. Captures render
// into it, and so does the window before it blits, so both share one path. It
// needs no depth: the renderer draws into targets of its own and only resolves
// colour into this one. Create, use and destroy it while the same GL context
// is current; it needs nothing but that context, whoever made it.
class OffscreenTarget {
 public:
  // Fails, with a message, for an empty size, one past the driver's limits, or
  // a framebuffer the driver calls incomplete.
  static Result<OffscreenTarget> create(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  GLuint framebuffer() const { return framebuffer_.id(); }

  // Binds it for drawing and reading, with a viewport that covers it.
  void bind() const;

  // The colour as stored (sRGB-encoded) into `out`, which must hold exactly
  // width x height x 4 bytes: no row padding, the top row first, as image
  // files want it (GL counts rows from the bottom). Binds what it reads
  // from and sets the pack state it needs.
  void read(std::span<std::uint8_t> out, PixelOrder order) const;
  std::vector<std::uint8_t> readRgba() const;

 private:
  OffscreenTarget() = default;

  int width_ = 0;
  int height_ = 0;
  GlRenderbuffer colour_;
  GlFramebuffer framebuffer_;
};

}  // namespace sorvel
