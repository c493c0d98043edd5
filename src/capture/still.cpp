#include "capture/still.hpp"

#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <string>

#include "capture/still_options.hpp"
#include "game/game.hpp"
#include "image/png_io.hpp"
#include "render/egl_context.hpp"
#include "render/offscreen_target.hpp"
#include "render/renderer.hpp"

namespace sorvel {
namespace {

int refuse(const std::string& why) {
  std::fprintf(stderr, "sorvel: no still picture: %s\n", why.c_str());
  return 1;
}

std::optional<double> numberOption(const SettingsStore& options, const char* key) {
  if (!options.contains(key)) return std::nullopt;
  return options.number(key);
}

int takeStill(const SettingsStore& options, const std::string& output) {
  // Asked for a file in a folder that is not there, say so before the work.
  const std::filesystem::path folder = std::filesystem::absolute(output).parent_path();
  if (std::error_code error; !std::filesystem::is_directory(folder, error)) {
    return refuse("there is no folder " + folder.string() + " to write " + output + " into");
  }
  const still::SizeParse size = still::parseSize(options.string("sorvelSize"));
  if (!size.error.empty()) return refuse(size.error);
  const still::TickCount settle = still::settleTicks(numberOption(options, "sorvelWait"));
  if (!settle.error.empty()) return refuse(settle.error);
  const int width = size.size.width;
  const int height = size.size.height;

  HeadlessGl::Created gl = HeadlessGl::create();
  if (!gl.gl) return refuse("no GPU context: " + gl.error);
  Renderer::Created created = Renderer::create();
  if (!created.renderer) return refuse(created.error);
  Renderer& renderer = *created.renderer;

  Game game(GameOptions{.persist = false, .gpu = &renderer});
  game.sound.enabled = false;
  game.viewportChanged(static_cast<float>(width) / static_cast<float>(height));
  game.goHome(false);
  if (const auto demo = options.string("sorvelDemo")) game.demo(*demo);
  if (const auto camera = still::parseCamera(options.string("sorvelCam"))) {
    game.camera.goalYaw = camera->yaw;
    game.camera.goalPitch = camera->pitch;
    game.camera.zoom = camera->zoom;
    game.snapCamera();
  }
  for (std::int64_t i = 0; i < settle.ticks; ++i) game.tick(1.0 / 60.0);
  game.chips.clear();
  if (const auto spin = numberOption(options, "sorvelSpin")) {
    if (Slot* slot = game.currentSlot()) slot->toySpin = static_cast<float>(*spin);
  }

  OffscreenTarget::Created target = OffscreenTarget::create(width, height);
  if (!target.target) return refuse(target.error);
  if (!renderer.render(game.frame(), {target.target->framebuffer(), width, height})) {
    return refuse("the GPU could not draw a " + std::to_string(width) + "x" + std::to_string(height) + " picture");
  }
  glFinish();
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
    return refuse("drawing the picture gave GL error " + std::to_string(error));
  }
  const std::vector<std::uint8_t> pixels = target.target->readRgba();
  if (const std::string error = writePng(output, pixels, width, height); !error.empty()) return refuse(error);
  std::printf("Imagen: %s\n", output.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

int captureStill(const SettingsStore& options, const std::string& output) {
  try {
    return takeStill(options, output);
  } catch (const std::bad_alloc&) {
    return refuse("not enough memory for a picture of that size");
  }
}

}  // namespace sorvel
