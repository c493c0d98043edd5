#pragma once

// The interface over the scene, as a stack of painted layers: the touch
// ripple, the screen's overlay (two while one screen fades into the next),
// in pieces painted just round what each shows,
// the screen's card on a layer of its own (two while a guide step gives way
// to the next), and the dimming and tutorial card. Each layer is painted
// again only when what it shows changed (the game's published state, the
// window's size or pixel scale); its fades, slides and scaling are
// placements the compositor applies on the GPU. No GL here: the window and
// the still upload what changed and composite.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ui/layer_picture.hpp"
#include "ui/layout.hpp"
#include "ui/overlay_pieces.hpp"
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
  // Drawn this size before scaling instead of the picture's own; 0 keeps
  // the picture's. A picture of one colour needs only one pixel.
  float width = 0, height = 0;
  bool operator==(const Placement&) const = default;
};

struct LayerToDraw {
  int pictureId = 0;  // stable per layer, so the uploader keeps one texture for each
  const LayerPicture* picture = nullptr;
  Placement placement;
};

// What one layer shows and where, to tell whether the picture changed.
struct LayerStamp {
  int pictureId = 0;
  std::uint64_t version = 0;
  Placement placement;
  bool operator==(const LayerStamp&) const = default;
};
std::vector<LayerStamp> stampsOf(const std::vector<LayerToDraw>& layers);

class Interface {
 public:
  // Which picture a layer shows; the uploader keeps one texture for each.
  static constexpr int kRipplePicture = 0;
  // The most pieces a screen's overlay is painted in; more join the last.
  static constexpr int kOverlayPieces = 12;
  // The first overlay's pieces, then the second's: a screen fading into
  // another.
  static constexpr int kOverlayPicture = 1;
  static constexpr int kDimPicture = kOverlayPicture + 2 * kOverlayPieces;
  static constexpr int kTutorialPicture = kDimPicture + 1;
  static constexpr int kCardPicture = kTutorialPicture + 1;  // and the next two: cards coming and going
  static constexpr int kCards = 3;
  static constexpr int kSettingsPicture = kCardPicture + kCards;
  static constexpr int kFocusPicture = kSettingsPicture + 1;
  static constexpr int kPictures = kFocusPicture + 1;

  explicit Interface(const Painter& painter) : painter_(painter) {}

  // Brings the layers up to `state` and the last touch in a window of
  // `points` at `scale` pixels a point, at `now` seconds on a steady clock.
  void update(const InterfaceState& state, const std::optional<TouchFX>& touch, Size points, float scale,
              double now);
  // Bottom to top, the layers to composite now.
  std::vector<LayerToDraw> layers() const;

  // The pointer at `p` (points): a control it would press, and whether the
  // scene may have it.
  struct Hit {
    std::optional<Action> action;
    bool sceneMayHave = true;
  };
  Hit hit(Point p) const;

  // How many layer paintings so far, for tests of the redraw economy.
  int paintings() const { return paintings_; }

  // --- The keyboard's focus: a ring over one control of the topmost card,
  // or of the screen and its card when no card covers it. A card that
  // appears gives the focus to its main control; Tab moves it on.
  // The next (or, with a negative step, an earlier) control, round the end.
  void moveFocus(int step);
  // The control Enter presses now, if any.
  std::optional<Action> focused() const;
  // The ring shows while the keys are in use and hides when the pointer is.
  void showFocus(bool shown);
  // No control has the focus (until Tab gives it again).
  void dropFocus();
  // The focusable controls in the order Tab visits them, window points.
  std::vector<Control> focusChain() const;

 private:
  // A value eased from `from` to `to`; at rest at `to`.
  struct Fade {
    double start = -1;  // below 0: at rest
    double duration = 0;
    float from = 1, to = 1;
    float at(double now) const;
    bool running() const { return start >= 0; }
  };

  // A screen's card, painted just round its frame.
  struct Card {
    std::optional<int> key;  // what it shows (see cardKey); none: free for the next card
    bool current = false;    // the card of the state now, not one on its way out
    int overlay = 0;         // the overlay it belongs to, whose fade it shares
    bool slides = false;     // rises from the window's bottom edge as it fades in
    Fade fade;
    Layout layout;  // the card alone, where it sits in the window
    Rect frame;     // the card's own frame, points
    int x = 0, y = 0;  // where the picture's top-left pixel lands
    LayerPicture picture;
  };

  // A screen's overlay in pieces, each painted just round what it shows.
  struct Overlay {
    std::vector<Piece> pieces;
    std::array<LayerPicture, kOverlayPieces> pictures;
    float scale = 0;  // the pieces' pixels a point; 0: not painted yet
  };

  // Paints `list` round `frame` (points) into `picture`; the box it covers
  // in the window.
  PixelBox paintRound(LayerPicture& picture, const DrawList& list, Rect frame);
  void paintPieces(Overlay& overlay, const DrawList& list);
  void paintCard(Card& card, Layout layout);
  void paintRipple(const TouchFX& fx, double now);
  // A modal card over everything, the dimming under it.
  struct Modal {
    int pictureId = 0;
    LayerPicture picture;
    PixelBox box;  // where its picture lands
    Layout layout;
    bool stale = true;  // painted for another window or other contents, or not yet
    Fade fade{.to = 0};
  };
  void updateModal(Modal& modal, bool shown, bool wasShown, const std::function<Node()>& card, std::string_view tag);
  void placeModal(const Modal& modal, std::vector<LayerToDraw>& out) const;
  // A transition from `from` to `to`, or there at once with reduced motion.
  Fade transition(double duration, float from, float to) const;
  // Which controls the focus moves among; it starts anew when this changes.
  int focusContext() const;
  // The focused control where it stands now; none when it is not shown.
  std::optional<Control> focusedControl() const;
  void updateFocus();
  void paintFocus();

  // Ends the transitions that are over, and lets cards that are gone go.
  void settle();
  void updateOverlay(const InterfaceState& state, bool resized, bool screenChanged);
  void updateCards(const InterfaceState& state, bool resized, bool screenChanged);
  int currentCard() const;  // its index, or -1 with none
  // A free card, made the current card on the overlay shown.
  Card& claimCard(int key, bool slides, Fade fade);
  float overlayOpacity(int overlay) const;
  Placement cardPlacement(const Card& card) const;

  const Painter& painter_;
  std::optional<InterfaceState> state_;
  Size points_;
  float scale_ = 0;

  Overlay overlay_[2];
  Layout overlayLayout_;
  int shown_ = 0;  // which of the two overlays is the current screen's
  Fade screenFade_;

  std::array<Card, kCards> cards_;

  LayerPicture dim_;
  Modal tutorial_{.pictureId = kTutorialPicture};
  Modal settings_{.pictureId = kSettingsPicture};

  std::optional<Action> focus_;
  int focusContext_ = -1;
  bool focusShown_ = false;
  LayerPicture focusRing_;
  std::optional<Rect> focusFrame_;  // where the ring was painted round
  float focusScale_ = 0;            // and at what scale
  PixelBox focusBox_;

  LayerPicture ripple_;
  std::optional<TouchFX> ripplePlace_;
  double rippleStart_ = -1;

  double now_ = 0;
  bool reducedMotion_ = false;  // transitions land at once
  int paintings_ = 0;
  std::uint64_t versions_ = 0;
};

}  // namespace sorvel::ui
