#include "ui/texts.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorvel::ui {

std::string mistakesText(int mistakes) {
  if (mistakes == 0) return "sin fallos";
  if (mistakes == 1) return "1 fallo";
  return std::to_string(mistakes) + " fallos";
}

std::string closedChapterText(int figuresToOpen) {
  return "Talla " + std::to_string(figuresToOpen) + (figuresToOpen == 1 ? " figura" : " figuras") +
         " más del capítulo anterior para abrirlo";
}

std::string progressText(int solved, int figures) {
  if (solved == figures) return "Capítulo completo";
  return std::to_string(solved) + " de " + std::to_string(figures) + " figuras talladas";
}

std::string summaryText(double seconds, int mistakes) {
  // A clock that never ran, or one a damaged save made absurd, reads as no
  // time rather than as garbage or an overflow.
  constexpr double kLongest = 99'999 * 60.0 + 59;
  const double rounded = std::isfinite(seconds) && seconds > 0 ? std::round(std::min(seconds, kLongest)) : 0;
  const long total = static_cast<long>(rounded);
  char time[32];
  std::snprintf(time, sizeof time, "%ld:%02ld", total / 60, total % 60);
  return std::string("Tallado en ") + time + " \u00b7 " + mistakesText(mistakes);
}

std::string guideStepText(int step, int total) {
  return "Paso " + std::to_string(step) + " de " + std::to_string(total);
}

}  // namespace sorvel::ui
