#include "game/game.hpp"
#include "base/language.hpp"

namespace sorvel {

namespace {

const char* const kGuideTexts[] = {
    translatable("Dentro de este bloque hay una figura escondida. Cada número dice cuántos cubos se quedan en "
    "su fila: un 3 en una fila de tres, por ejemplo, quiere decir que se queda entera."),
    translatable("La fila de arriba del todo, la de delante, tiene un 0 (míralo en el lado derecho): no se queda "
    "ningún cubo. Tállalos los tres."),
    translatable("Abajo, el 2 con círculo dice que quedan dos cubos separados. En una fila de tres, el hueco "
    "solo puede estar en medio. Talla el del medio."),
    translatable("Arrastra para girar el bloque y mirar por detrás. Pasa lo mismo: talla el cubo del medio."),
};

}  // namespace

void Game::updateGuide() {
  const Slot* slot = currentSlot();
  const Puzzle* p = slot != nullptr ? &slot->puzzle : nullptr;
  // The guide names fixed cells of a 3x3x2 block; a smaller tutorial gets none
  // rather than pointing outside its block.
  const bool active = screen_ == Screen::playing && p != nullptr && slot->isTutorial() && !p->solved() &&
                      p->X >= 3 && p->Y >= 3 && p->Z >= 2;
  if (!active) {
    if (guide_) setGuide(std::nullopt);
    guideCells_.clear();
    return;
  }

  Guide next;
  if (!guideIntroDone_) {
    next = Guide{.step = 0, .text = tr(kGuideTexts[0]), .button = tr("Vale")};
    guideCells_.clear();
  } else {
    const int X = p->X, Z = p->Z;
    const std::vector<std::vector<int>> steps = {
        {(2 * Z + 1) * X, (2 * Z + 1) * X + 1, (2 * Z + 1) * X + 2}, {X + 1}, {1}};
    auto broken = [p](int i) { return p->state[static_cast<size_t>(i)] == CellState::broken; };
    next = Guide{.step = 3, .text = ""};
    guideCells_.clear();
    for (size_t s = 0; s < steps.size(); ++s) {
      if (std::all_of(steps[s].begin(), steps[s].end(), broken)) continue;
      next = Guide{.step = static_cast<int>(s) + 1, .text = tr(kGuideTexts[s + 1])};
      for (int cell : steps[s]) {
        if (!broken(cell)) guideCells_.insert(cell);
      }
      break;
    }
  }
  if (guide_ != next) setGuide(std::move(next));
}

void Game::acknowledgeGuide() {
  guideIntroDone_ = true;
  updateGuide();
}

}  // namespace sorvel
