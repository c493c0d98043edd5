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
};
static_assert(sizeof(Uniforms) == 192);
static_assert(offsetof(Uniforms, lightViewProj) == 64 && offsetof(Uniforms, camPos) == 128);
static_assert(offsetof(Uniforms, lightDir) == 144 && offsetof(Uniforms, bg) == 160);
static_assert(offsetof(Uniforms, params) == 176);

// A clue lane with no clue.
inline constexpr std::uint32_t kNoClue = 65535;

struct alignas(16) CubeInst {
  glm::vec4 posScale{0};  // centre, uniform scale
  glm::uvec4 clues{0};    // codes along x, y, z; flags (bit 0 in play, bit 1 guided)
  glm::vec4 anim{0};      // shake, flash, mark, glow
  glm::uvec4 nbr{0};      // 26-neighbour mask, per-block seed
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

// The two vertex layouts every mesh uses (attribute location = index).
struct VertexAttribute {
  int components;
  std::size_t offset;
};
inline constexpr std::size_t kCubeVertexBytes = 36;  // position, normal, uv, face number
inline constexpr VertexAttribute kCubeVertexLayout[] = {{3, 0}, {3, 12}, {2, 24}, {1, 32}};
inline constexpr std::size_t kObjectVertexBytes = 32;  // position, normal, uv
inline constexpr VertexAttribute kObjectVertexLayout[] = {{3, 0}, {3, 12}, {2, 24}};

}  // namespace sorvel
