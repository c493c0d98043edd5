#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "render/headless_gl.hpp"
#include "render/layer_compositor.hpp"
#include "render/offscreen_target.hpp"

namespace sorvel {
namespace {

template <class T>
T unwrap(Result<T> created) {
  if (!created) {
    ADD_FAILURE() << created.why();
    throw std::runtime_error(created.why());
  }
  return std::move(*created);
}

// A picture of `w` x `h` BGRA texels, none alike, so that a texel sent to
// the wrong place shows.
std::vector<std::uint8_t> picture(int w, int h, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(std::size_t(w) * std::size_t(h) * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const auto texel = static_cast<std::uint8_t>(i / 4 * 7 + seed);
    bytes[i] = texel;
    bytes[i + 1] = static_cast<std::uint8_t>(texel / 2);
    bytes[i + 2] = static_cast<std::uint8_t>(255 - texel);
    bytes[i + 3] = 255;  // opaque: drawn over a clear target, the texels land as they are
  }
  return bytes;
}

// `layer` drawn as it is into a clear target of its size, read back.
std::vector<std::uint8_t> drawn(const LayerCompositor& compositor, const OverlayLayer& layer, OffscreenTarget& target,
                                const LayerPlacement& placement = {}) {
  target.bind();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  compositor.draw(layer, placement, target.width(), target.height());
  return target.readRgba();
}

TEST(LayerUpload, AChangedBoxSentAloneGivesTheSameTextureAsTheWholePicture) {
  HeadlessGl gl = unwrap(HeadlessGl::create());
  const auto compositor = unwrap(LayerCompositor::create());
  constexpr int w = 37, h = 23;  // odd sizes: rows that are not a power of two long
  OffscreenTarget target = unwrap(OffscreenTarget::create(w, h));

  std::vector<std::uint8_t> now = picture(w, h, 0);
  OverlayLayer part, whole;
  part.upload(now, w, h);
  const std::vector<std::uint8_t> fresh = picture(w, h, 90);
  const TexelBox changed{5, 7, 11, 4};
  for (int y = changed.y; y < changed.y + changed.height; ++y) {
    for (int x = changed.x; x < changed.x + changed.width; ++x) {
      const std::size_t at = (std::size_t(y) * w + std::size_t(x)) * 4;
      for (int c = 0; c < 4; ++c) now[at + std::size_t(c)] = fresh[at + std::size_t(c)];
    }
  }
  part.upload(now, w, h, changed);
  whole.upload(now, w, h);
  EXPECT_EQ(drawn(*compositor, part, target), drawn(*compositor, whole, target));

  // The scene's own texture uploads count on rows read as packed.
  GLint rowLength = -1, skipPixels = -1, skipRows = -1;
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
  glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);
  EXPECT_EQ(rowLength, 0);
  EXPECT_EQ(skipPixels, 0);
  EXPECT_EQ(skipRows, 0);

  // A whole upload after a part reads its rows packed too, whatever an
  // upload before it left.
  glPixelStorei(GL_UNPACK_ROW_LENGTH, w + 3);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 2);
  OverlayLayer again;
  again.upload(now, w, h);
  EXPECT_EQ(drawn(*compositor, again, target), drawn(*compositor, whole, target));

  // A box for a picture of another size than the texture holds sends the
  // whole picture.
  const std::vector<std::uint8_t> smaller = picture(w - 2, h, 40);
  part.upload(smaller, w - 2, h, changed);
  whole.upload(smaller, w - 2, h);
  EXPECT_EQ(part.width(), w - 2);
  EXPECT_EQ(drawn(*compositor, part, target), drawn(*compositor, whole, target));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(LayerUpload, AOneTexelLayerStretchedCoversTheTarget) {
  HeadlessGl gl = unwrap(HeadlessGl::create());
  const auto compositor = unwrap(LayerCompositor::create());
  OffscreenTarget target = unwrap(OffscreenTarget::create(40, 30));
  OverlayLayer layer;
  layer.upload(std::vector<std::uint8_t>{0, 0, 0, 255}, 1, 1);
  const std::vector<std::uint8_t> px = drawn(*compositor, layer, target, {.opacity = 0.5f, .width = 40, .height = 30});
  int wrong = 0;
  for (std::size_t i = 0; i < px.size(); i += 4) wrong += px[i] != 0 || px[i + 3] < 127 || px[i + 3] > 128;
  EXPECT_EQ(wrong, 0) << "pixels the stretched layer missed";
}

}  // namespace
}  // namespace sorvel
