#include <benchmark/benchmark.h>

#include "puzzle/library.hpp"

namespace {

void BM_LoadFixtureChapter(benchmark::State& state) {
  const std::filesystem::path resources = std::filesystem::path(SORVEL_TEST_FIXTURES) / "chapter";
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorvel::Library::load(resources));
  }
}
BENCHMARK(BM_LoadFixtureChapter)->Unit(benchmark::kMicrosecond);

}  // namespace
