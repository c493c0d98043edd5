#pragma once

#include <functional>
#include <optional>

#include "app/input_map.hpp"
#include "ui/interface.hpp"

namespace sorvel {

// Who gets the pointer: the interface's controls first, the scene (through
// the input mapping) where there is none. A control acts once, on a release
// over the same control it was pressed on; while the tutorial card is up,
// nothing reaches the scene.
class PointerRouter {
 public:
  using HitTest = std::function<ui::Interface::Hit(ui::Point points)>;
  using Act = std::function<void(ui::Action)>;

  PointerRouter(InputMap& scene, HitTest hit, Act act)
      : scene_(scene), hit_(std::move(hit)), act_(std::move(act)) {}

  // `points` is the pointer in window points; the events' `at` stay view
  // points for the scene.
  void button(const ButtonEvent& e, ui::Point points);
  void motion(const MotionEvent& e, ui::Point points);
  void wheel(const WheelEvent& e);
  void leave();
  void cancel();

  // The hand over a control: asked of the interface as it is laid out now,
  // so a card that closes or a button that moves under a still pointer
  // changes the hand too.
  bool overControl() const;

 private:
  InputMap& scene_;
  HitTest hit_;
  Act act_;
  std::optional<ui::Action> pressed_;
  std::optional<ui::Point> lastPointer_;
  bool sceneHasPress_ = false;
};

}  // namespace sorvel
