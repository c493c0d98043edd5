#pragma once

#include <cstdint>
#include <filesystem>
#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>
#include <optional>
#include <string>

#include "meshes/mesh_data.hpp"

namespace sorvel {

enum class Tool { carve, mark };
enum class Screen { home, playing, solved };
// What moves in the scene: nothing, only what moves for good (a solved
// figure turning, the table's sway, the guide's breathing), or something on
// its way somewhere (the camera easing, a cube breaking off, a reveal).
enum class Motion { still, ambient, moving };

// The settings card: closed, open, or asking once more before it erases
// the saved progress.
enum class SettingsCard { closed, open, confirmErase };

constexpr const char* screenName(Screen screen) {
  switch (screen) {
    case Screen::home: return "home";
    case Screen::playing: return "playing";
    case Screen::solved: return "solved";
  }
  return "home";
}

// One step of the tutorial guide: 0 is the introduction, 1-3 the carving steps.
struct Guide {
  int step = 0;
  int total = 3;
  std::string text;
  std::optional<std::string> button;
  bool operator==(const Guide&) const = default;
};

// The last touch to show as a ripple, in normalised view coordinates. The id
// grows with every touch so two touches at one place still differ.
struct TouchFX {
  float x = 0, y = 0;
  int id = 0;
  bool operator==(const TouchFX&) const = default;
};

// One wood chip flying off a carved cube.
struct Chip {
  glm::vec3 pos{0};
  glm::vec3 vel{0};
  glm::quat rot{1, 0, 0, 0};
  glm::vec3 spin{0};  // radians per second about the world axes
  float life = 0;     // seconds left
  glm::vec3 size{0};
  float tint = 1;
};

// GPU objects reach the game only as opaque handles.
struct MeshHandle {
  std::uint32_t id = 0;
  std::uint32_t count = 0;  // indices to draw
  bool operator==(const MeshHandle&) const = default;
};
struct TextureHandle {
  std::uint32_t id = 0;
  bool operator==(const TextureHandle&) const = default;
};

// What the game asks of the renderer. Without one (tests, tools) the game
// keeps going with empty handles.
class GpuResources {
 public:
  virtual ~GpuResources() = default;
  virtual MeshHandle uploadMesh(const MeshData& mesh) = 0;
  // Nothing for a missing or unreadable picture.
  virtual std::optional<TextureHandle> loadTexture(const std::filesystem::path& png) = 0;
};

// An empty handle where there is no renderer.
inline MeshHandle uploadTo(GpuResources* gpu, const MeshData& mesh) {
  return gpu != nullptr ? gpu->uploadMesh(mesh) : MeshHandle{};
}

}  // namespace sorvel
