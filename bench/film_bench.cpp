// Where a film's time goes on this machine: drawing and reading back its
// frames, encoding them, and both overlapped as the film does it. Each runs
// over the same stretch of the film (block 1 opened, turned and carved) and
// reports frames a second; the whole film is about 2,700 frames. Each is run
// once (a stretch takes seconds without a GPU).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "capture/capture_session.hpp"
#include "capture/encoder_process.hpp"
#include "capture/director.hpp"
#include "render/frame_pipeline.hpp"

namespace {

using namespace sorvel;
namespace fs = std::filesystem;

constexpr int kFrames = 40;

std::unique_ptr<CaptureSession> sessionOf(const benchmark::State& state) {
  auto created = CaptureSession::create(
      {.width = static_cast<int>(state.range(0)), .height = static_cast<int>(state.range(1)), .seed = 1});
  if (!created) throw std::runtime_error(created.why());
  return std::move(*created);
}

// A frame that cannot be drawn would make every measure a lie.
void drawFrame(CaptureSession& session) {
  if (const Result<void> drawn = session.draw(); !drawn) throw std::runtime_error(drawn.why());
}

// The stretch, from a fresh game, with `shoot` taking each frame.
void playStretch(CaptureSession& session, const std::function<void()>& shoot) {
  session.restartGame();
  Game& game = session.game();
  int frames = 0;
  film::Director director(game, [&] {
    shoot();
    return ++frames < kFrames;
  });
  game.open(1);
  if (director.record(20, glm::vec2(0.55f, 0))) {
    game.autoMark(1);
    if (director.carvePhase({0.16, 0.11}, {0.55f, 0})) director.record(kFrames);
  }
}

// The driver compiles each shader variant the first time the stretch needs
// it; a run beforehand keeps that out of the measure.
void warmUp(CaptureSession& session) {
  playStretch(session, [&] { drawFrame(session); });
}

fs::path scratch(const char* name) { return fs::temp_directory_path() / name; }

std::unique_ptr<EncoderProcess> startEncoder(int width, int height) {
  const Result<std::string> program = encoder::locate(std::getenv(encoder::kOverride), std::getenv("PATH"));
  if (!program) throw std::runtime_error(program.why());
  auto started = EncoderProcess::start(*program,
                                       encoder::arguments(width, height, scratch("sorvel-bench-film.mp4").string()));
  if (!started) throw std::runtime_error(started.why());
  return std::move(*started);
}

// Drawing and reading back alone, one after the other: what the film would
// cost with an encoder that took no time.
void BM_FilmFramesDrawnAndRead(benchmark::State& state) {
  auto session = sessionOf(state);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(session->width()) * session->height() * 4);
  warmUp(*session);
  for (auto _ : state) {
    playStretch(*session, [&] {
      drawFrame(*session);
      session->read(pixels, PixelOrder::Bgra);
    });
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}

// The encoder alone, fed the same frames from a file made beforehand.
void BM_FilmFramesEncodedAlone(benchmark::State& state) {
  auto session = sessionOf(state);
  const fs::path raw = scratch("sorvel-bench-film.raw");
  {
    std::ofstream out(raw, std::ios::binary);
    playStretch(*session, [&] {
      drawFrame(*session);
      const std::vector<std::uint8_t> pixels = session->read(PixelOrder::Bgra);
      out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    });
  }
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(session->width()) * session->height() * 4);
  for (auto _ : state) {
    std::ifstream in(raw, std::ios::binary);
    auto encoder = startEncoder(session->width(), session->height());
    while (in.read(reinterpret_cast<char*>(frame.data()), static_cast<std::streamsize>(frame.size()))) {
      encoder->write(frame);
    }
    if (!encoder->finish().success) state.SkipWithError("the encoder failed");
  }
  fs::remove(raw);
  state.SetItemsProcessed(state.iterations() * kFrames);
}

// The film's own way: drawn, read back a frame behind and written from the
// writer thread while the next frame is drawn.
void BM_FilmFramesThroughThePipeline(benchmark::State& state) {
  auto session = sessionOf(state);
  warmUp(*session);
  for (auto _ : state) {
    auto encoder = startEncoder(session->width(), session->height());
    auto pipe = FramePipeline::create(session->width(), session->height(),
                                      [&](std::span<const std::uint8_t> frame) { return encoder->write(frame); });
    if (!pipe) throw std::runtime_error(pipe.why());
    playStretch(*session, [&] {
      session->renderer().render(session->game().frame(), session->renderTarget());
      (*pipe)->submit(session->renderTarget().framebuffer);
    });
    const bool written = (*pipe)->finish();
    if (!encoder->finish().success || !written) state.SkipWithError("the encoder failed");
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}

void sizes(benchmark::internal::Benchmark* bench) {
  bench->Args({960, 540})->Args({1920, 1080})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
}
BENCHMARK(BM_FilmFramesDrawnAndRead)->Apply(sizes);
BENCHMARK(BM_FilmFramesEncodedAlone)->Apply(sizes);
BENCHMARK(BM_FilmFramesThroughThePipeline)->Apply(sizes);

}  // namespace
