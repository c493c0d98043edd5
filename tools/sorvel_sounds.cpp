// sorvel-sounds [--gain G] [FOLDER]: writes each of the game's sounds, as
// synthesised at start-up and scaled by G (default 1), to FOLDER (default:
// the current folder) as carve-0.wav .. carve-5.wav, mark.wav, unmark.wav,
// error.wav, tick.wav, solved.wav and whoosh.wav. Prints each sound's peak and
// how many samples had to be clipped to fit 16 bits at that gain.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/synth.hpp"
#include "audio/wav.hpp"

namespace {

std::vector<std::int16_t> toPcm16(const std::vector<float>& samples, float gain, int& clipped) {
  std::vector<std::int16_t> out(samples.size());
  clipped = 0;
  std::transform(samples.begin(), samples.end(), out.begin(), [&](float v) {
    const float scaled = gain * v;
    if (std::fabs(scaled) > 1.0f) ++clipped;
    return sorvel::toPcm16(scaled);
  });
  return out;
}

int usage() {
  std::fprintf(stderr, "usage: sorvel-sounds [--gain G] [FOLDER]\n");
  return 2;
}

float peakOf(const std::vector<float>& samples) {
  float peak = 0.0f;
  for (float v : samples) peak = std::max(peak, std::fabs(v));
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  float gain = 1.0f;
  std::filesystem::path folder = ".";
  bool folderGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--gain" && i + 1 < argc) {
      char* end = nullptr;
      gain = std::strtof(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(gain > 0.0f) || !std::isfinite(gain)) {
        std::fprintf(stderr, "sorvel-sounds: --gain wants a positive number, not '%s'\n", argv[i]);
        return 2;
      }
    } else if (arg.starts_with("-") || folderGiven) {
      return usage();
    } else {
      folder = arg;
      folderGiven = true;
    }
  }
  const sorvel::SoundBank bank = sorvel::SoundBank::synthesise();

  int failures = 0;
  for (sorvel::SoundKind kind : sorvel::kAllSoundKinds) {
    const auto& variants = bank.variants(kind);
    for (std::size_t k = 0; k < variants.size(); ++k) {
      std::string name(sorvel::soundKindName(kind));
      if (variants.size() > 1) name += "-" + std::to_string(k);
      const std::filesystem::path path = folder / (name + ".wav");
      int clipped = 0;
      const sorvel::Result<void> written = sorvel::writeWav(path, toPcm16(variants[k], gain, clipped));
      if (!written) {
        std::fprintf(stderr, "sorvel-sounds: %s\n", written.why().c_str());
        ++failures;
        continue;
      }
      std::printf("%s  %zu samples  peak %.4f  clipped %d\n", path.c_str(), variants[k].size(),
                  static_cast<double>(gain * peakOf(variants[k])), clipped);
    }
  }
  return failures == 0 ? 0 : 1;
}
