// The figure format and the author tool's decisions, on small hand-made figures.
#include <gtest/gtest.h>

#include <set>

#include "author/authoring.hpp"
#include "author/figure.hpp"
#include "author/toy.hpp"
#include "puzzle/library.hpp"
#include "support/temp_dir.hpp"

namespace sorvel::authoring {
namespace {

std::string figureText(const std::string& size, const std::string& layers, const std::string& extra = "") {
  return "# a test figure\nid: prueba\nname: La prueba  # a note\nsize: " + size +
         "\nhide: 100%\ncolour: r #c8372d\ncolour: b #2f6fa8\n" + extra + layers;
}

std::string failureOf(const std::string& text) {
  try {
    parseFigure(text, "prueba.fig");
  } catch (const FigureError& error) {
    return error.what();
  }
  return "";
}

TEST(FigureFormat, ReadsLayersFromTheBottomAndRowsFromTheBack) {
  const Figure figure = parseFigure(figureText("3 2 2", "layer 0\nrr.\nrbb\nlayer 1\n...\n.b.\n"), "prueba.fig");
  EXPECT_EQ(figure.id, "prueba");
  EXPECT_EQ(figure.name, "La prueba");
  EXPECT_EQ(figure.hidePercent, 100);
  EXPECT_FALSE(figure.tutorial);
  EXPECT_EQ(figure.palette.at('r'), 0xc8372du);
  EXPECT_EQ(figure.cells[figure.index(1, 0, 0)], 'r');
  EXPECT_EQ(figure.cells[figure.index(2, 0, 0)], '.');
  EXPECT_EQ(figure.cells[figure.index(2, 0, 1)], 'b');
  EXPECT_EQ(figure.cells[figure.index(1, 1, 1)], 'b');
  EXPECT_EQ(figure.cells[figure.index(0, 1, 1)], '.');
}

TEST(FigureFormat, NamesTheLineOfAMistake) {
  EXPECT_NE(failureOf(figureText("3 1 2", "layer 0\nrr.\nrb\n")).find("prueba.fig:10:"), std::string::npos);
  EXPECT_NE(failureOf(figureText("3 1 1", "layer 0\nrx.\n")).find("the letter x has no colour"), std::string::npos);
  EXPECT_NE(failureOf(figureText("11 1 1", "layer 0\nrrrrrrrrrrr\n")).find("from 1 to 10"), std::string::npos);
  EXPECT_NE(failureOf(figureText("2 2 1", "layer 0\nr.\n")).find("needs 2 layers"), std::string::npos);
  EXPECT_NE(failureOf(figureText("1 1 1", "layer 0\nr\n", "colour: r #000000\n")).find("has a colour already"),
            std::string::npos);
  EXPECT_NE(failureOf(figureText("1 1 1", "layer 0\nr\n", "shape: round\n")).find("unknown key"), std::string::npos);
}

TEST(FigureFormat, RefusesFiguresThatCouldNotStandAsOneToy) {
  EXPECT_NE(failureOf(figureText("3 2 1", "layer 0\nr..\nlayer 1\n..b\n")).find("does not touch"), std::string::npos);
  EXPECT_NE(failureOf(figureText("1 2 1", "layer 0\n.\nlayer 1\nr\n")).find("float"), std::string::npos);
  EXPECT_NE(failureOf(figureText("2 1 1", "layer 0\n..\n")).find("no cubes"), std::string::npos);
}

TEST(AuthorPuzzle, HidesCluesOnlyWhileTheAnswerStaysSingle) {
  const Figure figure = parseFigure(
      figureText("4 3 3", "layer 0\n.rr.\nrrrr\n.rr.\nlayer 1\n.r..\nrbbr\n..r.\nlayer 2\n....\n.b..\n....\n"),
      "prueba.fig");
  const AuthoredPuzzle puzzle = authorPuzzle(figure);
  EXPECT_EQ(puzzle.clueCount, 9 + 12 + 12);
  EXPECT_GT(puzzle.hiddenCount, 0);
  EXPECT_LT(puzzle.hiddenCount, puzzle.clueCount);
  const SolveReport report = solveByRows(4, 3, 3, puzzle.clues);
  ASSERT_TRUE(report.determined);
  for (size_t i = 0; i < figure.cells.size(); ++i) EXPECT_EQ(report.cells[i] == Knowledge::figure, figure.isFigure(int(i)));
  // Same figure, same choices: the committed files depend on it.
  const AuthoredPuzzle again = authorPuzzle(figure);
  EXPECT_EQ(again.clues.x, puzzle.clues.x);
  EXPECT_EQ(again.clues.y, puzzle.clues.y);
  EXPECT_EQ(again.clues.z, puzzle.clues.z);
}

TEST(AuthorPuzzle, RefusesAFigureTheRowsCannotSettle) {
  // The two checkerboards of a 2x2x2 block share every clue. (Neither would
  // stand as a toy, so the figure is built here rather than parsed.)
  Figure figure = parseFigure(figureText("2 2 2", "layer 0\nrr\nrr\nlayer 1\nrr\nrr\n"), "prueba.fig");
  EXPECT_NO_THROW(authorPuzzle(figure));
  figure.cells = "r..r" ".rr.";
  EXPECT_THROW(authorPuzzle(figure), FigureError);
}

TEST(AuthorPuzzle, KeepsNoClueOnARowOfTen) {
  Figure figure = parseFigure(figureText("10 1 1", "layer 0\nrrrrrrrrrr\n"), "prueba.fig");
  figure.hidePercent = 0;
  const AuthoredPuzzle puzzle = authorPuzzle(figure);
  EXPECT_EQ(puzzle.clues.x[0], -1);
  EXPECT_EQ(puzzle.clues.y, std::vector<int>(10, 1));
}

TEST(PuzzleFile, LoadsThroughTheGamesOwnLoader) {
  Figure figure = parseFigure(figureText("3 2 2", "layer 0\nrr.\nrbb\nlayer 1\n...\n.b.\n"), "prueba.fig");
  figure.name = "La \"prueba\" ñ";
  figure.tutorial = true;
  const AuthoredPuzzle puzzle = authorPuzzle(figure);
  const test::TempDir resources;
  test::writeFile(resources / "puzzles" / "prueba.json", puzzleJson(figure, puzzle.clues));
  test::writeFile(resources / "puzzles" / "chapter.json",
                  chapterJson({.id = "pruebas", .name = "Pruebas", .figures = {}}, {figure}));
  const Chapter chapter = Library::load(resources.path());
  ASSERT_EQ(chapter.puzzles.size(), 1u);
  const PuzzleDef& def = chapter.puzzles[0];
  EXPECT_EQ(def.name.at("es"), "La \"prueba\" ñ");
  EXPECT_EQ(def.dims, (std::vector<int>{3, 2, 2}));
  EXPECT_EQ(def.solution, "110111000010");
  EXPECT_EQ(def.clues.at("x"), puzzle.clues.x);
  EXPECT_TRUE(def.isTutorial());
}

TEST(Toy, PaletteSwatchesFollowTheLetters) {
  const Figure figure = parseFigure(figureText("2 1 1", "layer 0\nrb\n"), "prueba.fig");
  const Image image = paletteImage(figure);
  ASSERT_EQ(image.width, 16);
  // 'b' sorts before 'r': blue on the left, red on the right.
  EXPECT_EQ(image.rgb[0], 0x2f);
  EXPECT_EQ(image.rgb[(8 + 3) * 3], 0xc8);
  const std::string png = encodePng(image);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  const ToyMesh mesh = buildToy(figure);
  std::set<float> us;
  for (size_t v = 0; v < mesh.vertexCount(); ++v) {
    const float* f = &mesh.vertices[v * 8];
    us.insert(f[6]);
    // The red cube is on the left (x < 1) and wears the right swatch.
    if (f[0] < 0.5f) {
      EXPECT_EQ(f[6], 0.75f);
    }
    if (f[0] > 1.5f) {
      EXPECT_EQ(f[6], 0.25f);
    }
  }
  EXPECT_EQ(us, (std::set<float>{0.25f, 0.75f}));
  const std::string stoy = encodeStoy(mesh);
  EXPECT_EQ(stoy.substr(0, 4), "STOY");
  EXPECT_EQ(stoy.size(), 12 + 32 * mesh.vertexCount() + 4 * mesh.indices.size());
}

TEST(Toy, ColourBordersFollowTheCubesNotTheSampleGrid) {
  // A red cube on a blue bar. Round the foot of the red cube the surface
  // bends into a hollow, where the sample vertices are pulled off the grid;
  // painting whole sample triangles there lets each colour bite into the
  // other in a zigzag instead of meeting near the plane y = 1.
  const Figure figure = parseFigure(figureText("3 2 1", "layer 0\nbbb\nlayer 1\n.r.\n"), "prueba.fig");
  const ToyMesh mesh = buildToy(figure);
  int red = 0, blue = 0;
  for (size_t t = 0; t < mesh.indices.size(); t += 3) {
    const float u = mesh.vertices[mesh.indices[t] * 8 + 6];
    for (size_t k = 0; k < 3; ++k) {
      const float* f = &mesh.vertices[mesh.indices[t + k] * 8];
      ASSERT_EQ(f[6], u) << "triangle " << t / 3 << " mixes two swatches";
      if (u == 0.75f) {
        ++red;
        EXPECT_GE(f[1], 1.0f - 1e-4f) << "red below the red cube at " << f[0] << ", " << f[1];
      } else {
        ++blue;
        // Only the rounding of the red cube's own edges lets blue climb a
        // little way up its sides; a whole sample step (a quarter) is a tooth.
        if (f[0] > 1.05f && f[0] < 1.95f) {
          EXPECT_LE(f[1], 1.1f) << "blue up the red cube at " << f[0] << ", " << f[1];
        }
      }
    }
  }
  EXPECT_GT(red, 0);
  EXPECT_GT(blue, 0);
}

}  // namespace
}  // namespace sorvel::authoring
