#include "meshes/mesh_data.hpp"

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#include <numbers>

namespace sorvel::Meshes {

namespace {

struct CubeFace {
  int axis, sign, uAxis, uSign, vAxis, vSign;
};

// Outward axis and the directions of the face's grid; the uv layout of the
// clue glyphs depends on them.
constexpr std::array<CubeFace, 6> kCubeFaces = {{
    {0, +1, 2, -1, 1, +1},
    {0, -1, 2, +1, 1, +1},
    {1, +1, 0, +1, 2, -1},
    {1, -1, 0, +1, 2, +1},
    {2, +1, 0, +1, 1, +1},
    {2, -1, 0, -1, 1, +1},
}};

glm::vec3 vec3At(std::span<const float> floats, std::size_t offset) {
  return {floats[offset], floats[offset + 1], floats[offset + 2]};
}

void appendGridQuads(std::vector<std::uint32_t>& indices, std::uint32_t base, std::uint32_t columns,
                     std::uint32_t rowsOfQuads, std::uint32_t quadsPerRow) {
  for (std::uint32_t j = 0; j < rowsOfQuads; ++j) {
    for (std::uint32_t i = 0; i < quadsPerRow; ++i) {
      const std::uint32_t a = base + columns * j + i;
      const std::uint32_t b = a + columns;
      indices.insert(indices.end(), {a, b, b + 1, a, b + 1, a + 1});
    }
  }
}

std::uint32_t readU32(std::span<const std::byte> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;  // little-endian files on little-endian hosts
}

}  // namespace

void fixWinding(std::span<const float> vertices, std::span<std::uint32_t> indices, int stride) {
  const auto s = static_cast<std::size_t>(stride);
  for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
    const std::size_t a = indices[t] * s, b = indices[t + 1] * s, c = indices[t + 2] * s;
    const glm::vec3 pa = vec3At(vertices, a);
    const glm::vec3 face = glm::cross(vec3At(vertices, b) - pa, vec3At(vertices, c) - pa);
    if (glm::length(face) <= 1e-9f) continue;
    const glm::vec3 normals = vec3At(vertices, a + 3) + vec3At(vertices, b + 3) + vec3At(vertices, c + 3);
    if (glm::dot(face, normals) < 0) std::swap(indices[t + 1], indices[t + 2]);
  }
}

MeshData roundedCube(float h, float r) {
  const float a = h - r;
  const std::array<float, 10> t = {-h, -a - 0.75f * r, -a - 0.5f * r, -a - 0.25f * r, -a,
                                   a,  a + 0.25f * r,  a + 0.5f * r,  a + 0.75f * r,  h};
  MeshData mesh{.stride = kCubeStride};
  mesh.vertices.reserve(600 * kCubeStride);
  mesh.indices.reserve(2916);
  for (std::size_t f = 0; f < kCubeFaces.size(); ++f) {
    const CubeFace& face = kCubeFaces[f];
    const auto base = static_cast<std::uint32_t>(mesh.vertexCount());
    for (float tj : t) {
      for (float ti : t) {
        glm::vec3 p(0);
        p[face.axis] = static_cast<float>(face.sign) * h;
        p[face.uAxis] = static_cast<float>(face.uSign) * tj;
        p[face.vAxis] = static_cast<float>(face.vSign) * ti;
        const glm::vec3 c = glm::clamp(p, glm::vec3(-a), glm::vec3(a));
        const glm::vec3 n = glm::normalize(p - c);
        const glm::vec3 position = c + r * n;
        mesh.vertices.insert(mesh.vertices.end(),
                             {position.x, position.y, position.z, n.x, n.y, n.z, tj / (2 * h) + 0.5f,
                              1 - (ti / (2 * h) + 0.5f), static_cast<float>(f)});
      }
    }
    appendGridQuads(mesh.indices, base, 10, 9, 9);
  }
  fixWinding(mesh.vertices, mesh.indices, kCubeStride);
  return mesh;
}

MeshData plinth(float radius, float height, float bevel, int segments) {
  struct ProfilePoint {
    float x, y, nx, ny;
  };
  constexpr float pi = std::numbers::pi_v<float>;
  std::array<ProfilePoint, 20> profile{};
  profile[0] = {0, height, 0, 1};
  for (int k = 0; k < 9; ++k) {
    const float theta = static_cast<float>(k) * pi / 16;
    profile[1 + k] = {radius - bevel + bevel * std::sin(theta), height - bevel + bevel * std::cos(theta),
                      std::sin(theta), std::cos(theta)};
  }
  for (int k = 0; k < 9; ++k) {
    const float theta = pi / 2 + static_cast<float>(k) * pi / 16;
    profile[10 + k] = {radius - bevel + bevel * std::sin(theta), bevel + bevel * std::cos(theta),
                       std::sin(theta), std::cos(theta)};
  }
  profile[19] = {0, 0, 0, -1};

  MeshData mesh{.stride = kObjectStride};
  mesh.vertices.reserve(static_cast<std::size_t>(20 * (segments + 1) * kObjectStride));
  for (int s = 0; s <= segments; ++s) {
    const float phi = static_cast<float>(s) * 2 * pi / static_cast<float>(segments);
    const float cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    for (std::size_t j = 0; j < profile.size(); ++j) {
      const ProfilePoint& p = profile[j];
      mesh.vertices.insert(mesh.vertices.end(),
                           {cosPhi * p.x, p.y, sinPhi * p.x, cosPhi * p.nx, p.ny, sinPhi * p.nx,
                            static_cast<float>(s) / static_cast<float>(segments),
                            static_cast<float>(j) / 20.0f});
    }
  }
  appendGridQuads(mesh.indices, 0, 20, static_cast<std::uint32_t>(segments), 19);
  fixWinding(mesh.vertices, mesh.indices, kObjectStride);
  return mesh;
}

std::optional<MeshData> parseStoy(std::span<const std::byte> bytes) {
  constexpr std::size_t kHeader = 12;
  if (bytes.size() <= kHeader || std::memcmp(bytes.data(), "STOY", 4) != 0) return std::nullopt;
  const std::uint64_t vertexCount = readU32(bytes, 4);
  const std::uint64_t indexCount = readU32(bytes, 8);
  const std::uint64_t vertexBytes = vertexCount * 32;
  // 64-bit sums cannot overflow from 32-bit counts; a short file is refused
  // rather than read past its end.
  if (kHeader + vertexBytes + indexCount * 4 > bytes.size()) return std::nullopt;

  MeshData mesh{.stride = kObjectStride};
  mesh.vertices.resize(vertexCount * kObjectStride);
  mesh.indices.resize(indexCount);
  std::memcpy(mesh.vertices.data(), bytes.data() + kHeader, vertexBytes);
  std::memcpy(mesh.indices.data(), bytes.data() + kHeader + vertexBytes, indexCount * 4);
  for (std::uint32_t index : mesh.indices) {
    if (index >= vertexCount) return std::nullopt;  // would draw from outside the mesh
  }
  return mesh;
}

std::optional<MeshData> loadStoy(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return parseStoy(std::as_bytes(std::span(bytes)));
}

}  // namespace sorvel::Meshes
