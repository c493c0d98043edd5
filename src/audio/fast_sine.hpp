#pragma once

#include <span>

namespace sorvel {

// The largest angle, in radians, that sinesInPlace reduces with its own fast
// arithmetic; larger ones (the longest note of the game reaches about 1.2e5)
// take a much slower path.
inline constexpr float kSineRange = 1.0e6f;

// Replaces each angle (radians) by its sine, rounded to single precision. The
// sine is computed in double precision, so the rounded result is the correctly
// rounded sine except where the true value lies almost exactly halfway
// between two floats; and it is the same bit for bit on every machine,
// whichever vector unit computes it.
void sinesInPlace(std::span<float> angles);

namespace detail {
// The same computation restricted to the baseline x86-64 vector unit, so a
// test can check that the wider units give identical bits.
void sinesInPlaceBaseline(std::span<float> angles);
}  // namespace detail

}  // namespace sorvel
