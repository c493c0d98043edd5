#include "render/interface_stack.hpp"

#include <utility>

namespace sorvel {

Result<std::unique_ptr<InterfaceStack>> InterfaceStack::create() {
  Result<std::unique_ptr<LayerCompositor>> compositor = LayerCompositor::create();
  if (!compositor) return Reason{compositor.why()};
  return std::make_unique<InterfaceStack>(std::move(*compositor));
}

InterfaceStack::InterfaceStack(std::unique_ptr<LayerCompositor> compositor)
    : compositor_(std::move(compositor)), interface_(painter_), layers_(*compositor_) {}

void InterfaceStack::draw(const RenderTarget& target) {
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  layers_.draw(interface_.layers(), target.width, target.height);
}

}  // namespace sorvel
