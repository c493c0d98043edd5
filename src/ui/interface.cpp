#include "ui/interface.hpp"

#include <algorithm>
#include <cmath>

#include "game/game.hpp"

namespace sorvel::ui {

namespace {

// How long each change takes to show; all ease out.
constexpr double kScreenFade = 0.35;
constexpr double kTutorialFade = 0.25;
constexpr double kRipple = 0.55;
constexpr float kCardStartScale = 0.97f;
constexpr float kDimOpacity = 0.18f;
// The ripple's ring spreads from the disc's size to this.
constexpr float kRippleStart = 46, kRippleEnd = 90, kRippleBox = 96;

float easeOut(double t) {
  const double c = std::clamp(t, 0.0, 1.0);
  return static_cast<float>(c * (2 - c));
}

}  // namespace

InterfaceState snapshot(const Game& game) {
  return {.screen = game.screen(),
          .tool = game.tool(),
          .mistakes = game.mistakes(),
          .peel = game.peel(),
          .peelMax = game.peelMax(),
          .solvedCount = game.solvedCount(),
          .figureCount = game.figureCount(),
          .playTitle = game.playTitle(),
          .currentName = game.currentName(),
          .lastTime = game.lastTime(),
          .revealCard = game.revealCard(),
          .current = game.current(),
          .slotCount = game.slotCount(),
          .guide = game.guide(),
          .showTutorial = game.showTutorial()};
}

void perform(Action action, Game& game) {
  switch (action) {
    case Action::back:
    case Action::home: game.goHome(true); break;
    case Action::help: game.showTutorialCard(); break;
    case Action::guideNext: game.acknowledgeGuide(); break;
    case Action::carveTool: game.setTool(Tool::carve); break;
    case Action::markTool: game.setTool(Tool::mark); break;
    case Action::peelUp: game.setPeel(game.peel() + 1); break;
    case Action::peelDown: game.setPeel(game.peel() - 1); break;
    case Action::next: game.nextPuzzle(); break;
    case Action::carveAgain: game.restartCurrent(); break;
    case Action::tutorialDone: game.dismissTutorialCard(); break;
  }
}

float Interface::Fade::at(double now) const {
  if (start < 0) return in ? 1.0f : 0.0f;
  const float t = easeOut((now - start) / duration);
  return in ? t : 1 - t;
}

void Interface::paintInto(LayerPicture& picture, const Layout& layout) {
  picture.width = std::max(1, static_cast<int>(std::lround(points_.width * scale_)));
  picture.height = std::max(1, static_cast<int>(std::lround(points_.height * scale_)));
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  painter_.paint(layout.drawList, {picture.pixels, picture.width, picture.height}, scale_);
  picture.version = ++versions_;
  ++paintings_;
}

void Interface::paintRipple(const TouchFX& fx, double now) {
  const float grow = easeOut((now - rippleStart_) / kRipple);
  const float ring = kRippleStart + (kRippleEnd - kRippleStart) * grow;
  const float middle = kRippleBox / 2;
  const DrawList list = {
      ShapeCommand{.rect = {middle - kRippleStart / 2, middle - kRippleStart / 2, kRippleStart, kRippleStart},
                   .cornerRadius = kRippleStart / 2,
                   .paint = {.fill = kWhite.withOpacity(0.55f * (1 - grow))}},
      ShapeCommand{.rect = {middle - ring / 2, middle - ring / 2, ring, ring},
                   .cornerRadius = ring / 2,
                   .paint = {.stroke = kWhite.withOpacity(0.9f * (1 - grow)), .lineWidth = 3}},
  };
  ripple_.width = ripple_.height = std::max(1, static_cast<int>(std::lround(kRippleBox * scale_)));
  ripple_.pixels.resize(static_cast<std::size_t>(ripple_.width) * static_cast<std::size_t>(ripple_.height));
  painter_.paint(list, {ripple_.pixels, ripple_.width, ripple_.height}, scale_);
  ripple_.version = ++versions_;
  ++paintings_;
  ripplePlace_ = fx;
}

void Interface::update(const InterfaceState& state, const std::optional<TouchFX>& touch, Size points, float scale,
                       double now) {
  now_ = now;
  const bool resized = points != points_ || scale != scale_;
  points_ = points;
  scale_ = scale;
  const TextMeasure& measure = painter_.textMeasure();

  const bool screenChanged = state_ && state_->screen != state.screen;
  if (!state_ || resized || state != *state_) {
    if (screenChanged) {
      // The old screen's picture stays, fading out, while the new one fades in.
      shown_ = 1 - shown_;
      screenFade_ = {.start = now, .duration = kScreenFade, .in = true};
    }
    overlayLayout_ = layout(screenOverlay(state), points, measure);
    paintInto(overlay_[shown_], overlayLayout_);
  }
  if (screenFade_.start >= 0 && now - screenFade_.start >= screenFade_.duration) screenFade_ = {};

  const bool tutorialChanged = state_ && state_->showTutorial != state.showTutorial;
  if (tutorialChanged) tutorialFade_ = {.start = now, .duration = kTutorialFade, .in = state.showTutorial};
  if (tutorialFade_.start >= 0 && now - tutorialFade_.start >= tutorialFade_.duration) tutorialFade_.start = -1;
  const bool cardShows = state.showTutorial || tutorialFade_.start >= 0;
  if (cardShows && (resized || card_.pixels.empty())) {
    cardLayout_ = layout(tutorialCard(), points, measure);
    paintInto(card_, cardLayout_);
    paintInto(dim_, layout(rectangle({.fill = {0, 0, 0, 1}}), points, measure));
  }
  if (!state_) tutorialFade_ = {.start = -1, .in = state.showTutorial};

  // Each new touch starts a fresh ripple, even at the same place.
  const bool newTouch = touch && (!ripplePlace_ || touch->id != ripplePlace_->id);
  if (newTouch) rippleStart_ = now;
  if (touch && rippleStart_ >= 0 && now - rippleStart_ <= kRipple) {
    paintRipple(*touch, now);
  } else if (rippleStart_ >= 0 && now - rippleStart_ > kRipple) {
    rippleStart_ = -1;
  }
  state_ = state;
}

std::vector<LayerToDraw> Interface::layers() const {
  std::vector<LayerToDraw> out;
  if (rippleStart_ >= 0 && ripplePlace_) {
    const float half = kRippleBox * scale_ / 2;
    out.push_back({.slot = 0,
                   .picture = &ripple_,
                   .placement = {.offsetX = ripplePlace_->x * points_.width * scale_ - half,
                                 .offsetY = ripplePlace_->y * points_.height * scale_ - half}});
  }
  const float in = screenFade_.at(now_);
  if (screenFade_.start >= 0 && !overlay_[1 - shown_].pixels.empty()) {
    out.push_back({.slot = 2 - shown_, .picture = &overlay_[1 - shown_], .placement = {.opacity = 1 - in}});
  }
  if (!overlay_[shown_].pixels.empty()) {
    out.push_back({.slot = 1 + shown_, .picture = &overlay_[shown_], .placement = {.opacity = in}});
  }
  const float card = tutorialFade_.at(now_);
  if (card > 0 && !card_.pixels.empty()) {
    out.push_back({.slot = 3, .picture = &dim_, .placement = {.opacity = kDimOpacity * card}});
    const float s = kCardStartScale + (1 - kCardStartScale) * card;
    out.push_back({.slot = 4,
                   .picture = &card_,
                   .placement = {.opacity = card,
                                 .scale = s,
                                 .anchorX = points_.width * scale_ / 2,
                                 .anchorY = points_.height * scale_ / 2}});
  }
  return out;
}

bool Interface::animating(double now) const {
  return screenFade_.start >= 0 || tutorialFade_.start >= 0 || (rippleStart_ >= 0 && now - rippleStart_ <= kRipple);
}

Interface::Hit Interface::hit(Point p) const {
  // While the tutorial card is up, it and its dimming take every press.
  if (state_ && state_->showTutorial) {
    const std::optional<Control> control = cardLayout_.hit(p);
    return {.action = control ? std::optional(static_cast<Action>(control->action)) : std::nullopt,
            .sceneMayHave = false};
  }
  if (const std::optional<Control> control = overlayLayout_.hit(p)) {
    return {.action = static_cast<Action>(control->action), .sceneMayHave = false};
  }
  return {};
}

}  // namespace sorvel::ui
