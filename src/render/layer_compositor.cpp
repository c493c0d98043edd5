#include "render/layer_compositor.hpp"

#include <algorithm>

#include "render/gl_program.hpp"
#include "render/gl_state.hpp"
#include "render/shader_sources.hpp"

namespace sorvel {

namespace {

// Rows read from memory as `rowLength` texels apart (0: as wide as the box
// sent), starting `x` texels and `y` rows in.
void unpackRows(int rowLength, int x, int y) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, x);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, y);
}

}  // namespace

void OverlayLayer::upload(std::span<const std::uint8_t> pixels, int width, int height) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height * 4) return;
  debugExpectGl(GL_PIXEL_UNPACK_BUFFER_BINDING, 0, "an interface layer's upload");
  const bool sameSize = texture_ && width == width_ && height == height_;
  if (!sameSize) {
    texture_ = GlTexture::make();
    width_ = width;
    height_ = height;
  }
  glBindTexture(GL_TEXTURE_2D, texture_.id());
  unpackRows(0, 0, 0);
  if (sameSize) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  } else {
    labelGlObject(texture_, "interface layer");
    // Linear, not sRGB: the painter's values are blended as they are.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
}

void OverlayLayer::upload(std::span<const std::uint8_t> pixels, int width, int height, TexelBox changed) {
  if (!texture_ || width != width_ || height != height_) {
    upload(pixels, width, height);
    return;
  }
  if (pixels.size() < static_cast<std::size_t>(width) * height * 4) return;
  const int x0 = std::clamp(changed.x, 0, width), y0 = std::clamp(changed.y, 0, height);
  const int x1 = std::clamp(changed.x + changed.width, x0, width);
  const int y1 = std::clamp(changed.y + changed.height, y0, height);
  if (x1 == x0 || y1 == y0) return;
  debugExpectGl(GL_PIXEL_UNPACK_BUFFER_BINDING, 0, "an interface layer's upload");
  glBindTexture(GL_TEXTURE_2D, texture_.id());
  unpackRows(width, x0, y0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x0, y0, x1 - x0, y1 - y0, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  // Put back, though passes set what they need: the scene's texture uploads
  // were written when nothing here changed the row layout, and count on it.
  unpackRows(0, 0, 0);
}

Result<std::unique_ptr<LayerCompositor>> LayerCompositor::create() {
  std::unique_ptr<LayerCompositor> compositor(new LayerCompositor());
  Result<GlProgram> built = buildProgram({"interface layer", shaders::overlay_vert, shaders::overlay_frag},
                                         "#version 330 core\n", "");
  if (!built) return Reason{built.why()};
  compositor->program_ = std::move(*built);
  const GLuint id = compositor->program_.id();
  compositor->rectLocation_ = glGetUniformLocation(id, "rect");
  compositor->targetLocation_ = glGetUniformLocation(id, "targetSize");
  compositor->opacityLocation_ = glGetUniformLocation(id, "opacity");
  setSamplerUnit(compositor->program_, "picture", 0);
  glUseProgram(0);
  // Core profiles draw nothing without a vertex array, even one with no
  // attributes: the quad's corners come from the vertex number.
  compositor->vertexArray_ = GlVertexArray::make();
  return compositor;
}

void LayerCompositor::draw(const OverlayLayer& layer, const LayerPlacement& placement, int targetWidth,
                           int targetHeight) const {
  if (layer.empty() || placement.opacity <= 0 || targetWidth <= 0 || targetHeight <= 0) return;
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // Stored values in, stored values out: the target's sRGB encoding is the
  // space the painter blended in too.
  glDisable(GL_FRAMEBUFFER_SRGB);
  glViewport(0, 0, targetWidth, targetHeight);
  glUseProgram(program_.id());
  glBindVertexArray(vertexArray_.id());
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, layer.texture());
  const float s = placement.scale;
  const float x = placement.anchorX + (0 - placement.anchorX) * s + placement.offsetX;
  const float y = placement.anchorY + (0 - placement.anchorY) * s + placement.offsetY;
  const float width = placement.width > 0 ? placement.width : static_cast<float>(layer.width());
  const float height = placement.height > 0 ? placement.height : static_cast<float>(layer.height());
  glUniform4f(rectLocation_, x, y, width * s, height * s);
  glUniform2f(targetLocation_, static_cast<float>(targetWidth), static_cast<float>(targetHeight));
  glUniform1f(opacityLocation_, placement.opacity > 1 ? 1.0f : placement.opacity);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace sorvel
