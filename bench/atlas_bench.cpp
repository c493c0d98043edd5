#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "render/glyph_atlas.hpp"

namespace sorvel {
namespace {

// The whole atlas as the renderer builds it at start-up: font lookup,
// drawing, blur and packing.
void BM_BuildGlyphAtlas(benchmark::State& state) {
  for (auto _ : state) {
    GlyphAtlasImage atlas = buildGlyphAtlas();
    benchmark::DoNotOptimize(atlas.texels.data());
  }
}
BENCHMARK(BM_BuildGlyphAtlas)->Unit(benchmark::kMillisecond);

// The blur alone, which must stay linear in the texel count.
void BM_SoftChannel(benchmark::State& state) {
  std::vector<std::uint8_t> coverage(static_cast<std::size_t>(glyph_atlas::kWidth) * glyph_atlas::kHeight);
  for (std::size_t i = 0; i < coverage.size(); ++i) coverage[i] = (i / 97) % 3 == 0 ? 255 : 0;
  for (auto _ : state) {
    auto soft = glyph_atlas::softChannel(coverage, glyph_atlas::kWidth, glyph_atlas::kHeight);
    benchmark::DoNotOptimize(soft.data());
  }
}
BENCHMARK(BM_SoftChannel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorvel
