// A settings write happens after every carve; it must cost the game nothing
// it can notice (target: well under 1 ms on the calling thread).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "base/settings_store.hpp"

namespace {

std::filesystem::path scratchFile() {
  const char* base = std::getenv("TMPDIR");
  return std::filesystem::path(base != nullptr && *base != '\0' ? base : "/tmp") /
         ("sorvel-bench-" + std::to_string(::getpid())) / "settings.json";
}

// What one carve saves: the block's state text, mistakes and time, in a store
// that already holds a whole chapter's progress.
void BM_SaveAfterCarve(benchmark::State& state) {
  const auto file = scratchFile();
  {
    sorvel::SettingsStore store({.file = file, .say = [](auto&) {}});
    for (int p = 0; p < 10; ++p) {
      const std::string id = "puzzle" + std::to_string(p);
      store.setString("sorvel.state." + id, std::string(600, '0'));
      store.setInteger("sorvel.mistakes." + id, p);
      store.setNumber("sorvel.time." + id, 12.5 * p);
    }
    std::string cells(600, '0');
    int n = 0;
    for (auto _ : state) {
      cells[static_cast<size_t>(n++ % 600)] = '2';
      store.setString("sorvel.state.puzzle3", cells);
      store.setInteger("sorvel.mistakes.puzzle3", n);
      store.setNumber("sorvel.time.puzzle3", n * 0.25);
    }
  }
  std::filesystem::remove_all(file.parent_path());
}
BENCHMARK(BM_SaveAfterCarve);

}  // namespace
