#include "capture/still.hpp"

#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <numbers>
#include <optional>
#include <string>

#include "base/resources.hpp"
#include "base/say_stop.hpp"
#include "capture/capture_session.hpp"
#include "capture/output_path.hpp"
#include "game/game.hpp"
#include "image/png_io.hpp"
#include "puzzle/library.hpp"
#include "render/gl_info.hpp"
#include "render/interface_stack.hpp"

namespace sorvel {
namespace {

int refuse(const std::string& why) {
  std::fprintf(stderr, "sorvel: no still picture: %s\n", why.c_str());
  return 1;
}

// Short of straight up or down, where the view would have no up direction.
constexpr float kMaxStillPitch = 1.55f;

// The interface of the game's screen, settled, over the picture already
// drawn: the same layers and compositor as the window's.
Result<void> drawInterface(CaptureSession& session, float scale) {
  Result<std::unique_ptr<InterfaceStack>> stack = InterfaceStack::create();
  if (!stack) return Reason{stack.why()};
  const Game& game = session.game();
  const ui::Size points{static_cast<float>(session.width()) / scale, static_cast<float>(session.height()) / scale};
  (*stack)->interface().update(ui::snapshot(game), game.touchFX(), points, scale, 0);
  (*stack)->draw(session.renderTarget());
  finishGpuWork();
  return {};
}

int takeStill(const StillRequest& request) {
  const std::string& output = request.output;
  // A path that cannot be written is reported before any of the work.
  if (const Result<void> writable = canWriteTo(output); !writable) return refuse(writable.why());
  if (!request.size) return refuse(request.size.why());
  if (!request.settleTicks) return refuse(request.settleTicks.why());
  const int width = request.size->width;
  const int height = request.size->height;
  const bool withInterface = request.interface;
  const auto uiScale = static_cast<float>(request.interfaceScale);
  if (withInterface && !(uiScale >= 0.5f && uiScale <= 4)) {
    return refuse("sorvelUIScale must be between 0.5 and 4 pixels a point");
  }

  Result<std::unique_ptr<CaptureSession>> created = 
      CaptureSession::create({.width = width,
                              .height = height,
                              .tryChapter = request.chapter,
                              .playerChapters = userDataDir() / "chapters",
                              .language = request.language});
  if (!created) return refuse(created.why());
  CaptureSession& session = **created;
  Game& game = session.game();
  if (request.demo) game.demo(*request.demo);
  if (const auto& asked = request.camera) {
    // A zoom the player could never reach can leave nothing in view at all.
    const still::CameraClamp camera = still::clampCamera(
        *asked, {.minZoom = Camera::kMinZoom, .maxZoom = Camera::kMaxZoom, .maxPitch = kMaxStillPitch});
    if (!camera.note.empty()) std::fprintf(stderr, "sorvel: sorvelCam: %s\n", camera.note.c_str());
    game.placeCamera(camera.placement.yaw, camera.placement.pitch, camera.placement.zoom);
  }
  for (std::int64_t i = 0; i < *request.settleTicks; ++i) game.tick(1.0 / 60.0);
  game.clearChips();
  // Whole turns change nothing, and a turn no float holds would make the
  // figure vanish.
  if (const auto spin = request.spin) {
    game.setToySpin(static_cast<float>(std::remainder(*spin, 2 * std::numbers::pi)));
  }

  if (const Result<void> drawn = session.draw(); !drawn) return refuse(drawn.why());
  if (withInterface) {
    if (const Result<void> drawn = drawInterface(session, uiScale); !drawn) return refuse(drawn.why());
  }
  const std::vector<std::uint8_t> pixels = session.read(PixelOrder::Rgba);
  if (const Result<void> written = writePng(output, pixels, width, height); !written) return refuse(written.why());
  std::printf("Imagen: %s\n", output.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

int captureStill(const StillRequest& request) {
  try {
    return takeStill(request);
  } catch (const LoadError& error) {
    // The chapter, not the picture, is at fault: said as the window says it.
    sayStop(error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    return refuse("not enough memory for a picture of that size");
  } catch (const std::exception& error) {
    // Whatever else goes wrong must still end in a refusal, not an abort.
    return refuse(error.what());
  }
}

}  // namespace sorvel
