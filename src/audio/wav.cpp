#include "audio/wav.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/synth.hpp"
#include "base/atomic_file.hpp"

namespace sorvel {
namespace {

void put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void put32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

constexpr std::uint64_t kMaxSamples = (std::numeric_limits<std::uint32_t>::max() - 36) / 2;

}  // namespace

std::int16_t toPcm16(float sample) {
  if (std::isnan(sample)) return 0;
  return static_cast<std::int16_t>(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
}

std::string wavBytes(std::span<const std::int16_t> samples) {
  // A size that wrapped around would make every player misread the file.
  if (samples.size() > kMaxSamples) return {};
  const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  std::string out;
  out.reserve(44 + dataSize);
  out += "RIFF";
  put32(out, 36 + dataSize);
  out += "WAVEfmt ";
  put32(out, 16);  // format chunk size
  put16(out, 1);   // integer PCM
  put16(out, 1);   // mono
  put32(out, kSampleRate);
  put32(out, kSampleRate * 2);  // bytes per second
  put16(out, 2);                // bytes per sample frame
  put16(out, 16);               // bits per sample
  out += "data";
  put32(out, dataSize);
  for (std::int16_t sample : samples) put16(out, static_cast<std::uint16_t>(sample));
  return out;
}

Result<void> writeWav(const std::filesystem::path& path, std::span<const std::int16_t> samples) {
  const std::string bytes = wavBytes(samples);
  if (bytes.empty()) {
    return Reason{"cannot write " + path.string() + ": " + std::to_string(samples.size()) +
                  " samples are too many for a WAV file"};
  }
  return writeFileAtomically(path, bytes);
}

}  // namespace sorvel
