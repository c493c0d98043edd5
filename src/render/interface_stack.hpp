#pragma once

#include <memory>
#include <string>

#include "base/result.hpp"
#include "render/composited_interface.hpp"
#include "render/layer_compositor.hpp"
#include "render/renderer.hpp"
#include "ui/interface.hpp"
#include "ui/painter.hpp"

namespace sorvel {

// The interface over the scene, put together in one place for the window,
// the still and the benchmarks: the painter and its fonts, the layers with
// their fades, and the compositor that blends them on the GPU. Its GL
// context must be current from creation to the end.
class InterfaceStack {
 public:
  // The compositor first (its failure is the only one), then the rest.
  static Result<std::unique_ptr<InterfaceStack>> create();
  // Finds the fonts and loads their faces: seconds on a cold font cache.
  explicit InterfaceStack(std::unique_ptr<LayerCompositor> compositor);
  InterfaceStack(const InterfaceStack&) = delete;
  InterfaceStack& operator=(const InterfaceStack&) = delete;

  ui::Interface& interface() { return interface_; }
  const ui::Interface& interface() const { return interface_; }
  // Blends the layers as last laid out over the picture already in `target`.
  void draw(const RenderTarget& target);

 private:
  std::unique_ptr<LayerCompositor> compositor_;
  const ui::Painter painter_;  // before interface_, which keeps a reference to it
  ui::Interface interface_;
  CompositedInterface layers_;
};

}  // namespace sorvel
