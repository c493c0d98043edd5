#include "render/gl_name.hpp"

#include "base/say_stop.hpp"

namespace sorvel {

GLuint GlBufferKind::make() noexcept {
  GLuint name = 0;
  glGenBuffers(1, &name);
  return name;
}
void GlBufferKind::free(GLuint name) noexcept { glDeleteBuffers(1, &name); }

GLuint GlTextureKind::make() noexcept {
  GLuint name = 0;
  glGenTextures(1, &name);
  return name;
}
void GlTextureKind::free(GLuint name) noexcept { glDeleteTextures(1, &name); }

GLuint GlFramebufferKind::make() noexcept {
  GLuint name = 0;
  glGenFramebuffers(1, &name);
  return name;
}
void GlFramebufferKind::free(GLuint name) noexcept { glDeleteFramebuffers(1, &name); }

GLuint GlRenderbufferKind::make() noexcept {
  GLuint name = 0;
  glGenRenderbuffers(1, &name);
  return name;
}
void GlRenderbufferKind::free(GLuint name) noexcept { glDeleteRenderbuffers(1, &name); }

GLuint GlVertexArrayKind::make() noexcept {
  GLuint name = 0;
  glGenVertexArrays(1, &name);
  return name;
}
void GlVertexArrayKind::free(GLuint name) noexcept { glDeleteVertexArrays(1, &name); }

GLuint GlProgramKind::make() noexcept { return glCreateProgram(); }
void GlProgramKind::free(GLuint name) noexcept { glDeleteProgram(name); }

void GlShaderKind::free(GLuint name) noexcept { glDeleteShader(name); }

GlFence GlFence::insert() noexcept {
  GlFence fence;
  fence.sync_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  return fence;
}

void GlFence::waitAndClear() noexcept {
  if (sync_ == nullptr) return;
  while (glClientWaitSync(sync_, GL_SYNC_FLUSH_COMMANDS_BIT, 1'000'000'000) == GL_TIMEOUT_EXPIRED) {
  }
  reset();
}

void GlFence::reset() noexcept {
  if (sync_ != nullptr) glDeleteSync(sync_);
  sync_ = nullptr;
}

void labelGlObject(GLenum kind, GLuint name, std::string_view label) {
  // Asked each time rather than remembered: a process may hold contexts from
  // different drivers, and labels are only made at set-up.
  if (name == 0 || (epoxy_gl_version() < 43 && !epoxy_has_gl_extension("GL_KHR_debug"))) return;
  glObjectLabel(kind, name, static_cast<GLsizei>(label.size()), label.data());
}

#ifndef NDEBUG
void debugCheckGl(const char* where, const char* file, unsigned line) {
  const GLenum error = glGetError();
  if (error == GL_NO_ERROR) return;
  failedCheck(std::string(where) + " gave " + glErrorText(error), file, line);
}
#endif

std::string glErrorText(GLenum error) {
  switch (error) {
    case GL_OUT_OF_MEMORY: return "out of GPU memory";
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    default: return "GL error " + std::to_string(error);
  }
}

}  // namespace sorvel
