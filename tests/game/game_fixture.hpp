#pragma once

// Small chapters written into a temporary folder, and a game built on them
// with its sounds overheard, so the tests can play as a player does.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <glm/mat4x4.hpp>
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
  std::optional<bool> tutorial;
  std::string nameEs;  // empty: the puzzle has only an English name
};

// The block the guide is written for: top front row surplus, the bottom front
// and bottom back rows figure-surplus-figure.
inline FixturePuzzle tutorialPuzzle() {
  return {"tutorial", 3, 3, 2, "101101111111111000", true, "Primeros cortes"};
}
// 3 wide, 2 high, 3 deep: nine figure cubes and nine surplus ones.
inline FixturePuzzle boatPuzzle() { return {"barco", 3, 2, 3, "111010101101000010", false, "Barco"}; }
// One figure cube at the back, one surplus cube at the front.
inline FixturePuzzle pegPuzzle() { return {"pieza", 1, 1, 2, "10", false, ""}; }
// No tutorial field at all.
inline FixturePuzzle towerPuzzle() { return {"torre", 2, 3, 2, "111011001000", std::nullopt, "Torre"}; }

inline std::vector<FixturePuzzle> standardChapter() {
  return {tutorialPuzzle(), boatPuzzle(), pegPuzzle(), towerPuzzle()};
}

// The clue code of one row: the count of figure cubes, plus 10 for two groups
// or 20 for three or more.
inline int clueCode(const std::vector<bool>& row) {
  int count = 0, groups = 0;
  bool inGroup = false;
  for (bool figure : row) {
    if (figure) {
      ++count;
      if (!inGroup) ++groups;
    }
    inGroup = figure;
  }
  return count + (groups == 2 ? 10 : groups >= 3 ? 20 : 0);
}

inline std::string puzzleJson(const FixturePuzzle& p) {
  auto figure = [&](int x, int y, int z) { return p.solution[static_cast<size_t>((y * p.Z + z) * p.X + x)] == '1'; };
  std::vector<int> cx, cy, cz;
  for (int y = 0; y < p.Y; ++y) {
    for (int z = 0; z < p.Z; ++z) {
      std::vector<bool> row;
      for (int x = 0; x < p.X; ++x) row.push_back(figure(x, y, z));
      cx.push_back(clueCode(row));
    }
  }
  for (int z = 0; z < p.Z; ++z) {
    for (int x = 0; x < p.X; ++x) {
      std::vector<bool> row;
      for (int y = 0; y < p.Y; ++y) row.push_back(figure(x, y, z));
      cy.push_back(clueCode(row));
    }
  }
  for (int y = 0; y < p.Y; ++y) {
    for (int x = 0; x < p.X; ++x) {
      std::vector<bool> row;
      for (int z = 0; z < p.Z; ++z) row.push_back(figure(x, y, z));
      cz.push_back(clueCode(row));
    }
  }
  nlohmann::json j = {{"id", p.id},
                      {"dims", {p.X, p.Y, p.Z}},
                      {"solution", p.solution},
                      {"clues", {{"x", cx}, {"y", cy}, {"z", cz}}}};
  j["name"] = p.nameEs.empty() ? nlohmann::json{{"en", p.id}} : nlohmann::json{{"es", p.nameEs}};
  if (p.tutorial) j["tutorial"] = *p.tutorial;
  return j.dump();
}

inline void writeChapter(const std::filesystem::path& dir, const std::vector<FixturePuzzle>& puzzles) {
  nlohmann::json ids = nlohmann::json::array();
  for (const auto& p : puzzles) {
    ids.push_back(p.id);
    writeFile(dir / "puzzles" / (p.id + ".json"), puzzleJson(p));
  }
  writeFile(dir / "puzzles" / "chapter.json",
            nlohmann::json{{"id", "pruebas"}, {"name", {{"es", "Pruebas"}}}, {"puzzles", ids}}.dump());
}

struct Heard {
  SoundKind kind;
  float volume;
};

// Which sound of the bank the recorder was handed.
inline std::optional<SoundKind> soundKindOf(const Game& game, const float* samples) {
  for (SoundKind kind : kAllSoundKinds) {
    for (const auto& variant : game.sound.bank().variants(kind)) {
      if (variant.data() == samples) return kind;
    }
  }
  return std::nullopt;
}

// A chapter in a temporary folder, an optional settings store beside it, and
// games started on them. Declare the Rig before the games it starts.
class Rig {
 public:
  explicit Rig(const std::vector<FixturePuzzle>& puzzles = standardChapter()) { writeChapter(dir.path(), puzzles); }

  SettingsStore& store() {
    if (!store_) {
      store_ = std::make_unique<SettingsStore>(
          SettingsStore::Options{.file = dir / "settings.json", .say = [](auto&) {}});
    }
    return *store_;
  }

  std::unique_ptr<Game> start(bool persist = false, std::uint64_t seed = 7) {
    auto game = std::make_unique<Game>(GameOptions{.persist = persist,
                                                   .store = persist ? &store() : nullptr,
                                                   .resources = dir.path(),
                                                   .seed = seed,
                                                   .out = &out,
                                                   .tempDir = tempDir.empty() ? dir.path() : tempDir});
    Game* raw = game.get();
    game->sound.recorder = [this, raw](std::span<const float> samples, float volume) {
      const auto kind = soundKindOf(*raw, samples.data());
      ASSERT_TRUE(kind.has_value()) << "a sound that is not in the bank was played";
      heard.push_back({*kind, volume});
    };
    return game;
  }

  std::vector<SoundKind> kinds() const {
    std::vector<SoundKind> k;
    for (const auto& h : heard) k.push_back(h.kind);
    return k;
  }

  TempDir dir;
  std::filesystem::path tempDir;  // where the sound track goes; the chapter's folder when empty
  std::ostringstream out;
  std::vector<Heard> heard;

 private:
  std::unique_ptr<SettingsStore> store_;
};

// The normalised view point at which a world point appears.
inline glm::vec2 viewPoint(const Game& game, glm::vec3 world) {
  const glm::vec4 clip = game.viewProj() * glm::vec4(world, 1);
  return {clip.x / clip.w * 0.5f + 0.5f, 0.5f - clip.y / clip.w * 0.5f};
}

inline Slot& slotAt(Game& game, int i) { return *game.slots.at(static_cast<size_t>(i)); }
inline CellState stateOf(Game& game, int slot, int cell) {
  return slotAt(game, slot).puzzle.state.at(static_cast<size_t>(cell));
}

// Runs the clock in display-sized steps.
inline void runFor(Game& game, double seconds, double step = 1.0 / 60) {
  for (double t = 0; t < seconds; t += step) game.tick(step);
}

}  // namespace sorvel::test
