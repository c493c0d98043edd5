#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/headless_gl.hpp"
#include "render/gl_name.hpp"
#include "render/layer_compositor.hpp"
#include "render/offscreen_target.hpp"

namespace sorvel {
namespace {

struct Rgba {
  int r, g, b, a;
};

// Unwraps a create() result, failing the test with its reason.
template <class T>
T unwrap(Result<T> created) {
  if (!created) {
    ADD_FAILURE() << created.why();
    throw std::runtime_error(created.why());
  }
  return std::move(*created);
}
HeadlessGl makeGl() { return unwrap(HeadlessGl::create()); }
OffscreenTarget makeTarget(int w, int h) { return unwrap(OffscreenTarget::create(w, h)); }

// Clears with sRGB encoding off, so the bytes land as given (or, with
// `srgb`, as the sRGB encoding of the linear colour).
void clear(Rgba c, bool srgb = false) {
  const auto f = [srgb](int v) {
    const float x = static_cast<float>(v) / 255.0F;
    return !srgb ? x : x <= 0.04045F ? x / 12.92F : std::pow((x + 0.055F) / 1.055F, 2.4F);
  };
  if (srgb) glEnable(GL_FRAMEBUFFER_SRGB);
  glClearColor(f(c.r), f(c.g), f(c.b), static_cast<float>(c.a) / 255.0F);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_FRAMEBUFFER_SRGB);
}

// Reads the target back (top row first) and compares each pixel within 1.
void expectPixels(const OffscreenTarget& target, const std::function<Rgba(int, int)>& want) {
  const auto px = target.readRgba();
  ASSERT_EQ(px.size(), static_cast<std::size_t>(target.width() * target.height() * 4));
  for (int y = 0; y < target.height(); ++y)
    for (int x = 0; x < target.width(); ++x) {
      const Rgba w = want(x, y);
      const std::size_t i = (static_cast<std::size_t>(y) * target.width() + x) * 4;
      const int have[] = {px[i], px[i + 1], px[i + 2], px[i + 3]}, expect[] = {w.r, w.g, w.b, w.a};
      for (int ch = 0; ch < 4; ++ch) EXPECT_NEAR(have[ch], expect[ch], 1) << "pixel " << x << "," << y << " channel " << ch;
    }
}
void expectUniform(const OffscreenTarget& target, Rgba want) {
  expectPixels(target, [want](int, int) { return want; });
}

TEST(HeadlessGl, GivesACurrentCoreContextAndRefusesAnImpossibleOne) {
  HeadlessGl gl = makeGl();
  std::cout << "GL: " << gl.describe() << "\n";
  EXPECT_TRUE(gl.isCurrent());
  EXPECT_FALSE(gl.renderer().empty());
  GLint major = 0, minor = 0, profile = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  EXPECT_GE(major * 10 + minor, 33) << gl.version();
  EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);

  const auto refused = HeadlessGl::create({.major = 9, .minor = 9});
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.why().find("9.9"), std::string::npos) << refused.why();

  // The failed attempt left the context current and working, and a move hands
  // it over without the moved-from shell destroying it.
  std::optional<HeadlessGl> shell(std::move(gl));
  HeadlessGl moved = std::move(*shell);
  shell.reset();
  EXPECT_TRUE(moved.isCurrent());
  OffscreenTarget target = makeTarget(3, 2);
  target.bind();
  clear({90, 80, 70, 255});
  expectUniform(target, {90, 80, 70, 255});
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(OffscreenTarget, StoresSrgbAndReadsBackTopRowFirst) {
  HeadlessGl gl = makeGl();
  OffscreenTarget target = makeTarget(7, 6);  // odd, unequal: swapped sides or a bad stride show
  target.bind();
  // Linear light in, sRGB bytes out: a plain RGBA8 target would store ~(55, 53, 5).
  const Rgba wood{200, 120, 40, 255}, sky{30, 60, 220, 255}, mark{250, 250, 0, 128};
  clear(wood, true);
  expectUniform(target, wood);

  // GL's rows count up from the bottom: the scissored top half must come back
  // as rows 0..2, and the top-left pixel as the first one.
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 3, 7, 3);
  clear(sky);
  glScissor(0, 5, 1, 1);
  clear(mark);
  glDisable(GL_SCISSOR_TEST);
  expectPixels(target, [&](int x, int y) { return x == 0 && y == 0 ? mark : y < 3 ? sky : wood; });

  // The same pixels in the other byte order, into a buffer of the caller's;
  // one of the wrong size is refused rather than overrun.
  const auto rgba = target.readRgba();
  std::vector<std::uint8_t> bgra(rgba.size());
  target.read(bgra, PixelOrder::Bgra);
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    ASSERT_EQ(bgra[i], rgba[i + 2]) << "pixel " << i / 4;
    ASSERT_EQ(bgra[i + 1], rgba[i + 1]);
    ASSERT_EQ(bgra[i + 2], rgba[i]);
    ASSERT_EQ(bgra[i + 3], rgba[i + 3]);
  }
  bgra.pop_back();
  EXPECT_THROW(target.read(bgra, PixelOrder::Bgra), std::invalid_argument);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A layer of 2x2 premultiplied BGRA pixels: opaque red, half-covering
// white, clear, opaque blue.
std::vector<std::uint8_t> testLayer() {
  return {0, 0, 255, 255, /**/ 128, 128, 128, 128, /**/ 0, 0, 0, 0, /**/ 255, 0, 0, 255};
}

TEST(LayerCompositor, BlendsPremultipliedLayersWhereTheirPlacementPutsThem) {
  HeadlessGl gl = makeGl();
  OffscreenTarget target = makeTarget(6, 4);
  auto created = LayerCompositor::create();
  ASSERT_TRUE(created) << created.why();
  OverlayLayer layer;
  layer.upload(testLayer(), 2, 2);
  const Rgba grey{100, 100, 100, 255}, red{255, 0, 0, 255}, blue{0, 0, 255, 255};
  const Rgba halfWhite{178, 178, 178, 255};  // 128 + 100 * (1 - 128/255)

  // Painted as they are, top row first, at the top left; the bytes blend as
  // stored, with no sRGB conversion either way.
  target.bind();
  clear(grey);
  (*created)->draw(layer, {}, 6, 4);
  expectPixels(target, [&](int x, int y) {
    if (x == 0 && y == 0) return red;
    if (x == 1 && y == 0) return halfWhite;
    if (x == 1 && y == 1) return blue;
    return grey;
  });

  // Moved right by 3 and down by 1, at half opacity.
  clear(grey);
  (*created)->draw(layer, {.opacity = 0.5F, .offsetX = 3, .offsetY = 1}, 6, 4);
  expectPixels(target, [&](int x, int y) {
    if (x == 3 && y == 1) return Rgba{178, 50, 50, 255};
    if (x == 4 && y == 2) return Rgba{50, 50, 178, 255};
    if (x == 4 && y == 1) return Rgba{139, 139, 139, 255};
    return grey;
  });

  // Twice the size about its top-left corner, then the same texels replaced.
  clear(grey);
  std::vector<std::uint8_t> allBlue(16);
  for (int i = 0; i < 4; ++i) allBlue[i * 4] = 255, allBlue[i * 4 + 3] = 255;
  layer.upload(allBlue, 2, 2);
  (*created)->draw(layer, {.scale = 2}, 6, 4);
  expectPixels(target, [&](int x, int) { return x < 4 ? blue : grey; });
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(GlName, FreesItsObjectOnceAndHandsItOverOnMove) {
  HeadlessGl gl = makeGl();
  GlBuffer first = GlBuffer::make();
  const GLuint id = first.id();
  glBindBuffer(GL_ARRAY_BUFFER, id);  // only now is it a buffer
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  labelGlObject(first, "test buffer");
  ASSERT_TRUE(glIsBuffer(id));
  if (epoxy_gl_version() >= 43) {
    char label[32] = {};
    glGetObjectLabel(GL_BUFFER, id, sizeof label, nullptr, label);
    EXPECT_STREQ(label, "test buffer");
  }

  GlBuffer second = std::move(first);
  EXPECT_EQ(first.id(), 0u);  // NOLINT(bugprone-use-after-move): the point
  EXPECT_EQ(second.id(), id);
  first = GlBuffer();  // the emptied one frees nothing
  EXPECT_TRUE(glIsBuffer(id));
  {
    GlBuffer third = std::move(second);
  }
  EXPECT_FALSE(glIsBuffer(id));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(HeadlessGl, TwoContextsLiveSideBySideAndOutliveEachOther) {
  std::optional<HeadlessGl> first(makeGl());
  std::optional<OffscreenTarget> firstTarget(makeTarget(4, 3));
  firstTarget->bind();
  clear({255, 0, 0, 255});

  HeadlessGl second = makeGl();
  EXPECT_TRUE(second.isCurrent());
  EXPECT_FALSE(first->isCurrent());
  OffscreenTarget secondTarget = makeTarget(5, 2);
  secondTarget.bind();
  clear({0, 255, 0, 255});

  // Each context keeps its own objects; switching back finds the first intact.
  ASSERT_TRUE(first->makeCurrent());
  expectUniform(*firstTarget, {255, 0, 0, 255});
  firstTarget.reset();
  first.reset();  // both share one EGL display: closing the first must not close it under the second
  ASSERT_TRUE(second.makeCurrent());
  expectUniform(secondTarget, {0, 255, 0, 255});
  clear({0, 0, 255, 255});
  expectUniform(secondTarget, {0, 0, 255, 255});
}

}  // namespace
}  // namespace sorvel
