// The synthesised sounds against an independent double-precision evaluation
// of their recipes, plus the properties a listener relies on: pitch, note
// timing, envelope; and the sine every sound is made of, against the
// library's double-precision one.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <initializer_list>
#include <numbers>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "audio/fast_sine.hpp"
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

// Decaying partials {ratio, amplitude, decay} of one struck note `t` seconds
// in, before gain and attack.
double ring(double hz, double t, std::initializer_list<std::array<double, 3>> partials) {
  double sum = 0;
  for (const auto& [ratio, amplitude, decay] : partials) sum += amplitude * std::sin(ratio * kTwoPi * hz * t) * std::exp(-t / decay);
  return sum;
}

// `decay` is the fundamental's, the partials follow it; seeds are written out by hand.
struct Bar { SoundKind kind; int variant; double hz, decay, click, gain; std::uint32_t seed; };

// The recipes restated from the sound design.
const Bar kBars[] = {{SoundKind::mark, 0, 980, 0.03, 0.15, 0.7, 12740},
                     {SoundKind::unmark, 0, 820, 0.025, 0.15, 0.7, 10660},
                     {SoundKind::error, 0, 150, 0.09, 0.25, 0.9, 1950},
                     {SoundKind::tick, 0, 1500, 0.012, 0.05, 0.25, 19500},
                     {SoundKind::carve, 0, 520.0, 0.045, 0.5, 0.7, 6760},
                     {SoundKind::carve, 1, 551.2, 0.045, 0.5, 0.7, 7165},
                     {SoundKind::carve, 2, 584.272, 0.045, 0.5, 0.7, 7595},
                     {SoundKind::carve, 3, 619.3283, 0.045, 0.5, 0.7, 8051},
                     {SoundKind::carve, 4, 656.488, 0.045, 0.5, 0.7, 8534},
                     {SoundKind::carve, 5, 695.8773, 0.045, 0.5, 0.7, 9046}};

double barSample(const Bar& bar, std::size_t index) {
  const bool crackles = bar.kind == SoundKind::carve;
  Lcg noise{bar.seed};
  double lp = 0, r1 = 0, r2 = 0;
  for (std::size_t i = 0; i <= index; ++i) {
    r1 = noise.next();
    lp += (r1 - lp) * 0.35;
    if (crackles) r2 = noise.next();
  }
  const double t = index / kRate, d = bar.decay;
  double v = ring(bar.hz, t, {{1, 1, d}, {2.76, 0.5, 0.6 * d}, {5.4, 0.25, 0.4 * d}, {8.93, 0.12, 0.3 * d}});
  v += bar.click * lp * std::exp(-t / 0.006);
  if (crackles && t > 0.015) v += 0.18 * r1 * std::exp(-t / 0.05) * (r2 > double(0.7f) ? 1.0 : 0.2);
  v *= bar.gain;
  return 2000 * t < 1 ? v * 2000 * t : v;
}

constexpr double kNotes[5] = {523.25, 659.25, 783.99, 1046.5, 1318.5};
constexpr std::size_t kNoteStart[5] = {0, 4851, 9702, 14552, 19404};

double marimbaSample(std::size_t index) {
  double sum = 0;
  for (int j = 0; j < 5; ++j) {
    if (index < kNoteStart[j] || index - kNoteStart[j] >= 66150) continue;
    const double t = (index - kNoteStart[j]) / kRate;
    const double v = 0.22 * ring(kNotes[j], t, {{1, 1, 0.45}, {3.93, 0.35, 0.07}, {9.2, 0.12, 0.02}});
    sum += 3000 * t < 1 ? v * 3000 * t : v;
  }
  return sum;
}

double strongestFrequency(const std::vector<float>& samples) {
  double best = 0, bestHz = 0;
  for (double hz = 40; hz <= 14000; hz += 5) {
    const double coeff = 2 * std::cos(2 * std::numbers::pi * hz / kRate);  // Goertzel
    double s1 = 0, s2 = 0;
    for (float x : samples) s2 = std::exchange(s1, x + coeff * s1 - s2);
    const double m = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    if (m > best) best = m, bestHz = hz;
  }
  return bestHz;
}

const std::vector<float>& sound(SoundKind kind, int variant = 0) {
  static const SoundBank bank = SoundBank::synthesise();
  return bank.variants(kind).at(static_cast<std::size_t>(variant));
}

TEST(SynthTest, EveryKindHasItsVariantsAtTheirLengths) {
  const std::tuple<SoundKind, std::size_t, std::size_t> expected[] = {
      {SoundKind::carve, 6, 9702}, {SoundKind::mark, 1, 5292},     {SoundKind::unmark, 1, 4410},
      {SoundKind::error, 1, 13230}, {SoundKind::tick, 1, 2205},    {SoundKind::solved, 1, 94815},
      {SoundKind::whoosh, 1, 30870}};
  for (const auto& [kind, variants, length] : expected) {
    EXPECT_THROW(sound(kind, int(variants)), std::out_of_range) << soundKindName(kind);
    for (int k = 0; k < int(variants); ++k) EXPECT_EQ(sound(kind, k).size(), length) << soundKindName(kind);
  }
}

TEST(SynthTest, BarSoundsFollowTheirRecipesAndSoundAtTheirFundamental) {
  for (const Bar& bar : kBars) {
    const std::vector<float>& samples = sound(bar.kind, bar.variant);
    EXPECT_EQ(samples[0], 0.0f) << bar.hz << " Hz must start silent";
    // Through the attack, the click, the start of the crackle and the body.
    for (std::size_t i : {1u, 7u, 21u, 22u, 100u, 700u, 1500u, 2200u}) {
      EXPECT_NEAR(samples[i], barSample(bar, i), 2e-4) << bar.hz << " Hz, sample " << i;
    }
    EXPECT_NEAR(strongestFrequency(samples), bar.hz, 5.0) << soundKindName(bar.kind) << " " << bar.variant;
  }
}

TEST(SynthTest, JingleNotesStartOnTheirSamplesAndRingOutWhole) {
  const auto& solved = sound(SoundKind::solved);
  for (std::size_t start : kNoteStart) {
    // A note adds nothing on its first sample and is audible from the next;
    // a start one sample late or early shows up on either side.
    for (std::size_t i : {start, start + 1, start + 2, start + 2000}) {
      EXPECT_NEAR(solved[i], marimbaSample(i), 1e-4) << "sample " << i;
    }
    if (start > 0) {
      EXPECT_NEAR(solved[start - 1], marimbaSample(start - 1), 1e-4);
    }
  }
  for (std::size_t i : {60000u, 66149u, 66150u, 80000u}) EXPECT_NEAR(solved[i], marimbaSample(i), 1e-4) << i;
  // The last note rings up to sample 85553, inside the buffer; then silence.
  EXPECT_NE(solved[85553], 0.0f);
  EXPECT_TRUE(std::all_of(solved.begin() + 85554, solved.end(), [](float v) { return v == 0.0f; }));
}

TEST(SynthTest, WhooshSwellsAndFadesWithItsFilter) {
  const auto& whoosh = sound(SoundKind::whoosh);
  Lcg noise{99};
  double lp1 = 0, lp2 = 0;
  std::vector<double> energy(10);  // by tenths
  for (std::size_t i = 0; i < whoosh.size(); ++i) {
    const double r = noise.next(), envelope = std::sin(3.1415925 * i / 30870.0), cutoff = 0.1 * envelope + 0.02;
    lp1 += cutoff * (r - lp1);
    lp2 += cutoff * (lp1 - lp2);
    if (i % 997 == 0) {
      EXPECT_NEAR(whoosh[i], envelope * lp2 * 0.9, 1e-5) << i;
    }
    energy[i / 3087] += double(whoosh[i]) * whoosh[i];
  }
  // Quiet at both ends, a quarter of the loudness of the middle at most.
  EXPECT_LT(energy.front(), std::min(energy[4], energy[5]) / 16);
  EXPECT_LT(energy.back(), std::min(energy[4], energy[5]) / 16);
}

TEST(SynthTest, SynthesisingAgainGivesTheSameBits) {
  const SoundBank again = SoundBank::synthesise();
  for (SoundKind kind : {SoundKind::carve, SoundKind::mark, SoundKind::unmark, SoundKind::error,
                         SoundKind::tick, SoundKind::solved, SoundKind::whoosh}) {
    const auto& variants = again.variants(kind);
    for (std::size_t k = 0; k < variants.size(); ++k) {
      const auto& first = sound(kind, int(k));
      ASSERT_EQ(variants[k].size(), first.size());
      EXPECT_EQ(std::memcmp(variants[k].data(), first.data(), first.size() * sizeof(float)), 0)
          << soundKindName(kind) << " " << k;
    }
  }
}

TEST(SynthTest, CarvesMadeTogetherEqualCarvesMadeAlone) {
  for (int k = 0; k < 6; ++k) {
    const std::vector<float> alone = synthesiseBar(carveRecipe(k));
    ASSERT_EQ(alone.size(), sound(SoundKind::carve, k).size());
    EXPECT_EQ(std::memcmp(alone.data(), sound(SoundKind::carve, k).data(), alone.size() * sizeof(float)), 0) << k;
  }
}

float sineOf(float angle) {
  sinesInPlace(std::span(&angle, 1));
  return angle;
}

// Overlapping notes summed one after the other, in single precision, in the
// order they are struck: the synthesis must give exactly these bits, however
// it organises its work.
TEST(SynthTest, OverlappingNotesAddUpInTheOrderTheyAreStruck) {
  const std::array<float, 4> notes{440.0f, 554.37f, 659.25f, 880.0f};
  const float gap = 0.013f;
  const std::vector<float> made = synthesiseMarimba(notes, gap);
  std::vector<float> expected(made.size(), 0.0f);
  for (std::size_t j = 0; j < notes.size(); ++j) {
    const auto start = static_cast<std::size_t>(float(j) * gap * 44100.0f);
    const float w1 = 6.283185f * notes[j], w2 = 3.93f * w1, w3 = 9.2f * w1;
    for (std::size_t k = 0; k < 66150; ++k) {
      const float t = float(k) / 44100.0f;
      float v = (sineOf(w1 * t) * std::exp(-t / 0.45f) + 0.35f * sineOf(w2 * t) * std::exp(-t / 0.07f) +
                 0.12f * sineOf(w3 * t) * std::exp(-t / 0.02f)) *
                0.22f;
      if (3000.0f * t < 1.0f) v *= 3000.0f * t;
      expected[start + k] += v;
    }
  }
  ASSERT_EQ(made.size(), expected.size());
  for (std::size_t i = 0; i < made.size(); ++i) {
    ASSERT_EQ(std::bit_cast<std::uint32_t>(made[i]), std::bit_cast<std::uint32_t>(expected[i])) << "sample " << i;
  }
}

// Whether `got` is the float nearest the true sine of `angle`, or one of the
// two nearest where the sine lies within a double's rounding of halfway.
::testing::AssertionResult roundsCorrectly(float angle, float got) {
  const double exact = std::sin(double(angle));
  const float inf = std::numeric_limits<float>::infinity();
  const float neighbour = std::nextafter(got, exact > got ? inf : -inf);
  const double gap = std::fabs(double(neighbour) - double(got));
  const double error = std::fabs(double(got) - exact);
  if (error <= gap / 2 + 1e-15 * std::fabs(exact)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "sin(" << std::hexfloat << angle << ") gave " << got << ", exactly "
                                       << exact << std::defaultfloat << ": " << error / gap << " ulp off";
}

// Every binade from 2^-30 to the end of the fast range, a couple of thousand
// angles each with all sorts of low bits, both signs.
std::vector<float> sweptAngles() {
  std::vector<float> angles;
  for (int e = -30; e <= 19; ++e) {
    const std::uint32_t base = std::bit_cast<std::uint32_t>(std::ldexp(1.0f, e));
    for (std::uint32_t m = 0; m < (1u << 23); m += 4099) {
      const float x = std::bit_cast<float>(base + m);
      if (x > kSineRange) break;
      angles.push_back(x);
      angles.push_back(-x);
    }
  }
  angles.push_back(kSineRange);
  angles.push_back(-kSineRange);
  return angles;
}

TEST(SineTest, IsCorrectlyRoundedAndOddAcrossTheWholeRange) {
  const std::vector<float> angles = sweptAngles();
  std::vector<float> sines = angles;
  sinesInPlace(sines);
  for (std::size_t i = 0; i < angles.size(); ++i) {
    ASSERT_TRUE(roundsCorrectly(angles[i], sines[i]));
    // The pairs are x, -x: the sine must be odd to the last bit.
    if (i % 2 == 1 && i + 2 < angles.size()) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(sines[i]), std::bit_cast<std::uint32_t>(sines[i - 1]) ^ 0x80000000u)
          << angles[i - 1];
    }
  }
  EXPECT_EQ(std::bit_cast<std::uint32_t>(sineOf(0.0f)), 0u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(sineOf(-0.0f)), 0x80000000u);
}

// Just beside a multiple of π the sine is tiny and all its bits come from how
// exactly the multiple was taken off: the hardest angles for the reduction.
TEST(SineTest, StaysAccurateBesideMultiplesOfPi) {
  std::vector<float> angles;
  for (double k = 1; k * std::numbers::pi < kSineRange; k += k < 1000 ? 1 : 97) {
    const float nearest = static_cast<float>(k * std::numbers::pi);
    for (float x : {std::nextafter(nearest, 0.0f), nearest, std::nextafter(nearest, kSineRange)}) {
      if (x <= kSineRange) angles.insert(angles.end(), {x, -x});
    }
  }
  std::vector<float> sines = angles;
  sinesInPlace(sines);
  for (std::size_t i = 0; i < angles.size(); ++i) {
    ASSERT_TRUE(roundsCorrectly(angles[i], sines[i]));
    // Within a float's spacing or two of the multiple, so the sine is as small.
    const float spacing = std::nextafter(std::fabs(angles[i]), kSineRange * 2) - std::fabs(angles[i]);
    ASSERT_LE(std::fabs(sines[i]), 2 * spacing) << angles[i];
  }
}

TEST(SineTest, AnglesBeyondTheFastRangeStillGetTheirSine) {
  const float huge[] = {std::nextafter(kSineRange, 2e6f), 2.5e6f, -3.1e7f, 1e20f, std::numeric_limits<float>::max(),
                        -std::numeric_limits<float>::max()};
  for (float x : huge) EXPECT_TRUE(roundsCorrectly(x, sineOf(x)));
  EXPECT_TRUE(std::isnan(sineOf(std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(sineOf(std::numeric_limits<float>::quiet_NaN())));
  // One angle out of range leaves the others' bits as they are alone.
  std::vector<float> mixed{0.5f, 5e6f, 114323.0f, std::numeric_limits<float>::quiet_NaN(), -3.0f, 1e-3f};
  const std::vector<float> angles = mixed;
  sinesInPlace(mixed);
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const float alone = sineOf(angles[i]);
    EXPECT_EQ(std::memcmp(&mixed[i], &alone, sizeof(float)), 0) << angles[i];
  }
}

// The vector unit, the length of the span and an element's place in it must
// not change a single bit, or a buffer would depend on the machine.
TEST(SineTest, SameBitsWhateverTheVectorUnitOrSpanLength) {
  const std::vector<float> angles = sweptAngles();
  std::vector<float> widest = angles;
  sinesInPlace(widest);
  std::vector<float> baseline = angles;
  detail::sinesInPlaceBaseline(baseline);
  EXPECT_EQ(std::memcmp(widest.data(), baseline.data(), angles.size() * sizeof(float)), 0);

  for (std::size_t length = 0; length <= 40; ++length) {
    std::vector<float> part(angles.begin() + 1001, angles.begin() + 1001 + std::ptrdiff_t(length));
    sinesInPlace(part);
    for (std::size_t i = 0; i < length; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(part[i]), std::bit_cast<std::uint32_t>(widest[1001 + i]))
          << "length " << length << ", element " << i;
    }
  }
}

}  // namespace
}  // namespace sorvel
