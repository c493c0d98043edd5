#include "render/gl_state.hpp"

#include <string>

#include "base/say_stop.hpp"

namespace sorvel {
namespace {

void setEnabled(GLenum what, bool on) {
  if (on) {
    glEnable(what);
  } else {
    glDisable(what);
  }
}

}  // namespace

void applyPassState(const PassState& state) {
  glDisable(GL_BLEND);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  setEnabled(GL_DEPTH_TEST, state.depthTest);
  glDepthFunc(state.depthFunc);
  glDepthMask(state.depthWrite ? GL_TRUE : GL_FALSE);
  setEnabled(GL_CULL_FACE, state.cull != GL_NONE);
  if (state.cull != GL_NONE) {
    glCullFace(state.cull);
    glFrontFace(GL_CCW);
  }
  const bool offset = state.offsetFactor != 0 || state.offsetUnits != 0;
  setEnabled(GL_POLYGON_OFFSET_FILL, offset);
  if (offset) glPolygonOffset(state.offsetFactor, state.offsetUnits);
  setEnabled(GL_FRAMEBUFFER_SRGB, state.srgbWrites);
}

#ifndef NDEBUG
void debugExpectGl(GLenum what, GLint expected, const char* who, const char* file, unsigned line) {
  GLint value = 0;
  glGetIntegerv(what, &value);
  if (value != expected) {
    failedCheck(std::string(who) + " expects GL state " + std::to_string(what) + " to be " +
                    std::to_string(expected) + ", not " + std::to_string(value),
                file, line);
  }
}
#endif

}  // namespace sorvel
