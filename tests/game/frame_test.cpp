#include <cstring>
#include <glm/gtc/constants.hpp>

#include "game_fixture.hpp"
#include "game_test_access.hpp"
#include "meshes/mesh_data.hpp"

namespace sorvel::test {
namespace {

// Hands out numbered handles, as a renderer would.
class CountingGpu : public GpuResources {
 public:
  MeshHandle uploadMesh(const MeshData& mesh) override {
    return {++next_, static_cast<std::uint32_t>(mesh.indices.size())};
  }
  std::optional<TextureHandle> loadTexture(const std::filesystem::path&) override { return TextureHandle{++next_}; }

 private:
  std::uint32_t next_ = 0;
};

// A one-triangle toy, enough to give a block a figure.
void writeToy(const std::filesystem::path& file) {
  const MeshData toy{.vertices = std::vector<float>(3 * Meshes::kObjectStride, 0.5f), .indices = {0, 1, 2},
                     .stride = Meshes::kObjectStride};
  writeFile(file, Meshes::encodeStoy(toy));
}

TEST(FramePacking, BlocksStartOn256ByteBoundaries) {
  Frame frame;
  frame.objects.resize(2);
  frame.objects[0].insts.resize(1);
  FramePacking packing = packFrame(frame);
  EXPECT_EQ(packing.groups, (std::vector<std::size_t>{256, 512}));

  frame.cubes.resize(3);  // ends at 496
  frame.objects[0].insts.clear();
  packing = packFrame(frame);
  EXPECT_EQ(packing.groups, (std::vector<std::size_t>{512, 512}));
  EXPECT_EQ(packing.end, 512u);
}

TEST(Frame, TheTableShowsPlainBlocksAndTheirPlinths) {
  Rig rig;
  auto game = rig.start();
  // A hover left over from the open block: table blocks must not light up.
  game->open(1);
  game->snapCamera();
  game->hoverAt(viewPoint(*game, game->slot(1).center));
  game->goHome(false);
  ASSERT_GE(game->hover(), 0);
  game->placeCamera(glm::half_pi<float>(), game->camera().goalPitch, game->camera().zoom);
  const Frame frame = game->frame();
  EXPECT_EQ(frame.shadowCenter, glm::vec3(0, 2, 0));
  EXPECT_EQ(frame.shadowRadius, 21);
  // The light turns with the camera: +z of the light goes to +x.
  const glm::vec3 light = glm::normalize(glm::vec3(0.75f, 1.05f, 0.55f));
  EXPECT_NEAR(frame.uniforms.lightDir.x, light.x, 1e-5f);
  EXPECT_NEAR(frame.uniforms.lightDir.z, light.z, 1e-5f);
  EXPECT_EQ(frame.objects.size(), 3u) << "one plinth per block, no figures, no chips";
  EXPECT_EQ(frame.cubes.size(), 18u + 18u + 2u);
  for (const CubeInst& cube : frame.cubes) {
    EXPECT_EQ(cube.clues, glm::uvec4(kNoClue, kNoClue, kNoClue, 0));
    EXPECT_EQ(cube.anim.w, 0.0f);
  }
}

TEST(Frame, ABlockUnderThePointerOnTheTableRisesAndLightsUp) {
  Rig rig;
  auto game = rig.start();
  const Slot& peg = game->slot(2);
  const Frame still = game->frame();
  auto ofPeg = [&](const CubeInst& cube) { return cube.origin.x == peg.origin.x && cube.origin.z == peg.origin.z; };

  game->hoverAt(viewPoint(*game, peg.center));
  EXPECT_EQ(game->hoveredSlot(), 2);
  runFor(*game, 1);
  const Frame raised = game->frame();
  ASSERT_EQ(raised.cubes.size(), still.cubes.size());
  for (size_t i = 0; i < raised.cubes.size(); ++i) {
    const CubeInst &a = raised.cubes[i], &b = still.cubes[i];
    if (ofPeg(b)) {
      EXPECT_NEAR(a.posScale.y - b.posScale.y, 0.18f, 1e-3f);
      EXPECT_NEAR(a.origin.y - b.origin.y, 0.18f, 1e-3f) << "the grain slid over the cube";
      EXPECT_GT(a.anim.w, 0.1f);
    } else {
      EXPECT_EQ(a.posScale, b.posScale);
      EXPECT_EQ(a.anim.w, 0.0f);
    }
  }

  // Off the blocks, and in play, nothing is raised.
  game->hoverAt(viewPoint(*game, {0, 0, 40}));
  EXPECT_FALSE(game->hoveredSlot());
  game->hoverAt(viewPoint(*game, peg.center));
  game->open(2);
  EXPECT_FALSE(game->hoveredSlot());
  game->hoverAt(viewPoint(*game, peg.center));
  EXPECT_FALSE(game->hoveredSlot());
  runFor(*game, 1);
  EXPECT_LT(peg.lift, 1e-3f);
}

TEST(Frame, TheOpenBlockCarriesCluesFlagsAndWhatItsNeighboursSee) {
  Rig rig;
  auto game = rig.start();
  game->open(0);
  game->acknowledgeGuide();
  runFor(*game, 1);  // the other blocks sink into the table
  Slot& tutorial = GameTestAccess::slot(*game, 0);
  // Cell 15 = (0, 2, 1) was carved in an earlier run: never drawn. Cell 16 is carved now.
  tutorial.puzzle.state[15] = CellState::broken;
  tutorial.breakT[15] = 10;
  game->act(16, Tool::carve);
  game->tick(0.1);

  Frame frame = game->frame();
  ASSERT_EQ(frame.cubes.size(), 17u) << "the freshly carved cube still shrinks";
  EXPECT_EQ(frame.cubes[0].clues, glm::uvec4(kNoClue, kNoClue, kNoClue, 1)) << "in play, no clues, not guided";
  EXPECT_EQ(frame.cubes[16].clues.w, 3u) << "cell 17 is the one the guide still points at";
  const std::uint32_t carvedNow = frame.cubes[15].nbr.x;  // cell 16 = (1, 2, 1)
  EXPECT_EQ(carvedNow & (1u << (9 + 3 + 0)), 0u) << "cell 15 on its left is gone";
  EXPECT_NE(carvedNow & (1u << (9 + 3 + 2)), 0u) << "cell 17 on its right is there";
  EXPECT_NE(frame.cubes[0].nbr.x & (1u << (9 + 6 + 1)), 0u) << "cell 3 in front of cell 0 is there";

  // Peeling the front hides those cubes and their neighbours stop seeing them.
  game->setPeel(1);
  frame = game->frame();
  EXPECT_EQ(frame.cubes.size(), 10u) << "nine at the back, and the carve still shrinking";
  EXPECT_EQ(frame.cubes[0].nbr.x & (1u << (9 + 6 + 1)), 0u);
  runFor(*game, 0.2);  // the shrink is over
  EXPECT_EQ(game->frame().cubes.size(), 9u);
}

// The shaders drop a cube in play whose six face neighbours are all there:
// it cannot be seen. That holds only while each of them stands whole and
// still in its place; any other cube dropped would leave a hole.
void expectHiddenCubesWalledIn(const Frame& frame, const char* when) {
  const auto at = [&](glm::vec3 centre) -> const CubeInst* {
    for (const CubeInst& cube : frame.cubes) {
      if (glm::distance(glm::vec3(cube.posScale), centre) < 1e-3f) return &cube;
    }
    return nullptr;
  };
  int hidden = 0;
  for (const CubeInst& cube : frame.cubes) {
    if ((cube.clues.w & kCubeInPlay) == 0 || (cube.nbr.z & kFaceNeighbours) != kFaceNeighbours) continue;
    ++hidden;
    for (int axis = 0; axis < 3; ++axis) {
      for (int side = -1; side <= 1; side += 2) {
        glm::vec3 offset(0);
        offset[axis] = static_cast<float>(side) * cube.posScale.w;
        const CubeInst* neighbour = at(glm::vec3(cube.posScale) + offset);
        ASSERT_NE(neighbour, nullptr) << when << ": a hidden cube's neighbour is missing";
        EXPECT_EQ(neighbour->posScale.w, cube.posScale.w) << when << ": a hidden cube's neighbour is shrinking";
        EXPECT_EQ(neighbour->anim.x, 0.0f) << when << ": a hidden cube's neighbour is shaking";
      }
    }
  }
  EXPECT_GT(hidden, 0) << when << ": the block should hide its inside";
}

TEST(Frame, ACubeIsHiddenOnlyWhileEveryNeighbourStandsWholeAndStill) {
  // Four cubes a side; the outer layer of the front face is surplus.
  std::string solution(64, '1');
  for (int x = 0; x < 4; ++x) {
    for (int y = 0; y < 4; ++y) solution[static_cast<std::size_t>((y * 4 + 0) * 4 + x)] = '0';
  }
  Rig rig({{"dado", 4, 4, 4, solution}});
  auto game = rig.start();
  game->open(0);
  runFor(*game, 0.5);
  expectHiddenCubesWalledIn(game->frame(), "whole");

  // A cube carved from the front, still shrinking away.
  const int front = GameTestAccess::slot(*game, 0).puzzle.index(1, 1, 0);
  game->act(front, Tool::carve);
  game->tick(0.05);
  expectHiddenCubesWalledIn(game->frame(), "carving");
  runFor(*game, 0.5);
  expectHiddenCubesWalledIn(game->frame(), "carved");

  // A mistake: a cube of the figure shakes where the carved one was.
  game->act(GameTestAccess::slot(*game, 0).puzzle.index(1, 1, 1), Tool::carve);
  game->tick(0.05);
  expectHiddenCubesWalledIn(game->frame(), "shaking");
  runFor(*game, 0.5);

  // Layers peeled away.
  game->setPeel(1);
  runFor(*game, 0.5);
  expectHiddenCubesWalledIn(game->frame(), "peeled");
}

TEST(Frame, ASolvedBlockShowsItsFigureThenPlinthsThenChips) {
  Rig rig;
  writeToy(rig.dir / "toys" / "pieza.mesh");
  CountingGpu gpu;
  rig.gpu = &gpu;
  auto game = rig.start();
  game->demo("solved:2");
  game->goHome(false);
  game->open(2);  // a solved block opened from the table: its figure, no cubes
  EXPECT_EQ(game->revealT(), 100);
  Frame frame = game->frame();
  const Slot& peg = game->slot(2);
  ASSERT_GE(frame.objects.size(), 4u);
  EXPECT_EQ(frame.objects[0].mesh, *peg.toy);
  EXPECT_EQ(frame.objects[0].texture, peg.toyTex);
  EXPECT_EQ(frame.objects[3].mesh, peg.plinth);
  EXPECT_EQ(frame.objects.back().mesh, game->chipMesh()) << "the carve's chips come last";
  EXPECT_EQ(frame.objects.back().insts.size(), game->chips().size());
  for (const CubeInst& cube : frame.cubes) {
    EXPECT_EQ(cube.clues.x, kNoClue) << "only table blocks may draw cubes";
  }
  game->clearChips();
  EXPECT_EQ(game->frame().objects.size(), 4u);
}

TEST(Frame, AToyPastItsLimitsIsLeftOutAndTheBlockStillPlays) {
  Rig rig;
  MeshData huge{.vertices = std::vector<float>(3 * Meshes::kObjectStride, 0.5f), .stride = Meshes::kObjectStride};
  for (std::uint64_t t = 0; t <= Meshes::kMaxStoyTriangles; ++t) huge.indices.insert(huge.indices.end(), {0, 1, 2});
  writeFile(rig.dir / "toys" / "pieza.mesh", Meshes::encodeStoy(huge));
  writeToy(rig.dir / "toys" / "barco.mesh");
  CountingGpu gpu;
  rig.gpu = &gpu;
  ::testing::internal::CaptureStderr();
  auto game = rig.start();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "sorvel: cannot read mesh " + (rig.dir / "toys" / "pieza.mesh").string() +
                      ": 3 vertices and 100001 triangles are more than a toy may have (300000 and 100000); the "
                      "solved figure is left out\n");
  EXPECT_FALSE(game->slot(2).toy.has_value());
  EXPECT_TRUE(game->slot(1).toy.has_value());
  game->demo("solved:2");
  EXPECT_TRUE(game->slot(2).puzzle.solved());
}


// Ticks until the game says nothing moves, for at most `seconds`; how long it took.
double untilStill(Game& game, double seconds) {
  for (double t = 0; t < seconds; t += 1.0 / 60) {
    if (game.motion() == Motion::still) return t;
    game.tick(1.0 / 60);
  }
  return seconds;
}

TEST(Motion, ABlockComesToRestAndStaysTheSamePictureUntilThePlayerActs) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  EXPECT_EQ(game->motion(), Motion::moving) << "the camera's flight to the block";
  EXPECT_LT(untilStill(*game, 10), 4.0) << "the flight and the blocks sinking end on their own";
  const Frame rest = game->frame();
  // The eases have landed: however long the clock runs, the picture holds,
  // so a window need not draw it again.
  runFor(*game, 20, 0.25);
  EXPECT_EQ(game->motion(), Motion::still);
  EXPECT_TRUE(sameScene(rest, game->frame()));

  // A cube under the pointer lights up at once, with nothing in motion: the
  // window must see the picture changed all the same.
  game->hoverAt(viewPoint(*game, game->slot(1).cellCenter(0)));
  ASSERT_GE(game->hover(), 0);
  EXPECT_EQ(game->motion(), Motion::still);
  EXPECT_FALSE(sameScene(rest, game->frame()));

  // A carve moves: the cube breaks off, chips fly; then all is still again.
  const Slot& boat = game->slot(1);
  int surplus = 0;
  while (boat.puzzle.def.solution[static_cast<std::size_t>(surplus)] != '0') ++surplus;
  game->act(surplus, Tool::carve);
  EXPECT_EQ(game->motion(), Motion::moving);
  EXPECT_LT(untilStill(*game, 10), 4.0);

  // A drag turns the camera at once: nothing eases, yet the picture is
  // another one.
  const Frame beforeDrag = game->frame();
  game->drag({10, 0});
  EXPECT_EQ(game->motion(), Motion::still);
  EXPECT_FALSE(sameScene(beforeDrag, game->frame()));
}

TEST(Motion, TheTableSwaysAndASolvedFigureTurnsForGood) {
  Rig rig;
  writeToy(rig.dir / "toys" / "pieza.mesh");
  CountingGpu gpu;
  rig.gpu = &gpu;
  auto game = rig.start();
  runFor(*game, 3);
  EXPECT_EQ(game->motion(), Motion::ambient) << "the table's slow sway";
  game->open(2);
  EXPECT_LT(untilStill(*game, 10), 4.0);
  game->act(game->slot(2).puzzle.index(0, 0, 1), Tool::carve);
  ASSERT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(game->motion(), Motion::moving) << "the reveal";
  runFor(*game, 6);
  game->clearChips();
  EXPECT_EQ(game->motion(), Motion::ambient) << "the figure turning on its plinth";
  // Ambient motion changes the picture, so the window draws it, at its own pace.
  const Frame before = game->frame();
  game->tick(0.1);
  EXPECT_FALSE(sameScene(before, game->frame()));
}

TEST(Motion, TheGuidesBreathingIsAmbientAndTheClockAloneIsNoChange) {
  Rig rig;
  auto game = rig.start();
  game->open(0);
  game->acknowledgeGuide();
  runFor(*game, 4);
  ASSERT_FALSE(game->guideCells().empty());
  EXPECT_EQ(game->motion(), Motion::ambient);
  // Two frames a clock's tick apart differ only in the clock the guide's
  // light breathes by; that difference alone is not a new picture.
  Frame a = game->frame();
  Frame b = a;
  b.uniforms.params.x += 1;
  EXPECT_TRUE(sameScene(a, b));
  b.uniforms.params.y += 0.5f;
  EXPECT_FALSE(sameScene(a, b));
  b = a;
  ASSERT_FALSE(b.objects.empty());
  b.objects.back().insts.front().model[3][0] += 0.01f;
  EXPECT_FALSE(sameScene(a, b));
}

}  // namespace
}  // namespace sorvel::test
