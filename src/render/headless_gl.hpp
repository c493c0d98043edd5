#pragma once

#include <epoxy/egl.h>

#include <string>

#include "base/result.hpp"

namespace sorvel {

struct GlVersion {
  int major = 3;
  int minor = 3;
};

// An OpenGL 3.3 core context with no window behind it, for the still capture
// and the rendering tests. It has no default framebuffer: draw into an
// OffscreenTarget.
//
// libepoxy settles on GLX or EGL for the whole process the first time a context
// is current, so a process that uses this must not also open a GLX window.
class HeadlessGl {
 public:
  using Version = GlVersion;

  // Creates the context and makes it current on the calling thread. Tries a
  // hardware EGL device first, then Mesa's surfaceless platform, then a
  // software EGL device. Never aborts: on failure the reason says what each
  // route ran into, for the caller to print before it exits.
  static Result<HeadlessGl> create(Version want = {});

  HeadlessGl(HeadlessGl&& other) noexcept;
  HeadlessGl& operator=(HeadlessGl&& other) noexcept;
  HeadlessGl(const HeadlessGl&) = delete;
  HeadlessGl& operator=(const HeadlessGl&) = delete;
  ~HeadlessGl();

  // Makes this context current on the calling thread (a process may hold
  // several). Returns false if EGL refuses.
  bool makeCurrent() const;
  bool isCurrent() const;

  // GL_RENDERER and GL_VERSION as read when the context was made, and the EGL
  // route that gave it ("EGL device", "EGL surfaceless", ...).
  const std::string& renderer() const { return renderer_; }
  const std::string& version() const { return version_; }
  const std::string& route() const { return route_; }
  // One line for logs: renderer, version and route.
  std::string describe() const;

 private:
  HeadlessGl() = default;
  void release() noexcept;

  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  std::string renderer_;
  std::string version_;
  std::string route_;
};

}  // namespace sorvel
