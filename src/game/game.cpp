#include "game/game.hpp"

#include <cmath>
#include <iostream>
#include <utility>

#include "base/colour.hpp"
#include "base/resources.hpp"
#include "base/settings_store.hpp"
#include "game/reveal_timing.hpp"
#include "game/saved_keys.hpp"
#include "puzzle/library.hpp"

namespace sorvel {

namespace {

MeshHandle upload(GpuResources* gpu, const MeshData& mesh) {
  return gpu != nullptr ? gpu->uploadMesh(mesh) : MeshHandle{};
}

// A game cannot be played without its chapter, so a failure here is thrown:
// the entry loads the chapter first wherever it must report the reason.
Chapter takeChapter(std::optional<Chapter>& given, const std::filesystem::path& resources) {
  if (given) return *std::exchange(given, std::nullopt);
  Result<Chapter> loaded = Library::chapter(resources);
  if (!loaded) throw LoadError(loaded.why());
  return std::move(*loaded);
}

// The solved figure of the block, where the chapter has one. A damaged figure
// must not stop the game: the block still plays, and its figure is left out.
void loadFigure(Slot& slot, GpuResources& gpu, const std::filesystem::path& resources, const MessageSink& say) {
  const std::string& id = slot.puzzle.def.id;
  if (auto file = findResource(resources, "toys", id, "mesh")) {
    const Result<MeshData> read = Meshes::loadStoy(*file);
    if (read) {
      slot.toy = gpu.uploadMesh(*read);
    } else {
      say("sorvel: " + read.why() + "; the solved figure is left out");
    }
  }
  if (auto file = findResource(resources, "toys", id, "png")) slot.toyTex = gpu.loadTexture(*file);
}

}  // namespace

Game::Game(GameOptions options)
    : sound_(std::move(options.audio), options.seed, options.soundSay),
      bg_(hexLinear(0xE6DED2)),
      persist_(options.persist && options.store != nullptr),
      options_(std::move(options)),
      rng_(options_.seed) {
  const std::filesystem::path resources =
      options_.resources.empty() ? resourceDir() : options_.resources;
  auto [loadedChapter, defs] = takeChapter(options_.chapter, resources);
  chapter_ = std::move(loadedChapter);
  chipMesh_ = upload(options_.gpu, Meshes::plinth(1, 1, 0.3f, 10));

  const int n = static_cast<int>(defs.size());
  for (int i = 0; i < n; ++i) {
    auto slot = std::make_unique<Slot>(std::move(defs[static_cast<size_t>(i)]), i);
    const Puzzle& p = slot->puzzle;
    const float x = static_cast<float>(p.X), z = static_cast<float>(p.Z);
    slot->plinthRadius = std::sqrt(x * x + z * z) * 0.5f + 0.55f;
    slot->plinth = upload(options_.gpu, Meshes::plinth(slot->plinthRadius, kPlinthHeight, 0.14f, 96));
    if (options_.gpu != nullptr) loadFigure(*slot, *options_.gpu, resources, options_.say);
    if (persist_) restoreProgress(*slot);
    for (int c = 0; c < p.cellCount(); ++c) {
      const auto cell = static_cast<size_t>(c);
      if (p.state[cell] == CellState::broken) slot->breakT[cell] = 10;
      if (p.state[cell] == CellState::marked) slot->mark[cell] = 1;
    }
    slots_.push_back(std::move(slot));
  }
  layout();

  if (persist_) {
    std::set<std::string> solved;
    if (auto saved = options_.store->stringList(saved_keys::kSolved)) solved.insert(saved->begin(), saved->end());
    // The list is one key that another game open at the same time may have
    // saved over; a block left with nothing to carve was solved all the same.
    for (const auto& slot : slots_) {
      if (slot->puzzle.solved()) solved.insert(slot->puzzle.def.id);
    }
    setSolvedIDs(std::move(solved));
  }
  if (persist_) preferences_ = loadPreferences(*options_.store, options_.say);
  applyPreferences();
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
  const auto& names = slot->puzzle.def.name;
  const auto es = names.find("es");
  return es != names.end() ? es->second : slot->puzzle.def.id;
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
  if (slot->isTutorial()) return "Aprende a tallar";
  const auto k = std::count_if(slots_.begin(), slots_.end(), [slot](const auto& s) {
    return !s->isTutorial() && s->index <= slot->index;
  });
  return "Figura " + std::to_string(k) + " de " + std::to_string(figureCount());
}

void Game::showTutorialCard() { setShowTutorial(true); }

void Game::dismissTutorialCard() {
  setShowTutorial(false);
  if (options_.store != nullptr && persist_) options_.store->setBoolean(saved_keys::kTutorialSeen, true);
}

}  // namespace sorvel
