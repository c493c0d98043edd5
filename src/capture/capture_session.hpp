#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "game/game.hpp"
#include "render/headless_gl.hpp"
#include "render/offscreen_target.hpp"
#include "render/renderer.hpp"

namespace sorvel {

struct CaptureSettings {
  int width = 0;
  int height = 0;
  // The game's resource folder; empty means its own.
  std::filesystem::path resources;
  // A chapter folder to try, shown first, and the player's own chapters;
  // empty for none.
  std::filesystem::path tryChapter;
  std::filesystem::path playerChapters;
  // The language chosen for this picture; Spanish when none.
  std::optional<Language> language;
  // Seeds the game's chips and sound choices, so a picture can be repeated.
  std::uint64_t seed = std::random_device{}();
};

// Everything a picture of the game needs, with no window: a headless GL
// context, the renderer, a game on the table that neither reads nor writes
// saved progress and makes no sound, and a target of the picture's size.
// The still, the film, the benchmarks and the renderer tests all start here.
//
// The session's context must stay current on the calling thread while it is
// used; it is made current when the session is created.
class CaptureSession {
 public:
  // Fails, with a message naming what could not be had (the GPU context, the
  // renderer, a target that size), rather than aborting.
  static Result<std::unique_ptr<CaptureSession>> create(const CaptureSettings& settings);

  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;
  ~CaptureSession();

  Game& game() { return *game_; }
  Renderer& renderer() { return *renderer_; }
  const HeadlessGl& gl() const { return gl_; }
  int width() const { return target_->width(); }
  int height() const { return target_->height(); }
  // Where render() draws, for callers that drive the renderer themselves.
  RenderTarget renderTarget() const { return {target_->framebuffer(), width(), height()}; }

  // A fresh game in place of the current one, on the table, with the same
  // chapter and seed.
  void restartGame();
  // A new picture size: a new target, and the game told the new shape.
  // Keeps the old size and says why when the driver cannot give it.
  Result<void> resize(int width, int height);

  // Draws `frame` (the game's current frame when none) and waits until the
  // GPU has finished it.
  Result<void> draw();
  Result<void> draw(const Frame& frame);

  // The last picture drawn into `out` (width x height x 4 bytes), top row
  // first, in the byte order asked for.
  void read(std::span<std::uint8_t> out, PixelOrder order) const { target_->read(out, order); }
  std::vector<std::uint8_t> read(PixelOrder order) const;

 private:
  CaptureSession(CaptureSettings settings, HeadlessGl gl);

  CaptureSettings settings_;
  // Declared in the order they must be made; they go in reverse, the context
  // last, since everything else frees GL objects in it.
  HeadlessGl gl_;
  std::unique_ptr<Renderer> renderer_;
  std::optional<OffscreenTarget> target_;
  std::unique_ptr<Game> game_;
};

}  // namespace sorvel
