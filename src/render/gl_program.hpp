#pragma once

#include <epoxy/gl.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace sorvel {

// A linked GL program that deletes itself; empty until built.
class GlProgram {
 public:
  GlProgram() = default;
  explicit GlProgram(GLuint id) : id_(id) {}
  GlProgram(GlProgram&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
  GlProgram& operator=(GlProgram&& other) noexcept {
    if (this != &other) {
      reset();
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  GlProgram(const GlProgram&) = delete;
  GlProgram& operator=(const GlProgram&) = delete;
  ~GlProgram() { reset(); }

  GLuint id() const { return id_; }
  void reset() noexcept;

 private:
  GLuint id_ = 0;
};

struct ProgramSource {
  std::string name;               // for messages: "cube", "floor", ...
  std::string vertex;             // the stage's own source
  std::string fragment;           // empty: depth only
};

struct ProgramBuild {
  GlProgram program;
  std::string error;  // the compiler's or linker's log, with the program's name
};

// Compiles and links one program. `prelude` goes before each stage (the
// version line, defines and shared code); `fragmentPrelude` before the
// fragment stage only. Binds the frame block to binding 0.
ProgramBuild buildProgram(const ProgramSource& source, const std::string& prelude,
                          const std::string& fragmentPrelude);

// Points a sampler uniform at a texture unit; a sampler the compiler dropped
// is fine.
void setSamplerUnit(const GlProgram& program, const char* name, GLint unit);

}  // namespace sorvel
