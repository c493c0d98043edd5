#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/sound_kind.hpp"

namespace sorvel {

inline constexpr int kSampleRate = 44100;

// The seeded noise source of every synthesised sound: a 32-bit linear
// congruential generator, so the noise is identical on every run.
class NoiseGenerator {
 public:
  explicit NoiseGenerator(std::uint32_t seed) : state_(seed) {}

  // The next value, in [-1, 1).
  float next() {
    state_ = state_ * 1664525u + 1013904223u;
    const float u = static_cast<float>(state_ >> 8) / 16777216.0f;
    return 2.0f * u - 1.0f;
  }

 private:
  std::uint32_t state_;
};

// A struck bar: a sine fundamental with three inharmonic partials (the ratios
// of a uniform bar free at both ends), each decaying on its own, plus a short
// low-passed noise click.
struct BarRecipe {
  float frequency = 0;          // Hz
  std::uint32_t samples = 0;
  std::array<float, 4> decays;  // seconds, fundamental first
  float click = 0;              // amount of noise click
  float gain = 0;
  bool crackle = false;         // add the crackle of flying chips (the carve)
};

// The recipes of the bar sounds. The carve has six pitches so repeated carves
// do not sound mechanical.
BarRecipe carveRecipe(int variant);  // variant 0..5
BarRecipe barRecipe(SoundKind kind);  // mark, unmark, error or tick

std::vector<float> synthesiseBar(const BarRecipe& recipe);

// Notes struck `gap` seconds apart, each ringing for 1.5 s; nothing is
// normalised or clipped.
std::vector<float> synthesiseMarimba(std::span<const float> notes, float gap);

// Swept, filtered noise whose filter opens and closes with its envelope.
std::vector<float> synthesiseWhoosh();

// All variants of every kind, made once and never changed afterwards, so the
// audio thread may read them without locking.
class SoundBank {
 public:
  using Variants = std::vector<std::vector<float>>;

  static SoundBank synthesise();

  const Variants& variants(SoundKind kind) const {
    return byKind_[static_cast<std::size_t>(kind)];
  }

 private:
  std::array<Variants, kSoundKindCount> byKind_;
};

}  // namespace sorvel
