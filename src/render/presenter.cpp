#include "render/presenter.hpp"

#include <cstdio>
#include <utility>

namespace sorvel {
namespace {

// A blit copies stored values through the scissor and sRGB settings only:
// both off, so the values arrive as they are.
void copyPicture(GLuint from, GLuint to, glm::ivec2 fromSize, glm::ivec2 toSize, GLenum filter) {
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FRAMEBUFFER_SRGB);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
  glBlitFramebuffer(0, 0, fromSize.x, fromSize.y, 0, 0, toSize.x, toSize.y, GL_COLOR_BUFFER_BIT, filter);
}

}  // namespace

bool Presenter::present(Renderer& renderer, const Frame& frame, glm::ivec2 pixels, glm::ivec2 scene,
                        DrawQuality quality, const std::function<void(const RenderTarget& target)>& overlay) {
  kept_ = false;
  if (scene != pixels) {
    // A moving scene drawn smaller goes straight into the window, scaled up,
    // with the interface over it there: it is not kept, so one copy fewer.
    if (!fit(sceneTarget_, scene, "the window's scene")) return false;
    if (!renderer.render(frame, {sceneTarget_->framebuffer(), scene.x, scene.y}, quality)) {
      reportOnce("a picture of " + std::to_string(scene.x) + "x" + std::to_string(scene.y) + " pixels");
      return false;
    }
    copyPicture(sceneTarget_->framebuffer(), 0, scene, pixels, GL_LINEAR);
    overlay({0, pixels.x, pixels.y});
    reported_ = false;
    return true;
  }
  if (!fit(target_, pixels, "the window's picture")) return false;
  if (!renderer.render(frame, {target_->framebuffer(), scene.x, scene.y}, quality)) {
    reportOnce("a picture of " + std::to_string(scene.x) + "x" + std::to_string(scene.y) + " pixels");
    return false;
  }
  overlay({target_->framebuffer(), pixels.x, pixels.y});
  copyPicture(target_->framebuffer(), 0, pixels, pixels, GL_NEAREST);
  kept_ = true;
  reported_ = false;
  return true;
}

bool Presenter::showAgain(glm::ivec2 pixels) const {
  if (!kept_ || !target_ || target_->width() != pixels.x || target_->height() != pixels.y) return false;
  copyPicture(target_->framebuffer(), 0, pixels, pixels, GL_NEAREST);
  return true;
}

bool Presenter::fit(std::optional<OffscreenTarget>& target, glm::ivec2 size, const char* what) {
  if (target && target->width() == size.x && target->height() == size.y) return true;
  target.reset();
  Result<OffscreenTarget> made = OffscreenTarget::create(size.x, size.y);
  if (!made) {
    reportOnce(std::string(what) + " (" + made.why() + ")");
    return false;
  }
  target = std::move(*made);
  return true;
}

void Presenter::reportOnce(const std::string& what) {
  if (!reported_) std::fprintf(stderr, "sorvel: the driver cannot draw %s; waiting for another size\n", what.c_str());
  reported_ = true;
}

}  // namespace sorvel
