#include "soak/watch.hpp"

#include <algorithm>
#include <cmath>
#include <glm/gtc/type_ptr.hpp>
#include <sstream>

namespace sorvel::soak {

namespace {

// Easing moves a value towards its goal by a fraction of the gap; float
// rounding may step an ulp or so past the range it eases within.
constexpr float kSlack = 1e-5f;
// tickReveal stops counting at 50, one step past at most; open() puts an
// old reveal at 100.
constexpr float kRevealStops = 50.0f + static_cast<float>(Game::kLongestStep) + 0.001f;
constexpr float kRevealLongOver = 100;

template <typename... Parts>
[[noreturn]] void fail(const Parts&... parts) {
  std::ostringstream text;
  (text << ... << parts);
  throw Violation(text.str());
}

bool finite(float v) { return std::isfinite(v); }
bool finite(glm::vec3 v) { return finite(v.x) && finite(v.y) && finite(v.z); }
bool finite(glm::vec4 v) { return finite(v.x) && finite(v.y) && finite(v.z) && finite(v.w); }
bool finite(const glm::mat4& m) {
  const float* p = glm::value_ptr(m);
  return std::all_of(p, p + 16, [](float v) { return std::isfinite(v); });
}
bool within(float v, float lo, float hi) { return v >= lo - kSlack && v <= hi + kSlack; }

const char* stateName(CellState s) {
  switch (s) {
    case CellState::solid: return "solid";
    case CellState::marked: return "marked";
    case CellState::broken: return "broken";
  }
  return "invalid";
}

std::string slotName(const Slot& slot) {
  return "block " + std::to_string(slot.index) + " (" + slot.puzzle.def.id + ")";
}

void checkSlot(const Game& game, const Slot& slot) {
  const Puzzle& p = slot.puzzle;
  const std::string name = slotName(slot);
  const auto cells = static_cast<size_t>(p.X) * static_cast<size_t>(p.Y) * static_cast<size_t>(p.Z);
  if (p.state.size() != cells || p.sol.size() != cells || slot.breakT.size() != cells ||
      slot.shake.size() != cells || slot.flash.size() != cells || slot.mark.size() != cells ||
      slot.popT.size() != cells) {
    fail(name, ": per-cell lists do not match its ", p.X, "x", p.Y, "x", p.Z, " cells");
  }
  int surplusLeft = 0;
  for (size_t i = 0; i < cells; ++i) {
    const CellState s = p.state[i];
    const bool figure = p.sol[i];
    if (s != CellState::solid && s != CellState::marked && s != CellState::broken) {
      fail(name, ": cell ", i, " holds the invalid state ", static_cast<int>(s));
    }
    if (figure && s == CellState::broken) fail(name, ": figure cube ", i, " was carved away");
    if (!figure && s != CellState::broken) ++surplusLeft;
    // A cube breaks once and only a restart brings it back, so its break
    // clock runs exactly while it is carved.
    const float b = slot.breakT[i];
    if ((s == CellState::broken) != (b >= 0)) {
      fail(name, ": cell ", i, " is ", stateName(s), " but its break clock reads ", b);
    }
    if (!(b == -1 || within(b, 0, 5.06f) || b == 10)) fail(name, ": cell ", i, " break clock at ", b);
    if (!within(slot.shake[i], 0, 0.35f)) fail(name, ": cell ", i, " shakes by ", slot.shake[i]);
    if (!within(slot.flash[i], 0, 1)) fail(name, ": cell ", i, " flashes at ", slot.flash[i]);
    if (!within(slot.mark[i], 0, 1)) fail(name, ": cell ", i, " mark eased to ", slot.mark[i]);
    const float pop = slot.popT[i];
    if (!(pop == -1 || (pop >= 0 && finite(pop)))) fail(name, ": cell ", i, " pop clock at ", pop);
    if (pop >= 0 && !figure) fail(name, ": surplus cell ", i, " popped as part of the figure");
  }
  if (const int remaining = p.remainingToCarve(); remaining != surplusLeft) {
    fail(name, ": remainingToCarve() says ", remaining, " but ", surplusLeft, " surplus cubes are uncarved");
  }
  const bool solved = p.solved();
  if (solved != (surplusLeft == 0)) fail(name, ": solved() disagrees with ", surplusLeft, " surplus left");
  if (p.mistakes < 0) fail(name, ": ", p.mistakes, " mistakes");
  if (!std::isfinite(p.elapsed) || p.elapsed < 0) fail(name, ": play time ", p.elapsed);
  if (!within(slot.presence, 0, 1)) fail(name, ": presence ", slot.presence);
  if (!finite(slot.toySpin)) fail(name, ": figure spin ", slot.toySpin);
  // A block is in the solved list exactly while nothing surplus is left:
  // the last carve puts it there and only a restart takes it out.
  if (game.solvedIDs().contains(p.def.id) != solved) {
    fail(name, game.solvedIDs().contains(p.def.id) ? " is listed as solved with " : " is not listed as solved with ",
         surplusLeft, " surplus cubes left");
  }
}

void checkCamera(const Game& game) {
  const Camera& c = game.camera();
  if (!finite(c.yaw) || !finite(c.pitch) || !finite(c.dist) || !finite(c.target) || !finite(c.goalYaw) ||
      !finite(c.goalPitch) || !finite(c.goalDist) || !finite(c.goalTarget) || !finite(c.zoom) ||
      !finite(c.aspect)) {
    fail("camera not finite: yaw ", c.yaw, " pitch ", c.pitch, " dist ", c.dist, " target ", c.target.x, ",",
         c.target.y, ",", c.target.z, " goals ", c.goalYaw, " ", c.goalPitch, " ", c.goalDist, " ",
         c.goalTarget.x, ",", c.goalTarget.y, ",", c.goalTarget.z, " zoom ", c.zoom, " aspect ", c.aspect);
  }
  if (!(c.dist > 0 && c.goalDist > 0 && c.zoom > 0 && c.aspect > 0)) {
    fail("camera: dist ", c.dist, " goal ", c.goalDist, " zoom ", c.zoom, " aspect ", c.aspect);
  }
  // The pitch never reaches a pole, where the view's up vector would fold.
  if (!within(c.pitch, 0.05f, 1.25f) || !within(c.goalPitch, 0.05f, 1.25f)) {
    fail("camera pitch ", c.pitch, " (goal ", c.goalPitch, ") outside 0.05..1.25");
  }
  if (!finite(game.eye())) fail("eye not finite");
  if (!finite(game.viewProj())) fail("viewProj() not finite");
}

}  // namespace

std::vector<Progress> progressOf(const Game& game) {
  std::vector<Progress> all;
  all.reserve(static_cast<size_t>(game.slotCount()));
  for (int s = 0; s < game.slotCount(); ++s) {
    const Puzzle& p = game.slot(s).puzzle;
    all.push_back({p.state, p.mistakes, p.elapsed});
  }
  return all;
}

void checkMoment(const Game& game) {
  const int n = game.slotCount();
  if (n == 0) fail("no blocks on the table");
  std::set<std::string> ids;
  for (int s = 0; s < n; ++s) {
    ids.insert(game.slot(s).puzzle.def.id);
    checkSlot(game, game.slot(s));
  }
  for (const auto& id : game.solvedIDs()) {
    if (!ids.contains(id)) fail("solved list names \"", id, "\", which is not on the table");
  }
  if (game.solvedCount() > game.figureCount()) {
    fail(game.solvedCount(), " solved of ", game.figureCount(), " figures");
  }

  const Screen screen = game.screen();
  const std::optional<int> current = game.current();
  if ((screen == Screen::home) != !current.has_value()) {
    fail("screen ", screenName(screen), current ? " with a block open" : " with no block open");
  }
  if (current && (*current < 0 || *current >= n)) fail("current block ", *current, " of ", n);
  const Slot* open = game.currentSlot();
  if (screen == Screen::solved && !open->puzzle.solved()) fail("solved screen on an unsolved ", slotName(*open));
  if (screen == Screen::playing && open->puzzle.solved()) fail("playing a block already solved: ", slotName(*open));

  const float reveal = game.revealT();
  if (!(reveal == -1 || within(reveal, 0, kRevealStops) || reveal == kRevealLongOver)) fail("revealT at ", reveal);
  if ((screen == Screen::solved) != (reveal >= 0)) fail("revealT ", reveal, " on the ", screenName(screen), " screen");
  if (game.revealCard() && screen != Screen::solved) fail("reveal card up on the ", screenName(screen), " screen");

  if (open != nullptr && game.mistakes() != open->puzzle.mistakes) {
    fail("the shown mistakes (", game.mistakes(), ") differ from ", slotName(*open), "'s ", open->puzzle.mistakes);
  }

  if (game.peel() < 0 || game.peelMax() < 1 || game.peel() > game.peelMax()) {
    fail("peel ", game.peel(), " of ", game.peelMax());
  }
  if (game.peel() > 0) {
    if (screen != Screen::playing) fail("peel ", game.peel(), " on the ", screenName(screen), " screen");
    const int depth = game.peelAxis() == 0 ? open->puzzle.X : open->puzzle.Z;
    if (game.peel() > depth - 1) fail("peel ", game.peel(), " through a block ", depth, " deep");
  }
  if (open != nullptr && (game.hover() < -1 || game.hover() >= open->puzzle.cellCount())) {
    fail("hover ", game.hover(), " in a block of ", open->puzzle.cellCount(), " cells");
  }

  if (const auto& guide = game.guide()) {
    if (screen != Screen::playing || !open->isTutorial() || open->puzzle.solved()) {
      fail("guide step ", guide->step, " shown outside play of the unsolved tutorial");
    }
    if (guide->step < 0 || guide->step > guide->total) fail("guide step ", guide->step, " of ", guide->total);
  }
  if (!game.guideCells().empty()) {
    if (!game.guide()) fail("guide cells lit with no guide");
    for (int cell : game.guideCells()) {
      if (cell < 0 || cell >= open->puzzle.cellCount()) fail("guide lights cell ", cell);
      if (open->puzzle.state[static_cast<size_t>(cell)] == CellState::broken) {
        fail("guide points at cell ", cell, ", already carved");
      }
    }
  }

  checkCamera(game);
  if (game.chips().size() > Game::kMaxChips) fail(game.chips().size(), " chips, more than ", Game::kMaxChips);
  for (const Chip& chip : game.chips()) {
    if (!finite(chip.pos) || !finite(chip.vel) || !finite(glm::vec4(chip.rot.x, chip.rot.y, chip.rot.z, chip.rot.w)) ||
        !finite(chip.spin) || !finite(chip.size) || !(chip.life > 0 && chip.life <= 2.6f + kSlack)) {
      fail("a chip at ", chip.pos.x, ",", chip.pos.y, ",", chip.pos.z, " with ", chip.life, " s to live");
    }
  }
  if (!within(game.clueAlpha(), 0, 1)) fail("clue fade ", game.clueAlpha());
  if (!finite(game.time()) || game.time() < 0) fail("game time ", game.time());
}

void checkFrame(const Game& game) {
  Frame f;
  try {
    f = game.frame();
  } catch (const std::exception& e) {
    fail("frame() threw: ", e.what());
  }
  size_t cells = 0;
  for (int s = 0; s < game.slotCount(); ++s) cells += static_cast<size_t>(game.slot(s).puzzle.cellCount());
  if (f.cubes.size() > cells) fail("frame holds ", f.cubes.size(), " cubes for ", cells, " cells");
  for (const CubeInst& cube : f.cubes) {
    // A cube swells at most by a fifth as it carves or pops away.
    if (!finite(cube.posScale) || !within(cube.posScale.w, 0, 1.2f) || !finite(cube.anim) || !finite(cube.origin)) {
      fail("frame cube at ", cube.posScale.x, ",", cube.posScale.y, ",", cube.posScale.z, " scale ", cube.posScale.w);
    }
  }
  // Per block a plinth and perhaps its figure; chips in one group.
  const size_t blocks = static_cast<size_t>(game.slotCount());
  const size_t groupLimit = 2 * blocks + 1;
  if (f.objects.size() > groupLimit) fail("frame holds ", f.objects.size(), " object groups");
  size_t insts = 0;
  for (const ObjectGroup& group : f.objects) {
    insts += group.insts.size();
    for (const ObjInst& inst : group.insts) {
      if (!finite(inst.model) || !finite(inst.color)) fail("frame object with a non-finite model or colour");
    }
  }
  if (insts > 2 * blocks + game.chips().size()) fail("frame holds ", insts, " object instances");
  const Uniforms& u = f.uniforms;
  if (!finite(u.viewProj) || !finite(u.camPos) || !finite(u.lightDir) || !finite(u.params)) {
    fail("frame uniforms not finite");
  }
  if (!finite(f.shadowCenter) || !(f.shadowRadius > 0 && std::isfinite(f.shadowRadius))) {
    fail("shadow area radius ", f.shadowRadius);
  }
  const FramePacking packing = packFrame(f);
  if (packing.groups.size() != f.objects.size() || packing.end < packing.cubes + f.cubes.size() * sizeof(CubeInst)) {
    fail("frame packed into ", packing.end, " bytes for ", f.cubes.size(), " cubes");
  }
}

Watch::Watch(const Game& game) {
  checkMoment(game);
  remember(game);
}

void Watch::remember(const Game& game) {
  progress_ = progressOf(game);
  solved_ = game.solvedIDs();
  screen_ = game.screen();
  current_ = game.current();
  showTutorial_ = game.showTutorial();
}

void Watch::checkTap(const Game& game, const Change& change, int open, const std::vector<Progress>& now) const {
  const Slot& slot = game.slot(open);
  const std::string name = slotName(slot);
  const Progress& before = progress_[static_cast<size_t>(open)];
  const Progress& after = now[static_cast<size_t>(open)];
  int changed = -1;
  for (size_t i = 0; i < before.state.size(); ++i) {
    if (before.state[i] == after.state[i]) continue;
    if (changed >= 0) fail("one tap changed cells ", changed, " and ", i, " of ", name);
    changed = static_cast<int>(i);
  }
  int mistakesAdded = 0;
  if (changed >= 0) {
    const auto i = static_cast<size_t>(changed);
    const CellState from = before.state[i], to = after.state[i];
    const bool figure = slot.puzzle.sol[i];
    bool legal = false;
    if (change.tool == Tool::carve) {
      // A figure cube carved stays, marked, and counts as a mistake.
      legal = from == CellState::solid && to == (figure ? CellState::marked : CellState::broken);
      if (legal && figure) mistakesAdded = 1;
    } else {
      legal = (from == CellState::solid && to == CellState::marked) ||
              (from == CellState::marked && to == CellState::solid);
    }
    if (!legal) {
      fail("a ", change.tool == Tool::carve ? "carve" : "mark", " tap turned ", figure ? "figure" : "surplus",
           " cell ", i, " of ", name, " from ", stateName(from), " to ", stateName(to));
    }
  }
  if (after.mistakes != before.mistakes + mistakesAdded) {
    fail(name, ": mistakes went from ", before.mistakes, " to ", after.mistakes, " on a tap that ",
         mistakesAdded != 0 ? "carved a figure cube" : "made no mistake");
  }
  if (after.elapsed != before.elapsed) fail(name, ": a tap moved the play clock");
}

void Watch::step(const Game& game, const Change& change) {
  const std::vector<Progress> now = progressOf(game);
  if (now.size() != progress_.size()) fail("the table went from ", progress_.size(), " to ", now.size(), " blocks");
  // The open block before the step: the only one a tap, a tick or a restart can touch.
  const int open = current_.value_or(-1);
  const bool inPlay = screen_ == Screen::playing && open >= 0;

  for (size_t s = 0; s < now.size(); ++s) {
    const Progress& before = progress_[s];
    const Progress& after = now[s];
    const bool isOpen = static_cast<int>(s) == open;
    const std::string name = slotName(game.slot(static_cast<int>(s)));
    if (isOpen && change.kind == Change::Kind::restart) {
      const bool fresh = after.mistakes == 0 && after.elapsed == 0 &&
                         std::all_of(after.state.begin(), after.state.end(),
                                     [](CellState c) { return c == CellState::solid; });
      if (!fresh) fail("restart left ", name, " with progress: ", after.mistakes, " mistakes, ", after.elapsed, " s");
      continue;
    }
    if (isOpen && inPlay && change.kind == Change::Kind::tap) {
      checkTap(game, change, open, now);
      continue;
    }
    if (after.state != before.state) fail("cells of ", name, " changed on a step that may not change them");
    if (after.mistakes != before.mistakes) {
      fail(name, ": mistakes went from ", before.mistakes, " to ", after.mistakes, " without a tap");
    }
    double clock = 0;  // how far the play clock may run
    if (change.kind == Change::Kind::tick && isOpen && inPlay && !showTutorial_) {
      clock = std::min(change.dt, Game::kLongestPlayClockTick);
    }
    const double ran = after.elapsed - before.elapsed;
    if (ran < 0 || ran > clock * (1 + 1e-6) + 1e-9) {
      fail(name, ": the play clock went from ", before.elapsed, " to ", after.elapsed, " on a step allowing ", clock,
           " s");
    }
  }

  checkMoment(game);
  for (size_t s = 0; s < now.size(); ++s) {
    const Puzzle& p = game.slot(static_cast<int>(s)).puzzle;
    if (now[s].state != progress_[s].state && p.solved()) {
      ++solves_;
      ++solvesByBlock_[p.def.id];
    }
  }
  remember(game);
}

void Watch::compareRestored(const Game& game) const {
  const std::vector<Progress> now = progressOf(game);
  if (now.size() != progress_.size()) fail("relaunched with ", now.size(), " blocks instead of ", progress_.size());
  for (size_t s = 0; s < now.size(); ++s) {
    const std::string name = slotName(game.slot(static_cast<int>(s)));
    if (now[s].state != progress_[s].state) fail(name, " restored with cells other than those saved");
    if (now[s].mistakes != progress_[s].mistakes) {
      fail(name, " restored with ", now[s].mistakes, " mistakes instead of ", progress_[s].mistakes);
    }
    if (now[s].elapsed != progress_[s].elapsed) {
      fail(name, " restored with ", now[s].elapsed, " s played instead of ", progress_[s].elapsed);
    }
  }
  if (game.solvedIDs() != solved_) fail("restored solved list differs from the saved one");
}

void Watch::restored(const Game& game) {
  compareRestored(game);
  checkMoment(game);
  remember(game);
}

}  // namespace sorvel::soak
