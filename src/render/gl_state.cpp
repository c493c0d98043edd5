#include "render/gl_state.hpp"

namespace sorvel {
namespace {

constexpr std::array<GLenum, 6> kSwitches = {GL_BLEND,      GL_SCISSOR_TEST,        GL_DEPTH_TEST,
                                             GL_CULL_FACE, GL_POLYGON_OFFSET_FILL, GL_FRAMEBUFFER_SRGB};

void setEnabled(GLenum what, bool on) {
  if (on) {
    glEnable(what);
  } else {
    glDisable(what);
  }
}

GLint integer(GLenum what) {
  GLint value = 0;
  glGetIntegerv(what, &value);
  return value;
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

SavedGlState::SavedGlState(bool clipControl) : clipControl_(clipControl) {
  if (clipControl_) {
    clipOrigin_ = integer(GL_CLIP_ORIGIN);
    clipDepth_ = integer(GL_CLIP_DEPTH_MODE);
  }
  for (std::size_t i = 0; i < kSwitches.size(); ++i) enabled_[i] = glIsEnabled(kSwitches[i]);
  depthFunc_ = integer(GL_DEPTH_FUNC);
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite_);
  glGetBooleanv(GL_COLOR_WRITEMASK, colourMask_.data());
  cullFace_ = integer(GL_CULL_FACE_MODE);
  frontFace_ = integer(GL_FRONT_FACE);
  glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &offsetFactor_);
  glGetFloatv(GL_POLYGON_OFFSET_UNITS, &offsetUnits_);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour_.data());
  glGetDoublev(GL_DEPTH_CLEAR_VALUE, &clearDepth_);
  glGetIntegerv(GL_VIEWPORT, viewport_.data());
  drawFramebuffer_ = integer(GL_DRAW_FRAMEBUFFER_BINDING);
  readFramebuffer_ = integer(GL_READ_FRAMEBUFFER_BINDING);
  renderbuffer_ = integer(GL_RENDERBUFFER_BINDING);
  program_ = integer(GL_CURRENT_PROGRAM);
  vertexArray_ = integer(GL_VERTEX_ARRAY_BINDING);
  arrayBuffer_ = integer(GL_ARRAY_BUFFER_BINDING);
  uniformBuffer_ = integer(GL_UNIFORM_BUFFER_BINDING);
  glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 0, &uniformBinding_);
  glGetInteger64i_v(GL_UNIFORM_BUFFER_START, 0, &uniformStart_);
  glGetInteger64i_v(GL_UNIFORM_BUFFER_SIZE, 0, &uniformSize_);
  activeTexture_ = integer(GL_ACTIVE_TEXTURE);
  for (std::size_t unit = 0; unit < textures_.size(); ++unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    textures_[unit] = integer(GL_TEXTURE_BINDING_2D);
  }
  glActiveTexture(static_cast<GLenum>(activeTexture_));
}

SavedGlState::~SavedGlState() {
  if (clipControl_) glClipControl(static_cast<GLenum>(clipOrigin_), static_cast<GLenum>(clipDepth_));
  for (std::size_t i = 0; i < kSwitches.size(); ++i) setEnabled(kSwitches[i], enabled_[i] == GL_TRUE);
  glDepthFunc(static_cast<GLenum>(depthFunc_));
  glDepthMask(depthWrite_);
  glColorMask(colourMask_[0], colourMask_[1], colourMask_[2], colourMask_[3]);
  glCullFace(static_cast<GLenum>(cullFace_));
  glFrontFace(static_cast<GLenum>(frontFace_));
  glPolygonOffset(offsetFactor_, offsetUnits_);
  glClearColor(clearColour_[0], clearColour_[1], clearColour_[2], clearColour_[3]);
  glClearDepth(clearDepth_);
  glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer_));
  glUseProgram(static_cast<GLuint>(program_));
  glBindVertexArray(static_cast<GLuint>(vertexArray_));
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
  // A range of zero size means the whole buffer was bound.
  if (uniformSize_ > 0) {
    glBindBufferRange(GL_UNIFORM_BUFFER, 0, static_cast<GLuint>(uniformBinding_),
                      static_cast<GLintptr>(uniformStart_), static_cast<GLsizeiptr>(uniformSize_));
  } else {
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, static_cast<GLuint>(uniformBinding_));
  }
  glBindBuffer(GL_UNIFORM_BUFFER, static_cast<GLuint>(uniformBuffer_));
  for (std::size_t unit = 0; unit < textures_.size(); ++unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures_[unit]));
  }
  glActiveTexture(static_cast<GLenum>(activeTexture_));
}

}  // namespace sorvel
