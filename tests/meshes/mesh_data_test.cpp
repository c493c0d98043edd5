#include "meshes/mesh_data.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <cmath>
#include <span>
#include <stdexcept>
#include <string>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "base/colour.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

glm::vec3 at(const MeshData& mesh, std::size_t vertex, int offset) {
  const std::size_t i = vertex * static_cast<std::size_t>(mesh.stride) + static_cast<std::size_t>(offset);
  return {mesh.vertices[i], mesh.vertices[i + 1], mesh.vertices[i + 2]};
}

void expectNear(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Every non-degenerate triangle must turn counter-clockwise towards its normals,
// or the renderer's back-face culling eats it.
void expectFrontFacing(const MeshData& mesh) {
  int checked = 0;
  for (std::size_t t = 0; t < mesh.indices.size(); t += 3) {
    const auto a = mesh.indices[t], b = mesh.indices[t + 1], c = mesh.indices[t + 2];
    const glm::vec3 face = glm::cross(at(mesh, b, 0) - at(mesh, a, 0), at(mesh, c, 0) - at(mesh, a, 0));
    if (glm::length(face) <= 1e-9f) continue;
    const glm::vec3 normals = at(mesh, a, 3) + at(mesh, b, 3) + at(mesh, c, 3);
    EXPECT_GE(glm::dot(face, normals), 0) << "triangle " << t / 3;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST(RoundedCube, ShapeCountsAndListedVertices) {
  const MeshData cube = Meshes::roundedCube(0.47f, 0.085f);
  EXPECT_EQ(cube.vertexCount(), 600u);
  EXPECT_EQ(cube.vertices.size() * sizeof(float), 21600u);
  EXPECT_EQ(cube.indices.size(), 2916u);
  for (std::size_t v = 0; v < cube.vertexCount(); ++v) {
    const glm::vec3 p = at(cube, v, 0);
    EXPECT_LE(std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)}), 0.47f + 1e-6f);
    EXPECT_NEAR(glm::length(at(cube, v, 3)), 1.0f, 1e-5f);
  }
  // Face 4 (+z), j = 5, i = 5: the flat middle.
  const std::size_t middle = 4 * 100 + 5 * 10 + 5;
  expectNear(at(cube, middle, 0), {0.385f, 0.385f, 0.47f});
  expectNear(at(cube, middle, 3), {0, 0, 1});
  EXPECT_NEAR(cube.vertices[middle * 9 + 6], 0.9096f, 1e-4f);
  EXPECT_NEAR(cube.vertices[middle * 9 + 7], 0.0904f, 1e-4f);
  EXPECT_EQ(cube.vertices[middle * 9 + 8], 4.0f);
  // Face 0 (+x), j = 0, i = 0: a rounded corner.
  expectNear(at(cube, 0, 0), {0.4341f, -0.4341f, 0.4341f});
  expectNear(at(cube, 0, 3), glm::vec3(1, -1, 1) / std::sqrt(3.0f));
  EXPECT_EQ(cube.vertices[6], 0.0f);
  EXPECT_EQ(cube.vertices[7], 1.0f);
  expectFrontFacing(cube);
}

TEST(Plinth, ProfileCountsAndWinding) {
  const MeshData chip = Meshes::plinth(1, 1, 0.3f, 10);
  EXPECT_EQ(chip.vertexCount(), 220u);
  EXPECT_EQ(chip.indices.size(), 1140u);
  // Ring 0 lies in the x-y plane, so profile point j is vertex j.
  expectNear(at(chip, 9, 0), {1, 0.7f, 0});
  expectNear(at(chip, 10, 0), {1, 0.3f, 0});
  EXPECT_NEAR(chip.vertices[19 * 8 + 7], 0.95f, 1e-6f);
  expectFrontFacing(chip);

  const MeshData table = Meshes::plinth(1.6f, 0.44f, 0.06f, 96);
  EXPECT_EQ(table.vertexCount(), 1940u);
  EXPECT_EQ(table.indices.size(), 10944u);
  expectFrontFacing(table);
}

// A square of two triangles whose floats all differ, so a float read from
// the wrong place shows.
MeshData square() {
  MeshData mesh{.stride = Meshes::kObjectStride};
  for (int i = 0; i < 4 * Meshes::kObjectStride; ++i) mesh.vertices.push_back(0.25f * static_cast<float>(i));
  mesh.indices = {0, 1, 2, 2, 3, 0};
  return mesh;
}

Result<MeshData> parse(const std::string& bytes) { return Meshes::parseStoy(std::as_bytes(std::span(bytes))); }

TEST(Stoy, WrittenMeshesReadBackAsTheyWere) {
  const MeshData mesh = square();
  const std::string bytes = Meshes::encodeStoy(mesh);
  // The counts are little-endian 32-bit numbers right after the magic.
  EXPECT_EQ(bytes.substr(0, 12), std::string("STOY\x04\0\0\0\x06\0\0\0", 12));
  EXPECT_EQ(bytes.size(), 12u + 4 * 32 + 6 * 4);
  const Result<MeshData> read = parse(bytes);
  ASSERT_TRUE(read.ok()) << read.why();
  EXPECT_EQ(read->stride, Meshes::kObjectStride);
  EXPECT_EQ(read->vertices, mesh.vertices);
  EXPECT_EQ(read->indices, mesh.indices);
  // A cube's extra face number has no place in the format.
  EXPECT_THROW(Meshes::encodeStoy(Meshes::roundedCube(0.47f, 0.085f)), std::invalid_argument);
}

TEST(Stoy, RefusesFilesThatCannotBeDrawnOrAreCutShort) {
  const auto written = [](auto change) {
    MeshData mesh = square();
    change(mesh);
    return Meshes::encodeStoy(mesh);
  };
  const std::string good = Meshes::encodeStoy(square());
  std::string wrongMagic = good;
  wrongMagic[0] = 'X';
  // Counts no file could hold must not be trusted to size a read.
  std::string hugeCounts = good.substr(0, 28);
  std::fill_n(hugeCounts.begin() + 4, 8, '\xFF');
  const struct {
    std::string bytes;
    const char* fault;
  } refused[] = {
      {std::string(11, '\0'), "not a STOY mesh"},
      {wrongMagic, "not a STOY mesh"},
      // Empty meshes cannot be drawn, and once reached a null memcpy.
      {written([](MeshData& m) { m.vertices.clear(); m.indices.clear(); }), "no vertices or no triangles"},
      {written([](MeshData& m) { m.indices.clear(); }), "no vertices or no triangles"},
      {written([](MeshData& m) { m.vertices.clear(); m.indices = {0, 0, 0}; }), "no vertices or no triangles"},
      {written([](MeshData& m) { m.indices = {0, 1, 2, 3}; }), "4 indices do not make whole triangles"},
      {good.substr(0, good.size() - 1), "need 164 bytes, but it has 163"},
      {hugeCounts, "is it truncated"},
      {written([](MeshData& m) { m.indices[4] = 4; }), "index 4 points past its 4 vertices"},
      {written([](MeshData& m) { m.vertices[9] = std::nanf(""); }), "not a finite number"},
  };
  for (const auto& c : refused) {
    const Result<MeshData> read = parse(c.bytes);
    ASSERT_FALSE(read.ok()) << c.fault;
    EXPECT_THAT(read.why(), ::testing::HasSubstr(c.fault));
  }
  EXPECT_THAT(Meshes::loadStoy("/nonexistent/toy.mesh").why(),
              ::testing::HasSubstr("/nonexistent/toy.mesh: it cannot be opened"));
}

TEST(Stoy, MeshesPastAToysLimitsAreRefused) {
  // Every triangle the same three vertices: the count is what is tested.
  const auto triangles = [](std::uint64_t count, std::uint64_t vertices = 3) {
    MeshData mesh{.stride = Meshes::kObjectStride};
    mesh.vertices.assign(vertices * Meshes::kObjectStride, 0.5f);
    for (std::uint64_t t = 0; t < count; ++t) mesh.indices.insert(mesh.indices.end(), {0, 1, 2});
    return Meshes::encodeStoy(mesh);
  };
  EXPECT_TRUE(parse(triangles(Meshes::kMaxStoyTriangles)).ok());
  EXPECT_TRUE(parse(triangles(1, Meshes::kMaxStoyVertices)).ok());
  EXPECT_THAT(parse(triangles(Meshes::kMaxStoyTriangles + 1)).why(),
              ::testing::HasSubstr("3 vertices and 100001 triangles are more than a toy may have (300000 and 100000)"));
  EXPECT_THAT(parse(triangles(1, Meshes::kMaxStoyVertices + 1)).why(),
              ::testing::HasSubstr("300001 vertices and 1 triangles are more than a toy may have"));

  // A file larger than any toy may be is refused before it is read.
  test::TempDir dir;
  const auto file = dir / "huge.mesh";
  test::writeFile(file, triangles(1));
  std::filesystem::resize_file(file, 100u << 20);  // sparse: costs no disk
  EXPECT_THAT(Meshes::loadStoy(file).why(),
              ::testing::HasSubstr(file.string() + ": 104857600 bytes is more than a toy may have"));
}

TEST(HexLinear, FollowsTheSrgbCurve) {
  EXPECT_EQ(hexLinear(0xFFFFFF), glm::vec3(1));
  EXPECT_EQ(hexLinear(0xFF000000), glm::vec3(0));
  const glm::vec3 low = hexLinear(0x0A0A0A);
  EXPECT_NEAR(low.x, 0.003035f, 1e-6f);
  EXPECT_NEAR(hexLinear(0x80FF00).x, 0.21586f, 1e-4f);
}

}  // namespace
}  // namespace sorvel
