#include "meshes/mesh_data.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/small_file.hpp"

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

// STOY files hold their numbers as they lie in memory on the machines the
// game runs on.
static_assert(std::endian::native == std::endian::little, "STOY files are little-endian");

constexpr std::string_view kStoyMagic = "STOY";
constexpr std::size_t kStoyHeader = 12;  // the magic and two 32-bit counts

std::uint32_t readU32(std::span<const std::byte> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
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

MeshData roundedCube(float h, float r, int steps) {
  if (steps < 1) throw std::invalid_argument("a rounded cube needs at least one step per edge");
  const float a = h - r;
  // Grid lines across each face: the rounded edge in `steps` strips, the
  // flat middle, then the far edge.
  std::vector<float> t;
  for (int k = 0; k <= steps; ++k) t.push_back(-a - r * static_cast<float>(steps - k) / static_cast<float>(steps));
  for (int k = 0; k <= steps; ++k) t.push_back(a + r * static_cast<float>(k) / static_cast<float>(steps));
  t.front() = -h;
  t.back() = h;
  const auto lines = static_cast<std::uint32_t>(t.size());
  MeshData mesh{.stride = kCubeStride};
  mesh.vertices.reserve(6 * lines * lines * kCubeStride);
  mesh.indices.reserve(6 * 6 * (lines - 1) * (lines - 1));
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
    appendGridQuads(mesh.indices, base, lines, lines - 1, lines - 1);
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

Result<MeshData> parseStoy(std::span<const std::byte> bytes) {
  const auto refuse = [](std::string why) { return Reason{std::move(why)}; };
  if (bytes.size() < kStoyHeader || std::memcmp(bytes.data(), kStoyMagic.data(), kStoyMagic.size()) != 0) {
    return refuse("not a STOY mesh (it must start with \"STOY\" and two counts)");
  }
  const std::uint64_t vertexCount = readU32(bytes, 4);
  const std::uint64_t indexCount = readU32(bytes, 8);
  // Nothing to draw, or a list that does not fall into triangles, would
  // reach the GPU as a draw call it cannot make.
  if (vertexCount == 0 || indexCount == 0) return refuse("the mesh has no vertices or no triangles");
  if (indexCount % 3 != 0) {
    return refuse(std::to_string(indexCount) + " indices do not make whole triangles");
  }
  const std::uint64_t vertexBytes = vertexCount * 32;
  const std::uint64_t needed = kStoyHeader + vertexBytes + indexCount * 4;
  // 64-bit sums cannot overflow from 32-bit counts; a short file is refused
  // rather than read past its end.
  if (needed > bytes.size()) {
    return refuse("its counts need " + std::to_string(needed) + " bytes, but it has " +
                  std::to_string(bytes.size()) + " (is it truncated?)");
  }
  if (vertexCount > kMaxStoyVertices || indexCount / 3 > kMaxStoyTriangles) {
    return refuse(std::to_string(vertexCount) + " vertices and " + std::to_string(indexCount / 3) +
                  " triangles are more than a toy may have (" + std::to_string(kMaxStoyVertices) + " and " +
                  std::to_string(kMaxStoyTriangles) + ")");
  }

  MeshData mesh{.stride = kObjectStride};
  mesh.vertices.resize(vertexCount * kObjectStride);
  mesh.indices.resize(indexCount);
  std::memcpy(mesh.vertices.data(), bytes.data() + kStoyHeader, vertexBytes);
  std::memcpy(mesh.indices.data(), bytes.data() + kStoyHeader + vertexBytes, indexCount * 4);
  for (std::uint32_t index : mesh.indices) {
    if (index >= vertexCount) {
      return refuse("index " + std::to_string(index) + " points past its " + std::to_string(vertexCount) +
                    " vertices");
    }
  }
  for (float value : mesh.vertices) {
    if (!std::isfinite(value)) return refuse("a vertex holds a value that is not a finite number");
  }
  return mesh;
}

Result<MeshData> loadStoy(const std::filesystem::path& file) {
  const auto refuse = [&file](const std::string& why) {
    return Reason{"cannot read mesh " + file.string() + ": " + why};
  };
  constexpr std::uint64_t kMaxBytes = kStoyHeader + kMaxStoyVertices * 32 + kMaxStoyTriangles * 12;
  const SmallFile bytes = readSmallFile(file, kMaxBytes);
  switch (bytes.status) {
    case SmallFile::Status::read:
      break;
    case SmallFile::Status::tooLarge:
      return refuse(std::to_string(bytes.size) + " bytes is more than a toy may have (at most " +
                    std::to_string(kMaxBytes) + ")");
    case SmallFile::Status::notRegular:
      return refuse("it cannot be read");
    case SmallFile::Status::missing:
    case SmallFile::Status::unreadable:
      return refuse("it cannot be opened");
  }
  Result<MeshData> read = parseStoy(std::as_bytes(std::span(bytes.text)));
  if (!read) return refuse(read.why());
  return read;
}

std::string encodeStoy(const MeshData& mesh) {
  if (mesh.stride != kObjectStride || mesh.vertices.size() % kObjectStride != 0) {
    throw std::invalid_argument("a STOY mesh holds whole vertices of 8 floats");
  }
  const std::uint32_t counts[2] = {static_cast<std::uint32_t>(mesh.vertexCount()),
                                   static_cast<std::uint32_t>(mesh.indices.size())};
  std::string bytes;
  bytes.reserve(kStoyHeader + mesh.vertices.size() * sizeof(float) + mesh.indices.size() * sizeof(std::uint32_t));
  bytes.append(kStoyMagic);
  const auto put = [&bytes](const void* data, std::size_t size) {
    if (size > 0) bytes.append(static_cast<const char*>(data), size);
  };
  put(counts, sizeof counts);
  put(mesh.vertices.data(), mesh.vertices.size() * sizeof(float));
  put(mesh.indices.data(), mesh.indices.size() * sizeof(std::uint32_t));
  return bytes;
}

}  // namespace sorvel::Meshes
