#include "ui/texts.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/language.hpp"

namespace sorvel::ui {

std::string mistakesText(int mistakes) {
  if (mistakes == 0) return tr("sin fallos");
  return fillIn(trn("{0} fallo", "{0} fallos", mistakes), {std::to_string(mistakes)});
}

std::string closedChapterText(int figuresToOpen) {
  return fillIn(trn("Talla {0} figura más del capítulo anterior para abrirlo",
                    "Talla {0} figuras más del capítulo anterior para abrirlo", figuresToOpen),
                {std::to_string(figuresToOpen)});
}

std::string progressText(int solved, int figures) {
  if (solved == figures) return tr("Capítulo completo");
  return fillIn(tr("{0} de {1} figuras talladas"), {std::to_string(solved), std::to_string(figures)});
}

std::string summaryText(double seconds, int mistakes) {
  // A clock that never ran, or one a damaged save made absurd, reads as no
  // time rather than as garbage or an overflow.
  constexpr double kLongest = 99'999 * 60.0 + 59;
  const double rounded = std::isfinite(seconds) && seconds > 0 ? std::round(std::min(seconds, kLongest)) : 0;
  const long total = static_cast<long>(rounded);
  char time[32];
  std::snprintf(time, sizeof time, "%ld:%02ld", total / 60, total % 60);
  return fillIn(tr("Tallado en {0} · {1}"), {time, mistakesText(mistakes)});
}

std::string guideStepText(int step, int total) {
  return fillIn(tr("Paso {0} de {1}"), {std::to_string(step), std::to_string(total)});
}

}  // namespace sorvel::ui
