#include "app/pointer_router.hpp"

#include <utility>

namespace sorvel {

void PointerRouter::button(const ButtonEvent& e, ui::Point points) {
  lastPointer_ = points;
  const ui::Interface::Hit hit = hit_(points);
  if (e.button == PointerButton::left && e.pressed && hit.action) {
    pressed_ = hit.action;
    return;
  }
  if (e.button == PointerButton::left && !e.pressed && pressed_) {
    const std::optional<ui::Action> action = std::exchange(pressed_, std::nullopt);
    if (hit.action == action) act_(*action);
    return;
  }
  // A release always reaches the scene, so a press it had is never left
  // hanging; InputMap ignores releases it never saw pressed.
  if (e.pressed && !hit.sceneMayHave) return;
  sceneHasPress_ = e.pressed;
  scene_.button(e);
}

void PointerRouter::motion(const MotionEvent& e, ui::Point points) {
  lastPointer_ = points;
  const ui::Interface::Hit hit = hit_(points);
  // A drag that began on the scene stays the scene's wherever it goes.
  if (!hit.sceneMayHave && !sceneHasPress_) {
    // Over a control or the tutorial card, no cube is lit up.
    scene_.leave();
    return;
  }
  scene_.motion(e);
}

void PointerRouter::wheel(const WheelEvent& e) {
  if (lastPointer_ && !hit_(*lastPointer_).sceneMayHave) return;
  scene_.wheel(e);
}

void PointerRouter::leave() {
  lastPointer_.reset();
  scene_.leave();
}

bool PointerRouter::overControl() const { return lastPointer_ && hit_(*lastPointer_).action.has_value(); }

void PointerRouter::cancel() {
  pressed_.reset();
  sceneHasPress_ = false;
  scene_.cancel();
}

}  // namespace sorvel
