#include "render/renderer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <glm/gtc/matrix_transform.hpp>
#include <stdexcept>

#include "game/game.hpp"
#include "image/png_io.hpp"
#include "meshes/mesh_data.hpp"
#include "render/egl_context.hpp"
#include "render/offscreen_target.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

struct Pixel {
  int r, g, b, a;
};

// One GL context and renderer for the whole suite: building the programs and
// the atlas is the slow part, and every test must see the same renderer work.
class RendererTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto created = HeadlessGl::create();
    ASSERT_TRUE(created.gl) << created.error;
    gl_ = std::make_unique<HeadlessGl>(std::move(*created.gl));
    auto renderer = Renderer::create();
    ASSERT_TRUE(renderer.renderer) << renderer.error;
    renderer_ = std::move(renderer.renderer);
  }
  static void TearDownTestSuite() {
    renderer_.reset();
    gl_.reset();
  }
  void SetUp() override {
    if (!renderer_) GTEST_SKIP() << "no renderer";
    while (glGetError() != GL_NO_ERROR) {
    }
  }

  std::unique_ptr<Game> makeGame(float aspect) {
    auto game = std::make_unique<Game>(
        GameOptions{.persist = false, .gpu = renderer_.get(), .resources = test::fixtureResources(), .seed = 7});
    game->viewportChanged(aspect);
    game->goHome(false);
    return game;
  }

  // Renders and reads back, top row first.
  std::vector<std::uint8_t> draw(const Frame& frame, int width, int height) {
    auto created = OffscreenTarget::create(width, height);
    if (!created.target) throw std::runtime_error(created.error);
    EXPECT_TRUE(renderer_->render(frame, {created.target->framebuffer(), width, height}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return created.target->readRgba();
  }

  static Pixel at(const std::vector<std::uint8_t>& px, int width, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return {px[i], px[i + 1], px[i + 2], px[i + 3]};
  }

  static inline std::unique_ptr<HeadlessGl> gl_;
  static inline std::unique_ptr<Renderer> renderer_;
};

TEST_F(RendererTest, TheTableIsOpaqueWithTheBackgroundAtTheTopAndBlocksInTheMiddle) {
  auto game = makeGame(320.0f / 200.0f);
  for (int i = 0; i < 120; ++i) game->tick(1.0 / 60.0);
  const auto px = draw(game->frame(), 320, 200);
  ASSERT_EQ(px.size(), 320u * 200u * 4u);
  int transparent = 0;
  for (std::size_t i = 3; i < px.size(); i += 4) transparent += px[i] != 255;
  EXPECT_EQ(transparent, 0);
  // Above the horizon there is only the clear colour, 0xE6DED2 stored as sRGB.
  const Pixel corner = at(px, 320, 2, 2);
  EXPECT_NEAR(corner.r, 0xE6, 2);
  EXPECT_NEAR(corner.g, 0xDE, 2);
  EXPECT_NEAR(corner.b, 0xD2, 2);
  int differing = 0;
  for (std::size_t i = 0; i < px.size(); i += 4) differing += std::abs(px[i] - corner.r) > 12;
  EXPECT_GT(differing, 500) << "the blocks and plinths should stand out from the table";
}

TEST_F(RendererTest, ABlockInPlayShowsWoodAndInkDarkClues) {
  auto game = makeGame(1.0f);
  game->demo("play:1:0");
  for (int i = 0; i < 120; ++i) game->tick(1.0 / 60.0);
  const Frame frame = game->frame();
  ASSERT_FALSE(frame.cubes.empty());
  const auto px = draw(frame, 400, 400);
  const Pixel centre = at(px, 400, 200, 200);
  EXPECT_GT(centre.r, 120);
  EXPECT_GT(centre.r, centre.g);
  EXPECT_GT(centre.g, centre.b) << "the middle of the block should be warm wood";
  int ink = 0;
  for (std::size_t i = 0; i < px.size(); i += 4) ink += std::max({px[i], px[i + 1], px[i + 2]}) < 80;
  EXPECT_GT(ink, 150) << "clue digits should be printed in dark ink";

  // The same frame with the clues faded out keeps the wood and loses the ink.
  Frame faded = frame;
  faded.uniforms.params.y = 0;
  const auto plain = draw(faded, 400, 400);
  int plainInk = 0;
  for (std::size_t i = 0; i < plain.size(); i += 4) plainInk += std::max({plain[i], plain[i + 1], plain[i + 2]}) < 80;
  EXPECT_LT(plainInk, ink / 4) << plainInk << " dark pixels without clues against " << ink << " with them";
}

TEST_F(RendererTest, TargetsAreRemadeOnlyWhenTheSizeChangesAndEachFrameTakesTheNextBuffer) {
  auto game = makeGame(1.0f);
  const Frame frame = game->frame();
  const int builds = renderer_->targetBuilds();
  const int ring = renderer_->ringIndex();
  draw(frame, 64, 48);
  EXPECT_EQ(renderer_->ringIndex(), (ring + 1) % Renderer::kRingSize);
  draw(frame, 64, 48);
  EXPECT_EQ(renderer_->targetBuilds(), builds + 1);  // the earlier tests drew at other sizes
  draw(frame, 80, 48);
  EXPECT_EQ(renderer_->targetBuilds(), builds + 2);
}

TEST_F(RendererTest, ASizeTheDriverCannotMakeDrawsNothingAndSaysSo) {
  auto game = makeGame(1.0f);
  auto target = OffscreenTarget::create(8, 8);
  ASSERT_TRUE(target.target) << target.error;
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(renderer_->render(game->frame(), {target.target->framebuffer(), largest + 1, 8}));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("not drawn"), std::string::npos);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  draw(game->frame(), 8, 8);  // and the next frame of a good size is drawn again
}

TEST_F(RendererTest, EmptyAndOversizedFramesDrawWithoutGlErrors) {
  auto game = makeGame(1.0f);
  Frame empty = game->frame();
  empty.cubes.clear();
  for (auto& group : empty.objects) group.insts.clear();
  empty.objects.push_back({.insts = {ObjInst{}}});  // an instance of no mesh at all
  const auto px = draw(empty, 32, 32);
  EXPECT_EQ(at(px, 32, 0, 0).a, 255);

  // More cubes than one 4 MiB buffer holds: the buffer grows instead of
  // overflowing.
  Frame huge = game->frame();
  CubeInst cube;
  cube.posScale = {0, 100, 0, 0.01f};  // far above the view
  cube.clues = {kNoClue, kNoClue, kNoClue, 0};
  huge.cubes.assign(60000, cube);
  ASSERT_GT(packFrame(huge).end, Renderer::kRingBytes);
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < Renderer::kRingSize; ++i) draw(huge, 32, 32);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("outgrew"), std::string::npos);
}

TEST_F(RendererTest, AFigureWhosePictureIsMissingIsDrawnPlainNotWithGlyphs) {
  // A big plinth right in front of the camera, drawn as a figure (extra.x 0)
  // with no texture: the atlas stays bound, but must not colour it.
  auto game = makeGame(1.0f);
  Frame frame = game->frame();
  frame.cubes.clear();
  frame.objects.clear();
  const MeshHandle disc = renderer_->uploadMesh(Meshes::plinth(1, 1, 0.1f, 24));
  ObjInst figure;
  figure.model = glm::translate(glm::mat4(1), game->camera.target) * glm::scale(glm::mat4(1), glm::vec3(30));
  figure.color = {1, 1, 1, 1};
  figure.extra = {0, 0, 0, 0};
  frame.objects.push_back({disc, std::nullopt, {figure}});
  const auto px = draw(frame, 64, 64);
  const Pixel centre = at(px, 64, 32, 32);
  // The atlas has no blue at all; a plain figure is lit grey-white.
  EXPECT_GT(centre.b, 60);
  EXPECT_NEAR(centre.r, centre.b, 60);
}

TEST_F(RendererTest, OnlyTheTwoVertexLayoutsTheShadersReadAreUploaded) {
  MeshData odd = Meshes::plinth(1, 1, 0.1f, 8);
  EXPECT_NE(renderer_->uploadMesh(odd).id, 0u);
  odd.stride = 7;
  EXPECT_EQ(renderer_->uploadMesh(odd), MeshHandle{});
}

TEST_F(RendererTest, TexturesLoadFromPngAndAMissingOrBadFileGivesNothing) {
  test::TempDir dir;
  EXPECT_FALSE(renderer_->loadTexture(dir / "missing.png"));
  test::writeFile(dir / "bad.png", "not a picture");
  EXPECT_FALSE(renderer_->loadTexture(dir / "bad.png"));
  const std::vector<std::uint8_t> rgba(4 * 4 * 4, 200);
  ASSERT_EQ(writePng(dir / "good.png", rgba, 4, 4), "");
  const auto texture = renderer_->loadTexture(dir / "good.png");
  ASSERT_TRUE(texture);
  EXPECT_NE(texture->id, 0u);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererTest, AShaderThatDoesNotCompileOrLinkIsReportedWithTheDriversLog) {
  const std::string prelude = "#version 330 core\n";
  ProgramBuild broken = buildProgram({"test", "void main() { gl_Position = undeclared; }", ""}, prelude, "");
  EXPECT_EQ(broken.program.id(), 0u);
  EXPECT_NE(broken.error.find("the test vertex shader does not compile"), std::string::npos) << broken.error;
  EXPECT_NE(broken.error.find("undeclared"), std::string::npos) << "the driver's log should follow";

  // Each stage compiles, but the fragment stage has no main().
  ProgramBuild unlinked = buildProgram(
      {"test", "void main() { gl_Position = vec4(0.0); }", "out vec4 c; void paint() { c = vec4(1.0); }"}, prelude,
      "");
  EXPECT_EQ(unlinked.program.id(), 0u);
  EXPECT_NE(unlinked.error.find("the test program does not link"), std::string::npos) << unlinked.error;
  while (glGetError() != GL_NO_ERROR) {
  }
}

}  // namespace
}  // namespace sorvel
