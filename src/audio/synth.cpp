#include "audio/synth.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <future>
#include <span>
#include <stdexcept>
#include <utility>

#include "audio/fast_sine.hpp"

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

// The sounds are made a block of samples at a time. Within a block each step
// (the times, the decays, the phases, their sines, the mix) is one straight
// pass over small arrays, which the compiler turns into vector code, and the
// arrays stay in the first-level cache. No table as long as a sound is
// allocated beside the sounds themselves.
constexpr std::uint32_t kBlock = 256;
using Block = std::array<float, kBlock>;

// The times of samples first .. first + count - 1. Sample indices stay far
// below 2^31, where the signed conversion (which has a vector instruction)
// gives the same float as the unsigned one.
void timesOf(std::uint32_t first, std::uint32_t count, Block& times) {
  const auto start = static_cast<std::int32_t>(first);
  for (std::int32_t k = 0; k < static_cast<std::int32_t>(count); ++k) {
    times[k] = static_cast<float>(start + k) / kRate;
  }
}

// The linear attack as a factor per sample: the ramp while it is below 1,
// then exactly 1, by which a sample is multiplied unchanged. As a factor
// rather than "multiply only during the attack" the mixing loops have no
// branch and vectorise.
void attackOf(float rate, const Block& times, std::uint32_t count, Block& factors) {
  for (std::uint32_t k = 0; k < count; ++k) {
    const float ramp = rate * times[k];
    factors[k] = ramp < 1.0f ? ramp : 1.0f;
  }
}

void decayOf(float decay, const Block& times, std::uint32_t count, Block& factors) {
  for (std::uint32_t k = 0; k < count; ++k) factors[k] = std::exp(-times[k] / decay);
}

// One bar sound being made: what carries over from block to block.
struct BarVoice {
  explicit BarVoice(const BarRecipe& r)
      : recipe(r),
        w1(kTwoPi * r.frequency),
        w2(kPartialRatio2 * w1),
        w3(kPartialRatio3 * w1),
        w4(kPartialRatio4 * w1),
        noise(static_cast<std::uint32_t>(r.frequency * 13.0f)),
        out(r.samples) {}

  // The click and crackle of the next `count` samples. The noise runs
  // sample after sample through its generator and filter, so it cannot be
  // made side by side as the partials are.
  void noiseBlock(std::uint32_t count, const Block& times, const Block& clickDecay, const Block& crackleDecay,
                  Block& clicks, Block& crackles) {
    for (std::uint32_t k = 0; k < count; ++k) {
      const float r1 = noise.next();
      lowPass = lowPass + (r1 - lowPass) * 0.35f;
      clicks[k] = recipe.click * lowPass * clickDecay[k];
      float crackle = 0.0f;
      if (recipe.crackle) {
        // The second draw happens on every sample, chip or not, so the
        // noise sequence stays in step with the sample index.
        const float r2 = noise.next();
        const float gate = times[k] > 0.015f ? 1.0f : 0.0f;
        const float chip = r2 > 0.7f ? 1.0f : 0.2f;
        crackle = 0.18f * r1 * crackleDecay[k] * gate * chip;
      }
      crackles[k] = crackle;
    }
  }

  const BarRecipe& recipe;
  const float w1, w2, w3, w4;
  NoiseGenerator noise;
  float lowPass = 0.0f;
  std::vector<float> out;
};

// Bars of the same length, decays and crackle (the six carves, which differ
// only in pitch) are made side by side, so each block's decays are computed
// once for all of them.
std::vector<std::vector<float>> synthesiseBars(std::span<const BarRecipe> recipes) {
  if (recipes.empty()) return {};
  const BarRecipe& shared = recipes.front();
  for (const BarRecipe& r : recipes) {
    // Made side by side, every bar is written for the first one's length.
    if (r.samples != shared.samples || r.decays != shared.decays || r.crackle != shared.crackle) {
      throw std::invalid_argument("bars made together must share their length, decays and crackle");
    }
  }
  std::vector<BarVoice> voices(recipes.begin(), recipes.end());

  Block times, attack, clickDecay, crackleDecay, clicks, crackles;
  std::array<Block, 4> partialDecays;
  std::array<float, 4 * kBlock> sines;
  for (std::uint32_t first = 0; first < shared.samples; first += kBlock) {
    const std::uint32_t n = std::min(kBlock, shared.samples - first);
    timesOf(first, n, times);
    attackOf(kBarAttack, times, n, attack);
    for (std::size_t p = 0; p < 4; ++p) decayOf(shared.decays[p], times, n, partialDecays[p]);
    decayOf(0.006f, times, n, clickDecay);
    if (shared.crackle) decayOf(0.05f, times, n, crackleDecay);
    const auto& [e1, e2, e3, e4] = partialDecays;

    for (BarVoice& voice : voices) {
      voice.noiseBlock(n, times, clickDecay, crackleDecay, clicks, crackles);

      float* s1 = sines.data();
      float* s2 = s1 + n;
      float* s3 = s2 + n;
      float* s4 = s3 + n;
      for (std::uint32_t k = 0; k < n; ++k) {
        const float t = times[k];
        s1[k] = voice.w1 * t;
        s2[k] = voice.w2 * t;
        s3[k] = voice.w3 * t;
        s4[k] = voice.w4 * t;
      }
      sinesInPlace(std::span(sines.data(), 4 * n));

      const float gain = voice.recipe.gain;
      float* block = voice.out.data() + first;
      for (std::uint32_t k = 0; k < n; ++k) {
        const float body = s1[k] * e1[k] + 0.5f * s2[k] * e2[k] + 0.25f * s3[k] * e3[k] +
                           0.12f * s4[k] * e4[k];
        const float v = (body + clicks[k] + crackles[k]) * gain;
        block[k] = v * attack[k];
      }
    }
  }

  std::vector<std::vector<float>> sounds;
  sounds.reserve(voices.size());
  for (BarVoice& voice : voices) sounds.push_back(std::move(voice.out));
  return sounds;
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
  return std::move(synthesiseBars(std::span(&recipe, 1)).front());
}

std::vector<float> synthesiseMarimba(std::span<const float> notes, float gap) {
  const float count = static_cast<float>(notes.size());
  const auto length = static_cast<std::uint32_t>((count * gap + 1.6f) * kRate);
  std::vector<float> out(length, 0.0f);
  const std::uint32_t ring = std::min(kMarimbaRing, length);

  struct Note {
    std::uint32_t start, end;  // end: how many samples of the note fit
    float w1, w2, w3;
  };
  std::vector<Note> sounding;
  for (std::size_t j = 0; j < notes.size(); ++j) {
    // j·gap is rounded before it is scaled: the fourth note of the jingle
    // starts at 14552, not 14553.
    const auto start = static_cast<std::uint32_t>(static_cast<float>(j) * gap * kRate);
    if (start >= length) break;
    const float w1 = kTwoPi * notes[j];
    sounding.push_back({start, std::min(ring, length - start), w1, 3.93f * w1, 9.2f * w1});
  }

  // The decays of a note depend only on the time since it was struck, so each
  // block of them serves every note. A sample where notes overlap must sum
  // them in the order they were struck, as single-precision sums depend on the
  // order: the blocks therefore go from the last to the first, since a later
  // note reaches a given sample with an earlier block.
  Block times, attack, e1, e2, e3;
  std::array<float, 3 * kBlock> sines;
  const std::uint32_t blocks = (ring + kBlock - 1) / kBlock;
  for (std::uint32_t b = blocks; b-- > 0;) {
    const std::uint32_t first = b * kBlock;
    const std::uint32_t n = std::min(kBlock, ring - first);
    timesOf(first, n, times);
    attackOf(kMarimbaAttack, times, n, attack);
    decayOf(0.45f, times, n, e1);
    decayOf(0.07f, times, n, e2);
    decayOf(0.02f, times, n, e3);

    for (const Note& note : sounding) {
      if (note.end <= first) continue;
      const std::uint32_t m = std::min(n, note.end - first);
      float* s1 = sines.data();
      float* s2 = s1 + m;
      float* s3 = s2 + m;
      for (std::uint32_t k = 0; k < m; ++k) {
        const float t = times[k];
        s1[k] = note.w1 * t;
        s2[k] = note.w2 * t;
        s3[k] = note.w3 * t;
      }
      sinesInPlace(std::span(sines.data(), 3 * m));

      float* block = out.data() + note.start + first;
      for (std::uint32_t k = 0; k < m; ++k) {
        const float v = (s1[k] * e1[k] + 0.35f * s2[k] * e2[k] + 0.12f * s3[k] * e3[k]) * 0.22f;
        block[k] += v * attack[k];
      }
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
  Block envelopes;
  for (std::uint32_t first = 0; first < kSamples; first += kBlock) {
    const std::uint32_t n = std::min(kBlock, kSamples - first);
    const auto start = static_cast<std::int32_t>(first);
    for (std::int32_t k = 0; k < static_cast<std::int32_t>(n); ++k) {
      envelopes[k] = kPi * static_cast<float>(start + k) / static_cast<float>(kSamples);
    }
    sinesInPlace(std::span(envelopes.data(), n));
    for (std::uint32_t k = 0; k < n; ++k) {
      const float r = noise.next();
      const float envelope = envelopes[k];
      const float cutoff = 0.1f * envelope + 0.02f;
      lp1 = lp1 + cutoff * (r - lp1);
      lp2 = lp2 + cutoff * (lp1 - lp2);
      out[first + k] = envelope * lp2 * 0.9f;
    }
  }
  return out;
}

SoundBank SoundBank::synthesise() {
  SoundBank bank;
  // The six carves take about half the work, so they are made on a second
  // core meanwhile. Every buffer is computed on its own, so the bits do not
  // depend on which thread made it.
  auto carves = std::async(std::launch::async, [] {
    std::array<BarRecipe, 6> recipes;
    for (int k = 0; k < 6; ++k) recipes[static_cast<std::size_t>(k)] = carveRecipe(k);
    return synthesiseBars(recipes);
  });

  for (SoundKind kind : {SoundKind::mark, SoundKind::unmark, SoundKind::error, SoundKind::tick}) {
    bank.byKind_[static_cast<std::size_t>(kind)].push_back(synthesiseBar(barRecipe(kind)));
  }

  constexpr std::array<float, 5> kJingle{523.25f, 659.25f, 783.99f, 1046.5f, 1318.5f};
  bank.byKind_[static_cast<std::size_t>(SoundKind::solved)].push_back(
      synthesiseMarimba(kJingle, 0.11f));
  bank.byKind_[static_cast<std::size_t>(SoundKind::whoosh)].push_back(synthesiseWhoosh());
  bank.byKind_[static_cast<std::size_t>(SoundKind::carve)] = carves.get();
  return bank;
}

}  // namespace sorvel
