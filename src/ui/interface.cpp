#include "ui/interface.hpp"

#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>

#include "game/game.hpp"

namespace sorvel::ui {

namespace {

// How long each change takes to show; all ease out.
constexpr double kScreenFade = 0.35;
constexpr double kTutorialFade = 0.25;
constexpr double kGuideFade = 0.3;
constexpr double kSolvedCardRise = 0.45;
constexpr double kRipple = 0.55;
constexpr float kTutorialStartScale = 0.97f;
constexpr float kDimOpacity = 0.18f;
// Opaque black: one pixel, stretched over the window and faded.
constexpr std::uint32_t kDimPixel = 0xff000000;
// The ripple's ring spreads from the disc's size to this.
constexpr float kRippleStart = 46, kRippleEnd = 90, kRippleBox = 96;
// The focus ring's gap from its control and its thickness, points.
constexpr float kFocusGap = 3, kFocusWidth = 2.5f;

float easeOut(double t) {
  const double c = std::clamp(t, 0.0, 1.0);
  return static_cast<float>(c * (2 - c));
}

int pixels(float points, float scale) { return std::max(1, static_cast<int>(std::lround(points * scale))); }

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
          .showTutorial = game.showTutorial(),
          .settings = game.settingsCard(),
          .preferences = game.preferences(),
          .chapterTitle = game.chapterTitle(game.shownChapter()),
          .chapterBefore = game.shownChapter() > 0,
          .chapterAfter = game.shownChapter() + 1 < game.chapterCount(),
          .figuresToOpen = game.figuresToOpen(game.shownChapter())};
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
    case Action::settings: game.openSettings(); break;
    case Action::settingsDone: game.closeSettings(); break;
    case Action::eraseAsk: game.askToErase(); break;
    case Action::eraseCancel: game.cancelErase(); break;
    case Action::eraseConfirm: game.confirmErase(); break;
    case Action::chapterBefore: game.showChapter(game.shownChapter() - 1); break;
    case Action::chapterAfter: game.showChapter(game.shownChapter() + 1); break;
    default: {
      Preferences p = game.preferences();
      switch (action) {
        case Action::soundToggle: p.sound = !p.sound; break;
        case Action::volumeDown: p.volume = p.volumeStepped(-1); break;
        case Action::volumeUp: p.volume = p.volumeStepped(1); break;
        case Action::interfaceSize100: p.interfaceSize = 100; break;
        case Action::interfaceSize125: p.interfaceSize = 125; break;
        case Action::interfaceSize150: p.interfaceSize = 150; break;
        case Action::interfaceSize200: p.interfaceSize = 200; break;
        case Action::reducedMotionToggle: p.reducedMotion = !p.reducedMotion; break;
        case Action::patternMarksToggle: p.patternMarks = !p.patternMarks; break;
        case Action::fullscreenToggle: p.fullscreen = !p.fullscreen; break;
        case Action::languageSpanish: p.language = Language::spanish; break;
        case Action::languageEnglish: p.language = Language::english; break;
        default: break;
      }
      game.setPreferences(p);
    }
  }
}

float Interface::Fade::at(double now) const {
  if (!running()) return to;
  return from + (to - from) * easeOut((now - start) / duration);
}

PixelBox Interface::paintRound(LayerPicture& picture, const DrawList& list, Rect frame) {
  // Only the frame's own box is painted, in whole pixels, so that its edges
  // fall on the same pixels as in a picture of the whole window.
  const int width = pixels(points_.width, scale_), height = pixels(points_.height, scale_);
  PixelBox box = pixelBoxAround(frame, kPieceMargin, scale_, width, height);
  box.width = std::max(1, box.width);
  box.height = std::max(1, box.height);
  repaint(picture, painter_, list, box, scale_, ++versions_);
  ++paintings_;
  return box;
}

void Interface::paintPieces(Overlay& overlay, const DrawList& list) {
  std::vector<Piece> pieces = piecesOf(list, painter_.textMeasure(), scale_, pixels(points_.width, scale_),
                                       pixels(points_.height, scale_), kOverlayPieces);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    // The same commands in the same box at the same scale: the same pixels.
    if (overlay.scale == scale_ && i < overlay.pieces.size() && overlay.pieces[i] == pieces[i]) continue;
    repaint(overlay.pictures[i], painter_, pieces[i].drawList, pieces[i].box, scale_, ++versions_);
    ++paintings_;
  }
  // Pieces the screen no longer has give their memory back.
  for (std::size_t i = pieces.size(); i < overlay.pictures.size(); ++i) overlay.pictures[i] = {};
  overlay.pieces = std::move(pieces);
  overlay.scale = scale_;
}

void Interface::paintCard(Card& card, Layout layout) {
  card.frame = layout.frameOf(kCardTag).value_or(Rect{});
  const PixelBox box = paintRound(card.picture, layout.drawList, card.frame);
  card.x = box.x;
  card.y = box.y;
  card.layout = std::move(layout);
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
  ripple_.width = ripple_.height = pixels(kRippleBox, scale_);
  ripple_.pixels.resize(static_cast<std::size_t>(ripple_.width) * static_cast<std::size_t>(ripple_.height));
  painter_.paint(list, {ripple_.pixels, ripple_.width, ripple_.height}, scale_);
  ripple_.version = ++versions_;
  ++paintings_;
  ripplePlace_ = fx;
}

int Interface::currentCard() const {
  for (std::size_t i = 0; i < cards_.size(); ++i) {
    if (cards_[i].key && cards_[i].current) return static_cast<int>(i);
  }
  return -1;
}

Interface::Card& Interface::claimCard(int key, bool slides, Fade fade) {
  auto chosen = std::find_if(cards_.begin(), cards_.end(), [](const Card& c) { return !c.key; });
  if (chosen == cards_.end()) {
    // All taken: the faintest of those on their way out makes room.
    auto seen = [this](const Card& c) { return c.current ? 2 : cardPlacement(c).opacity; };
    chosen = std::min_element(cards_.begin(), cards_.end(),
                            [&seen](const Card& x, const Card& y) { return seen(x) < seen(y); });
  }
  Card& card = *chosen;
  card.key = key;
  card.current = true;
  card.overlay = shown_;
  card.slides = slides;
  card.fade = fade;
  return card;
}

float Interface::overlayOpacity(int overlay) const {
  const float in = screenFade_.at(now_);
  if (overlay == shown_) return in;
  return screenFade_.running() ? 1 - in : 0;
}

Placement Interface::cardPlacement(const Card& card) const {
  const float shown = card.fade.at(now_);
  // Rising, the card's top starts at the window's bottom edge.
  const float rise =
      card.slides ? (1 - shown) * (static_cast<float>(pixels(points_.height, scale_)) - card.frame.y * scale_) : 0;
  return {.opacity = overlayOpacity(card.overlay) * shown,
          .offsetX = static_cast<float>(card.x),
          .offsetY = static_cast<float>(card.y) + rise};
}

void Interface::settle() {
  if (screenFade_.running() && now_ - screenFade_.start >= screenFade_.duration) screenFade_ = {};
  for (Modal* modal : {&tutorial_, &settings_}) {
    if (modal->fade.running() && now_ - modal->fade.start >= modal->fade.duration) modal->fade.start = -1;
  }
  for (Card& card : cards_) {
    if (card.fade.running() && now_ - card.fade.start >= card.fade.duration) card.fade.start = -1;
    // Gone out, or gone with the screen it belonged to.
    if ((!card.fade.running() && card.fade.to <= 0) || (card.overlay != shown_ && !screenFade_.running())) {
      card.key.reset();
      card.current = false;
    }
  }
}

void Interface::updateOverlay(const InterfaceState& state, bool resized, bool screenChanged) {
  if (screenChanged) {
    // The old screen's picture stays, fading out, while the new one fades in.
    shown_ = 1 - shown_;
    screenFade_ = transition(kScreenFade, 0, 1);
  }
  Layout next = layout(screenOverlay(state, Part::withoutCard), points_, painter_.textMeasure());
  if (screenChanged || resized || overlay_[shown_].scale == 0 || next.drawList != overlayLayout_.drawList) {
    paintPieces(overlay_[shown_], next.drawList);
  }
  overlayLayout_ = std::move(next);
}

void Interface::updateCards(const InterfaceState& state, bool resized, bool screenChanged) {
  const std::optional<int> key = cardKey(state);
  const bool slides = state.screen == Screen::solved;
  auto cardLayout = [&] { return layout(screenOverlay(state, Part::cardOnly), points_, painter_.textMeasure()); };
  const int up = currentCard();
  Card* current = up >= 0 ? &cards_[static_cast<std::size_t>(up)] : nullptr;

  if (!state_ || screenChanged) {
    // Cards come and go with their screens: a card of the screen fading out
    // fades with it, one of an older screen goes with the picture it lay on.
    for (Card& card : cards_) {
      card.current = false;
      if (card.overlay == shown_) card.key.reset();
    }
    if (key) paintCard(claimCard(*key, slides, {}), cardLayout());
    return;
  }

  if (resized) {
    // Those on their way out were painted for the old window; they just go.
    for (Card& card : cards_) {
      if (!card.current) card.key.reset();
    }
  }
  if (current && current->key == key) {
    Layout next = cardLayout();
    if (resized || next.drawList != current->layout.drawList) paintCard(*current, std::move(next));
    return;
  }
  // Another card, or none: the one up gives way from where it is.
  const double duration = slides ? kSolvedCardRise : kGuideFade;
  if (current) {
    current->current = false;
    current->fade = transition(duration, current->fade.at(now_), 0);
  }
  if (key) paintCard(claimCard(*key, slides, transition(duration, 0, 1)), cardLayout());
}

void Interface::update(const InterfaceState& state, const std::optional<TouchFX>& touch, Size points, float scale,
                       double now) {
  now_ = now;
  reducedMotion_ = state.preferences.reducedMotion;
  const bool resized = points != points_ || scale != scale_;
  points_ = points;
  scale_ = scale;
  settle();

  if (!state_ || resized || state != *state_) {
    const bool screenChanged = state_ && state_->screen != state.screen;
    updateOverlay(state, resized, screenChanged);
    updateCards(state, resized, screenChanged);
  }

  if (resized) tutorial_.stale = settings_.stale = true;
  const bool hadSettings = state_ && state_->settings != SettingsCard::closed;
  const bool wasTutorial = state_ && state_->showTutorial;
  // The settings card changes with what it shows; the tutorial card only
  // with the window.
  if (!state_ || state.settings != state_->settings || state.preferences != state_->preferences) settings_.stale = true;
  updateModal(tutorial_, state.showTutorial, !state_ ? state.showTutorial : wasTutorial,
              [&] { return tutorialCard(points); }, "tutorialCard");
  updateModal(settings_, state.settings != SettingsCard::closed,
              !state_ ? state.settings != SettingsCard::closed : hadSettings, [&] { return settingsCard(state); },
              "settingsCard");
  // The dimming goes under whichever modal card is painted.
  if (dim_.pixels.empty() && (!tutorial_.picture.pixels.empty() || !settings_.picture.pixels.empty())) {
    dim_ = {.pixels = {kDimPixel}, .width = 1, .height = 1, .version = ++versions_};
  }

  // Each new touch starts a fresh ripple, even at the same place.
  const bool newTouch = touch && (!ripplePlace_ || touch->id != ripplePlace_->id);
  if (newTouch) rippleStart_ = now;
  if (touch && rippleStart_ >= 0 && now - rippleStart_ <= kRipple && !state.preferences.reducedMotion) {
    paintRipple(*touch, now);
  } else if (rippleStart_ >= 0 && now - rippleStart_ > kRipple) {
    rippleStart_ = -1;
  }
  state_ = state;
  updateFocus();
}

void Interface::updateModal(Modal& modal, bool shown, bool wasShown, const std::function<Node()>& card,
                            std::string_view tag) {
  const float to = shown ? 1 : 0;
  if (shown != wasShown) modal.fade = transition(kTutorialFade, modal.fade.at(now_), to);
  if (!modal.fade.running()) modal.fade = {.to = to};
  if (!(shown || modal.fade.running()) || !modal.stale) return;
  modal.layout = layout(card(), points_, painter_.textMeasure());
  const Rect frame = modal.layout.frameOf(tag).value_or(Rect{});
  modal.box = paintRound(modal.picture, modal.layout.drawList, frame);
  modal.stale = false;
}

Interface::Fade Interface::transition(double duration, float from, float to) const {
  if (reducedMotion_) return {.to = to};
  return {.start = now_, .duration = duration, .from = from, .to = to};
}

void Interface::placeModal(const Modal& modal, std::vector<LayerToDraw>& out) const {
  const float shown = modal.fade.at(now_);
  if (shown <= 0 || modal.picture.pixels.empty()) return;
  // It grows about the window's middle, wherever its own picture starts.
  const float s = kTutorialStartScale + (1 - kTutorialStartScale) * shown;
  const auto x = static_cast<float>(modal.box.x), y = static_cast<float>(modal.box.y);
  out.push_back({.pictureId = modal.pictureId,
                 .picture = &modal.picture,
                 .placement = {.opacity = shown,
                               .offsetX = x,
                               .offsetY = y,
                               .scale = s,
                               .anchorX = points_.width * scale_ / 2 - x,
                               .anchorY = points_.height * scale_ / 2 - y}});
}

int Interface::focusContext() const {
  if (!state_) return -1;
  if (state_->settings != SettingsCard::closed) return 1000 + static_cast<int>(state_->settings);
  if (state_->showTutorial) return 900;
  const std::optional<int> card = cardKey(*state_);
  return 10 * static_cast<int>(state_->screen) + (card ? 100 + *card : 0);
}

std::vector<Control> Interface::focusChain() const {
  if (!state_) return {};
  if (state_->settings != SettingsCard::closed) return settings_.layout.controls;
  if (state_->showTutorial) return tutorial_.layout.controls;
  // The screen's controls in the order its layout reads them, the card's
  // where the card stands among them.
  std::vector<Control> chain = overlayLayout_.controls;
  if (const int up = currentCard(); up >= 0) {
    const Layout& card = cards_[static_cast<std::size_t>(up)].layout;
    if (!card.controls.empty()) {
      const float top = card.controls.front().frame.y;
      const auto below = std::find_if(chain.begin(), chain.end(), [top](const Control& c) { return c.frame.y > top; });
      chain.insert(below, card.controls.begin(), card.controls.end());
    }
  }
  return chain;
}

void Interface::moveFocus(int step) {
  const std::vector<Control> chain = focusChain();
  focusShown_ = true;
  if (chain.empty() || step == 0) return;
  const auto at = std::find_if(chain.begin(), chain.end(),
                               [this](const Control& c) { return focus_ && c.action == static_cast<int>(*focus_); });
  const auto n = static_cast<long>(chain.size());
  long next = 0;
  if (at == chain.end()) {
    next = step > 0 ? 0 : n - 1;
  } else {
    next = ((at - chain.begin() + step) % n + n) % n;
  }
  focus_ = static_cast<Action>(chain[static_cast<std::size_t>(next)].action);
  paintFocus();
}

std::optional<Control> Interface::focusedControl() const {
  if (!focus_) return std::nullopt;
  for (const Control& c : focusChain()) {
    if (c.action == static_cast<int>(*focus_)) return c;
  }
  return std::nullopt;
}

std::optional<Action> Interface::focused() const { return focusedControl() ? focus_ : std::nullopt; }

void Interface::showFocus(bool shown) {
  if (shown == focusShown_) return;
  focusShown_ = shown;
  paintFocus();
}

void Interface::dropFocus() {
  focus_.reset();
  paintFocus();
}

void Interface::updateFocus() {
  const int context = focusContext();
  if (context != focusContext_) {
    // A card that appears hands the focus to its main control; a screen
    // without one starts with none, so Enter acts on the block.
    focusContext_ = context;
    focus_.reset();
    const Layout* first = state_->settings != SettingsCard::closed ? &settings_.layout
                          : state_->showTutorial                  ? &tutorial_.layout
                          : currentCard() >= 0 ? &cards_[static_cast<std::size_t>(currentCard())].layout
                                               : nullptr;
    if (first != nullptr) {
      if (const std::optional<Rect> frame = first->frameOf(kFirstFocusTag)) {
        for (const Control& c : first->controls) {
          if (c.frame == *frame) focus_ = static_cast<Action>(c.action);
        }
      }
    }
  }
  paintFocus();
}

void Interface::paintFocus() {
  std::optional<Rect> frame;
  if (focusShown_) {
    if (const std::optional<Control> control = focusedControl()) frame = control->frame;
  }
  // The same control at the same scale: the ring painted already.
  if (frame == focusFrame_ && focusScale_ == scale_ && (!frame || focusRing_.width > 0)) return;
  focusFrame_ = frame;
  focusScale_ = scale_;
  if (!frame) {
    focusRing_ = {};
    return;
  }
  // A ring just outside the control, round as the control is.
  const Rect ring{frame->x - kFocusGap, frame->y - kFocusGap, frame->width + 2 * kFocusGap,
                  frame->height + 2 * kFocusGap};
  const DrawList list = {ShapeCommand{.rect = ring,
                                      .cornerRadius = std::min(ring.width, ring.height) / 2,
                                      .paint = {.stroke = kTeal, .lineWidth = kFocusWidth}}};
  focusBox_ = paintRound(focusRing_, list, ring);
}

std::vector<LayerStamp> stampsOf(const std::vector<LayerToDraw>& layers) {
  std::vector<LayerStamp> stamps;
  stamps.reserve(layers.size());
  for (const LayerToDraw& layer : layers) {
    stamps.push_back({layer.pictureId, layer.picture != nullptr ? layer.picture->version : 0, layer.placement});
  }
  return stamps;
}

std::vector<LayerToDraw> Interface::layers() const {
  std::vector<LayerToDraw> out;
  if (rippleStart_ >= 0 && ripplePlace_) {
    const float half = kRippleBox * scale_ / 2;
    out.push_back({.pictureId = kRipplePicture,
                   .picture = &ripple_,
                   .placement = {.offsetX = ripplePlace_->x * points_.width * scale_ - half,
                                 .offsetY = ripplePlace_->y * points_.height * scale_ - half}});
  }
  // Each overlay with its cards over it, those on their way out under the
  // one coming.
  auto overlay = [&](int i) {
    const Overlay& o = overlay_[i];
    if (o.scale == 0) return;
    // Every piece fades as the whole overlay does.
    const float opacity = overlayOpacity(i);
    for (std::size_t k = 0; k < o.pieces.size(); ++k) {
      const PixelBox& box = o.pieces[k].box;
      out.push_back({.pictureId = kOverlayPicture + i * kOverlayPieces + static_cast<int>(k),
                     .picture = &o.pictures[k],
                     .placement = {.opacity = opacity,
                                   .offsetX = static_cast<float>(box.x),
                                   .offsetY = static_cast<float>(box.y)}});
    }
    for (const bool current : {false, true}) {
      for (std::size_t c = 0; c < cards_.size(); ++c) {
        const Card& card = cards_[c];
        if (card.key && card.overlay == i && card.current == current) {
          out.push_back(
              {.pictureId = kCardPicture + static_cast<int>(c), .picture = &card.picture, .placement = cardPlacement(card)});
        }
      }
    }
  };
  if (screenFade_.running()) overlay(1 - shown_);
  overlay(shown_);
  const float covered = std::max(tutorial_.fade.at(now_), settings_.fade.at(now_));
  if (covered > 0 && !dim_.pixels.empty()) {
    out.push_back({.pictureId = kDimPicture,
                   .picture = &dim_,
                   .placement = {.opacity = kDimOpacity * covered,
                                 .width = static_cast<float>(pixels(points_.width, scale_)),
                                 .height = static_cast<float>(pixels(points_.height, scale_))}});
  }
  placeModal(tutorial_, out);
  placeModal(settings_, out);
  if (focusFrame_ && !focusRing_.pixels.empty()) {
    out.push_back({.pictureId = kFocusPicture,
                   .picture = &focusRing_,
                   .placement = {.offsetX = static_cast<float>(focusBox_.x), .offsetY = static_cast<float>(focusBox_.y)}});
  }
  return out;
}

Interface::Hit Interface::hit(Point p) const {
  // While a modal card is up, it and its dimming take every press.
  if (state_ && (state_->settings != SettingsCard::closed || state_->showTutorial)) {
    const Layout& modal = state_->settings != SettingsCard::closed ? settings_.layout : tutorial_.layout;
    const std::optional<Control> control = modal.hit(p);
    return {.action = control ? std::optional(static_cast<Action>(control->action)) : std::nullopt,
            .sceneMayHave = false};
  }
  if (const int up = currentCard(); up >= 0) {
    // Its controls are where the card is now, risen or still rising.
    const Card& card = cards_[static_cast<std::size_t>(up)];
    const float rise = (cardPlacement(card).offsetY - static_cast<float>(card.y)) / scale_;
    if (const std::optional<Control> control = card.layout.hit({p.x, p.y - rise})) {
      return {.action = static_cast<Action>(control->action), .sceneMayHave = false};
    }
  }
  if (const std::optional<Control> control = overlayLayout_.hit(p)) {
    return {.action = static_cast<Action>(control->action), .sceneMayHave = false};
  }
  return {};
}

}  // namespace sorvel::ui
