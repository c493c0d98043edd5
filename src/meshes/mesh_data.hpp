#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.hpp"

namespace sorvel {

// A mesh in CPU memory, ready to upload: interleaved vertices and a triangle
// list. Cube vertices hold 9 floats (position, normal, uv, face number);
// object vertices 8 (position, normal, uv).
struct MeshData {
  std::vector<float> vertices;
  std::vector<std::uint32_t> indices;
  int stride = 8;

  std::size_t vertexCount() const { return vertices.size() / static_cast<std::size_t>(stride); }
};

namespace Meshes {

inline constexpr int kCubeStride = 9;
inline constexpr int kObjectStride = 8;

// The rounded cube every block is drawn from: half edge h, edge radius r
// (0 < r < h), each rounded edge cut into `steps` strips (at least 1). With
// the 4 steps a close cube needs: 600 vertices, 2916 indices; with 1, a
// chamfered box of 96 vertices and 324 indices for cubes a few pixels wide.
MeshData roundedCube(float h, float r, int steps = 4);

// A round plinth turned on a lathe: radius, height, bevelled edges, `segments`
// around the axis (at least 1).
MeshData plinth(float radius, float height, float bevel, int segments);

// A toy figure has some ten thousand triangles; one far past these limits
// would cost the table its frame rate and the game its memory.
inline constexpr std::uint64_t kMaxStoyTriangles = 100000;
inline constexpr std::uint64_t kMaxStoyVertices = 3 * kMaxStoyTriangles;

// A toy figure in the STOY format. Refused when it has a wrong magic, is too
// short for its counts, cannot be drawn (no vertices, no triangles, an index
// count that is not a multiple of three, an index past its vertices), holds
// a vertex value that is not finite or more vertices or triangles than the
// limits above. loadStoy's errors name the file; it refuses a file larger
// than the largest mesh allowed before reading it.
Result<MeshData> parseStoy(std::span<const std::byte> bytes);
Result<MeshData> loadStoy(const std::filesystem::path& file);

// The STOY bytes of an object mesh (whole vertices of stride 8, else
// std::invalid_argument):
// "STOY", the vertex and index counts, then the vertices and the indices,
// all little-endian. Any such mesh is written as it is, even one parseStoy
// refuses, so that tests can make the faulty files they need.
std::string encodeStoy(const MeshData& mesh);

// Turns every non-degenerate triangle counter-clockwise as seen from the side
// its vertex normals point to.
void fixWinding(std::span<const float> vertices, std::span<std::uint32_t> indices, int stride);

}  // namespace Meshes
}  // namespace sorvel
