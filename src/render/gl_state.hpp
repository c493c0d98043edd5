#pragma once

#include <epoxy/gl.h>

#include <array>

namespace sorvel {

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

// The state the renderer touches, read when made and put back when it goes,
// so drawing leaves the caller's GL (the window's overlay pass, another
// renderer) exactly as it found it. `clipControl` says whether the driver
// has glClipControl, whose setting is kept too.
class SavedGlState {
 public:
  explicit SavedGlState(bool clipControl);
  ~SavedGlState();
  SavedGlState(const SavedGlState&) = delete;
  SavedGlState& operator=(const SavedGlState&) = delete;

 private:
  bool clipControl_;
  GLint clipOrigin_ = GL_LOWER_LEFT;
  GLint clipDepth_ = GL_NEGATIVE_ONE_TO_ONE;
  std::array<GLboolean, 6> enabled_{};
  GLint depthFunc_ = GL_LESS;
  GLboolean depthWrite_ = GL_TRUE;
  std::array<GLboolean, 4> colourMask_{};
  GLint cullFace_ = GL_BACK;
  GLint frontFace_ = GL_CCW;
  GLfloat offsetFactor_ = 0;
  GLfloat offsetUnits_ = 0;
  std::array<GLfloat, 4> clearColour_{};
  GLdouble clearDepth_ = 1;
  std::array<GLint, 4> viewport_{};
  GLint drawFramebuffer_ = 0;
  GLint readFramebuffer_ = 0;
  GLint renderbuffer_ = 0;
  GLint program_ = 0;
  GLint vertexArray_ = 0;
  GLint arrayBuffer_ = 0;
  GLint uniformBuffer_ = 0;
  GLint uniformBinding_ = 0;
  GLint64 uniformStart_ = 0;
  GLint64 uniformSize_ = 0;
  GLint activeTexture_ = GL_TEXTURE0;
  std::array<GLint, 2> textures_{};  // units 0 and 1
};

}  // namespace sorvel
