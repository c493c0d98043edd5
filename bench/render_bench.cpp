// What a frame costs the renderer on this machine's GL (llvmpipe without a
// GPU), and a still picture from start to file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "base/settings_store.hpp"
#include "capture/still.hpp"
#include "game/game.hpp"
#include "render/egl_context.hpp"
#include "render/offscreen_target.hpp"
#include "render/renderer.hpp"

namespace {
constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

using namespace sorvel;

// The shipped chapter at 1600x1000: the table with every block, or (with a
// demo script) its largest block in play, carved a little.
struct Scene {
  explicit Scene(const char* demo = "play:9:20:10") {
    auto createdGl = HeadlessGl::create();
    if (!createdGl.gl) throw std::runtime_error(createdGl.error);
    gl = std::make_unique<HeadlessGl>(std::move(*createdGl.gl));
    auto created = Renderer::create();
    if (!created.renderer) throw std::runtime_error(created.error);
    renderer = std::move(created.renderer);
    game = std::make_unique<Game>(GameOptions{.gpu = renderer.get(), .seed = 1});
    game->viewportChanged(1.6f);
    game->goHome(false);
    game->demo(demo);
    for (int i = 0; i < 300; ++i) game->tick(1.0 / 60);
    target = std::make_unique<OffscreenTarget>(std::move(*OffscreenTarget::create(kWidth, kHeight).target));
    // The driver compiles its shader variants on first use; keep that out.
    for (int i = 0; i < 2; ++i) {
      renderer->render(game->frame(), {target->framebuffer(), kWidth, kHeight});
      glFinish();
    }
  }
  std::unique_ptr<HeadlessGl> gl;
  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<Game> game;
  std::unique_ptr<OffscreenTarget> target;
};

// The CPU side of render(): packing, uploading and issuing the two passes.
void BM_RendererCpuTimePerFrame(benchmark::State& state) {
  Scene scene;
  const Frame frame = scene.game->frame();
  const RenderTarget target{scene.target->framebuffer(), kWidth, kHeight};
  for (auto _ : state) {
    scene.renderer->render(frame, target);
    state.PauseTiming();
    glFinish();
    state.ResumeTiming();
  }
  state.counters["cubes"] = static_cast<double>(frame.cubes.size());
}
BENCHMARK(BM_RendererCpuTimePerFrame)->Unit(benchmark::kMillisecond);

// The whole frame until the GPU (here llvmpipe) has finished drawing it:
// argument 0 the largest block in play, 1 the table with all ten blocks.
void BM_FrameDrawnAt1600x1000(benchmark::State& state) {
  Scene scene(state.range(0) == 0 ? "play:9:20:10" : "home");
  const RenderTarget target{scene.target->framebuffer(), kWidth, kHeight};
  for (auto _ : state) {
    scene.renderer->render(scene.game->frame(), target);
    glFinish();
  }
}
BENCHMARK(BM_FrameDrawnAt1600x1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// `sorvel --still` from options to PNG: context, renderer, game, 300 ticks,
// one frame, read-back and encoding.
void BM_StillCaptureEndToEnd(benchmark::State& state) {
  const auto file = std::filesystem::temp_directory_path() / "sorvel-bench-still.png";
  SettingsStore options({.file = std::filesystem::temp_directory_path() / "sorvel-bench-none.json",
                         .say = [](auto&) {}});
  options.setArguments({{"sorvelSize", "1600x1000"}});
  for (auto _ : state) {
    if (captureStill(options, file.string()) != 0) state.SkipWithError("the still failed");
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_StillCaptureEndToEnd)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
