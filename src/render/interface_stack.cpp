#include "render/interface_stack.hpp"

#include <utility>

namespace sorvel {

InterfaceStack::Created InterfaceStack::create() {
  LayerCompositor::Created compositor = LayerCompositor::create();
  if (!compositor.compositor) return {nullptr, compositor.error};
  return {std::make_unique<InterfaceStack>(std::move(compositor.compositor)), {}};
}

InterfaceStack::InterfaceStack(std::unique_ptr<LayerCompositor> compositor)
    : compositor_(std::move(compositor)), interface_(painter_), layers_(*compositor_) {}

void InterfaceStack::draw(const RenderTarget& target) {
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  layers_.draw(interface_.layers(), target.width, target.height);
}

}  // namespace sorvel
