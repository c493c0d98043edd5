// The shipped chapter: every puzzle loads, is honest about its clues, has one
// answer that row-by-row reasoning reaches, and grows harder along the table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "meshes/mesh_data.hpp"
#include "puzzle/library.hpp"
#include "puzzle/line_solver.hpp"
#include "puzzle/puzzle.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

namespace fs = std::filesystem;

const fs::path kResources = SORVEL_REPO_RESOURCES;

ClueLists shownClues(const Puzzle& puzzle) { return {puzzle.clueX, puzzle.clueY, puzzle.clueZ}; }

class ShippedChapter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chapter_ = new Chapter(Library::load(kResources)); }
  static void TearDownTestSuite() { delete chapter_; }
  static Chapter* chapter_;
};
Chapter* ShippedChapter::chapter_ = nullptr;

TEST_F(ShippedChapter, IsTheCoastWithTheTutorialFirst) {
  EXPECT_EQ(chapter_->chapter.id, "costa");
  EXPECT_EQ(chapter_->chapter.name.at("es"), "La costa");
  ASSERT_GE(chapter_->puzzles.size(), 9u);
  EXPECT_TRUE(chapter_->puzzles[0].isTutorial());
  for (size_t i = 1; i < chapter_->puzzles.size(); ++i) EXPECT_FALSE(chapter_->puzzles[i].isTutorial()) << i;
}

TEST_F(ShippedChapter, EveryClueShownIsTrueToTheSolution) {
  for (const PuzzleDef& def : chapter_->puzzles) {
    const Puzzle puzzle(def);
    const ClueLists truth = computeClues(puzzle.X, puzzle.Y, puzzle.Z, puzzle.sol);
    const ClueLists shown = shownClues(puzzle);
    const std::pair<const std::vector<int>*, const std::vector<int>*> lanes[] = {
        {&shown.x, &truth.x}, {&shown.y, &truth.y}, {&shown.z, &truth.z}};
    for (const auto& [visible, right] : lanes) {
      for (size_t i = 0; i < visible->size(); ++i) {
        if ((*visible)[i] >= 0) {
          EXPECT_EQ((*visible)[i], (*right)[i]) << def.id << " row " << i;
        }
      }
    }
  }
}

TEST_F(ShippedChapter, EveryPuzzleHasOneAnswerReachedRowByRow) {
  for (const PuzzleDef& def : chapter_->puzzles) {
    const Puzzle puzzle(def);
    const SolveReport report = solveByRows(puzzle.X, puzzle.Y, puzzle.Z, shownClues(puzzle));
    ASSERT_TRUE(report.determined) << def.id;
    for (int i = 0; i < puzzle.cellCount(); ++i) {
      ASSERT_EQ(report.cells[i] == Knowledge::figure, static_cast<bool>(puzzle.sol[i])) << def.id << " cell " << i;
    }
  }
}

TEST_F(ShippedChapter, GrowsInSizeAndDifficulty) {
  int previousRows = 0;
  int previousCells = 0;
  for (size_t i = 1; i < chapter_->puzzles.size(); ++i) {
    const Puzzle puzzle(chapter_->puzzles[i]);
    for (int side : {puzzle.X, puzzle.Y, puzzle.Z}) EXPECT_LE(side, 10) << puzzle.def.id;
    EXPECT_TRUE(puzzle.def.name.count("es")) << puzzle.def.id;
    const SolveReport report = solveByRows(puzzle.X, puzzle.Y, puzzle.Z, shownClues(puzzle));
    EXPECT_GT(report.rowsUsed, previousRows) << puzzle.def.id << " is no harder than the one before";
    EXPECT_GE(puzzle.cellCount(), previousCells) << puzzle.def.id << " is smaller than the one before";
    previousRows = report.rowsUsed;
    previousCells = puzzle.cellCount();
  }
  const Puzzle first(chapter_->puzzles[1]);
  EXPECT_GE(first.remainingToCarve(), 15);
  EXPECT_LE(first.remainingToCarve(), 25);
  const Puzzle last(chapter_->puzzles.back());
  EXPECT_GE(last.cellCount(), 400);
}

TEST_F(ShippedChapter, TutorialIsTheBlockTheGuideTalksAbout) {
  Puzzle tutorial(chapter_->puzzles[0]);
  ASSERT_EQ(tutorial.X, 3);
  ASSERT_EQ(tutorial.Y, 3);
  ASSERT_EQ(tutorial.Z, 2);
  // Top front row: all surplus, a plain 0 on its row.
  for (int x = 0; x < 3; ++x) EXPECT_FALSE(tutorial.sol[tutorial.index(x, 2, 1)]);
  EXPECT_EQ(tutorial.clueX[2 * 2 + 1], 0);
  // Bottom rows, front and back: figure, surplus, figure under a circled 2.
  for (int z : {0, 1}) {
    EXPECT_TRUE(tutorial.sol[tutorial.index(0, 0, z)]);
    EXPECT_FALSE(tutorial.sol[tutorial.index(1, 0, z)]);
    EXPECT_TRUE(tutorial.sol[tutorial.index(2, 0, z)]);
    EXPECT_EQ(tutorial.clueX[0 * 2 + z], 12);
  }
  // Carving the five cubes the guide names, and nothing else, solves it.
  for (int cell : {(2 * 2 + 1) * 3, (2 * 2 + 1) * 3 + 1, (2 * 2 + 1) * 3 + 2, 3 + 1, 1}) {
    EXPECT_FALSE(tutorial.solved());
    tutorial.state[cell] = CellState::broken;
  }
  EXPECT_TRUE(tutorial.solved());
}

TEST_F(ShippedChapter, EveryToyLoadsAndStandsInsideItsBlock) {
  for (const PuzzleDef& def : chapter_->puzzles) {
    const Puzzle puzzle(def);
    const auto mesh = Meshes::loadStoy(kResources / "toys" / (def.id + ".mesh"));
    ASSERT_TRUE(mesh) << def.id;
    ASSERT_EQ(mesh->stride, 8);
    ASSERT_GT(mesh->indices.size(), 0u);
    EXPECT_TRUE(fs::exists(kResources / "toys" / (def.id + ".png"))) << def.id;
    float lowest = 1e9f;
    glm::vec3 low(1e9f), high(-1e9f);
    std::vector<glm::vec3> p, n;
    for (size_t v = 0; v < mesh->vertexCount(); ++v) {
      const float* f = &mesh->vertices[v * 8];
      p.emplace_back(f[0], f[1], f[2]);
      n.emplace_back(f[3], f[4], f[5]);
      low = glm::min(low, p.back());
      high = glm::max(high, p.back());
      lowest = std::min(lowest, f[1]);
      EXPECT_NEAR(glm::length(n.back()), 1.0f, 1e-3f) << def.id;
      EXPECT_TRUE(f[6] >= 0 && f[6] <= 1 && f[7] >= 0 && f[7] <= 1) << def.id;
    }
    EXPECT_EQ(lowest, 0.0f) << def.id;
    EXPECT_GE(low.x, 0.0f);
    EXPECT_GE(low.z, 0.0f);
    EXPECT_LE(high.x, float(puzzle.X)) << def.id;
    EXPECT_LE(high.y, float(puzzle.Y)) << def.id;
    EXPECT_LE(high.z, float(puzzle.Z)) << def.id;
    // Counter-clockwise seen from outside, and the enclosed volume (positive
    // only for outward faces) close to the figure's cube count.
    double volume = 0;
    int figureCubes = 0;
    for (bool f : puzzle.sol) figureCubes += f ? 1 : 0;
    for (size_t t = 0; t < mesh->indices.size(); t += 3) {
      const auto a = mesh->indices[t], b = mesh->indices[t + 1], c = mesh->indices[t + 2];
      const glm::vec3 face = glm::cross(p[b] - p[a], p[c] - p[a]);
      if (glm::length(face) > 1e-6f) {
        ASSERT_GT(glm::dot(face, n[a] + n[b] + n[c]), 0.0f) << def.id << " triangle " << t / 3;
      }
      volume += glm::dot(glm::dvec3(p[a]), glm::cross(glm::dvec3(p[b]), glm::dvec3(p[c]))) / 6.0;
    }
    EXPECT_GT(volume, 0.6 * figureCubes) << def.id;
    EXPECT_LT(volume, 1.05 * figureCubes) << def.id;
  }
}

TEST(AuthorTool, ReproducesTheCommittedResourcesByteForByte) {
  const test::TempDir out;
  const std::string command = std::string("\"") + SORVEL_AUTHOR + "\" \"" +
                              (kResources / "figures" / "costa.chapter").string() + "\" \"" +
                              out.path().string() + "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  int compared = 0;
  for (const char* folder : {"puzzles", "toys"}) {
    for (const auto& entry : fs::directory_iterator(out / folder)) {
      const fs::path committed = kResources / folder / entry.path().filename();
      ASSERT_TRUE(fs::exists(committed)) << committed << " is not committed";
      EXPECT_TRUE(test::readFile(entry.path()) == test::readFile(committed)) << committed << " is stale";
      ++compared;
    }
  }
  // chapter.json plus a puzzle, a mesh and a texture per figure.
  const Chapter chapter = Library::load(kResources);
  EXPECT_EQ(compared, 1 + 3 * static_cast<int>(chapter.puzzles.size()));
}

}  // namespace
}  // namespace sorvel
