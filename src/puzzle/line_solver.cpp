#include "puzzle/line_solver.hpp"

#include <algorithm>
#include <stdexcept>

#include "puzzle/cell_order.hpp"

namespace sorvel {

namespace {

constexpr int kMaxDigit = 9;
constexpr int kManyGroups = 3;  // "three or more" is all a clue can say

int styleOfGroups(int groups) { return groups <= 1 ? 0 : groups == 2 ? 1 : 2; }

bool groupsFit(int style, int groups) {
  switch (style) {
    case 0: return groups <= 1;
    case 1: return groups == 2;
    default: return groups >= kManyGroups;
  }
}

// Rows are walked with a small automaton whose state is (figure cubes so far,
// groups so far capped at three, whether the previous cell is figure). Any
// arrangement is a path through it, so marking the states reachable from the
// start and those that can still reach an accepting end tells, cell by cell,
// which values some fitting arrangement gives it. This costs L*n steps instead
// of the 2^L arrangements, so long rows are no trouble.
class RowAutomaton {
 public:
  explicit RowAutomaton(const Clue& clue) : clue_(clue) {}

  int stateCount() const { return (clue_.count + 1) * (kManyGroups + 1) * 2; }
  static int state(int count, int groups, int previousFigure) {
    return (count * (kManyGroups + 1) + groups) * 2 + previousFigure;
  }
  bool accepting(int s) const {
    const int count = s / ((kManyGroups + 1) * 2);
    const int groups = (s / 2) % (kManyGroups + 1);
    return count == clue_.count && groupsFit(clue_.style, groups);
  }
  // The state after one more cell, or -1 when the count would overflow.
  int next(int s, bool figure) const {
    const int count = s / ((kManyGroups + 1) * 2);
    const int groups = (s / 2) % (kManyGroups + 1);
    const int previous = s % 2;
    if (!figure) return state(count, groups, 0);
    if (count == clue_.count) return -1;
    return state(count + 1, previous ? groups : std::min(groups + 1, kManyGroups), 1);
  }

 private:
  Clue clue_;
};

bool allows(Knowledge known, bool figure) {
  return known == Knowledge::unknown || (known == Knowledge::figure) == figure;
}

struct Row {
  int code;
  std::vector<int> cells;
};

std::vector<Row> blockRows(int X, int Y, int Z, const ClueLists& clues) {
  const CellOrder order{X, Y, Z};
  std::vector<Row> rows;
  for (int y = 0; y < Y; ++y) {
    for (int z = 0; z < Z; ++z) {
      Row row{clues.x[order.rowAlongX(y, z)], {}};
      for (int x = 0; x < X; ++x) row.cells.push_back(order.index(x, y, z));
      rows.push_back(std::move(row));
    }
  }
  for (int z = 0; z < Z; ++z) {
    for (int x = 0; x < X; ++x) {
      Row row{clues.y[order.rowAlongY(x, z)], {}};
      for (int y = 0; y < Y; ++y) row.cells.push_back(order.index(x, y, z));
      rows.push_back(std::move(row));
    }
  }
  for (int y = 0; y < Y; ++y) {
    for (int x = 0; x < X; ++x) {
      Row row{clues.z[order.rowAlongZ(x, y)], {}};
      for (int z = 0; z < Z; ++z) row.cells.push_back(order.index(x, y, z));
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

}  // namespace

std::optional<Clue> decodeClue(int code) {
  if (code < 0) return std::nullopt;
  return Clue{.count = code % 10, .style = code / 10};
}

std::optional<int> clueFor(const std::vector<bool>& row) {
  int count = 0;
  int groups = 0;
  bool previous = false;
  for (bool figure : row) {
    if (figure) {
      ++count;
      if (!previous) ++groups;
    }
    previous = figure;
  }
  if (count > kMaxDigit) return std::nullopt;
  return 10 * styleOfGroups(groups) + count;
}

ClueLists computeClues(int X, int Y, int Z, const std::vector<bool>& figure) {
  if (X < 1 || Y < 1 || Z < 1 || figure.size() != static_cast<size_t>(X) * Y * Z) {
    throw std::invalid_argument("computeClues: the solution does not fit the block size");
  }
  ClueLists lists{.x = std::vector<int>(Y * Z, -1), .y = std::vector<int>(X * Z, -1),
                  .z = std::vector<int>(X * Y, -1)};
  // blockRows lists the rows axis by axis, each axis in its list's own index
  // order, so a running position finds every row's slot.
  std::vector<int*> slots;
  for (auto* list : {&lists.x, &lists.y, &lists.z}) {
    for (int& code : *list) slots.push_back(&code);
  }
  const std::vector<Row> rows = blockRows(X, Y, Z, lists);
  std::vector<bool> flags;
  for (size_t r = 0; r < rows.size(); ++r) {
    flags.clear();
    for (int cell : rows[r].cells) flags.push_back(figure[cell]);
    *slots[r] = clueFor(flags).value_or(-1);
  }
  return lists;
}

std::optional<std::vector<Knowledge>> solveRow(const Clue& clue, std::span<const Knowledge> cells) {
  if (clue.count < 0 || clue.style < 0 || clue.style > 2) return std::nullopt;
  const RowAutomaton automaton(clue);
  const int states = automaton.stateCount();
  const size_t length = cells.size();
  // reach[i][s]: state s can stand before cell i; live[i][s]: from state s
  // before cell i an accepting end can still be reached.
  std::vector<std::vector<char>> reach(length + 1, std::vector<char>(states, 0));
  std::vector<std::vector<char>> live(length + 1, std::vector<char>(states, 0));
  reach[0][RowAutomaton::state(0, 0, 0)] = 1;
  for (size_t i = 0; i < length; ++i) {
    for (int s = 0; s < states; ++s) {
      if (!reach[i][s]) continue;
      for (bool figure : {false, true}) {
        const int t = automaton.next(s, figure);
        if (t >= 0 && allows(cells[i], figure)) reach[i + 1][t] = 1;
      }
    }
  }
  for (int s = 0; s < states; ++s) live[length][s] = automaton.accepting(s) ? 1 : 0;
  for (size_t i = length; i-- > 0;) {
    for (int s = 0; s < states; ++s) {
      for (bool figure : {false, true}) {
        const int t = automaton.next(s, figure);
        if (t >= 0 && allows(cells[i], figure) && live[i + 1][t]) live[i][s] = 1;
      }
    }
  }
  if (!live[0][RowAutomaton::state(0, 0, 0)]) return std::nullopt;

  std::vector<Knowledge> out(cells.begin(), cells.end());
  for (size_t i = 0; i < length; ++i) {
    bool canBeFigure = false;
    bool canBeSurplus = false;
    for (int s = 0; s < states; ++s) {
      if (!reach[i][s]) continue;
      for (bool figure : {false, true}) {
        const int t = automaton.next(s, figure);
        if (t < 0 || !allows(cells[i], figure) || !live[i + 1][t]) continue;
        (figure ? canBeFigure : canBeSurplus) = true;
      }
    }
    if (canBeFigure != canBeSurplus) out[i] = canBeFigure ? Knowledge::figure : Knowledge::surplus;
  }
  return out;
}

SolveReport solveByRows(int X, int Y, int Z, const ClueLists& clues) {
  if (X < 1 || Y < 1 || Z < 1 || clues.x.size() != static_cast<size_t>(Y) * Z ||
      clues.y.size() != static_cast<size_t>(X) * Z || clues.z.size() != static_cast<size_t>(X) * Y) {
    throw std::invalid_argument("solveByRows: the clue lists do not fit the block size");
  }
  const std::vector<Row> rows = blockRows(X, Y, Z, clues);
  SolveReport report;
  report.cells.assign(static_cast<size_t>(X) * Y * Z, Knowledge::unknown);

  // A row is worth solving again only once one of its cells has changed.
  std::vector<std::vector<int>> rowsOfCell(report.cells.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    for (int cell : rows[r].cells) rowsOfCell[cell].push_back(static_cast<int>(r));
  }
  std::vector<char> dirty(rows.size(), 1);

  std::vector<Knowledge> known;
  for (bool progress = true; progress && report.consistent;) {
    progress = false;
    for (size_t r = 0; r < rows.size() && report.consistent; ++r) {
      const auto clue = decodeClue(rows[r].code);
      if (!clue || !dirty[r]) continue;
      dirty[r] = 0;
      known.clear();
      for (int cell : rows[r].cells) known.push_back(report.cells[cell]);
      const auto solved = solveRow(*clue, known);
      if (!solved) {
        report.consistent = false;
        break;
      }
      bool found = false;
      for (size_t i = 0; i < known.size(); ++i) {
        if ((*solved)[i] == known[i]) continue;
        const int cell = rows[r].cells[i];
        report.cells[cell] = (*solved)[i];
        ++report.cellsFound;
        found = true;
        for (int other : rowsOfCell[cell]) dirty[other] = 1;
      }
      if (found) {
        ++report.rowsUsed;
        progress = true;
      }
    }
    if (progress) ++report.passes;
  }
  report.determined = report.consistent && report.cellsFound == static_cast<int>(report.cells.size());
  return report;
}

}  // namespace sorvel
