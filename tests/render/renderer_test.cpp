#include "render/renderer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <optional>
#include <glm/gtc/matrix_transform.hpp>
#include <stdexcept>

#include "capture/capture_session.hpp"
#include "game/game.hpp"
#include "game/game_fixture.hpp"
#include "image/png_io.hpp"
#include "meshes/mesh_data.hpp"
#include "puzzle/library.hpp"
#include "render/offscreen_target.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

struct Pixel {
  int r, g, b, a;
};

// One capture session for the whole suite: building the programs and the
// atlas is the slow part, and every test must see the same renderer work.
class RendererTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto created = CaptureSession::create({.width = 64, .height = 64, .resources = test::fixtureResources(), .seed = 7});
    ASSERT_TRUE(created) << created.why();
    session_ = std::move(*created);
    renderer_ = &session_->renderer();
  }
  static void TearDownTestSuite() {
    renderer_ = nullptr;
    session_.reset();
  }
  void SetUp() override {
    if (!session_) GTEST_SKIP() << "no capture session";
    while (glGetError() != GL_NO_ERROR) {
    }
  }

  // A new game on the table, seen in a picture of this size.
  Game& makeGame(int width, int height) {
    const Result<void> resized = session_->resize(width, height);
    EXPECT_TRUE(resized) << resized.why();
    session_->restartGame();
    return session_->game();
  }

  // Renders and reads back, top row first.
  std::vector<std::uint8_t> draw(const Frame& frame, int width, int height) {
    if (const Result<void> resized = session_->resize(width, height); !resized) throw std::runtime_error(resized.why());
    const Result<void> drawn = session_->draw(frame);
    EXPECT_TRUE(drawn) << drawn.why();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return session_->read(PixelOrder::Rgba);
  }

  static Pixel at(const std::vector<std::uint8_t>& px, int width, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return {px[i], px[i + 1], px[i + 2], px[i + 3]};
  }

  static inline std::unique_ptr<CaptureSession> session_;
  static inline Renderer* renderer_ = nullptr;
};

TEST_F(RendererTest, TheTableIsOpaqueWithTheBackgroundAtTheTopAndBlocksInTheMiddle) {
  Game& game = makeGame(320, 200);
  for (int i = 0; i < 120; ++i) game.tick(1.0 / 60.0);
  const auto px = draw(game.frame(), 320, 200);
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
  Game& game = makeGame(400, 400);
  game.demo("play:1:0");
  for (int i = 0; i < 120; ++i) game.tick(1.0 / 60.0);
  const Frame frame = game.frame();
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

TEST_F(RendererTest, AFrameLooksTheSameAfterANewSizeAndOnEveryBufferOfTheRing) {
  const Frame frame = makeGame(64, 64).frame();
  const auto first = draw(frame, 64, 48);
  EXPECT_EQ(draw(frame, 80, 48).size(), std::size_t{80 * 48 * 4});
  // Back at the first size, then round the whole ring: no buffer or target
  // may keep anything of an earlier frame.
  for (int i = 0; i <= Renderer::kRingSize; ++i) EXPECT_EQ(draw(frame, 64, 48), first) << "frame " << i;
}

TEST_F(RendererTest, CubesAFewPixelsWideAreDrawnCoarserYetStillStand) {
  Game& table = makeGame(160, 100);
  for (int i = 0; i < 60; ++i) table.tick(1.0 / 60.0);
  ASSERT_EQ(cubeDetailSteps(table.frame(), 160, 100), 1);
  const auto small = draw(table.frame(), 160, 100);
  // The coarse cubes still stand there: pale wood, unlike the plinths'
  // dark brown and the grey table.
  int cubes = 0;
  for (std::size_t i = 0; i < small.size(); i += 4) {
    cubes += small[i] > 200 && small[i + 1] > 170 && small[i + 2] + 40 < small[i];
  }
  EXPECT_GT(cubes, 800) << "of some 1,200 with every cube whole";
}

TEST_F(RendererTest, ASizeTheDriverCannotMakeDrawsNothingAndSaysSo) {
  Game& game = makeGame(8, 8);
  auto target = OffscreenTarget::create(8, 8);
  ASSERT_TRUE(target) << target.why();
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(renderer_->render(game.frame(), {target->framebuffer(), largest + 1, 8}));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("not drawn"), std::string::npos);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  draw(game.frame(), 8, 8);  // and the next frame of a good size is drawn again
}

TEST_F(RendererTest, EmptyAndOversizedFramesDrawWithoutGlErrors) {
  Game& game = makeGame(32, 32);
  Frame empty = game.frame();
  empty.cubes.clear();
  for (auto& group : empty.objects) group.insts.clear();
  empty.objects.push_back({.insts = {ObjInst{}}});  // an instance of no mesh at all
  const auto px = draw(empty, 32, 32);
  EXPECT_EQ(at(px, 32, 0, 0).a, 255);

  // More cubes than one frame buffer holds: the buffer grows instead of
  // overflowing.
  Frame huge = game.frame();
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
  Game& game = makeGame(64, 64);
  Frame frame = game.frame();
  frame.cubes.clear();
  frame.objects.clear();
  const MeshHandle disc = renderer_->uploadMesh(Meshes::plinth(1, 1, 0.1f, 24));
  ObjInst figure;
  figure.model = glm::translate(glm::mat4(1), game.camera().target) * glm::scale(glm::mat4(1), glm::vec3(30));
  figure.color = {1, 1, 1, 1};
  figure.extra = {0, 0, 0, 0};
  frame.objects.push_back({disc, std::nullopt, {figure}});
  const auto px = draw(frame, 64, 64);
  const Pixel centre = at(px, 64, 32, 32);
  // The atlas has no blue at all; a plain figure is lit grey-white.
  EXPECT_GT(centre.b, 60);
  EXPECT_NEAR(centre.r, centre.b, 60);
}

TEST_F(RendererTest, DrawingDependsOnNoGlStateTheCallerLeft) {
  Game& game = makeGame(48, 32);
  game.demo("play:1:0");
  for (int i = 0; i < 60; ++i) game.tick(1.0 / 60.0);
  const Frame frame = game.frame();
  const auto clean = draw(frame, 48, 32);

  // What a window's overlay pass, a read-back or a careless caller might
  // leave behind: the renderer and the read-back must set all they need.
  auto other = OffscreenTarget::create(4, 4);
  ASSERT_TRUE(other) << other.why();
  const bool clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  if (clipControl) glClipControl(GL_UPPER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
  for (const GLenum on : {GL_BLEND, GL_SCISSOR_TEST, GL_FRAMEBUFFER_SRGB, GL_POLYGON_OFFSET_FILL}) glEnable(on);
  glBlendFunc(GL_ONE, GL_ONE);
  glScissor(0, 0, 1, 1);
  glDepthFunc(GL_GREATER);
  glDepthMask(GL_FALSE);
  glColorMask(GL_FALSE, GL_TRUE, GL_FALSE, GL_TRUE);
  glCullFace(GL_FRONT_AND_BACK);
  glFrontFace(GL_CW);
  glPolygonOffset(3, 4);
  glClearColor(0.25f, 0.5f, 0.75f, 1);
  glClearDepth(0);
  glViewport(1, 2, 3, 4);
  glBindFramebuffer(GL_FRAMEBUFFER, other->framebuffer());
  glActiveTexture(GL_TEXTURE3);
  const GlBuffer pack = GlBuffer::make();
  glBindBuffer(GL_PIXEL_PACK_BUFFER, pack.id());
  glBufferData(GL_PIXEL_PACK_BUFFER, 16, nullptr, GL_STREAM_READ);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);

  ASSERT_TRUE(renderer_->render(frame, session_->renderTarget()));
  EXPECT_EQ(session_->read(PixelOrder::Rgba), clean);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The mean difference per channel of two pictures of one size.
double meanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return sum / static_cast<double>(a.size());
}

TEST_F(RendererTest, AQuickFrameShowsTheSameSceneAndLeavesTheFullOneAsItWas) {
  Game& game = makeGame(160, 100);
  game.demo("play:1:0");
  for (int i = 0; i < 120; ++i) game.tick(1.0 / 60.0);
  const Frame frame = game.frame();
  const auto full = draw(frame, 160, 100);
  ASSERT_TRUE(renderer_->render(frame, session_->renderTarget(), DrawQuality::quick));
  const auto quick = session_->read(PixelOrder::Rgba);
  // Rougher edges and shadows, the same block in the same place.
  EXPECT_NE(quick, full);
  EXPECT_LT(meanDifference(quick, full), 3.0);
  // Nothing of the quick frame's targets or programs stays behind, even
  // with the targets let go in between.
  renderer_->releaseTargets();
  EXPECT_EQ(draw(frame, 160, 100), full);
}

TEST_F(RendererTest, TheShadowsFollowACasterThatMovedSinceTheLastFrame) {
  Game& game = makeGame(160, 100);
  game.demo("play:1:0");
  for (int i = 0; i < 120; ++i) game.tick(1.0 / 60.0);
  // Cubes alone: a second renderer has none of the game's meshes.
  Frame before = game.frame();
  before.objects.clear();
  Frame after = before;
  ASSERT_FALSE(after.cubes.empty());
  for (CubeInst& cube : after.cubes) cube.posScale.x += 1.5f;
  // The map kept from the first frame must not be used for the second.
  draw(before, 160, 100);
  const auto followed = draw(after, 160, 100);
  Result<std::unique_ptr<Renderer>> fresh = Renderer::create();
  ASSERT_TRUE(fresh) << fresh.why();
  ASSERT_TRUE((*fresh)->render(after, session_->renderTarget()));
  EXPECT_EQ(followed, session_->read(PixelOrder::Rgba));
  EXPECT_NE(followed, draw(before, 160, 100)) << "the blocks moved";
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
  const Result<void> written = writePng(dir / "good.png", rgba, 4, 4);
  ASSERT_TRUE(written) << written.why();
  const auto texture = renderer_->loadTexture(dir / "good.png");
  ASSERT_TRUE(texture);
  EXPECT_NE(texture->id, 0u);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererTest, AShaderThatDoesNotCompileOrLinkIsReportedWithTheDriversLog) {
  const std::string prelude = "#version 330 core\n";
  const Result<GlProgram> broken =
      buildProgram({"test", "void main() { gl_Position = undeclared; }", ""}, prelude, "");
  ASSERT_FALSE(broken);
  EXPECT_NE(broken.why().find("the test vertex shader does not compile"), std::string::npos) << broken.why();
  EXPECT_NE(broken.why().find("undeclared"), std::string::npos) << "the driver's log should follow";

  // Each stage compiles, but the fragment stage has no main().
  const Result<GlProgram> unlinked = buildProgram(
      {"test", "void main() { gl_Position = vec4(0.0); }", "out vec4 c; void paint() { c = vec4(1.0); }"}, prelude,
      "");
  ASSERT_FALSE(unlinked);
  EXPECT_NE(unlinked.why().find("the test program does not link"), std::string::npos) << unlinked.why();
  while (glGetError() != GL_NO_ERROR) {
  }
}

// The largest table the chapter's limits allow: sixteen of the widest
// blocks, the first as tall as the cubes left allow. Every plinth must show,
// in a wide picture and in a tall one where they stand in two columns.
TEST(LargestTable, EveryPlinthShowsInAWideAndATallPicture) {
  test::TempDir dir;
  std::vector<test::FixturePuzzle> blocks;
  const int side = Library::kMaxSide;
  for (int i = 0; i < Library::kMaxChapterBlocks; ++i) {
    const int height = i == 0 ? 12 : 1;
    blocks.push_back({"b" + std::to_string(i), side, height, side,
                      std::string(static_cast<std::size_t>(side * height * side), '1')});
  }
  test::writeChapter(dir.path(), blocks);
  auto created = CaptureSession::create({.width = 1600, .height = 1000, .resources = dir.path(), .seed = 7});
  ASSERT_TRUE(created) << created.why();
  CaptureSession& session = **created;

  for (const auto& [width, height] : {std::pair(1600, 1000), std::pair(600, 1000)}) {
    const Result<void> resized = session.resize(width, height);
    ASSERT_TRUE(resized) << resized.why();
    session.restartGame();
    Game& game = session.game();
    for (int i = 0; i < 60; ++i) game.tick(1.0 / 60.0);
    const Result<void> drawn = session.draw();
    ASSERT_TRUE(drawn) << drawn.why();
    const std::vector<std::uint8_t> px = session.read(PixelOrder::Rgba);
    const glm::mat4 viewProj = game.viewProj();
    const auto pixelAt = [&](glm::vec3 world) -> std::optional<glm::ivec2> {
      const glm::vec4 clip = viewProj * glm::vec4(world, 1);
      if (clip.w <= 0) return std::nullopt;
      const glm::ivec2 p(static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * static_cast<float>(width)),
                         static_cast<int>((0.5f - clip.y / clip.w * 0.5f) * static_cast<float>(height)));
      if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return std::nullopt;
      return p;
    };
    // Plinth wood is reddish brown, about (205, 154, 115); the table is pale
    // grey-beige and the blocks' wood yellower, green above 0.84 of red even
    // in shade.
    const auto plinthLike = [&](glm::ivec2 p) {
      const std::size_t i = (static_cast<std::size_t>(p.y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(p.x)) * 4;
      const int r = px[i], g = px[i + 1], b = px[i + 2];
      return r - b > 60 && g * 5 < r * 4;
    };
    for (int i = 0; i < game.slotCount(); ++i) {
      const Slot& slot = game.slot(i);
      const glm::vec3 foot(slot.center.x, kPlinthHeight, slot.center.z);
      EXPECT_TRUE(pixelAt(foot)) << "the centre of plinth " << i << " is outside the " << width << "x" << height
                                 << " picture";
      // Its top between the block and the rim, on each side: one at least is
      // not hidden by a block in front.
      const float across = (static_cast<float>(slot.puzzle.X) * 0.5f + slot.plinthRadius) * 0.5f;
      const float along = (static_cast<float>(slot.puzzle.Z) * 0.5f + slot.plinthRadius) * 0.5f;
      int seen = 0;
      for (const glm::vec3 offset : {glm::vec3(0, 0, along), glm::vec3(-across, 0, 0), glm::vec3(across, 0, 0),
                                     glm::vec3(0, 0, -along)}) {
        const auto p = pixelAt(foot + offset);
        seen += p && plinthLike(*p);
      }
      EXPECT_GT(seen, 0) << "plinth " << i << " is not seen in the " << width << "x" << height << " picture";
    }
  }
}

// The open block's cubes as the pattern preference hands them over.
Frame withPatterns(Frame frame) {
  for (CubeInst& cube : frame.cubes) {
    if ((cube.clues.w & kCubeInPlay) != 0) cube.clues.w |= kCubePatternMarks;
  }
  return frame;
}

// Pixels of `b` darker than in `a` by more than `levels` in every channel.
int darkened(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int levels) {
  int n = 0;
  for (std::size_t i = 0; i < a.size(); i += 4) {
    n += a[i] - b[i] > levels && a[i + 1] - b[i + 1] > levels && a[i + 2] - b[i + 2] > levels;
  }
  return n;
}

TEST_F(RendererTest, PatternMarksStripeMarkedCubesCrossFlashingOnesAndLeaveTheRestAlone) {
  Game& game = makeGame(400, 400);
  game.demo("play:1:0");
  for (int i = 0; i < 120; ++i) game.tick(1.0 / 60.0);
  const Frame unmarked = game.frame();
  // Without a mark or a flash the pattern has nothing to draw on.
  EXPECT_TRUE(draw(withPatterns(unmarked), 400, 400) == draw(unmarked, 400, 400));

  game.autoMark(6);
  for (int i = 0; i < 60; ++i) game.tick(1.0 / 60.0);
  const Frame marked = game.frame();
  for (const DrawQuality quality : {DrawQuality::full, DrawQuality::quick}) {
    ASSERT_TRUE(renderer_->render(marked, session_->renderTarget(), quality));
    const auto plain = session_->read(PixelOrder::Rgba);
    ASSERT_TRUE(renderer_->render(withPatterns(marked), session_->renderTarget(), quality));
    const auto striped = session_->read(PixelOrder::Rgba);
    // Stripes a deeper shade of the glaze: darker in every channel, so they
    // read in grey too.
    const int stripes = darkened(plain, striped, 30);
    EXPECT_GT(stripes, 1200) << stripes << " darker pixels, " << (quality == DrawQuality::full ? "full" : "quick");
    EXPECT_EQ(darkened(striped, plain, 8), 0) << "the pattern only darkens";
  }

  // A mistake's flash: red either way, crossed in dark ink with patterns.
  Frame flashing = marked;
  for (CubeInst& cube : flashing.cubes) {
    if (cube.anim.z > 0.5f) cube.anim.y = 1;
  }
  const auto red = draw(flashing, 400, 400);
  const auto crossed = draw(withPatterns(flashing), 400, 400);
  int struck = 0;
  for (std::size_t i = 0; i < red.size(); i += 4) struck += red[i] > 150 && red[i] - crossed[i] > 80;
  EXPECT_GT(struck, 300) << "red pixels the cross turns dark";
  EXPECT_EQ(darkened(crossed, red, 8), 0) << "the cross only darkens";
}

}  // namespace
}  // namespace sorvel
