// What a frame costs the renderer on this machine's GL (llvmpipe without a
// GPU), and a still picture from start to file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "capture/capture_session.hpp"
#include "capture/still.hpp"
#include "render/cube_detail.hpp"

namespace {
using namespace sorvel;

// The shipped chapter as the renderer's benchmarks see it: the table with
// every block, its largest block in play (carved a little, marks and clues
// showing), or that block's figure turning on its plinth once solved.
enum class SceneKind { InPlay, Table, Figure };

const char* demoFor(SceneKind kind) {
  switch (kind) {
    case SceneKind::InPlay:
      return "play:9:20:10";
    case SceneKind::Table:
      return "home";
    case SceneKind::Figure:
      return "solved:9";
  }
  return "home";
}

struct Scene {
  Scene(SceneKind kind, int width, int height) {
    auto created = CaptureSession::create({.width = width, .height = height, .seed = 1});
    if (!created) throw std::runtime_error(created.why());
    session = std::move(*created);
    Game& game = session->game();
    game.demo(demoFor(kind));
    // Five seconds: the camera has settled, and a figure stands alone.
    for (int i = 0; i < 300; ++i) game.tick(1.0 / 60);
    // The driver compiles its shader variants on first use; keep that out.
    for (int i = 0; i < 2; ++i) {
      if (const Result<void> drawn = session->draw(); !drawn) throw std::runtime_error(drawn.why());
    }
  }
  std::unique_ptr<CaptureSession> session;
};

// The CPU side of render(): packing, uploading and issuing the two passes.
void BM_RendererCpuTimePerFrame(benchmark::State& state) {
  Scene scene(SceneKind::InPlay, 1600, 1000);
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

// The whole frame until the GPU (here llvmpipe) has finished drawing it.
// Arguments: the scene (0 the block in play, 1 the table, 2 the figure),
// then the picture's width and height.
void BM_FrameDrawn(benchmark::State& state) {
  const auto kind = static_cast<SceneKind>(state.range(0));
  Scene scene(kind, static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  const RenderTarget target = scene.session->renderTarget();
  for (auto _ : state) {
    scene.session->renderer().render(scene.session->game().frame(), target);
    glFinish();
  }
  state.SetLabel(demoFor(kind));
  state.counters["detail"] = cubeDetailSteps(scene.session->game().frame(), target.width, target.height);
}
BENCHMARK(BM_FrameDrawn)
    ->ArgsProduct({{0, 1, 2}, {1920}, {1080}})
    ->Args({0, 1600, 1000})
    ->Args({1, 1600, 1000})
    ->Args({2, 1600, 1000})
    ->ArgNames({"scene", "w", "h"})
    ->Unit(benchmark::kMillisecond);

// The window's frames on this 1360x880 window: the full picture at rest, and
// the quick one a moving scene gets on a CPU renderer, at the share of the
// window in each direction it is drawn at. Arguments: 0 full or 1 quick,
// then that share in percent.
void BM_WindowFrame(benchmark::State& state) {
  const auto quality = state.range(0) == 0 ? DrawQuality::full : DrawQuality::quick;
  const auto side = [&](int pixels) { return static_cast<int>(pixels * state.range(1) / 100); };
  Scene scene(SceneKind::InPlay, side(1360), side(880));
  const RenderTarget target = scene.session->renderTarget();
  const Frame frame = scene.session->game().frame();
  scene.session->renderer().render(frame, target, quality);
  glFinish();
  for (auto _ : state) {
    scene.session->renderer().render(frame, target, quality);
    glFinish();
  }
  state.SetLabel(quality == DrawQuality::full ? "full" : "quick");
}
BENCHMARK(BM_WindowFrame)
    ->Args({0, 100})
    ->ArgsProduct({{1}, {100, 66, 50, 33, 10}})
    ->ArgNames({"quick", "percent"})
    ->Unit(benchmark::kMillisecond);

// `sorvel --still` from options to PNG: context, renderer, game, 300 ticks,
// one frame, read-back and encoding. Argument: the picture's width (16 or
// 1920; the height follows at 16:10 or 16:9). The tiny picture is nearly all
// start-up.
void BM_StillCaptureEndToEnd(benchmark::State& state) {
  const auto file = std::filesystem::temp_directory_path() / "sorvel-bench-still.png";
  const StillRequest request{.output = file.string(),
                             .size = state.range(0) == 16 ? still::Size{16, 10} : still::Size{1920, 1080}};
  for (auto _ : state) {
    if (captureStill(request) != 0) state.SkipWithError("the still failed");
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_StillCaptureEndToEnd)->Arg(16)->Arg(1920)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
