// What the interface costs a frame: painting its largest layer again after a
// change, at the pixel scale of a high-density display, then sending it to
// the GPU (target under 2 ms); compositing every layer when nothing changed
// (target under 0.2 ms of CPU); a frame with nothing new to paint.

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "capture/capture_session.hpp"
#include "render/interface_stack.hpp"
#include "render/layer_compositor.hpp"
#include "ui/interface.hpp"
#include "ui/painter.hpp"
#include "ui/views.hpp"

namespace {

using namespace sorvel;

constexpr ui::Size kWindow{1360, 880};
constexpr float kScale = 2;

// The play screen with the guide's card, the largest layer the game paints.
ui::InterfaceState playWithGuide(int mistakes) {
  return {.screen = Screen::playing,
          .mistakes = mistakes,
          .peel = 2,
          .peelMax = 5,
          .playTitle = "Aprende a tallar",
          .slotCount = 10,
          .guide = Guide{.step = 1,
                         .text = "La fila de arriba del todo, la de delante, tiene un 0 (míralo en el lado "
                                 "derecho): no se queda ningún cubo. Tállalos los tres."}};
}

struct Rig {
  Rig() {
    auto created = CaptureSession::create({.width = 2720, .height = 1760, .seed = 1});
    if (!created) throw std::runtime_error(created.why());
    session = std::move(*created);
    auto made = InterfaceStack::create();
    if (!made) throw std::runtime_error(made.why());
    stack = std::move(*made);
  }
  std::unique_ptr<CaptureSession> session;
  std::unique_ptr<InterfaceStack> stack;
};

void BM_PaintAndUploadTheLargestLayerAt2x(benchmark::State& state) {
  Rig rig;
  ui::Interface& interface = rig.stack->interface();
  const RenderTarget target = rig.session->renderTarget();
  int mistakes = 0;
  double now = 0;
  for (auto _ : state) {
    // A new mistake repaints the whole screen overlay.
    interface.update(playWithGuide(++mistakes), std::nullopt, kWindow, kScale, now += 1);
    rig.stack->draw(target);
    glFinish();
  }
}
BENCHMARK(BM_PaintAndUploadTheLargestLayerAt2x)->Unit(benchmark::kMillisecond)->UseRealTime();

// Painting alone: the same largest layer, repainted after a change.
void BM_PaintTheLargestLayerAt2x(benchmark::State& state) {
  const ui::Painter painter;
  const ui::Layout laid = layout(ui::screenOverlay(playWithGuide(1)), kWindow, painter.textMeasure());
  std::vector<std::uint32_t> pixels(2720 * 1760);
  for (auto _ : state) painter.paint(laid.drawList, {pixels, 2720, 1760}, kScale);
}
BENCHMARK(BM_PaintTheLargestLayerAt2x)->Unit(benchmark::kMillisecond);

// The upload alone: one full-window picture at 2x sent again.
void BM_UploadAFullWindowLayerAt2x(benchmark::State& state) {
  Rig rig;
  const std::vector<std::uint8_t> pixels(2720 * 1760 * 4, 0x80);
  OverlayLayer layer;
  layer.upload(pixels, 2720, 1760);
  for (auto _ : state) {
    layer.upload(pixels, 2720, 1760);
    glFinish();
  }
}
BENCHMARK(BM_UploadAFullWindowLayerAt2x)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CompositeUnchangedLayers(benchmark::State& state) {
  Rig rig;
  ui::Interface& interface = rig.stack->interface();
  const RenderTarget target = rig.session->renderTarget();
  ui::InterfaceState state0 = playWithGuide(0);
  state0.showTutorial = true;  // every layer at once: overlay, dimming, card
  interface.update(state0, TouchFX{.x = 0.5f, .y = 0.5f, .id = 1}, kWindow, kScale, 0);
  rig.stack->draw(target);
  glFinish();
  double now = 10;
  for (auto _ : state) {
    interface.update(state0, TouchFX{.x = 0.5f, .y = 0.5f, .id = 1}, kWindow, kScale, now += 0.016);
    rig.stack->draw(target);
  }
  glFinish();
  state.counters["paintings"] = interface.paintings();
}
BENCHMARK(BM_CompositeUnchangedLayers)->Unit(benchmark::kMicrosecond);

// The same layers blended to the end, as a frame at rest waits for them: on
// a CPU renderer the blending is the interface's cost every frame. Counts
// the layers and the bytes their pictures hold, once on the CPU and again as
// textures.
void BM_BlendUnchangedLayersAt2x(benchmark::State& state) {
  Rig rig;
  ui::Interface& interface = rig.stack->interface();
  const RenderTarget target = rig.session->renderTarget();
  ui::InterfaceState state0 = playWithGuide(0);
  state0.showTutorial = true;
  interface.update(state0, std::nullopt, kWindow, kScale, 0);
  interface.update(state0, std::nullopt, kWindow, kScale, 10);
  for (auto _ : state) {
    rig.stack->draw(target);
    glFinish();
  }
  double bytes = 0;
  for (const ui::LayerToDraw& layer : interface.layers()) bytes += 4.0 * layer.picture->width * layer.picture->height;
  state.counters["layer_MB"] = bytes / 1e6;
  state.counters["layers"] = static_cast<double>(interface.layers().size());
}
BENCHMARK(BM_BlendUnchangedLayersAt2x)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
