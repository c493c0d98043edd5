#include "ui/texts.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sorvel::ui {
namespace {

TEST(UiTexts, MistakesAndProgressReadAsSentences) {
  EXPECT_EQ(mistakesText(0), "sin fallos");
  EXPECT_EQ(mistakesText(1), "1 fallo");
  EXPECT_EQ(mistakesText(12), "12 fallos");
  EXPECT_EQ(progressText(3, 8), "3 de 8 figuras talladas");
  EXPECT_EQ(progressText(8, 8), "Capítulo completo");
  EXPECT_EQ(guideStepText(2, 5), "Paso 2 de 5");
}

TEST(UiTexts, TheSummaryRoundsToTheSecondAndKeepsToMinutes) {
  EXPECT_EQ(summaryText(83.6, 2), "Tallado en 1:24 · 2 fallos");
  EXPECT_EQ(summaryText(59.5, 0), "Tallado en 1:00 · sin fallos");
  EXPECT_EQ(summaryText(59.49, 1), "Tallado en 0:59 · 1 fallo");
  EXPECT_EQ(summaryText(3600, 0), "Tallado en 60:00 · sin fallos");
  // A damaged save's time must not print garbage or overflow.
  for (double bad : {-5.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(summaryText(bad, 0), "Tallado en 0:00 · sin fallos") << bad;
  }
  EXPECT_EQ(summaryText(1e300, 0), "Tallado en 99999:59 · sin fallos");
}

}  // namespace
}  // namespace sorvel::ui
