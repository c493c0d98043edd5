// The per-frame cost of the game logic on the largest block, and the cost of
// starting a game on a full chapter.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "base/settings_store.hpp"
#include "game/game.hpp"

namespace {

namespace fs = std::filesystem;
using namespace sorvel;

struct Dims {
  int X, Y, Z;
};

// A chapter of blocks with every third cube surplus and no clues, in a fresh
// temporary folder that goes away with it.
class BenchChapter {
 public:
  explicit BenchChapter(const std::vector<Dims>& blocks) {
    std::random_device entropy;
    folder_ = fs::temp_directory_path() / ("sorvel-bench-" + std::to_string(entropy()));
    fs::create_directories(folder_ / "puzzles");
    nlohmann::json ids = nlohmann::json::array();
    for (size_t i = 0; i < blocks.size(); ++i) {
      const auto [X, Y, Z] = blocks[i];
      std::string solution;
      for (int y = 0; y < Y; ++y) {
        for (int z = 0; z < Z; ++z) {
          for (int x = 0; x < X; ++x) solution += (x + y + z) % 3 == 0 ? '0' : '1';
        }
      }
      const std::string id = "bloque" + std::to_string(i);
      ids.push_back(id);
      write(id + ".json", nlohmann::json{{"id", id},
                                         {"name", {{"es", id}}},
                                         {"dims", {X, Y, Z}},
                                         {"solution", solution},
                                         {"clues",
                                          {{"x", std::vector<int>(static_cast<size_t>(Y * Z), -1)},
                                           {"y", std::vector<int>(static_cast<size_t>(X * Z), -1)},
                                           {"z", std::vector<int>(static_cast<size_t>(X * Y), -1)}}}});
    }
    write("chapter.json", nlohmann::json{{"id", "banco"}, {"name", {{"es", "Banco"}}}, {"puzzles", ids}});
  }
  ~BenchChapter() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  BenchChapter(const BenchChapter&) = delete;
  BenchChapter& operator=(const BenchChapter&) = delete;

  const fs::path& folder() const { return folder_; }

 private:
  void write(const std::string& name, const nlohmann::json& value) {
    std::ofstream(folder_ / "puzzles" / name) << value.dump();
  }
  fs::path folder_;
};

// One display frame while a player carves the 10x10x10 block as fast as one
// cube per frame, with the chip list held at its cap and progress saved on
// every carve, as in the game.
void BM_TickWhileCarvingTheLargestBlock(benchmark::State& state) {
  const BenchChapter chapter({{3, 3, 2}, {10, 10, 10}});
  SettingsStore store({.file = chapter.folder() / "settings.json", .say = [](auto&) {}});
  store.setBoolean("sorvel.launched", true);
  Game game(GameOptions{.persist = true, .store = &store, .resources = chapter.folder(), .seed = 1});
  game.open(1);
  auto carveAFrame = [&game] {
    if (!game.autoCarveStep()) game.restartCurrent();
    game.tick(1.0 / 120);
  };
  // Five chips a carve, each living for two seconds or so: the cap is
  // reached long before the first ones come to rest.
  while (game.chips().size() < Game::kMaxChips) carveAFrame();

  for (auto _ : state) carveAFrame();
  benchmark::DoNotOptimize(game.chips().data());
  state.counters["chips"] = static_cast<double>(game.chips().size());
}
BENCHMARK(BM_TickWhileCarvingTheLargestBlock)->Unit(benchmark::kMicrosecond);

// Describing the scene for the renderer while the 10x10x10 block is in play
// with chips flying: one Frame, built from scratch as every refresh does.
void BM_FrameOfTheLargestBlockInPlay(benchmark::State& state) {
  const BenchChapter chapter({{3, 3, 2}, {10, 10, 10}});
  Game game(GameOptions{.resources = chapter.folder(), .seed = 1});
  game.open(1);
  for (int i = 0; i < 200; ++i) game.tick(1.0 / 60);
  // Carves enough at once for the chips to reach their cap; the carved cubes
  // are still drawn, just starting to shrink.
  while (game.chips().size() < Game::kMaxChips && game.autoCarveStep()) {
  }
  std::size_t cubes = 0;
  for (auto _ : state) {
    const Frame frame = game.frame();
    cubes = frame.cubes.size();
    benchmark::DoNotOptimize(frame.cubes.data());
  }
  state.counters["cubes"] = static_cast<double>(cubes);
}
BENCHMARK(BM_FrameOfTheLargestBlockInPlay)->Unit(benchmark::kMicrosecond);

// What the window asks each time it wakes while the 10x10x10 block rests:
// a tick, whether anything moves, and whether the scene differs from the
// picture shown. This is all a wake at rest costs, so it must stay well
// under a millisecond.
void BM_LookAtTheLargestBlockAtRest(benchmark::State& state) {
  const BenchChapter chapter({{3, 3, 2}, {10, 10, 10}});
  Game game(GameOptions{.resources = chapter.folder(), .seed = 1});
  game.open(1);
  for (int i = 0; i < 600; ++i) game.tick(1.0 / 60);
  const Frame shown = game.frame();
  bool same = false;
  for (auto _ : state) {
    game.tick(1.0);
    same = game.motion() == Motion::still && sameScene(shown, game.frame());
    benchmark::DoNotOptimize(same);
  }
  if (!same) state.SkipWithError("the block is not at rest");
}
BENCHMARK(BM_LookAtTheLargestBlockAtRest)->Unit(benchmark::kMicrosecond);

// Start-up on a ten-block chapter without a GPU: sounds, chapter, slots, layout.
void BM_ConstructGameOnATenBlockChapter(benchmark::State& state) {
  const BenchChapter chapter({{3, 3, 2}, {4, 3, 3}, {5, 4, 3}, {5, 5, 5}, {6, 4, 4},
                              {6, 6, 5}, {7, 5, 5}, {8, 6, 6}, {9, 8, 7}, {10, 10, 10}});
  for (auto _ : state) {
    Game game(GameOptions{.resources = chapter.folder(), .seed = 1});
    benchmark::DoNotOptimize(game.slotCount());
  }
}
BENCHMARK(BM_ConstructGameOnATenBlockChapter)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

const fs::path kShippedResources = SORVEL_REPO_RESOURCES;

// Start-up reads every chapter on the shelf, though it builds the blocks of
// the one shown only.
void BM_LoadTheShippedShelf(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Library::loadShelf({.resources = kShippedResources}));
}
BENCHMARK(BM_LoadTheShippedShelf)->Unit(benchmark::kMillisecond);

// The chevron's cost: the last chapter's blocks are built the first time it
// is shown, and only moved back and forth after that.
void BM_ShowTheLastShippedChapterAndBack(benchmark::State& state) {
  Game game(GameOptions{.resources = kShippedResources, .seed = 1});
  const int last = game.chapterCount() - 1;
  for (auto _ : state) {
    game.showChapter(last);
    game.showChapter(0);
  }
}
BENCHMARK(BM_ShowTheLastShippedChapterAndBack)->Unit(benchmark::kMicrosecond);

// The table of the largest shipped chapter, every cube of every block.
void BM_FrameOfTheLargestShippedTable(benchmark::State& state) {
  Game game(GameOptions{.resources = kShippedResources, .seed = 1});
  game.showChapter(game.chapterCount() - 1);
  for (auto _ : state) benchmark::DoNotOptimize(game.frame());
}
BENCHMARK(BM_FrameOfTheLargestShippedTable)->Unit(benchmark::kMicrosecond);

}  // namespace
