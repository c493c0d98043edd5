#pragma once

#include <cstdint>
#include <functional>
#include <glm/vec2.hpp>
#include <optional>

#include "base/result.hpp"
#include "game/game.hpp"

// The film's fixed sequence: the table, then three blocks marked, carved and
// revealed, each followed by the way back to the table. It drives a game and
// says when each film frame has been ticked; what becomes of the frame (drawn
// and encoded, or only counted) is the caller's.
namespace sorvel::film {

inline constexpr double kFps = 60;
inline constexpr double kTick = 1.0 / kFps;
// The frames of every step but the three carve phases.
inline constexpr std::int64_t kFixedFrames = 1927;
// The film opens blocks 0 to 3 of the chapter.
inline constexpr int kBlocksNeeded = 4;

// How long each carved cube stays on screen: a - b * min(i / m, 1) seconds for
// the i-th cube of m, so the carving speeds up as the block empties.
struct CarvePace {
  double a = 0;
  double b = 0;
};

// Frames held after the i-th carve (from 1) of a phase with m >= 1 cubes.
int carveHold(std::int64_t i, double m, CarvePace pace);
// Frames of a whole carve phase on a block with `surplus` cubes left standing.
std::int64_t carvePhaseFrames(std::int64_t surplus, CarvePace pace);
// Frames of the whole film made from this game as it stands now, fresh: the
// fixed steps and the carve phases of the three blocks it opens.
std::int64_t expectedFrames(const Game& game);

// Whether the film can be made of this game's chapter, and why not.
Result<void> canFilmChapter(const Game& game);

class Director {
 public:
  // Called once a film frame has been ticked, for its picture; false stops
  // the film there (the encoder has gone).
  using Shoot = std::function<bool()>;

  Director(Game& game, Shoot shoot) : game_(game), shoot_(std::move(shoot)) {}

  // The whole film; false if a shot stopped it early. The chapter must pass
  // canFilmChapter().
  bool playWholeFilm();

  // The film's building blocks, each false once a shot has stopped it.
  // `frames` film frames, each one tick of 1/60 s, after `drag` when given.
  bool record(std::int64_t frames, std::optional<glm::vec2> drag = {});
  // Carves the open block's surplus one cube at a time, holding each carve on
  // screen as `pace` says, turning the block by `drag` every frame.
  bool carvePhase(CarvePace pace, glm::vec2 drag);

 private:
  bool markAndTurn(int times, glm::vec2 drag);

  Game& game_;
  Shoot shoot_;
};

}  // namespace sorvel::film
