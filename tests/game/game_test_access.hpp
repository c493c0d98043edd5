#pragma once

// The tests' one way past Game's commands: for moments that play would take
// long to reach (a block carved in an earlier run, wood chips placed just so
// for the physics) or can never reach (the soak watch's injected faults).
// Whatever plays the game itself uses the commands.

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/game.hpp"

namespace sorvel {

struct GameTestAccess {
  static Slot& slot(Game& game, int i) { return *game.slots_.at(static_cast<size_t>(i)); }
  static Camera& camera(Game& game) { return game.camera_; }
  static std::vector<Chip>& chips(Game& game) { return game.chips_; }
  static float& revealT(Game& game) { return game.revealT_; }
  static int& hover(Game& game) { return game.hover_; }
  static std::set<int>& guideCells(Game& game) { return game.guideCells_; }

  // Published fields go through their setters, so their revisions move as in play.
  static void setMistakes(Game& game, int v) { game.setMistakes(v); }
  static void setPeelValue(Game& game, int v) { game.setPeelValue(v); }
  static void setSolvedIDs(Game& game, std::set<std::string> v) { game.setSolvedIDs(std::move(v)); }
  static void setRevealCard(Game& game, bool v) { game.setRevealCard(v); }
  static void setGuide(Game& game, std::optional<Guide> v) { game.setGuide(std::move(v)); }
};

}  // namespace sorvel
