#pragma once

#include <cstdint>

namespace sorvel {

// splitmix64: small, seedable and the same on every platform and standard
// library, unlike <random>'s distributions. Whatever must come out the same
// everywhere (the committed puzzle files, the sound variants a demo hears)
// draws from it.
class SplitMix64 {
 public:
  explicit constexpr SplitMix64(std::uint64_t seed) : state_(seed) {}

  constexpr std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number in [0, bound), bound > 0. The modulo favours small results by
  // about bound / 2^64: nothing for the few hundred choices it makes here.
  constexpr std::uint64_t below(std::uint64_t bound) { return next() % bound; }

 private:
  std::uint64_t state_;
};

}  // namespace sorvel
