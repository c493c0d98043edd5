#include <cmath>
#include <glm/gtc/quaternion.hpp>
#include <numbers>

#include "base/maths.hpp"
#include "game/game.hpp"
#include "game/reveal_timing.hpp"
#include "game/settling.hpp"

namespace sorvel {

namespace {

constexpr float kTwoPi = 2 * std::numbers::pi_v<float>;

float fract(float v) { return v - std::floor(v); }

}  // namespace

void Game::tick(double dt) {
  // A clock that stepped back or read NaN must not poison anything for good:
  // it is no time.
  const double elapsed = dt > 0 ? dt : 0.0;
  // Slow frames still move everything at the speed of real time, in steps
  // short enough for the chips to bounce true; only a stall beyond
  // kLongestAnimatedTick is cut short, so nothing jumps.
  const double animated = std::min(elapsed, kLongestAnimatedTick);
  const int steps = std::max(1, static_cast<int>(std::ceil(animated / kLongestStep - 1e-9)));
  const auto d = static_cast<float>(animated / steps);
  for (int i = 0; i < steps; ++i) step(d);

  // The play clock counts real time, since it tells the player how long a
  // carving took; a machine suspended in the middle adds only a moment.
  Slot* open = openSlot();
  if (screen_ == Screen::playing && open != nullptr && !showTutorial_ && !playClockPaused_) {
    open->puzzle.elapsed += std::min(elapsed, kLongestPlayClockTick);
  }
}

void Game::step(float d) {
  time_ += d;

  if (!script_.empty()) {
    scriptT_ += d;
    while (!script_.empty() && script_.front().first <= scriptT_) {
      auto action = std::move(script_.front().second);
      script_.erase(script_.begin());
      action();
    }
  }

  easeCamera(d);
  const float clueGoal = screen_ == Screen::playing ? 1.0f : 0.0f;
  settling::easeTo(clueAlpha_, clueGoal, 6, d, settling::kUnit);

  for (const auto& slot : slots_) {
    tickCells(*slot, d);
    const bool shown = screen_ == Screen::home || current_ == slot->index;
    settling::easeTo(slot->presence, shown ? 1.0f : 0.0f, 5, d, settling::kUnit);
    const bool raised = screen_ == Screen::home && hoveredSlot_ == slot->index;
    settling::easeTo(slot->lift, raised ? 1.0f : 0.0f, 12, d, settling::kUnit);
    tickToy(*slot, d);
  }
  if (Slot* open = openSlot()) tickReveal(*open, d);
  tickChips(d);
}

void Game::tickCells(Slot& slot, float d) {
  const float markEase = easeFactor(14, d);
  const auto& state = slot.puzzle.state;
  for (size_t i = 0; i < state.size(); ++i) {
    if (slot.breakT[i] >= 0 && slot.breakT[i] < 5) slot.breakT[i] += d;
    if (slot.shake[i] > 0) slot.shake[i] = std::max(slot.shake[i] - d, 0.0f);
    if (slot.flash[i] > 0) slot.flash[i] = std::max(slot.flash[i] - 1.6f * d, 0.0f);
    const float markGoal = state[i] == CellState::marked ? 1.0f : 0.0f;
    settling::easeBy(slot.mark[i], markGoal, markEase, settling::kUnit);
    if (slot.popT[i] >= 0) slot.popT[i] += d;
  }
}

void Game::tickToy(Slot& slot, float d) {
  if (!solvedIDs_.contains(slot.puzzle.def.id) || !slot.puzzle.solved()) return;
  const bool isCurrent = current_ == slot.index;
  if (isCurrent && revealT_ > reveal::kSpinFrom) {
    slot.toySpin += 0.35f * d;
  } else if (!isCurrent) {
    // Figures on the table sway, each with its own phase; the target moves by
    // whole turns so a spun figure never unwinds.
    float target = -0.55f + 0.22f * std::sin(0.45f * time_ + 1.7f * static_cast<float>(slot.index));
    target += std::round((slot.toySpin - target) / kTwoPi) * kTwoPi;
    slot.toySpin += (target - slot.toySpin) * easeFactor(2.5f, d);
  }
}

void Game::tickReveal(Slot& slot, float d) {
  if (revealT_ < 0 || revealT_ >= reveal::kOver) return;
  const float before = revealT_;
  revealT_ += d;
  if (before < reveal::kSolvedSound && reveal::kSolvedSound <= revealT_) sound_.play(SoundKind::solved, 1);

  // The figure's cubes pop from the top layer down, each with a little jitter.
  const Puzzle& p = slot.puzzle;
  for (int j = 0; j < p.cellCount(); ++j) {
    const auto cell = static_cast<size_t>(j);
    if (!p.sol[cell] || slot.popT[cell] >= 0) continue;
    const glm::ivec3 cell3 = p.coords(j);
    const glm::vec3 c(cell3);
    const float h = fract(std::sin(37 * c.x + 91 * c.y + 13 * c.z) * 4375.85f);
    const float popAt = reveal::popStart(p.Y - 1 - cell3.y) + reveal::kPopJitter * h;
    if (revealT_ >= popAt) {
      slot.popT[cell] = 0;
      if (h < 0.6f) spawnChips(slot.cellCenter(j), 1, 0.7f);
    }
  }
  if (before < reveal::kCard && reveal::kCard <= revealT_) setRevealCard(true);
}

void Game::clearChips() { chips_.clear(); }

void Game::setToySpin(float radians) {
  if (Slot* slot = openSlot()) slot->toySpin = radians;
}

void Game::setMuted(bool muted) { sound_.enabled = !muted; }

void Game::setSoundRecorder(Sound::Recorder recorder) { sound_.recorder = std::move(recorder); }

void Game::tickChips(float d) {
  for (size_t i = 0; i < chips_.size();) {
    Chip& chip = chips_[i];
    const float nx = chip.pos.x + chip.vel.x * d;
    const float nz = chip.pos.z + chip.vel.z * d;
    float ground = 0.02f;
    for (const auto& slot : slots_) {
      if (std::hypot(nx - slot->center.x, nz - slot->center.z) < slot->plinthRadius) {
        ground = slot->origin.y;
        break;
      }
    }
    const float vy = chip.vel.y - 16 * d;
    float ny = chip.pos.y + vy * d;
    if (ny < ground) {
      ny = ground;
      chip.vel = {0.6f * chip.vel.x, -0.25f * vy, 0.6f * chip.vel.z};
      chip.spin *= 0.5f;
    } else {
      chip.vel.y = vy;
    }
    chip.pos = {nx, ny, nz};
    const float spinRate = glm::length(chip.spin);
    if (spinRate > 0.001f) chip.rot = glm::angleAxis(spinRate * d, chip.spin / spinRate) * chip.rot;
    chip.life -= d;
    if (chip.life <= 0) {
      chip = chips_.back();
      chips_.pop_back();
      continue;  // the chip moved into this place is stepped next
    }
    ++i;
  }
}

float Game::random(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }

void Game::spawnChips(glm::vec3 p, int count, float power) {
  for (int n = 0; n < count; ++n) {
    Chip chip;
    const float angle = random(0, kTwoPi);
    const float up = random(2.5f, 5.5f);
    const float out = random(1.2f, 3.2f);
    chip.pos = p + glm::vec3(random(-0.3f, 0.3f), random(-0.2f, 0.3f), random(-0.3f, 0.3f));
    chip.vel = {std::cos(angle) * power * out, power * up, std::sin(angle) * power * out};
    const glm::vec3 axis = glm::normalize(glm::vec3(random(-1, 1), 1, random(-1, 1)));
    chip.rot = glm::angleAxis(random(0, 6), axis);
    chip.spin = {random(-12, 12), random(-12, 12), random(-12, 12)};
    chip.life = random(1.6f, 2.6f);
    chip.size = {random(0.09f, 0.16f), 0.03f, random(0.05f, 0.09f)};
    chip.tint = random(0.85f, 1.1f);
    chips_.push_back(chip);
  }
  if (chips_.size() > kMaxChips) {
    chips_.erase(chips_.begin(), chips_.begin() + static_cast<std::ptrdiff_t>(chips_.size() - kMaxChips));
  }
}

}  // namespace sorvel
