#pragma once

#include <string>
#include <vector>

#include "author/figure.hpp"
#include "puzzle/line_solver.hpp"

namespace sorvel::authoring {

struct AuthoredPuzzle {
  ClueLists clues;  // as shipped: hidden clues negative
  SolveReport report;  // the solver on the shipped clues
  int clueCount = 0;  // rows that could show a clue
  int hiddenCount = 0;
};

// Computes every clue of the figure, then hides clues one by one in an order
// fixed by the figure's id, keeping each hide only while the rows still settle
// every cell, until the figure's hide share is reached. Throws FigureError
// when even every clue does not settle the figure.
AuthoredPuzzle authorPuzzle(const Figure& figure);

// Of the clues a puzzle shows, the share in whole percent that are circled
// (two groups) and squared (three or more): how much the rows' grouping, not
// just their counts, is there to reason with.
struct ClueStyleShares {
  int circled = 0;
  int squared = 0;
};
ClueStyleShares clueStyleShares(const ClueLists& clues);

// The puzzle file the game loads, and the chapter file, as the tool writes them.
std::string puzzleJson(const Figure& figure, const ClueLists& clues);
std::string chapterJson(const ChapterSource& chapter, const std::vector<Figure>& figures);

}  // namespace sorvel::authoring
