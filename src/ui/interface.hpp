#pragma once

// The interface over the scene, as a stack of painted layers: the touch
// ripple, the screen's overlay (two while one screen fades into the next),
// and the dimming and tutorial card. Each layer is painted again only when
// what it shows changed (the game's published state, the window's size or
// pixel scale); its fades, slides and scaling are placements the compositor
// applies on the GPU. No GL here: the window and the still upload what
// changed and composite.

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/layout.hpp"
#include "ui/painter.hpp"
#include "ui/views.hpp"

namespace sorvel {
class Game;
}

namespace sorvel::ui {

// What a game state shows, read from the game once a frame.
InterfaceState snapshot(const Game& game);
// Runs an interface action on the game.
void perform(Action action, Game& game);

// Where and how a layer lands, in the target's pixels.
struct Placement {
  float opacity = 1;
  float offsetX = 0, offsetY = 0;
  float scale = 1;
  float anchorX = 0, anchorY = 0;  // the point scaling leaves in place
};

// One painted layer. `version` changes whenever `pixels` were painted anew,
// so the uploader knows when to send them again.
struct LayerPicture {
  std::vector<std::uint32_t> pixels;  // premultiplied 0xAARRGGBB, top row first
  int width = 0, height = 0;
  std::uint64_t version = 0;
};

struct LayerToDraw {
  int slot = 0;  // which picture: stable per layer, for the uploader's textures
  const LayerPicture* picture = nullptr;
  Placement placement;
};

class Interface {
 public:
  static constexpr int kSlots = 5;  // ripple, two overlays, dimming, card

  explicit Interface(const Painter& painter) : painter_(painter) {}

  // Brings the layers up to `state` and the last touch in a window of
  // `points` at `scale` pixels a point, at `now` seconds on a steady clock.
  void update(const InterfaceState& state, const std::optional<TouchFX>& touch, Size points, float scale,
              double now);
  // Bottom to top, the layers to composite now.
  std::vector<LayerToDraw> layers() const;
  // Whether a transition is under way (the window keeps drawing meanwhile).
  bool animating(double now) const;

  // The pointer at `p` (points): a control it would press, whether the scene
  // may have it, and the hand cursor.
  struct Hit {
    std::optional<Action> action;
    bool sceneMayHave = true;
  };
  Hit hit(Point p) const;

  // How many layer paintings so far, for tests of the redraw economy.
  int paintings() const { return paintings_; }

 private:
  struct Fade {
    double start = -1;
    double duration = 0;
    bool in = true;
    float at(double now) const;  // 0..1 eased, 1 when done in, 0 when done out
  };

  void paintInto(LayerPicture& picture, const Layout& layout);
  void paintRipple(const TouchFX& fx, double now);

  const Painter& painter_;
  std::optional<InterfaceState> state_;
  Size points_;
  float scale_ = 0;

  LayerPicture overlay_[2];
  Layout overlayLayout_;
  int shown_ = 0;  // which of the two overlays is the current screen's
  Fade screenFade_;

  LayerPicture dim_, card_;
  Layout cardLayout_;
  Fade tutorialFade_;

  LayerPicture ripple_;
  std::optional<TouchFX> ripplePlace_;
  double rippleStart_ = -1;

  double now_ = 0;
  int paintings_ = 0;
  std::uint64_t versions_ = 0;
};

}  // namespace sorvel::ui
