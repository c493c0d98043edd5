#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "base/result.hpp"

namespace sorvel {

// The one audio file layout the game writes: a 44-byte RIFF header, then
// signed 16-bit little-endian mono samples at 44.1 kHz.

// A float sample as a 16-bit one, the same for every file written:
// -1..1 maps onto -32767..32767 truncated towards zero, louder samples are
// clipped to the ends, and NaN is silence. Each caller applies its own gain
// first.
std::int16_t toPcm16(float sample);

// The whole file. Empty when the samples would not fit the header's 32-bit
// sizes (over about two thousand million samples).
std::string wavBytes(std::span<const std::int16_t> samples);

// Writes the file atomically. A failure's reason names the path.
Result<void> writeWav(const std::filesystem::path& path, std::span<const std::int16_t> samples);

}  // namespace sorvel
