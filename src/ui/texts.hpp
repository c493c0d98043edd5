#pragma once

#include <string>

namespace sorvel::ui {

// The interface's sentences that depend on numbers, in the player's language.

// "sin fallos", "1 fallo", "N fallos".
std::string mistakesText(int mistakes);
// "N de M figuras talladas", or "Capítulo completo" once all are carved.
std::string progressText(int solved, int figures);
// "Talla N figuras más del capítulo anterior para abrirlo" (one figure: "figura").
std::string closedChapterText(int figuresToOpen);
// "Tallado en M:SS · <mistakes>": the time rounded to the nearest second,
// halves up, in minutes that are never split into hours.
std::string summaryText(double seconds, int mistakes);
// "Paso N de M".
std::string guideStepText(int step, int total);

}  // namespace sorvel::ui
