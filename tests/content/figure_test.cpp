// The figure format and the toy the author tool builds, on small hand-made figures.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "author/authoring.hpp"
#include "author/figure.hpp"
#include "author/toy.hpp"

namespace sorvel::authoring {
namespace {

std::string figureText(const std::string& size, const std::string& layers, const std::string& extra = "") {
  return "# a test figure\nid: prueba\nname: La prueba  # a note\nsize: " + size +
         "\nhide: 100%\ncolour: r #c8372d\ncolour: b #2f6fa8\n" + extra + layers;
}

TEST(FigureFormat, RefusesMistakesAndFiguresThatCouldNotStandAsOneToy) {
  const std::pair<std::string, std::string> cases[] = {
      {figureText("3 1 2", "layer 0\nrr.\nrb\n"), "prueba.fig:10:"},
      {figureText("3 1 1", "layer 0\nrx.\n"), "the letter x has no colour"},
      {figureText("15 1 1", "layer 0\nrrrrrrrrrrrrrrr\n"), "at most 14 wide, 10 tall and 10 deep"},
      {figureText("1 11 1", ""), "at most 14 wide, 10 tall and 10 deep"},
      {figureText("2 2 1", "layer 0\nr.\n"), "needs 2 layers"},
      {figureText("1 1 1", "layer 0\nr\n", "colour: r #000000\n"), "has a colour already"},
      {figureText("1 1 1", "layer 0\nr\n", "shape: round\n"), "unknown key"},
      {figureText("3 2 1", "layer 0\nr..\nlayer 1\n..b\n"), "does not touch"},
      {figureText("1 2 1", "layer 0\n.\nlayer 1\nr\n"), "float"},
      {figureText("2 1 1", "layer 0\n..\n"), "no cubes"},
      {figureText("1 1 1", "layer 0\nr\n", "name-en:\n"), "the English name is empty"}};
  for (const auto& [text, complaint] : cases) {
    std::string failure = "accepted";
    try {
      parseFigure(text, "prueba.fig");
    } catch (const FigureError& error) {
      failure = error.what();
    }
    EXPECT_NE(failure.find(complaint), std::string::npos) << failure << "\n instead of " << complaint;
  }
  // The same text with its mistake mended is read.
  EXPECT_NO_THROW(parseFigure(figureText("3 1 2", "layer 0\nrr.\nrb.\n"), "prueba.fig"));
}

TEST(FigureFormat, AnEnglishNameGoesBesideTheSpanishOneAndIsNotNeeded) {
  const Figure both = parseFigure(figureText("1 1 1", "layer 0\nr\n", "name-en: The test\n"), "prueba.fig");
  EXPECT_NE(puzzleJson(both, authorPuzzle(both).clues).find(R"("name": {"es": "La prueba", "en": "The test"},)"),
            std::string::npos);
  const Figure spanish = parseFigure(figureText("1 1 1", "layer 0\nr\n"), "prueba.fig");
  EXPECT_NE(puzzleJson(spanish, authorPuzzle(spanish).clues).find(R"("name": {"es": "La prueba"},)"),
            std::string::npos);
}

TEST(Toy, ColourBordersFollowTheCubesNotTheSampleGrid) {
  // A red cube on a blue bar. Round the foot of the red cube the surface
  // bends into a hollow, where the sample vertices are pulled off the grid;
  // painting whole sample triangles there lets each colour bite into the
  // other in a zigzag instead of meeting near the plane y = 1.
  const Figure figure = parseFigure(figureText("3 2 1", "layer 0\nbbb\nlayer 1\n.r.\n"), "prueba.fig");
  const MeshData mesh = buildToy(figure);
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
