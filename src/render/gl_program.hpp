#pragma once

#include <epoxy/gl.h>

#include <string>

#include "base/result.hpp"
#include "render/gl_name.hpp"

namespace sorvel {

struct ProgramSource {
  std::string name;               // for messages: "cube", "floor", ...
  std::string vertex;             // the stage's own source
  std::string fragment;           // empty: depth only
};

// Compiles and links one program. `prelude` goes before each stage (the
// version line, defines and shared code); `fragmentPrelude` before the
// fragment stage only. Binds the frame block to binding 0 and labels the
// program with its name. A failure's reason is the compiler's or linker's
// log, with the program's name.
Result<GlProgram> buildProgram(const ProgramSource& source, const std::string& prelude,
                               const std::string& fragmentPrelude);

// Points a sampler uniform at a texture unit; a sampler the compiler dropped
// is fine.
void setSamplerUnit(const GlProgram& program, const char* name, GLint unit);

}  // namespace sorvel
