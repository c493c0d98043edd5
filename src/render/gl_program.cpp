#include "render/gl_program.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace sorvel {
namespace {

std::string shaderLog(GLuint shader) {
  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(static_cast<std::size_t>(std::max(length, 1)));
  glGetShaderInfoLog(shader, length, nullptr, log.data());
  return log.data();
}

std::string programLog(GLuint program) {
  GLint length = 0;
  glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(static_cast<std::size_t>(std::max(length, 1)));
  glGetProgramInfoLog(program, length, nullptr, log.data());
  return log.data();
}

Result<GlShader> compile(GLenum stage, const std::string& text, const std::string& what) {
  GlShader shader(glCreateShader(stage));
  const char* source = text.c_str();
  glShaderSource(shader.id(), 1, &source, nullptr);
  glCompileShader(shader.id());
  GLint ok = GL_FALSE;
  glGetShaderiv(shader.id(), GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) return Reason{what + " does not compile:\n" + shaderLog(shader.id())};
  return shader;
}

}  // namespace

Result<GlProgram> buildProgram(const ProgramSource& source, const std::string& prelude,
                               const std::string& fragmentPrelude) {
  const Result<GlShader> vertex =
      compile(GL_VERTEX_SHADER, prelude + source.vertex, "the " + source.name + " vertex shader");
  if (!vertex) return Reason{vertex.why()};
  GlShader fragment;
  if (!source.fragment.empty()) {
    Result<GlShader> compiled = compile(GL_FRAGMENT_SHADER, prelude + fragmentPrelude + source.fragment,
                                        "the " + source.name + " fragment shader");
    if (!compiled) return Reason{compiled.why()};
    fragment = std::move(*compiled);
  }
  // The shaders may go once linked: the program keeps what it needs.
  GlProgram program = GlProgram::make();
  glAttachShader(program.id(), vertex->id());
  if (fragment) glAttachShader(program.id(), fragment.id());
  glLinkProgram(program.id());
  GLint ok = GL_FALSE;
  glGetProgramiv(program.id(), GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) return Reason{"the " + source.name + " program does not link:\n" + programLog(program.id())};
  labelGlObject(program, source.name);
  const GLuint block = glGetUniformBlockIndex(program.id(), "FrameBlock");
  if (block != GL_INVALID_INDEX) glUniformBlockBinding(program.id(), block, 0);
  return program;
}

void setSamplerUnit(const GlProgram& program, const char* name, GLint unit) {
  const GLint location = glGetUniformLocation(program.id(), name);
  if (location < 0) return;
  glUseProgram(program.id());
  glUniform1i(location, unit);
}

}  // namespace sorvel
