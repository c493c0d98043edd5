#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <numbers>

#include "game/game.hpp"
#include "game/reveal_timing.hpp"

namespace sorvel {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Blocks grow out of the table at their plinth's foot, smoothly.
float growFactor(float presence) {
  const float p = std::clamp(presence, 0.0f, 1.0f);
  return p * p * (3 - 2 * p);
}

glm::mat4 growAbout(const Slot& slot, float e) {
  const glm::vec3 foot(slot.center.x, 0, slot.center.z);
  return glm::translate(glm::mat4(1), foot) * glm::scale(glm::mat4(1), glm::vec3(e)) *
         glm::translate(glm::mat4(1), -foot);
}

glm::vec3 grown(const Slot& slot, float e, glm::vec3 v) {
  return {slot.center.x + (v.x - slot.center.x) * e, v.y * e, slot.center.z + (v.z - slot.center.z) * e};
}

std::uint32_t clueLane(int code) { return code < 0 ? kNoClue : static_cast<std::uint32_t>(code); }

// A block under the pointer on the table rises off its plinth this far and
// lights up a little, as a cube in play does.
constexpr float kHoverRise = 0.18f;
constexpr float kHoverGlow = 0.22f;

// The solved figure standing on its plinth, `rise` above it, turned by the
// slot's spin about the block's middle.
glm::mat4 figureModel(const Slot& slot, const glm::mat4& grow, float rise) {
  const Puzzle& p = slot.puzzle;
  const glm::vec3 half(static_cast<float>(p.X) / 2, 0, static_cast<float>(p.Z) / 2);
  const glm::vec3 stand(slot.origin.x + half.x, slot.origin.y + rise, slot.origin.z + half.z);
  return grow * glm::translate(glm::mat4(1), stand) * glm::rotate(glm::mat4(1), slot.toySpin, {0, 1, 0}) *
         glm::translate(glm::mat4(1), -half);
}

ObjectGroup chipGroup(const std::vector<Chip>& chips, MeshHandle mesh) {
  ObjectGroup group{.mesh = mesh};
  group.insts.reserve(chips.size());
  for (const Chip& chip : chips) {
    const float shrink = std::min(chip.life / 0.4f, 1.0f);  // chips shrink in their last 0.4 s
    const glm::mat4 model = glm::translate(glm::mat4(1), chip.pos) * glm::mat4_cast(chip.rot) *
                            glm::scale(glm::mat4(1), chip.size * shrink);
    group.insts.push_back({.model = model, .color = glm::vec4(glm::vec3(1.25f * chip.tint), 0), .extra = {1, 0, 0, 0}});
  }
  return group;
}

}  // namespace

Frame Game::frame() const {
  Frame f;
  const glm::vec3 e = eye();
  const glm::vec3 light = glm::angleAxis(camera_.yaw, glm::vec3(0, 1, 0)) *
                          glm::normalize(glm::vec3(-0.55f, 1.05f, 0.75f));
  f.uniforms = Uniforms{.viewProj = viewProj(),
                        .lightViewProj = glm::mat4(1),
                        .camPos = glm::vec4(e, 1),
                        .lightDir = glm::vec4(light, 0),
                        .bg = glm::vec4(bg_, 1),
                        .params = {time_, clueAlpha_, 0.92f, kShadowMapSize}};

  const Slot* open = screen_ != Screen::home ? currentSlot() : nullptr;
  if (open == nullptr) {
    // The whole table casts shadows, however long its row.
    f.shadowCenter = {0, 2, 0};
    f.shadowRadius = std::max(21.0f, homeWidth_ * 0.5f);
  } else {
    const Puzzle& p = open->puzzle;
    f.shadowCenter = open->center;
    f.shadowRadius = glm::length(glm::vec3(p.X, p.Y, p.Z)) * 0.6f + 2.5f;
  }

  std::vector<ObjectGroup> plinths;
  const float plinthShade = chapterOpen(shownChapter_) ? 1.0f : 0.6f;
  for (const auto& slotPtr : slots_) {
    const Slot& slot = *slotPtr;
    const float grow = growFactor(slot.presence);
    if (grow < 0.02f) continue;
    const glm::mat4 g = growAbout(slot, grow);
    const bool isCurrent = &slot == open;
    const Puzzle& p = slot.puzzle;
    const bool solved = solvedIDs_.contains(p.def.id) && p.solved();

    plinths.push_back({.mesh = slot.plinth,
                       .insts = {ObjInst{.model = g * glm::translate(glm::mat4(1), {slot.center.x, 0, slot.center.z}),
                                         .color = glm::vec4(0.4f, 0.27f, 0.2f, 0) * plinthShade,
                                         .extra = {1, 0, 0, 0}}}});

    if (solved && (!isCurrent || revealT_ > reveal::kFigureShows) && slot.toy) {
      float bounce = 0;
      if (isCurrent && revealT_ > 0 && revealT_ < reveal::kOver) {
        const float s = revealT_ - (reveal::popStart(p.Y) + reveal::kBounceDelay);
        if (s > 0 && s < reveal::kBounceLength) bounce = std::sin(2 * kPi * s) * 0.35f;
      }
      const glm::mat4 model = figureModel(slot, g, bounce + kHoverRise * slot.lift);
      f.objects.push_back({.mesh = *slot.toy,
                           .texture = slot.toyTex,
                           .insts = {ObjInst{.model = model, .color = glm::vec4(1), .extra = glm::vec4(0)}}});
    }

    const bool drawCubes = !solved || (isCurrent && revealT_ >= 0 && revealT_ < reveal::kCubesGone);
    if (drawCubes) addSlotCubes(slot, isCurrent, grow, f.cubes);
  }
  for (ObjectGroup& plinth : plinths) f.objects.push_back(std::move(plinth));

  if (!chips_.empty()) f.objects.push_back(chipGroup(chips_, chipMesh_));
  return f;
}

void Game::addSlotCubes(const Slot& slot, bool isCurrent, float grow, std::vector<CubeInst>& cubes) const {
  const Puzzle& p = slot.puzzle;
  const std::uint32_t playFlag = isCurrent && screen_ == Screen::playing ? kCubeInPlay : 0u;
  const std::uint32_t patternFlag = isCurrent && preferences_.patternMarks ? kCubePatternMarks : 0u;
  const std::uint32_t seed = static_cast<std::uint32_t>(slot.index) * 7 + 3;
  const bool solved = p.solved();  // once per block: every cube's neighbours ask
  // The grain rises with the block, so it does not slide over the cubes.
  const glm::vec3 rise(0, kHoverRise * slot.lift, 0);
  const int cursorCell = isCurrent ? cursor().value_or(-1) : -1;
  const bool dimmed = !chapterOpen(shownChapter_);
  for (int i = 0; i < p.cellCount(); ++i) {
    const auto cell = static_cast<size_t>(i);
    const bool carved = p.state[cell] == CellState::broken;
    float size = 1;
    if (carved) {
      // A carved cube swells a little, then shrinks away.
      if (slot.breakT[cell] < 0 || slot.breakT[cell] > kBreakSeconds) continue;
      const float u = slot.breakT[cell] / kBreakSeconds;
      size = (1 - u * u) * (1 + 0.15f * std::sin(kPi * u));
    }
    if (isCurrent) {
      if (slot.popT[cell] >= 0) {
        const float u = slot.popT[cell] / kPopSeconds;
        if (u >= 1) continue;
        size = (1 - u * u) * (1 + 0.18f * std::sin(kPi * u));
      }
      if (!carved && !visible(slot, i)) continue;
    }
    const glm::ivec3 c = p.coords(i);
    CubeInst cube;
    cube.posScale = glm::vec4(grown(slot, grow, slot.cellCenter(i)) + rise, grow * size);
    if (isCurrent) {
      const glm::ivec3 codes = p.clues(c.x, c.y, c.z);
      const std::uint32_t guided = guideCells_.contains(i) ? kCubeGuided : 0u;
      cube.clues = {clueLane(codes.x), clueLane(codes.y), clueLane(codes.z), playFlag | guided | patternFlag};
    } else {
      cube.clues = {kNoClue, kNoClue, kNoClue, dimmed ? kCubeDimmed : 0u};
    }
    const float shake = slot.shake[cell] > 0 ? slot.shake[cell] * std::sin(70 * slot.shake[cell]) * 0.35f : 0;
    // The hovered cell belongs to the open block; other blocks must not light
    // up the cube that happens to share its index.
    float glow = isCurrent && (i == hover_ || i == cursorCell) ? 1.0f : kHoverGlow * slot.lift;
    if (isCurrent && revealT_ >= 0 && revealT_ < reveal::kLightBand) {
      // A band of light climbs through the block as the reveal begins.
      const float w = 1 - std::abs(revealT_ / reveal::kLightBand * static_cast<float>(p.Y + 2) - static_cast<float>(c.y) - 1);
      if (w >= 0) glow += 0.8f * w;
    }
    cube.anim = {shake, slot.flash[cell], isCurrent ? slot.mark[cell] : 0.0f, glow};
    const std::uint32_t neighbours = neighbourMask(slot, c.x, c.y, c.z, isCurrent, solved);
    cube.nbr = {neighbours, seed, stillNeighbours(slot, c, neighbours), 0};
    cube.origin = glm::vec4(slot.origin + rise, 0);
    cubes.push_back(cube);
  }
}

std::uint32_t Game::stillNeighbours(const Slot& slot, glm::ivec3 c, std::uint32_t neighbours) const {
  // A shaking cube, or one beside it, shows the faces they otherwise press
  // together: the shaders may hide a cube only behind neighbours that stand
  // still.
  const Puzzle& p = slot.puzzle;
  if (slot.shake[static_cast<size_t>(p.index(c.x, c.y, c.z))] > 0) return 0;
  std::uint32_t still = 0;
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = -1; side <= 1; side += 2) {
      glm::ivec3 d(0);
      d[axis] = side;
      const std::uint32_t bit = neighbourBit(d.x, d.y, d.z);
      if ((neighbours & bit) == 0) continue;
      const glm::ivec3 n = c + d;
      if (slot.shake[static_cast<size_t>(p.index(n.x, n.y, n.z))] == 0) still |= bit;
    }
  }
  return still;
}

std::uint32_t Game::neighbourMask(const Slot& slot, int x, int y, int z, bool active, bool solved) const {
  const Puzzle& p = slot.puzzle;
  std::uint32_t mask = 0;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dz = -1; dz <= 1; ++dz) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (dx == 0 && dy == 0 && dz == 0) continue;
        const int nx = x + dx, ny = y + dy, nz = z + dz;
        if (nx < 0 || ny < 0 || nz < 0 || nx >= p.X || ny >= p.Y || nz >= p.Z) continue;
        const int n = p.index(nx, ny, nz);
        const bool carved = p.state[static_cast<size_t>(n)] == CellState::broken;
        const bool present = active ? !carved && visible(slot, n) && slot.popT[static_cast<size_t>(n)] < 0
                                    : !carved || !solved;
        if (present) mask |= neighbourBit(dx, dy, dz);
      }
    }
  }
  return mask;
}

}  // namespace sorvel
