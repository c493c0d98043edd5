#pragma once

#include <epoxy/gl.h>

#include <string>
#include <string_view>
#include <utility>

namespace sorvel {

// The kinds of GL object the renderer and its targets own. Each knows how to
// make a name, how to free it, and what glObjectLabel calls it.
struct GlBufferKind {
  static constexpr GLenum kLabel = GL_BUFFER;
  static GLuint make() noexcept;
  static void free(GLuint name) noexcept;
};
struct GlTextureKind {
  static constexpr GLenum kLabel = GL_TEXTURE;
  static GLuint make() noexcept;
  static void free(GLuint name) noexcept;
};
struct GlFramebufferKind {
  static constexpr GLenum kLabel = GL_FRAMEBUFFER;
  static GLuint make() noexcept;
  static void free(GLuint name) noexcept;
};
struct GlRenderbufferKind {
  static constexpr GLenum kLabel = GL_RENDERBUFFER;
  static GLuint make() noexcept;
  static void free(GLuint name) noexcept;
};
struct GlVertexArrayKind {
  static constexpr GLenum kLabel = GL_VERTEX_ARRAY;
  static GLuint make() noexcept;
  static void free(GLuint name) noexcept;
};
struct GlProgramKind {
  static constexpr GLenum kLabel = GL_PROGRAM;
  static GLuint make() noexcept;
  static void free(GLuint name) noexcept;
};
// Made with glCreateShader(stage), so it has no make().
struct GlShaderKind {
  static constexpr GLenum kLabel = GL_SHADER;
  static void free(GLuint name) noexcept;
};

// One GL name that frees itself. Move-only: a copy would free the object
// twice. An empty (or moved-from) one holds 0 and never calls GL, so it may
// outlive its context. Anything else must die while its context is current.
template <class Kind>
class GlName {
 public:
  GlName() = default;
  explicit GlName(GLuint name) noexcept : name_(name) {}
  // A new name from glGen* (glCreateProgram for programs). Most kinds only
  // become objects once first bound, and only then can they be labelled.
  static GlName make() noexcept { return GlName(Kind::make()); }

  GlName(GlName&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
  GlName& operator=(GlName&& other) noexcept {
    if (this != &other) reset(std::exchange(other.name_, 0));
    return *this;
  }
  GlName(const GlName&) = delete;
  GlName& operator=(const GlName&) = delete;
  ~GlName() { reset(); }

  GLuint id() const noexcept { return name_; }
  explicit operator bool() const noexcept { return name_ != 0; }

  // Frees the object held and takes `name` in its place.
  void reset(GLuint name = 0) noexcept {
    if (name_ != 0) Kind::free(name_);
    name_ = name;
  }

 private:
  GLuint name_ = 0;
};

using GlBuffer = GlName<GlBufferKind>;
using GlTexture = GlName<GlTextureKind>;
using GlFramebuffer = GlName<GlFramebufferKind>;
using GlRenderbuffer = GlName<GlRenderbufferKind>;
using GlVertexArray = GlName<GlVertexArrayKind>;
using GlProgram = GlName<GlProgramKind>;
using GlShader = GlName<GlShaderKind>;

// A fence the GPU signals once it has passed it; freed like the names above.
class GlFence {
 public:
  GlFence() = default;
  // Signalled once every command issued so far has run.
  static GlFence insert() noexcept;

  GlFence(GlFence&& other) noexcept : sync_(std::exchange(other.sync_, nullptr)) {}
  GlFence& operator=(GlFence&& other) noexcept {
    if (this != &other) {
      reset();
      sync_ = std::exchange(other.sync_, nullptr);
    }
    return *this;
  }
  GlFence(const GlFence&) = delete;
  GlFence& operator=(const GlFence&) = delete;
  ~GlFence() { reset(); }

  explicit operator bool() const noexcept { return sync_ != nullptr; }
  // Blocks until the GPU has passed the fence, then lets it go. Nothing to
  // wait for when empty.
  void waitAndClear() noexcept;
  void reset() noexcept;

 private:
  GLsync sync_ = nullptr;
};

// Names an object for GL debuggers and driver messages. Quietly does nothing
// where the driver has no KHR_debug (it is core only from GL 4.3), and the
// object must already exist: bound once, for the kinds made by glGen*.
void labelGlObject(GLenum kind, GLuint name, std::string_view label);
template <class Kind>
void labelGlObject(const GlName<Kind>& object, std::string_view label) {
  labelGlObject(Kind::kLabel, object.id(), label);
}

// In debug builds, stops the program naming `where` and the error if GL has
// one to report; in release builds it costs nothing and checks nothing. The
// renderer calls it after each pass, so a wrong call is caught near its cause.
#ifdef NDEBUG
inline void debugCheckGl(const char*) {}
#else
void debugCheckGl(const char* where, const char* file = __builtin_FILE(), unsigned line = __builtin_LINE());
#endif

// "GL_INVALID_ENUM", "out of GPU memory", ...
std::string glErrorText(GLenum error);

}  // namespace sorvel
