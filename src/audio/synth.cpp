#include "audio/synth.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

// This file is compiled without floating-point contraction (see
// CMakeLists.txt): every product and sum is rounded to single precision on its
// own, so a buffer comes out the same bit for bit whatever the compiler fuses.

namespace sorvel {
namespace {

constexpr float kRate = static_cast<float>(kSampleRate);
constexpr float kTwoPi = 6.283185f;
constexpr float kPi = 3.1415925f;

// The overtones of a uniform bar free at both ends, as ratios to the
// fundamental.
constexpr float kPartialRatio2 = 2.76f;
constexpr float kPartialRatio3 = 5.4f;
constexpr float kPartialRatio4 = 8.93f;

constexpr float kBarAttack = 2000.0f;      // 0.5 ms to full level
constexpr float kMarimbaAttack = 3000.0f;  // a third of a millisecond
constexpr std::uint32_t kMarimbaRing = 66150;  // 1.5 s

float timeOf(std::uint32_t sample) { return static_cast<float>(sample) / kRate; }

// The exponential decays depend only on time, so sounds of the same length
// and decays share one table of them; the values are exactly those computed
// sample by sample, only computed once.
std::vector<float> decayTable(std::uint32_t samples, float decay) {
  std::vector<float> table(samples);
  for (std::uint32_t i = 0; i < samples; ++i) table[i] = std::exp(-timeOf(i) / decay);
  return table;
}

struct BarDecays {
  std::array<std::vector<float>, 4> partials;
  std::vector<float> click;
  std::vector<float> crackle;  // empty unless the recipe crackles
};

BarDecays barDecays(const BarRecipe& recipe) {
  BarDecays decays;
  for (std::size_t p = 0; p < 4; ++p) decays.partials[p] = decayTable(recipe.samples, recipe.decays[p]);
  decays.click = decayTable(recipe.samples, 0.006f);
  if (recipe.crackle) decays.crackle = decayTable(recipe.samples, 0.05f);
  return decays;
}

std::vector<float> synthesiseBar(const BarRecipe& recipe, const BarDecays& decays) {
  const float w1 = kTwoPi * recipe.frequency;
  const float w2 = kPartialRatio2 * w1;
  const float w3 = kPartialRatio3 * w1;
  const float w4 = kPartialRatio4 * w1;
  const auto& [e1, e2, e3, e4] = decays.partials;
  NoiseGenerator noise(static_cast<std::uint32_t>(recipe.frequency * 13.0f));

  std::vector<float> out(recipe.samples);
  float lowPass = 0.0f;
  for (std::uint32_t i = 0; i < recipe.samples; ++i) {
    const float t = timeOf(i);
    const float body = std::sin(w1 * t) * e1[i] + 0.5f * std::sin(w2 * t) * e2[i] +
                       0.25f * std::sin(w3 * t) * e3[i] + 0.12f * std::sin(w4 * t) * e4[i];
    const float r1 = noise.next();
    lowPass = lowPass + (r1 - lowPass) * 0.35f;
    const float click = recipe.click * lowPass * decays.click[i];
    float crackle = 0.0f;
    if (recipe.crackle) {
      // The second draw happens on every sample, chip or not, so the noise
      // sequence stays in step with the sample index.
      const float r2 = noise.next();
      const float gate = t > 0.015f ? 1.0f : 0.0f;
      const float chip = r2 > 0.7f ? 1.0f : 0.2f;
      crackle = 0.18f * r1 * decays.crackle[i] * gate * chip;
    }
    float v = (body + click + crackle) * recipe.gain;
    const float ramp = kBarAttack * t;
    if (ramp < 1.0f) v *= ramp;
    out[i] = v;
  }
  return out;
}

}  // namespace

BarRecipe carveRecipe(int variant) {
  // The power is taken in single precision: the six pitches and their seeds
  // follow from exactly these values.
  const float frequency = 520.0f * std::pow(1.06f, static_cast<float>(variant));
  return {.frequency = frequency,
          .samples = 9702,
          .decays = {0.045f, 0.027f, 0.018f, 0.0135f},
          .click = 0.5f,
          .gain = 0.7f,
          .crackle = true};
}

BarRecipe barRecipe(SoundKind kind) {
  switch (kind) {
    case SoundKind::mark:
      return {.frequency = 980.0f, .samples = 5292, .decays = {0.03f, 0.018f, 0.012f, 0.009f},
              .click = 0.15f, .gain = 0.7f};
    case SoundKind::unmark:
      return {.frequency = 820.0f, .samples = 4410, .decays = {0.025f, 0.015f, 0.01f, 0.0075f},
              .click = 0.15f, .gain = 0.7f};
    case SoundKind::error:
      return {.frequency = 150.0f, .samples = 13230, .decays = {0.09f, 0.054f, 0.036f, 0.027f},
              .click = 0.25f, .gain = 0.9f};
    case SoundKind::tick:
      return {.frequency = 1500.0f, .samples = 2205,
              .decays = {0.012f, 0.0072f, 0.0048f, 0.0036f}, .click = 0.05f, .gain = 0.25f};
    case SoundKind::carve:
    case SoundKind::solved:
    case SoundKind::whoosh: break;
  }
  return {};
}

std::vector<float> synthesiseBar(const BarRecipe& recipe) {
  return synthesiseBar(recipe, barDecays(recipe));
}

std::vector<float> synthesiseMarimba(std::span<const float> notes, float gap) {
  const float count = static_cast<float>(notes.size());
  const auto length = static_cast<std::uint32_t>((count * gap + 1.6f) * kRate);
  std::vector<float> out(length, 0.0f);

  const std::uint32_t ring = std::min(kMarimbaRing, length);
  const std::vector<float> e1 = decayTable(ring, 0.45f);
  const std::vector<float> e2 = decayTable(ring, 0.07f);
  const std::vector<float> e3 = decayTable(ring, 0.02f);

  for (std::size_t j = 0; j < notes.size(); ++j) {
    // j·gap is rounded before it is scaled: the fourth note of the jingle
    // starts at 14552, not 14553.
    const auto start = static_cast<std::uint32_t>(static_cast<float>(j) * gap * kRate);
    if (start >= length) break;
    const float w1 = kTwoPi * notes[j];
    const float w2 = 3.93f * w1;
    const float w3 = 9.2f * w1;
    const std::uint32_t end = std::min(ring, length - start);
    float* note = out.data() + start;
    for (std::uint32_t k = 0; k < end; ++k) {
      const float t = timeOf(k);
      float v = (std::sin(w1 * t) * e1[k] + 0.35f * std::sin(w2 * t) * e2[k] +
                 0.12f * std::sin(w3 * t) * e3[k]) *
                0.22f;
      const float ramp = kMarimbaAttack * t;
      if (ramp < 1.0f) v *= ramp;
      note[k] += v;
    }
  }
  return out;
}

std::vector<float> synthesiseWhoosh() {
  constexpr std::uint32_t kSamples = 30870;  // 0.7 s
  NoiseGenerator noise(99);
  std::vector<float> out(kSamples);
  float lp1 = 0.0f;
  float lp2 = 0.0f;
  for (std::uint32_t i = 0; i < kSamples; ++i) {
    const float r = noise.next();
    const float envelope = std::sin(kPi * static_cast<float>(i) / static_cast<float>(kSamples));
    const float cutoff = 0.1f * envelope + 0.02f;
    lp1 = lp1 + cutoff * (r - lp1);
    lp2 = lp2 + cutoff * (lp1 - lp2);
    out[i] = envelope * lp2 * 0.9f;
  }
  return out;
}

SoundBank SoundBank::synthesise() {
  SoundBank bank;
  auto& carves = bank.byKind_[static_cast<std::size_t>(SoundKind::carve)];
  // The six carves differ only in pitch, so they share their decays.
  const BarDecays carveDecays = barDecays(carveRecipe(0));
  for (int k = 0; k < 6; ++k) carves.push_back(synthesiseBar(carveRecipe(k), carveDecays));

  for (SoundKind kind : {SoundKind::mark, SoundKind::unmark, SoundKind::error, SoundKind::tick}) {
    bank.byKind_[static_cast<std::size_t>(kind)].push_back(synthesiseBar(barRecipe(kind)));
  }

  constexpr std::array<float, 5> kJingle{523.25f, 659.25f, 783.99f, 1046.5f, 1318.5f};
  bank.byKind_[static_cast<std::size_t>(SoundKind::solved)].push_back(
      synthesiseMarimba(kJingle, 0.11f));
  bank.byKind_[static_cast<std::size_t>(SoundKind::whoosh)].push_back(synthesiseWhoosh());
  return bank;
}

}  // namespace sorvel
