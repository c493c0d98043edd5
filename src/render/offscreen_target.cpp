#include "render/offscreen_target.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace sorvel {
namespace {

std::string statusText(GLenum status) {
  switch (status) {
    case GL_FRAMEBUFFER_UNDEFINED: return "GL_FRAMEBUFFER_UNDEFINED";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
      return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "GL_FRAMEBUFFER_UNSUPPORTED";
    case GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE: return "GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE";
    default: return "status " + std::to_string(status);
  }
}

}  // namespace

Result<OffscreenTarget> OffscreenTarget::create(int width, int height) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (width <= 0 || height <= 0) {
    return Reason{"cannot make a " + size + " framebuffer: the size is empty"};
  }
  GLint maxRenderbuffer = 0;
  GLint maxViewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
  const int limitX = std::min(maxRenderbuffer, maxViewport[0]);
  const int limitY = std::min(maxRenderbuffer, maxViewport[1]);
  if (width > limitX || height > limitY) {
    return Reason{"cannot make a " + size + " framebuffer: this GL allows at most " +
                              std::to_string(limitX) + "x" + std::to_string(limitY)};
  }

  // Drain stale errors so that an allocation failure below is ours to see.
  while (glGetError() != GL_NO_ERROR) {
  }

  OffscreenTarget target;
  target.width_ = width;
  target.height_ = height;
  target.colour_ = GlRenderbuffer::make();
  target.framebuffer_ = GlFramebuffer::make();

  glBindRenderbuffer(GL_RENDERBUFFER, target.colour_.id());
  glRenderbufferStorage(GL_RENDERBUFFER, GL_SRGB8_ALPHA8, width, height);
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
    return Reason{"cannot make a " + size + " framebuffer: allocating it gave GL error " + std::to_string(error)};
  }

  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour_.id());
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    return Reason{"cannot make a " + size + " framebuffer: " + statusText(status)};
  }
  labelGlObject(target.colour_, "offscreen colour");
  labelGlObject(target.framebuffer_, "offscreen target");
  return target;
}

void OffscreenTarget::bind() const {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer());
  glViewport(0, 0, width_, height_);
}

void OffscreenTarget::read(std::span<std::uint8_t> out, PixelOrder order) const {
  const auto rowBytes = static_cast<std::size_t>(width_) * 4;
  const auto rows = static_cast<std::size_t>(height_);
  if (out.size() != rowBytes * rows) {
    throw std::invalid_argument("a " + std::to_string(width_) + "x" + std::to_string(height_) +
                                " picture needs " + std::to_string(rowBytes * rows) + " bytes, not " +
                                std::to_string(out.size()));
  }
  if (out.empty()) return;

  // A bound pack buffer would turn the pointer into an offset into it.
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer());
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, width_, height_, order == PixelOrder::Bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, out.data());

  std::vector<std::uint8_t> row(rowBytes);
  for (std::size_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
    std::uint8_t* a = out.data() + top * rowBytes;
    std::uint8_t* b = out.data() + bottom * rowBytes;
    std::memcpy(row.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, row.data(), rowBytes);
  }
}

std::vector<std::uint8_t> OffscreenTarget::readRgba() const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  read(pixels, PixelOrder::Rgba);
  return pixels;
}

}  // namespace sorvel
