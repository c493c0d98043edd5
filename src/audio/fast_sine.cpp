#include "audio/fast_sine.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Compiled without floating-point contraction, like the synthesis (see
// CMakeLists.txt): with every product and sum rounded on its own, the scalar,
// SSE2, AVX2 and AVX-512 versions of the loop below compute the very same
// doubles.

namespace sorvel {
namespace {

constexpr double kInversePi = 0x1.45f306dc9c883p-2;
// π in two parts. The high part, π rounded down to 31 significant bits, makes
// k·kPiHigh exact for every |k| <= 2^22, far beyond kSineRange/π; and as it
// lies within 2 of the angle, subtracting it from the angle is exact too.
// What remains of π, k·kPiLow, is below 2^-13 even for the largest k and is
// subtracted with a relative error of 2^-53.
constexpr double kPiHigh = 0x1.921fb544p+1;
constexpr double kPiLow = 0x1.0b4611a626331p-33;
static_assert(kSineRange * kInversePi < 0x1p19);
// Adding this pushes the bits below the units out of a double, rounding to
// the nearest integer without a branch or a call, and leaves that integer in
// the low bits of the sum.
constexpr double kRoundToInteger = 0x1.8p52;

// sin r = r + r·r²·P(r²) on |r| <= π/2, P the minimax polynomial of degree 7;
// with its coefficients rounded to doubles its relative error is below 2e-17,
// far under a double's rounding.
constexpr double kP0 = -0x1.5555555555555p-3;
constexpr double kP1 = 0x1.11111111110dbp-7;
constexpr double kP2 = -0x1.a01a01a015aa9p-13;
constexpr double kP3 = 0x1.71de3a52e3d97p-19;
constexpr double kP4 = -0x1.ae6454ea4bd40p-26;
constexpr double kP5 = 0x1.6123d0ac61914p-33;
constexpr double kP6 = -0x1.ae4411c26a0aap-41;
constexpr double kP7 = 0x1.8838ab4a933b8p-49;

// One straight pass with no branch and no call, so that the compiler turns
// it into vector code.
[[gnu::always_inline]] inline void sineLoop(float* angles, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    // The sine is odd: work on |x| and give the result the sign of x, which
    // also keeps the sign of -0.
    const double x = std::fabs(static_cast<double>(angles[i]));  // exact
    const std::uint64_t signOfAngle = std::bit_cast<std::uint32_t>(angles[i]) >> 31;
    // x = kπ + r with |r| <= π/2 (up to the rounding of x/π, harmless).
    const double shifted = x * kInversePi + kRoundToInteger;
    const double k = shifted - kRoundToInteger;
    const double r = (x - k * kPiHigh) - k * kPiLow;
    const double r2 = r * r;
    double p = kP7;
    p = p * r2 + kP6;
    p = p * r2 + kP5;
    p = p * r2 + kP4;
    p = p * r2 + kP3;
    p = p * r2 + kP2;
    p = p * r2 + kP1;
    p = p * r2 + kP0;
    const double sineOfR = r + r * r2 * p;
    // sin(kπ + r) = (-1)^k sin r, and the parity of k is the lowest bit of
    // `shifted`: flip the sign bit with it, and with the angle's.
    const std::uint64_t sign = (std::bit_cast<std::uint64_t>(shifted) ^ signOfAngle) << 63;
    angles[i] = static_cast<float>(std::bit_cast<double>(std::bit_cast<std::uint64_t>(sineOfR) ^ sign));
  }
}

// The bits of |x| order like |x| itself, and a NaN's lie above infinity's,
// so one integer maximum (which vectorises, unlike a float one) tells whether
// every angle is in range.
[[gnu::always_inline]] inline bool allInRange(const float* angles, std::size_t count) {
  std::uint32_t largest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    largest = std::max(largest, std::bit_cast<std::uint32_t>(angles[i]) & 0x7fffffffu);
  }
  return largest <= std::bit_cast<std::uint32_t>(kSineRange);
}

// Far outside the game's range, where the reduction above loses accuracy,
// the library's double sine (itself accurate to within an ulp of a double)
// takes over: rarely used, so it needs no speed.
[[gnu::always_inline]] inline void sines(float* angles, std::size_t count) {
  if (allInRange(angles, count)) {
    sineLoop(angles, count);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (std::fabs(angles[i]) <= kSineRange) {
      sineLoop(angles + i, 1);
    } else {
      angles[i] = static_cast<float>(std::sin(static_cast<double>(angles[i])));
    }
  }
}

}  // namespace

// Not with clang (the fuzzers' compiler): clang 14 builds the inlined loop
// into the default clone with AVX-512 instructions too, which stops a
// processor without them with an illegal instruction.
#if defined(__x86_64__) && defined(__has_attribute) && !defined(__clang__)
#if __has_attribute(target_clones)
#define SORVEL_SINE_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#endif
#endif
#ifndef SORVEL_SINE_CLONES
#define SORVEL_SINE_CLONES
#endif

// Eight doubles a step where the processor has AVX-512, four with AVX2, two
// elsewhere. No version may fuse a multiply and an add: it would round
// differently.
SORVEL_SINE_CLONES void sinesInPlace(std::span<float> angles) { sines(angles.data(), angles.size()); }

namespace detail {
void sinesInPlaceBaseline(std::span<float> angles) { sines(angles.data(), angles.size()); }
}  // namespace detail

}  // namespace sorvel
