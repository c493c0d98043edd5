#include "game/game.hpp"

#include <cmath>
#include <iostream>
#include <utility>

#include "base/colour.hpp"
#include "base/language.hpp"
#include "base/resources.hpp"
#include "base/settings_store.hpp"
#include "game/reveal_timing.hpp"
#include "game/saved_keys.hpp"
#include "puzzle/library.hpp"

namespace sorvel {

namespace {

// A game cannot be played without its chapter, so a failure here is thrown:
// the entry loads the chapter first wherever it must report the reason.
Shelf takeShelf(GameOptions& options) {
  if (options.shelf) return *std::exchange(options.shelf, std::nullopt);
  Shelf shelf = Library::loadShelf(
      {.resources = options.resources, .playerChapters = options.playerChapters, .tryChapter = options.tryChapter});
  for (const std::string& note : shelf.notes) options.say("sorvel: " + note);
  return shelf;
}

}  // namespace

Game::Game(GameOptions options)
    : sound_(std::move(options.audio), options.seed, options.soundSay),
      bg_(hexLinear(0xE6DED2)),
      persist_(options.persist && options.store != nullptr),
      options_(std::move(options)),
      rng_(options_.seed) {
  if (options_.resources.empty()) options_.resources = resourceDir();
  shelf_ = takeShelf(options_);
  if (shelf_.chapters.empty()) throw LoadError("no chapter to play");
  parkedSlots_.resize(shelf_.chapters.size());
  chipMesh_ = uploadTo(options_.gpu, Meshes::plinth(1, 1, 0.3f, 10));
  if (persist_) {
    if (auto saved = options_.store->stringList(saved_keys::kSolved)) {
      setSolvedIDs(std::set<std::string>(saved->begin(), saved->end()));
    }
  }
  slots_ = buildSlots(shelf_.chapters[0]);
  layout();
  if (persist_) preferences_ = loadPreferences(*options_.store, options_.say);
  if (options_.language) {
    preferences_.language = *options_.language;
    languageForRun_ = true;
  }
  applyPreferences();
  restoreShownChapter();
  goHome(false);

  if (persist_ && !options_.store->boolean(saved_keys::kLaunched)) {
    options_.store->setBoolean(saved_keys::kLaunched, true);
    for (const auto& slot : slots_) {
      if (slot->isTutorial() && !solvedIDs_.contains(slot->puzzle.def.id)) {
        open(slot->index);
        break;
      }
    }
  }
}

Game::~Game() = default;

std::ostream& Game::out() { return options_.out != nullptr ? *options_.out : std::cout; }

Slot* Game::openSlot() {
  return current_ ? slots_[static_cast<size_t>(*current_)].get() : nullptr;
}
const Slot* Game::currentSlot() const {
  return current_ ? slots_[static_cast<size_t>(*current_)].get() : nullptr;
}

void Game::open(int index) {
  Slot& slot = *slots_.at(static_cast<size_t>(index));
  // The block left behind keeps the play time run up since its last action.
  if (const Slot* left = currentSlot()) save(*left);
  clearHistory();
  setCurrent(index);
  setMistakes(slot.puzzle.mistakes);
  setPeelValue(0);
  hover_ = -1;
  hideCursor();
  hoveredSlot_.reset();
  setRevealCard(false);

  if (solvedIDs_.contains(slot.puzzle.def.id) && slot.puzzle.solved()) {
    setScreen(Screen::solved);
    updateGuide();  // a guide left up by the tutorial goes
    revealT_ = reveal::kLongOver;
    setRevealCard(true);
    setLastTime(slot.puzzle.elapsed);
    aimAtSolved(slot, 0.55f);
    sound_.play(SoundKind::whoosh, 0.5f);
    return;
  }

  setScreen(Screen::playing);
  revealT_ = reveal::kNone;
  std::fill(slot.popT.begin(), slot.popT.end(), -1.0f);
  camera_.goalYaw = 0.55f;
  camera_.goalPitch = 0.42f;
  camera_.goalZoom = 1;
  // The layers are counted for this block from the first frame, not left
  // from the last block's view to change under the first click.
  updatePeelAxis();
  sound_.play(SoundKind::whoosh, 0.5f);
  guideIntroDone_ = std::any_of(slot.puzzle.state.begin(), slot.puzzle.state.end(),
                                [](CellState s) { return s == CellState::broken; });
  updateGuide();
  camera_.goalDist = fitDistance(slot) * playDistanceFactor(slot);
  camera_.goalTarget = playTarget(slot);
}

void Game::goHome(bool animated) {
  if (const Slot* open = currentSlot()) save(*open);
  clearHistory();
  setScreen(Screen::home);
  setCurrent(std::nullopt);
  hideCursor();
  setGuide(std::nullopt);
  guideCells_.clear();
  setRevealCard(false);
  revealT_ = reveal::kNone;
  setPeelValue(0);

  camera_.goalTarget = homeTarget();
  camera_.goalYaw = 0;
  camera_.goalPitch = homePitch();
  camera_.goalDist = homeDistance();
  // The table has no zoom of its own: one left from a block would leave
  // blocks off-screen with no way to bring them back.
  camera_.goalZoom = 1;
  if (animated) {
    sound_.play(SoundKind::whoosh, 0.5f);
  } else {
    snapCamera();
  }
}

void Game::nextPuzzle() {
  if (!current_) return;
  open((*current_ + 1) % static_cast<int>(slots_.size()));  // open() saves the block it leaves
}

void Game::restartCurrent() {
  Slot* slot = openSlot();
  if (slot == nullptr) return;
  Puzzle& p = slot->puzzle;
  std::fill(p.state.begin(), p.state.end(), CellState::solid);
  std::fill(slot->breakT.begin(), slot->breakT.end(), -1.0f);
  std::fill(slot->mark.begin(), slot->mark.end(), 0.0f);
  std::fill(slot->popT.begin(), slot->popT.end(), -1.0f);
  p.mistakes = 0;
  p.elapsed = 0;
  setMistakes(0);
  std::set<std::string> solved = solvedIDs_;
  solved.erase(p.def.id);
  setSolvedIDs(std::move(solved));
  saveSolved();
  save(*slot);
  open(slot->index);
}

std::string Game::currentName() const {
  const Slot* slot = currentSlot();
  if (slot == nullptr) return {};
  return nameIn(slot->puzzle.def.name, slot->puzzle.def.id);
}

int Game::figureCount() const {
  return static_cast<int>(
      std::count_if(slots_.begin(), slots_.end(), [](const auto& s) { return !s->isTutorial(); }));
}

int Game::solvedCount() const {
  return static_cast<int>(std::count_if(slots_.begin(), slots_.end(), [this](const auto& s) {
    return !s->isTutorial() && solvedIDs_.contains(s->puzzle.def.id);
  }));
}

std::string Game::playTitle() const {
  const Slot* slot = currentSlot();
  if (slot == nullptr) return {};
  if (slot->isTutorial()) return tr("Aprende a tallar");
  const auto k = std::count_if(slots_.begin(), slots_.end(), [slot](const auto& s) {
    return !s->isTutorial() && s->index <= slot->index;
  });
  return fillIn(tr("Figura {0} de {1}"), {std::to_string(k), std::to_string(figureCount())});
}

void Game::showTutorialCard() { setShowTutorial(true); }

void Game::dismissTutorialCard() {
  setShowTutorial(false);
  if (options_.store != nullptr && persist_) options_.store->setBoolean(saved_keys::kTutorialSeen, true);
}

}  // namespace sorvel
