#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/result.hpp"
#include "render/gl_name.hpp"

namespace sorvel {

// A box of texels, origin at the top left.
struct TexelBox {
  int x = 0, y = 0, width = 0, height = 0;
};

// One painted interface layer on the GPU: a premultiplied BGRA picture, as
// Cairo paints it, kept until the layer changes.
class OverlayLayer {
 public:
  // `pixels` holds width x height x 4 bytes, top row first. A new size makes
  // a new texture; the same size only replaces the texels.
  void upload(std::span<const std::uint8_t> pixels, int width, int height);
  // The same picture with only `changed` new: into a texture of its size
  // just that box is sent; any other texture takes the whole picture.
  void upload(std::span<const std::uint8_t> pixels, int width, int height, TexelBox changed);
  int width() const { return width_; }
  int height() const { return height_; }
  GLuint texture() const { return texture_.id(); }
  bool empty() const { return !texture_; }

 private:
  GlTexture texture_;
  int width_ = 0;
  int height_ = 0;
};

// Where and how a layer lands on the target, for the transitions: faded,
// moved and scaled about a point, all in the target's pixels.
struct LayerPlacement {
  float opacity = 1;
  float offsetX = 0, offsetY = 0;
  float scale = 1;
  float anchorX = 0, anchorY = 0;  // the point that stays put when scaling
  // The size drawn before scaling; 0 keeps the layer's own.
  float width = 0, height = 0;
};

// Draws interface layers over the picture already in the bound framebuffer,
// blending premultiplied colour in the values stored (so an sRGB target
// blends as the painter meant, with no conversion).
class LayerCompositor {
 public:
  static Result<std::unique_ptr<LayerCompositor>> create();

  // Draws `layer` at the top-left of a target of `targetWidth` x
  // `targetHeight` pixels, into the framebuffer bound for drawing. Sets the
  // GL state it needs and puts none back.
  void draw(const OverlayLayer& layer, const LayerPlacement& placement, int targetWidth, int targetHeight) const;

 private:
  LayerCompositor() = default;
  GlProgram program_;
  GlVertexArray vertexArray_;
  GLint rectLocation_ = -1, targetLocation_ = -1, opacityLocation_ = -1;
};

}  // namespace sorvel
