#pragma once

#include <epoxy/gl.h>

namespace sorvel {

// One convention for GL state: every pass (the renderer's shadow and main
// passes, the compositor, the presenter's copies, a read-back) sets all the
// state it depends on when it starts and puts nothing back, so no pass
// depends on what the one before happened to leave.

// The fixed-function state one group of draws needs, set as one bundle so no
// draw depends on what happened to be left on by the one before.
struct PassState {
  bool depthTest = true;
  GLenum depthFunc = GL_LESS;
  bool depthWrite = true;
  // GL_NONE draws both sides.
  GLenum cull = GL_NONE;
  // Polygon offset on fills; both zero leaves it off.
  float offsetFactor = 0;
  float offsetUnits = 0;
  // Shading is linear; the sRGB targets must encode what is written.
  bool srgbWrites = false;
};

void applyPassState(const PassState& state);

// For the state no pass sets because nothing here ever changes it: in debug
// builds, stops naming `who` when GL's `what` is not `expected`; in release
// builds it costs nothing and checks nothing.
#ifdef NDEBUG
inline void debugExpectGl(GLenum, GLint, const char*) {}
#else
void debugExpectGl(GLenum what, GLint expected, const char* who, const char* file = __builtin_FILE(),
                   unsigned line = __builtin_LINE());
#endif

}  // namespace sorvel
