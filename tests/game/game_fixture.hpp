#pragma once

// Small chapters written into a temporary folder, and a game built on them
// with its sounds overheard, so the tests can play as a player does.

#include <gtest/gtest.h>

#include <cstdint>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_kind.hpp"
#include "base/settings_store.hpp"
#include "game/game.hpp"
#include "support/temp_dir.hpp"

namespace sorvel::test {

struct FixturePuzzle {
  std::string id;
  int X = 1, Y = 1, Z = 1;
  std::string solution;  // one character per cell in cell order, '1' = figure
  bool tutorial = false;
};

// The block the guide is written for: top front row surplus, the bottom front
// and bottom back rows figure-surplus-figure.
inline FixturePuzzle tutorialPuzzle() { return {"tutorial", 3, 3, 2, "101101111111111000", true}; }
// 3 wide, 2 high, 3 deep: nine figure cubes and nine surplus ones.
inline FixturePuzzle boatPuzzle() { return {"barco", 3, 2, 3, "111010101101000010"}; }
// One figure cube at the back, one surplus cube at the front.
inline FixturePuzzle pegPuzzle() { return {"pieza", 1, 1, 2, "10"}; }

// The game never reads the clues, so every puzzle is written without any.
inline void writeChapter(const std::filesystem::path& dir, const std::vector<FixturePuzzle>& puzzles,
                         const std::string& chapterId = "pruebas") {
  nlohmann::json ids = nlohmann::json::array();
  for (const auto& p : puzzles) {
    ids.push_back(p.id);
    const auto none = [](int n) { return std::vector<int>(static_cast<size_t>(n), -1); };
    const nlohmann::json clues = {{"x", none(p.Y * p.Z)}, {"y", none(p.X * p.Z)}, {"z", none(p.X * p.Y)}};
    writeFile(dir / "puzzles" / (p.id + ".json"),
              nlohmann::json{{"id", p.id}, {"name", {{"es", p.id}}}, {"dims", {p.X, p.Y, p.Z}},
                             {"solution", p.solution}, {"clues", clues}, {"tutorial", p.tutorial}}
                  .dump());
  }
  writeFile(dir / "puzzles" / "chapter.json",
            nlohmann::json{{"id", chapterId}, {"name", {{"es", chapterId == "pruebas" ? "Pruebas" : chapterId}}},
                           {"puzzles", ids}}
                .dump());
}

// Which sound of the bank the recorder was handed.
inline std::optional<SoundKind> soundKindOf(const Game& game, const float* samples) {
  for (SoundKind kind : kAllSoundKinds) {
    for (const auto& variant : game.sound().bank().variants(kind)) {
      if (variant.data() == samples) return kind;
    }
  }
  return std::nullopt;
}

// A chapter in a temporary folder, a settings store beside it, and games
// started on them. Declare the Rig before the games it starts.
class Rig {
 public:
  explicit Rig(const std::vector<FixturePuzzle>& puzzles = {tutorialPuzzle(), boatPuzzle(), pegPuzzle()}) {
    writeChapter(dir.path(), puzzles);
  }

  // The language the next start() asks for, as --lang does.
  std::optional<Language> language;

  std::unique_ptr<Game> start(bool persist = false) {
    auto game = std::make_unique<Game>(GameOptions{
        .persist = persist, .store = store.get(), .gpu = gpu, .resources = dir.path(), .language = language, .seed = 7,
        .out = &out, .tempDir = tempDir});
    Game* raw = game.get();
    game->setSoundRecorder([this, raw](std::span<const float> samples, float volume) {
      const auto kind = soundKindOf(*raw, samples.data());
      ASSERT_TRUE(kind.has_value()) << "a sound that is not in the bank was played";
      heard.push_back({*kind, volume});
    });
    return game;
  }

  std::vector<SoundKind> kinds() const {
    std::vector<SoundKind> k;
    for (const auto& [kind, volume] : heard) k.push_back(kind);
    return k;
  }

  // What quitting and starting the program again does to the store: it is
  // flushed and its file read afresh.
  void reopenStore() {
    store.reset();
    store = openStore();
  }

  TempDir dir;
  std::filesystem::path tempDir = dir.path();  // where "autotutorial" writes its sound track
  std::unique_ptr<SettingsStore> store = openStore();
  std::ostringstream out;
  GpuResources* gpu = nullptr;
  std::vector<std::pair<SoundKind, float>> heard;  // kind and volume

 private:
  std::unique_ptr<SettingsStore> openStore() const {
    return std::make_unique<SettingsStore>(SettingsStore::Options{.file = dir / "settings.json", .say = [](auto&) {}});
  }
};

// The normalised view point at which a world point appears.
inline glm::vec2 viewPoint(const Game& game, glm::vec3 world) {
  const glm::vec4 clip = game.viewProj() * glm::vec4(world, 1);
  return {clip.x / clip.w * 0.5f + 0.5f, 0.5f - clip.y / clip.w * 0.5f};
}

inline CellState stateOf(const Game& game, int slot, int cell) {
  return game.slot(slot).puzzle.state.at(static_cast<size_t>(cell));
}

// Runs the clock in display-sized steps.
inline void runFor(Game& game, double seconds, double step = 1.0 / 60) {
  for (double t = 0; t < seconds; t += step) game.tick(step);
}

}  // namespace sorvel::test
