// The synthesised sounds against an independent double-precision evaluation
// of their recipes, plus the properties a listener relies on: pitch, note
// timing, envelope.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/synth.hpp"

namespace sorvel {
namespace {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.283185;  // the constant the sounds are defined with

struct Lcg {
  std::uint32_t state;
  double next() {
    state = state * 1664525u + 1013904223u;
    return 2.0 * ((state >> 8) / 16777216.0) - 1.0;
  }
};

struct Bar {
  double f;
  std::size_t n;
  float d1, d2, d3, d4;
  double click, gain;
  std::uint32_t seed;
  bool crackle;
};

// The recipes restated from the sound design, seeds written out by hand.
const Bar kMark{980, 5292, 0.03f, 0.018f, 0.012f, 0.009f, 0.15, 0.7, 12740, false};
const Bar kUnmark{820, 4410, 0.025f, 0.015f, 0.01f, 0.0075f, 0.15, 0.7, 10660, false};
const Bar kError{150, 13230, 0.09f, 0.054f, 0.036f, 0.027f, 0.25, 0.9, 1950, false};
const Bar kTick{1500, 2205, 0.012f, 0.0072f, 0.0048f, 0.0036f, 0.05, 0.25, 19500, false};
Bar carve(int k) {
  constexpr double kFreq[6] = {520.0, 551.2, 584.27, 619.33, 656.49, 695.88};
  constexpr std::uint32_t kSeed[6] = {6760, 7165, 7595, 8051, 8534, 9046};
  return {kFreq[k], 9702, 0.045f, 0.027f, 0.018f, 0.0135f, 0.5, 0.7, kSeed[k], true};
}

// Sample `index` of a bar sound, evaluated in double precision.
double barSample(const Bar& bar, std::size_t index) {
  Lcg noise{bar.seed};
  double lp = 0, r1 = 0, r2 = 0;
  for (std::size_t i = 0; i <= index; ++i) {
    r1 = noise.next();
    lp += (r1 - lp) * 0.35;
    if (bar.crackle) r2 = noise.next();
  }
  const double t = index / kRate, w = kTwoPi * bar.f;
  const double body = std::sin(w * t) * std::exp(-t / bar.d1) +
                      0.5 * std::sin(2.76 * w * t) * std::exp(-t / bar.d2) +
                      0.25 * std::sin(5.4 * w * t) * std::exp(-t / bar.d3) +
                      0.12 * std::sin(8.93 * w * t) * std::exp(-t / bar.d4);
  const double click = bar.click * lp * std::exp(-t / 0.006);
  double crackle = 0;
  if (bar.crackle && t > 0.015) crackle = 0.18 * r1 * std::exp(-t / 0.05) * (r2 > double(0.7f) ? 1.0 : 0.2);
  const double v = (body + click + crackle) * bar.gain;
  return 2000 * t < 1 ? v * 2000 * t : v;
}

constexpr double kNotes[5] = {523.25, 659.25, 783.99, 1046.5, 1318.5};
constexpr std::size_t kNoteStart[5] = {0, 4851, 9702, 14552, 19404};

double marimbaSample(std::size_t index) {
  double sum = 0;
  for (int j = 0; j < 5; ++j) {
    if (index < kNoteStart[j] || index - kNoteStart[j] >= 66150) continue;
    const double t = (index - kNoteStart[j]) / kRate, w = kTwoPi * kNotes[j];
    double v = (std::sin(w * t) * std::exp(-t / 0.45) + 0.35 * std::sin(3.93 * w * t) * std::exp(-t / 0.07) +
                0.12 * std::sin(9.2 * w * t) * std::exp(-t / 0.02)) *
               0.22;
    if (3000 * t < 1) v *= 3000 * t;
    sum += v;
  }
  return sum;
}

std::vector<double> whooshReference() {
  constexpr std::size_t n = 30870;
  Lcg noise{99};
  std::vector<double> out(n);
  double lp1 = 0, lp2 = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double r = noise.next();
    const double env = std::sin(3.1415925 * i / n);
    const double c = 0.1 * env + 0.02;
    lp1 += c * (r - lp1);
    lp2 += c * (lp1 - lp2);
    out[i] = env * lp2 * 0.9;
  }
  return out;
}

// Magnitude of the spectrum of `samples` at `hz` (Goertzel).
double magnitudeAt(const std::vector<float>& samples, double hz) {
  const double coeff = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
  double s1 = 0, s2 = 0;
  for (float x : samples) {
    const double s0 = x + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return std::sqrt(s1 * s1 + s2 * s2 - coeff * s1 * s2);
}

double strongestFrequency(const std::vector<float>& samples) {
  double best = 0, bestHz = 0;
  for (double hz = 40; hz <= 14000; hz += 5) {
    const double m = magnitudeAt(samples, hz);
    if (m > best) best = m, bestHz = hz;
  }
  return bestHz;
}

class SynthTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { bank_ = new SoundBank(SoundBank::synthesise()); }
  static void TearDownTestSuite() { delete bank_; }
  static const std::vector<float>& only(SoundKind kind) {
    const auto& variants = bank_->variants(kind);
    EXPECT_EQ(variants.size(), 1u) << soundKindName(kind);
    return variants.front();
  }
  static SoundBank* bank_;
};
SoundBank* SynthTest::bank_ = nullptr;

TEST_F(SynthTest, EveryKindHasItsVariantsAtTheirLengths) {
  const auto& carves = bank_->variants(SoundKind::carve);
  ASSERT_EQ(carves.size(), 6u);
  for (const auto& c : carves) EXPECT_EQ(c.size(), 9702u);
  EXPECT_EQ(only(SoundKind::mark).size(), 5292u);
  EXPECT_EQ(only(SoundKind::unmark).size(), 4410u);
  EXPECT_EQ(only(SoundKind::error).size(), 13230u);
  EXPECT_EQ(only(SoundKind::tick).size(), 2205u);
  EXPECT_EQ(only(SoundKind::solved).size(), 94815u);
  EXPECT_EQ(only(SoundKind::whoosh).size(), 30870u);
}

TEST_F(SynthTest, BarSoundsFollowTheirRecipes) {
  const std::pair<const Bar, const std::vector<float>*> cases[] = {
      {kMark, &only(SoundKind::mark)},   {kUnmark, &only(SoundKind::unmark)},
      {kError, &only(SoundKind::error)}, {kTick, &only(SoundKind::tick)},
      {carve(0), &bank_->variants(SoundKind::carve)[0]},
      {carve(3), &bank_->variants(SoundKind::carve)[3]},
      {carve(5), &bank_->variants(SoundKind::carve)[5]}};
  for (const auto& [bar, samples] : cases) {
    EXPECT_EQ((*samples)[0], 0.0f) << bar.f << " Hz must start silent";
    // Through the attack, the click, the start of the crackle and the body.
    for (std::size_t i : {1u, 7u, 21u, 22u, 100u, 400u, 700u, 1000u, 1500u, 2200u}) {
      EXPECT_NEAR((*samples)[i], barSample(bar, i), 2e-4) << bar.f << " Hz, sample " << i;
    }
  }
}

TEST_F(SynthTest, EachBarSoundsAtItsFundamental) {
  const auto& carves = bank_->variants(SoundKind::carve);
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(strongestFrequency(carves[k]), carve(k).f, 5.0) << "carve " << k;
  EXPECT_NEAR(strongestFrequency(only(SoundKind::mark)), 980, 5.0);
  EXPECT_NEAR(strongestFrequency(only(SoundKind::unmark)), 820, 5.0);
  EXPECT_NEAR(strongestFrequency(only(SoundKind::error)), 150, 5.0);
  EXPECT_NEAR(strongestFrequency(only(SoundKind::tick)), 1500, 5.0);
}

TEST_F(SynthTest, JingleNotesStartOnTheirSamplesAndRingOutWhole) {
  const auto& solved = only(SoundKind::solved);
  for (std::size_t start : kNoteStart) {
    // A note adds nothing on its first sample and is audible from the next;
    // a start one sample late or early shows up on either side.
    for (std::size_t i : {start, start + 1, start + 2, start + 50, start + 2000}) {
      EXPECT_NEAR(solved[i], marimbaSample(i), 1e-4) << "sample " << i;
    }
    if (start > 0) {
      EXPECT_NEAR(solved[start - 1], marimbaSample(start - 1), 1e-4);
    }
  }
  for (std::size_t i : {30000u, 60000u, 66149u, 66150u, 80000u}) {
    EXPECT_NEAR(solved[i], marimbaSample(i), 1e-4) << "sample " << i;
  }
  // The last note rings up to sample 85553, inside the buffer; then silence.
  EXPECT_NE(solved[85553], 0.0f);
  EXPECT_TRUE(std::all_of(solved.begin() + 85554, solved.end(), [](float v) { return v == 0.0f; }));
}

TEST_F(SynthTest, WhooshSwellsAndFadesWithItsFilter) {
  const auto& whoosh = only(SoundKind::whoosh);
  const std::vector<double> reference = whooshReference();
  ASSERT_EQ(whoosh.size(), reference.size());
  for (std::size_t i = 0; i < whoosh.size(); i += 997) EXPECT_NEAR(whoosh[i], reference[i], 1e-5) << i;
  EXPECT_EQ(whoosh[0], 0.0f);

  // Loudness in tenths: quiet at both ends, loudest around the middle.
  std::vector<double> rms;
  const std::size_t tenth = whoosh.size() / 10;
  for (std::size_t part = 0; part < 10; ++part) {
    double sum = 0;
    for (std::size_t i = part * tenth; i < (part + 1) * tenth; ++i) sum += double(whoosh[i]) * whoosh[i];
    rms.push_back(std::sqrt(sum / tenth));
  }
  const auto loudest = std::max_element(rms.begin(), rms.end()) - rms.begin();
  EXPECT_GE(loudest, 3);
  EXPECT_LE(loudest, 6);
  EXPECT_LT(rms.front(), rms[static_cast<std::size_t>(loudest)] / 4);
  EXPECT_LT(rms.back(), rms[static_cast<std::size_t>(loudest)] / 4);
}

TEST_F(SynthTest, LevelsAreSaneAndCentred) {
  // The bar attacks pass full scale (the error sound reaches about 1.34); the
  // mixer limits the sum. Anything much louder would be a broken gain.
  for (SoundKind kind : kAllSoundKinds) {
    for (const auto& samples : bank_->variants(kind)) {
      double peak = 0, sum = 0;
      for (float v : samples) peak = std::max(peak, std::fabs(double(v))), sum += v;
      EXPECT_LT(peak, 1.5) << soundKindName(kind);
      EXPECT_GT(peak, 0.1) << soundKindName(kind);
      EXPECT_LT(std::fabs(sum / samples.size()), 0.005) << soundKindName(kind) << " has a DC offset";
    }
  }
}

}  // namespace
}  // namespace sorvel
