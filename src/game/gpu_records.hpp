#pragma once

// The records that carry one frame from the game to the renderer. Their byte
// layouts are a contract with the shaders, which read these exact offsets:
// the renderer copies them as they are, never re-packing.

#include <cstddef>
#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <optional>
#include <vector>

#include "game/types.hpp"

namespace sorvel {

struct alignas(16) Uniforms {
  glm::mat4 viewProj{1};
  glm::mat4 lightViewProj{1};  // the renderer computes it from lightDir and the shadow area
  glm::vec4 camPos{0};
  glm::vec4 lightDir{0};  // from the scene towards the light
  glm::vec4 bg{0};        // linear RGB; also the clear colour
  glm::vec4 params{0};    // time, clue fade, 0.92, shadow map size
  glm::vec4 shadowCasters{0};  // the renderer's too: see ShadowFootprint
};
static_assert(sizeof(Uniforms) == 208);
static_assert(offsetof(Uniforms, lightViewProj) == 64 && offsetof(Uniforms, camPos) == 128);
static_assert(offsetof(Uniforms, lightDir) == 144 && offsetof(Uniforms, bg) == 160);
static_assert(offsetof(Uniforms, params) == 176 && offsetof(Uniforms, shadowCasters) == 192);

// --- Values the shaders share. The renderer hands each one to GLSL as a
// #define in the prelude it puts before every stage, so they are written
// here only.

// Half the edge of the rounded cube every block is drawn from; neighbours
// stand 1 apart, so a gap of 0.06 shows between them.
inline constexpr float kCubeHalf = 0.47f;
inline constexpr float kCubeBevel = 0.085f;
// The edge of the square depth map shadows are drawn into.
inline constexpr int kShadowMapSize = 2048;

// A clue lane with no clue.
inline constexpr std::uint32_t kNoClue = 65535;
// The flags lane of a cube's clues.
inline constexpr std::uint32_t kCubeInPlay = 1;
inline constexpr std::uint32_t kCubeGuided = 2;
// Marks and mistakes drawn with a pattern too, for players who cannot tell
// the glaze and the flash by their colour.
inline constexpr std::uint32_t kCubePatternMarks = 4;
// The blocks of a chapter not yet open stand greyed on the table.
inline constexpr std::uint32_t kCubeDimmed = 8;

// A cube's 26-neighbour mask holds the neighbour at offset d in bit
// kNeighbourStrides . (d + 1).
inline constexpr int kNeighbourStrideX = 1;
inline constexpr int kNeighbourStrideY = 9;
inline constexpr int kNeighbourStrideZ = 3;
constexpr std::uint32_t neighbourBit(int dx, int dy, int dz) {
  return 1u << (kNeighbourStrideX * (dx + 1) + kNeighbourStrideY * (dy + 1) + kNeighbourStrideZ * (dz + 1));
}
// The six neighbours that share a face.
inline constexpr std::uint32_t kFaceNeighbours = neighbourBit(-1, 0, 0) | neighbourBit(1, 0, 0) |
                                                 neighbourBit(0, -1, 0) | neighbourBit(0, 1, 0) |
                                                 neighbourBit(0, 0, -1) | neighbourBit(0, 0, 1);

// Attribute locations: per vertex 0-3, per instance from 4.
namespace attribute {
inline constexpr unsigned kPosition = 0;
inline constexpr unsigned kNormal = 1;
inline constexpr unsigned kUv = 2;
inline constexpr unsigned kFace = 3;  // cubes only
inline constexpr unsigned kFirstInstance = 4;
// A cube's record.
inline constexpr unsigned kCubePosScale = 4;
inline constexpr unsigned kCubeClues = 5;
inline constexpr unsigned kCubeAnim = 6;
inline constexpr unsigned kCubeNbr = 7;
inline constexpr unsigned kCubeOrigin = 8;
inline constexpr unsigned kCubeCount = 5;
// An object's record: the model matrix takes four locations, one a column.
inline constexpr unsigned kObjectModel = 4;
inline constexpr unsigned kObjectColour = 8;
inline constexpr unsigned kObjectExtra = 9;
inline constexpr unsigned kObjectCount = 6;
}  // namespace attribute

struct alignas(16) CubeInst {
  glm::vec4 posScale{0};  // centre, uniform scale
  glm::uvec4 clues{0};    // codes along x, y, z; flags (bit 0 in play, 1 guided, 2 patterns, 3 dimmed)
  glm::vec4 anim{0};      // shake, flash, mark, glow
  glm::uvec4 nbr{0};      // 26-neighbour mask, per-block seed, face neighbours standing still
  glm::vec4 origin{0};    // the block's corner
};
static_assert(sizeof(CubeInst) == 80);
static_assert(offsetof(CubeInst, clues) == 16 && offsetof(CubeInst, anim) == 32);
static_assert(offsetof(CubeInst, nbr) == 48 && offsetof(CubeInst, origin) == 64);

struct alignas(16) ObjInst {
  glm::mat4 model{1};
  glm::vec4 color{1};
  glm::vec4 extra{0};  // x = 1: plain wood (plinths, chips); 0: the figure's texture
};
static_assert(sizeof(ObjInst) == 96);
static_assert(offsetof(ObjInst, color) == 64 && offsetof(ObjInst, extra) == 80);

// One instanced draw.
struct ObjectGroup {
  MeshHandle mesh;
  std::optional<TextureHandle> texture;
  std::vector<ObjInst> insts;
};

struct Frame {
  Uniforms uniforms;
  std::vector<CubeInst> cubes;
  std::vector<ObjectGroup> objects;  // figures, then plinths, then chips
  glm::vec3 shadowCenter{0};
  float shadowRadius = 0;
};

// Where each part of a frame lands in the per-frame GPU buffer: every block
// starts on a 256-byte boundary.
struct FramePacking {
  std::size_t cubes = 256;          // the uniforms sit at 0
  std::vector<std::size_t> groups;  // one offset per object group
  std::size_t end = 0;              // bytes the whole frame needs
};
FramePacking packFrame(const Frame& frame);

// Whether two frames draw the same picture. The clock is left out: only what
// the game calls ambient motion shows it, and that is drawn anyway.
bool sameScene(const Frame& a, const Frame& b);

// The two vertex layouts every mesh uses (attribute location = index, in the
// order of the per-vertex locations above).
struct VertexAttribute {
  int components;
  std::size_t offset;
};
inline constexpr std::size_t kCubeVertexBytes = 36;  // position, normal, uv, face number
inline constexpr VertexAttribute kCubeVertexLayout[] = {{3, 0}, {3, 12}, {2, 24}, {1, 32}};
inline constexpr std::size_t kObjectVertexBytes = 32;  // position, normal, uv
inline constexpr VertexAttribute kObjectVertexLayout[] = {{3, 0}, {3, 12}, {2, 24}};

}  // namespace sorvel
