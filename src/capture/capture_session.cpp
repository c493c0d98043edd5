#include "capture/capture_session.hpp"

#include <utility>

#include "render/gl_info.hpp"

namespace sorvel {

Result<std::unique_ptr<CaptureSession>> CaptureSession::create(const CaptureSettings& settings) {
  Result<HeadlessGl> gl = HeadlessGl::create();
  if (!gl) return Reason{"no GPU context: " + gl.why()};
  std::unique_ptr<CaptureSession> session(new CaptureSession(settings, std::move(*gl)));
  Result<std::unique_ptr<Renderer>> renderer = Renderer::create();
  if (!renderer) return Reason{renderer.why()};
  session->renderer_ = std::move(*renderer);
  Result<OffscreenTarget> target = OffscreenTarget::create(settings.width, settings.height);
  if (!target) return Reason{target.why()};
  session->target_ = std::move(*target);
  session->restartGame();
  return session;
}

CaptureSession::CaptureSession(CaptureSettings settings, HeadlessGl gl)
    : settings_(std::move(settings)), gl_(std::move(gl)) {}

CaptureSession::~CaptureSession() {
  // The game holds only handles, but the rest free GL objects: make sure
  // they free them in this session's context.
  gl_.makeCurrent();
  game_.reset();
  target_.reset();
  renderer_.reset();
}

void CaptureSession::restartGame() {
  game_.reset();
  game_ = std::make_unique<Game>(GameOptions{.persist = false,
                                             .gpu = renderer_.get(),
                                             .resources = settings_.resources,
                                             .tryChapter = settings_.tryChapter,
                                             .playerChapters = settings_.playerChapters,
                                             .language = settings_.language,
                                             .seed = settings_.seed});
  game_->setMuted(true);
  game_->viewportChanged(static_cast<float>(width()) / static_cast<float>(height()));
  game_->goHome(false);
}

Result<void> CaptureSession::resize(int width, int height) {
  Result<OffscreenTarget> target = OffscreenTarget::create(width, height);
  if (!target) return Reason{target.why()};
  target_ = std::move(*target);
  game_->viewportChanged(static_cast<float>(width) / static_cast<float>(height));
  return {};
}

Result<void> CaptureSession::draw() { return draw(game_->frame()); }

Result<void> CaptureSession::draw(const Frame& frame) {
  if (!renderer_->render(frame, renderTarget())) {
    return Reason{"the GPU could not draw a " + std::to_string(width()) + "x" + std::to_string(height()) + " picture"};
  }
  finishGpuWork();
  if (const unsigned error = takeGlError(); error != 0) {
    return Reason{"drawing the picture gave GL error " + std::to_string(error)};
  }
  return {};
}

std::vector<std::uint8_t> CaptureSession::read(PixelOrder order) const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width()) * static_cast<std::size_t>(height()) * 4);
  read(pixels, order);
  return pixels;
}

}  // namespace sorvel
