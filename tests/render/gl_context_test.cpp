#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "render/egl_context.hpp"
#include "render/offscreen_target.hpp"

namespace sorvel {
namespace {

struct Rgba {
  int r, g, b, a;
};

HeadlessGl makeGl() {
  auto created = HeadlessGl::create();
  if (!created.gl) {
    ADD_FAILURE() << created.error;
    throw std::runtime_error(created.error);
  }
  return std::move(*created.gl);
}

OffscreenTarget makeTarget(int width, int height) {
  auto created = OffscreenTarget::create(width, height);
  if (!created.target) {
    ADD_FAILURE() << created.error;
    throw std::runtime_error(created.error);
  }
  return std::move(*created.target);
}

float srgbToLinear(int value) {
  const float c = static_cast<float>(value) / 255.0F;
  return c <= 0.04045F ? c / 12.92F : std::pow((c + 0.055F) / 1.055F, 2.4F);
}

// Clears with the framebuffer's sRGB encoding off, so the bytes land as given.
void clearRaw(Rgba c) {
  glDisable(GL_FRAMEBUFFER_SRGB);
  glClearColor(static_cast<float>(c.r) / 255.0F, static_cast<float>(c.g) / 255.0F,
               static_cast<float>(c.b) / 255.0F, static_cast<float>(c.a) / 255.0F);
  glClear(GL_COLOR_BUFFER_BIT);
}

Rgba pixelAt(const std::vector<std::uint8_t>& pixels, int width, int x, int y) {
  const auto i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)) * 4;
  return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
}

void expectNear(Rgba have, Rgba want, const std::string& where) {
  EXPECT_NEAR(have.r, want.r, 1) << where;
  EXPECT_NEAR(have.g, want.g, 1) << where;
  EXPECT_NEAR(have.b, want.b, 1) << where;
  EXPECT_NEAR(have.a, want.a, 1) << where;
}

void expectUniform(const OffscreenTarget& target, Rgba want) {
  const auto pixels = target.readRgba();
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(target.width() * target.height() * 4));
  for (int y = 0; y < target.height(); ++y) {
    for (int x = 0; x < target.width(); ++x) {
      expectNear(pixelAt(pixels, target.width(), x, y), want,
                 "pixel " + std::to_string(x) + "," + std::to_string(y));
    }
  }
}

TEST(HeadlessGl, GivesACurrentCoreContextOfAtLeast33) {
  HeadlessGl gl = makeGl();
  std::cout << "GL: " << gl.describe() << "\n";
  EXPECT_TRUE(gl.isCurrent());
  EXPECT_FALSE(gl.renderer().empty());

  GLint major = 0;
  GLint minor = 0;
  GLint profile = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  EXPECT_GE(major * 10 + minor, 33) << gl.version();
  EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // Moving hands over the context; the moved-from shell must not destroy it.
  std::optional<HeadlessGl> shell(std::move(gl));
  HeadlessGl moved = std::move(*shell);
  shell.reset();
  EXPECT_TRUE(moved.isCurrent());
  OffscreenTarget target = makeTarget(2, 2);
  target.bind();
  clearRaw({10, 20, 30, 255});
  expectUniform(target, {10, 20, 30, 255});
}

TEST(HeadlessGl, AnImpossibleRequestFailsWithAMessageAndLeavesTheCurrentContext) {
  HeadlessGl gl = makeGl();
  const auto refused = HeadlessGl::create({.major = 9, .minor = 9});
  EXPECT_FALSE(refused.gl.has_value());
  EXPECT_NE(refused.error.find("9.9"), std::string::npos) << refused.error;

  // The failed attempt neither unbound nor broke the context already in use.
  EXPECT_TRUE(gl.isCurrent());
  OffscreenTarget target = makeTarget(3, 2);
  target.bind();
  clearRaw({90, 80, 70, 255});
  expectUniform(target, {90, 80, 70, 255});
}

TEST(OffscreenTarget, StoresSrgbAndReadsBackTopRowFirst) {
  HeadlessGl gl = makeGl();
  // Odd, unequal sides catch swapped dimensions and a stride off by a pixel.
  constexpr int width = 7;
  constexpr int height = 6;
  OffscreenTarget target = makeTarget(width, height);
  target.bind();

  GLint encoding = 0;
  GLint depthBits = 0;
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                        GL_FRAMEBUFFER_ATTACHMENT_COLOR_ENCODING, &encoding);
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                        GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depthBits);
  EXPECT_EQ(encoding, GL_SRGB);
  EXPECT_GE(depthBits, 24);

  // Linear light in, sRGB bytes out: a plain RGBA8 target would store ~(55, 53, 5).
  const Rgba wood{200, 120, 40, 255};
  glEnable(GL_FRAMEBUFFER_SRGB);
  glClearColor(srgbToLinear(wood.r), srgbToLinear(wood.g), srgbToLinear(wood.b), 1.0F);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_FRAMEBUFFER_SRGB);
  expectUniform(target, wood);

  // GL's rows count up from the bottom: the scissored top half must come back
  // as rows 0..2, and the top-left pixel as the first one.
  const Rgba sky{30, 60, 220, 255};
  const Rgba mark{250, 250, 0, 128};
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, height / 2, width, height - height / 2);
  clearRaw(sky);
  glScissor(0, height - 1, 1, 1);
  clearRaw(mark);
  glDisable(GL_SCISSOR_TEST);

  const auto pixels = target.readRgba();
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(width * height * 4));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgba want = y < height / 2 ? sky : wood;
      if (x == 0 && y == 0) want = mark;
      expectNear(pixelAt(pixels, width, x, y), want,
                 "pixel " + std::to_string(x) + "," + std::to_string(y));
    }
  }

  // The depth buffer is really there and holds what is written to it.
  glClearDepth(0.25);
  glClear(GL_DEPTH_BUFFER_BIT);
  float depth = 0.0F;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer());
  glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_NEAR(depth, 0.25F, 1e-5F);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(OffscreenTarget, RefusesSizesItCannotHold) {
  HeadlessGl gl = makeGl();
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
  for (const auto& [w, h] : {std::pair{0, 4}, std::pair{4, 0}, std::pair{-3, 4},
                             std::pair{maxSize + 1, 4}, std::pair{4, maxSize + 1}}) {
    const auto created = OffscreenTarget::create(w, h);
    EXPECT_FALSE(created.target.has_value()) << w << "x" << h;
    EXPECT_NE(created.error.find(std::to_string(w) + "x" + std::to_string(h)), std::string::npos)
        << created.error;
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(HeadlessGl, TwoContextsLiveSideBySideAndOutliveEachOther) {
  std::optional<HeadlessGl> first(makeGl());
  std::optional<OffscreenTarget> firstTarget(makeTarget(4, 3));
  firstTarget->bind();
  clearRaw({255, 0, 0, 255});

  HeadlessGl second = makeGl();
  EXPECT_TRUE(second.isCurrent());
  EXPECT_FALSE(first->isCurrent());
  OffscreenTarget secondTarget = makeTarget(5, 2);
  secondTarget.bind();
  clearRaw({0, 255, 0, 255});

  // Each context keeps its own objects; switching back finds the first intact.
  ASSERT_TRUE(first->makeCurrent());
  expectUniform(*firstTarget, {255, 0, 0, 255});
  firstTarget.reset();
  // Both contexts share one EGL display: closing the first must not close it
  // under the second.
  first.reset();

  ASSERT_TRUE(second.makeCurrent());
  expectUniform(secondTarget, {0, 255, 0, 255});
  secondTarget.bind();
  clearRaw({0, 0, 255, 255});
  expectUniform(secondTarget, {0, 0, 255, 255});
}

}  // namespace
}  // namespace sorvel
