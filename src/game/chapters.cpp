#include <algorithm>
#include <cmath>

#include "base/language.hpp"
#include "base/resources.hpp"
#include "base/settings_store.hpp"
#include "game/game.hpp"
#include "game/saved_keys.hpp"
#include "meshes/mesh_data.hpp"

namespace sorvel {

namespace {

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

int figuresIn(const Chapter& chapter) {
  return static_cast<int>(
      std::count_if(chapter.puzzles.begin(), chapter.puzzles.end(), [](const PuzzleDef& p) { return !p.isTutorial(); }));
}

}  // namespace

std::vector<std::unique_ptr<Slot>> Game::buildSlots(const Chapter& chapter) {
  std::vector<std::unique_ptr<Slot>> slots;
  std::set<std::string> solved = solvedIDs_;
  const int n = static_cast<int>(chapter.puzzles.size());
  for (int i = 0; i < n; ++i) {
    auto slot = std::make_unique<Slot>(chapter.puzzles[static_cast<size_t>(i)], i);
    const Puzzle& p = slot->puzzle;
    const float x = static_cast<float>(p.X), z = static_cast<float>(p.Z);
    slot->plinthRadius = std::sqrt(x * x + z * z) * 0.5f + 0.55f;
    slot->plinth = uploadTo(options_.gpu, Meshes::plinth(slot->plinthRadius, kPlinthHeight, 0.14f, 96));
    if (options_.gpu != nullptr) loadFigure(*slot, *options_.gpu, chapter.folder, options_.say);
    if (persist_) restoreProgress(*slot);
    for (int c = 0; c < p.cellCount(); ++c) {
      const auto cell = static_cast<size_t>(c);
      if (p.state[cell] == CellState::broken) slot->breakT[cell] = 10;
      if (p.state[cell] == CellState::marked) slot->mark[cell] = 1;
    }
    // The solved list is one key that another game open at the same time may
    // have saved over; a block left with nothing to carve was solved all the same.
    if (persist_ && p.solved()) solved.insert(p.def.id);
    slots.push_back(std::move(slot));
  }
  setSolvedIDs(std::move(solved));
  return slots;
}

void Game::restoreShownChapter() {
  int shown = 0;
  if (shelf_.tried < shelf_.chapters.size()) {
    shown = static_cast<int>(shelf_.tried);
  } else if (persist_) {
    const std::optional<std::string> saved = options_.store->string(saved_keys::kShownChapter);
    for (int n = 0; saved && n < chapterCount(); ++n) {
      if (shelfChapter(n).chapter.id == *saved && chapterOpen(n)) shown = n;
    }
  }
  // At start the table is simply there: no flight, no sound.
  if (shown != shownChapter_) bringOnTable(shown);
}

void Game::bringOnTable(int n) {
  parkedSlots_[static_cast<size_t>(shownChapter_)] = std::move(slots_);
  std::vector<std::unique_ptr<Slot>>& parked = parkedSlots_[static_cast<size_t>(n)];
  slots_ = parked.empty() ? buildSlots(shelfChapter(n)) : std::move(parked);
  parked.clear();
  publish(shownChapter_, n);
  hoveredSlot_.reset();
  layout();
}

std::string Game::chapterTitle(int n) const {
  const Chapter& chapter = shelfChapter(n);
  const std::string name = nameIn(chapter.chapter.name, chapter.chapter.id);
  if (!chapter.shipped) return name;
  return fillIn(tr("Capítulo {0} · {1}"), {std::to_string(n + 1), name});
}

bool Game::chapterOpen(int n) const { return figuresToOpen(n) == 0; }

int Game::figuresToOpen(int n) const {
  if (n <= 0 || n >= chapterCount() || !shelfChapter(n).shipped) return 0;
  const Chapter& before = shelfChapter(n - 1);
  const int carved = static_cast<int>(std::count_if(before.puzzles.begin(), before.puzzles.end(), [this](const PuzzleDef& p) {
    return !p.isTutorial() && solvedIDs_.contains(p.id);
  }));
  const int half = (figuresIn(before) + 1) / 2;
  return std::max(0, half - carved);
}

void Game::openFromTable(int index) {
  if (chapterOpen(shownChapter_)) {
    open(index);
  } else {
    sound_.play(SoundKind::tick, 0.6f);
  }
}

void Game::showChapter(int n) {
  if (screen_ != Screen::home || n < 0 || n >= chapterCount() || n == shownChapter_) return;
  const int from = shownChapter_;
  bringOnTable(n);
  if (persist_) options_.store->setString(saved_keys::kShownChapter, shelfChapter(n).chapter.id);

  const glm::vec3 wasTarget = camera_.target;
  goHome(!preferences_.reducedMotion);
  if (preferences_.reducedMotion) return;
  // The new chapter's table slides in from the side its chevron points to.
  const float side = n > from ? -1.0f : 1.0f;
  camera_.target = homeTarget() + glm::vec3(side * homeWidth_ * 0.9f, 0, 0);
  camera_.target.y = wasTarget.y;
}

}  // namespace sorvel
