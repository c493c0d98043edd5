#include "render/gl_info.hpp"

#include <epoxy/gl.h>

namespace sorvel {

int currentGlVersion() { return epoxy_gl_version(); }

const char* currentGlRenderer() { return reinterpret_cast<const char*>(glGetString(GL_RENDERER)); }

const char* currentGlVersionText() { return reinterpret_cast<const char*>(glGetString(GL_VERSION)); }

void finishGpuWork() { glFinish(); }

unsigned takeGlError() { return glGetError(); }

}  // namespace sorvel
