#pragma once

// The game's invariants, checked from outside through what it shows the
// window and the renderer. A soak run calls these after every step; the first
// one that does not hold is thrown as a Violation naming what broke.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/game.hpp"

namespace sorvel::soak {

class Violation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What one step is allowed to do to the blocks' lasting progress.
struct Change {
  enum class Kind { none, tap, tick, restart };
  Kind kind = Kind::none;
  Tool tool = Tool::carve;  // tap: the tool the tap works with
  double dt = 0;            // tick: the time handed to it

  static Change nothing() { return {}; }
  static Change tap(Tool tool) { return {.kind = Kind::tap, .tool = tool}; }
  static Change tick(double dt) { return {.kind = Kind::tick, .dt = dt}; }
  static Change restart() { return {.kind = Kind::restart}; }
};

// One block's lasting progress: what a relaunch must bring back.
struct Progress {
  std::vector<CellState> state;
  int mistakes = 0;
  double elapsed = 0;
  bool operator==(const Progress&) const = default;
};
std::vector<Progress> progressOf(const Game& game);

// What must hold at any moment, whatever happened before.
void checkMoment(const Game& game);
// Assembles the frame the renderer would get and checks it can be drawn.
void checkFrame(const Game& game);

// Follows one game from step to step, holding each step to what it may
// change: a tap touches at most one cube of the open block, by a legal move;
// only a restart takes progress back; only a tick runs the play clock.
class Watch {
 public:
  explicit Watch(const Game& game);

  // After every step: the step's own rules, then checkMoment.
  void step(const Game& game, const Change& change);
  // A game built from the saved progress (its predecessor saved first) must
  // hold exactly what was last seen; the watch then follows it.
  void restored(const Game& game);
  // The same check without following: a second game beside the first.
  void compareRestored(const Game& game) const;

  int solves() const { return solves_; }
  const std::map<std::string, int>& solvesByBlock() const { return solvesByBlock_; }

 private:
  void remember(const Game& game);
  void checkTap(const Game& game, const Change& change, int open, const std::vector<Progress>& now) const;

  std::vector<Progress> progress_;
  std::set<std::string> solved_;
  Screen screen_ = Screen::home;
  std::optional<int> current_;
  bool showTutorial_ = false;
  int solves_ = 0;
  std::map<std::string, int> solvesByBlock_;
};

}  // namespace sorvel::soak
