#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

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
// (0 < r < h). 600 vertices, 2916 indices.
MeshData roundedCube(float h, float r);

// A round plinth turned on a lathe: radius, height, bevelled edges, `segments`
// around the axis (at least 1).
MeshData plinth(float radius, float height, float bevel, int segments);

// A toy figure in the STOY format. Nothing for a file that is unreadable, too
// short for its counts, has a wrong magic, or indexes past its vertices.
std::optional<MeshData> parseStoy(std::span<const std::byte> bytes);
std::optional<MeshData> loadStoy(const std::filesystem::path& file);

// Turns every non-degenerate triangle counter-clockwise as seen from the side
// its vertex normals point to.
void fixWinding(std::span<const float> vertices, std::span<std::uint32_t> indices, int stride);

}  // namespace Meshes
}  // namespace sorvel
