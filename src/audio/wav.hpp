#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace sorvel {

// The one audio file layout the game writes: a 44-byte RIFF header, then
// signed 16-bit little-endian mono samples at 44.1 kHz. Turning float samples
// into 16-bit ones is left to each caller, which knows its own gain.

// The whole file. Empty when the samples would not fit the header's 32-bit
// sizes (over about two thousand million samples).
std::string wavBytes(std::span<const std::int16_t> samples);

// Writes the file atomically. Returns an empty string on success, else what
// went wrong, naming the path.
std::string writeWav(const std::filesystem::path& path, std::span<const std::int16_t> samples);

}  // namespace sorvel
