#include "render/offscreen_target.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sorvel {
namespace {

// Restores a framebuffer binding however the function that saved it returns.
class BindingGuard {
 public:
  BindingGuard(GLenum target, GLenum query) : target_(target) {
    GLint previous = 0;
    glGetIntegerv(query, &previous);
    previous_ = static_cast<GLuint>(previous);
  }
  ~BindingGuard() { glBindFramebuffer(target_, previous_); }
  BindingGuard(const BindingGuard&) = delete;
  BindingGuard& operator=(const BindingGuard&) = delete;

 private:
  GLenum target_;
  GLuint previous_ = 0;
};

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

OffscreenTarget::Created OffscreenTarget::create(int width, int height) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (width <= 0 || height <= 0) {
    return {std::nullopt, "cannot make a " + size + " framebuffer: the size is empty"};
  }
  GLint maxRenderbuffer = 0;
  GLint maxViewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
  const int limitX = std::min(maxRenderbuffer, maxViewport[0]);
  const int limitY = std::min(maxRenderbuffer, maxViewport[1]);
  if (width > limitX || height > limitY) {
    return {std::nullopt, "cannot make a " + size + " framebuffer: this GL allows at most " +
                              std::to_string(limitX) + "x" + std::to_string(limitY)};
  }

  // Drain stale errors so that an allocation failure below is ours to see.
  while (glGetError() != GL_NO_ERROR) {
  }

  OffscreenTarget target;
  target.width_ = width;
  target.height_ = height;
  glGenRenderbuffers(1, &target.colour_);
  glGenRenderbuffers(1, &target.depth_);
  glGenFramebuffers(1, &target.framebuffer_);

  GLint previousRenderbuffer = 0;
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &previousRenderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, target.colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_SRGB8_ALPHA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, target.depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(previousRenderbuffer));
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
    return {std::nullopt, "cannot make a " + size + " framebuffer: allocating it gave GL error " +
                              std::to_string(error)};
  }

  const BindingGuard keep(GL_FRAMEBUFFER, GL_DRAW_FRAMEBUFFER_BINDING);
  const BindingGuard keepRead(GL_READ_FRAMEBUFFER, GL_READ_FRAMEBUFFER_BINDING);
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth_);
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    return {std::nullopt, "cannot make a " + size + " framebuffer: " + statusText(status)};
  }
  return {std::move(target), {}};
}

OffscreenTarget::OffscreenTarget(OffscreenTarget&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      framebuffer_(std::exchange(other.framebuffer_, 0)),
      colour_(std::exchange(other.colour_, 0)),
      depth_(std::exchange(other.depth_, 0)) {}

OffscreenTarget& OffscreenTarget::operator=(OffscreenTarget&& other) noexcept {
  if (this != &other) {
    release();
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    framebuffer_ = std::exchange(other.framebuffer_, 0);
    colour_ = std::exchange(other.colour_, 0);
    depth_ = std::exchange(other.depth_, 0);
  }
  return *this;
}

OffscreenTarget::~OffscreenTarget() { release(); }

void OffscreenTarget::release() noexcept {
  // A moved-from target owns nothing, and must not call GL: it may outlive
  // the context.
  if (framebuffer_ == 0 && colour_ == 0 && depth_ == 0) return;
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteRenderbuffers(1, &colour_);
  glDeleteRenderbuffers(1, &depth_);
  framebuffer_ = colour_ = depth_ = 0;
}

void OffscreenTarget::bind() const {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glViewport(0, 0, width_, height_);
}

std::vector<std::uint8_t> OffscreenTarget::readRgba() const {
  const auto rowBytes = static_cast<std::size_t>(width_) * 4;
  const auto rows = static_cast<std::size_t>(height_);
  std::vector<std::uint8_t> pixels(rowBytes * rows);
  if (pixels.empty()) return pixels;

  const BindingGuard keep(GL_READ_FRAMEBUFFER, GL_READ_FRAMEBUFFER_BINDING);
  GLint packAlignment = 4;
  GLint packBuffer = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
  // A bound pack buffer would turn the pointer into an offset into it.
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));

  std::vector<std::uint8_t> row(rowBytes);
  for (std::size_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
    std::uint8_t* a = pixels.data() + top * rowBytes;
    std::uint8_t* b = pixels.data() + bottom * rowBytes;
    std::memcpy(row.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, row.data(), rowBytes);
  }
  return pixels;
}

}  // namespace sorvel
