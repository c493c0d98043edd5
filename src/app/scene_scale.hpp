#pragma once

#include <glm/vec2.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace sorvel {

// How much of the window's resolution a moving 3D scene is drawn at, so
// that a machine drawing on its CPU keeps its frame rate. The scene is
// scaled up to the window afterwards; the interface is always drawn at full
// resolution, a picture at rest is drawn whole, and stills and films never
// go through here.
//
// It follows how long moving frames take: frames slower than kSlowFrame
// over a stretch step the scale down, frames quicker than kQuickFrame step
// it back up, never below kLowest (a third in each direction) nor above 1.
// The gap between the two keeps one step's change in cost from bouncing it
// back.
class SceneScale {
 public:
  static constexpr float kLowest = 1.0f / 3;
  static constexpr float kLowestPinned = 0.5f;
  static constexpr float kStep = 0.125f;
  static constexpr int kStretch = 30;  // frames averaged before each decision
  static constexpr double kSlowFrame = 1.0 / 30;
  static constexpr double kQuickFrame = 1.0 / 70;

  // A driver that draws on the CPU starts at the lowest scale, rather than
  // spend its first seconds at a few frames a second: what it draws at rest
  // is whole anyway. `pinned` holds
  // the scale where the player fixed it.
  SceneScale(bool softwareRenderer, std::optional<float> pinned);

  float scale() const { return scale_; }

  // After each moving frame shown: how long it took, from its events to its
  // swap.
  void frameShown(double seconds);

  // The scene's picture for a window of `window` pixels: at least 1x1.
  glm::ivec2 sceneSize(glm::ivec2 window) const;

 private:
  float scale_ = 1;
  bool pinned_ = false;
  int frames_ = 0;
  double seconds_ = 0;
};

// Reads a pinned scale as SORVEL_SCENE_SCALE gives it: a number from 0.5 to
// 1. Anything else is refused with a message naming it.
struct PinnedSceneScale {
  std::optional<float> scale;
  std::string problem;
};
PinnedSceneScale parsePinnedSceneScale(const char* text);

// Whether GL_RENDERER names a rasteriser that runs on the CPU.
bool isSoftwareRenderer(std::string_view rendererName);

}  // namespace sorvel
