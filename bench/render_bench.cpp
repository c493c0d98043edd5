// What a frame costs the renderer on this machine's GL (llvmpipe without a
// GPU), and a still picture from start to file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "base/settings_store.hpp"
#include "capture/capture_session.hpp"
#include "capture/still.hpp"

namespace {
constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

using namespace sorvel;

// The shipped chapter at 1600x1000: the table with every block, or (with a
// demo script) its largest block in play, carved a little.
struct Scene {
  explicit Scene(const char* demo = "play:9:20:10") {
    auto created = CaptureSession::create({.width = kWidth, .height = kHeight, .seed = 1});
    if (!created.session) throw std::runtime_error(created.error);
    session = std::move(created.session);
    Game& game = session->game();
    game.demo(demo);
    for (int i = 0; i < 300; ++i) game.tick(1.0 / 60);
    // The driver compiles its shader variants on first use; keep that out.
    for (int i = 0; i < 2; ++i) session->draw();
  }
  std::unique_ptr<CaptureSession> session;
};

// The CPU side of render(): packing, uploading and issuing the two passes.
void BM_RendererCpuTimePerFrame(benchmark::State& state) {
  Scene scene;
  const Frame frame = scene.session->game().frame();
  const RenderTarget target = scene.session->renderTarget();
  for (auto _ : state) {
    scene.session->renderer().render(frame, target);
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
  const RenderTarget target = scene.session->renderTarget();
  for (auto _ : state) {
    scene.session->renderer().render(scene.session->game().frame(), target);
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
