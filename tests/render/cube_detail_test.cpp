// Cubes are drawn coarser only where the rounding of the nearest one covers
// no more than a pixel or two.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "meshes/mesh_data.hpp"
#include "render/cube_detail.hpp"

namespace sorvel {
namespace {

Frame cubesSeenFrom(float distance, std::vector<glm::vec3> centres, float aspect) {
  Frame frame;
  frame.uniforms.viewProj = glm::perspective(0.6f, aspect, 0.1f, 500.0f) *
                            glm::lookAt(glm::vec3(0, 0, distance), glm::vec3(0), glm::vec3(0, 1, 0));
  for (const glm::vec3& centre : centres) {
    CubeInst cube;
    cube.posScale = glm::vec4(centre, 1);
    frame.cubes.push_back(cube);
  }
  return frame;
}

TEST(CubeDetail, TheNearestCubeInFrontOfTheEyeSetsTheDetailForThePictureSize) {
  const float wide = 1920.0f / 1080.0f;
  // The rounding is 0.085 wide: 10 pixels at about 15 units in a 1080-row
  // picture with this lens, 1.5 at about 100.
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(8, {{0, 0, 0}}, wide), 1920, 1080), 4);
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(13, {{0, 0, 0}}, wide), 1920, 1080), 4);
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(17, {{0, 0, 0}}, wide), 1920, 1080), 2);
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(90, {{0, 0, 0}}, wide), 1920, 1080), 2);
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(110, {{0, 0, 0}}, wide), 1920, 1080), 1);
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(200, {{0, 0, 0}}, wide), 1920, 1080), 1);
  // The same view in a tenth of the pixels.
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(8, {{0, 0, 0}}, wide), 192, 108), 2);
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(30, {{0, 0, 0}}, wide), 192, 108), 1);
  // A far block with one cube near the eye, off to the side: that one counts.
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(200, {{0, 0, 0}, {20, 0, 192}}, wide), 1920, 1080), 4);
  // Cubes behind the eye are not seen at all.
  EXPECT_EQ(cubeDetailSteps(cubesSeenFrom(200, {{0, 0, 0}, {0, 0, 230}}, wide), 1920, 1080), 1);
  // Seen from straight above, where vertical lengths vanish.
  Frame above = cubesSeenFrom(8, {{0, 0, 0}}, wide);
  above.uniforms.viewProj = glm::perspective(0.6f, wide, 0.1f, 500.0f) *
                            glm::lookAt(glm::vec3(0, 8, 0), glm::vec3(0), glm::vec3(0, 0, -1));
  EXPECT_EQ(cubeDetailSteps(above, 1920, 1080), 4);
  EXPECT_EQ(cubeDetailSteps(Frame{}, 1920, 1080), 4);
}

TEST(CubeDetail, EveryLevelIsAClosedRoundedCubeWithinItsBounds) {
  for (int steps : kCubeDetailSteps) {
    const MeshData cube = Meshes::roundedCube(0.47f, 0.085f, steps);
    const std::size_t lines = 2 * static_cast<std::size_t>(steps) + 2;
    EXPECT_EQ(cube.vertexCount(), 6 * lines * lines) << steps;
    EXPECT_EQ(cube.indices.size(), 36 * (lines - 1) * (lines - 1)) << steps;
    float reach = 0;
    for (std::size_t v = 0; v < cube.vertexCount(); ++v) {
      const float* p = &cube.vertices[v * 9];
      reach = std::max({reach, std::abs(p[0]), std::abs(p[1]), std::abs(p[2])});
      EXPECT_NEAR(glm::length(glm::vec3(p[3], p[4], p[5])), 1.0f, 1e-5f);
    }
    EXPECT_FLOAT_EQ(reach, 0.47f) << steps;
  }
  EXPECT_EQ(Meshes::roundedCube(0.47f, 0.085f, 1).indices.size(), 324u);
  EXPECT_THROW(Meshes::roundedCube(0.47f, 0.085f, 0), std::invalid_argument);
}

}  // namespace
}  // namespace sorvel
