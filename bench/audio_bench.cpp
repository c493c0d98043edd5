#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "audio/sound.hpp"

namespace sorvel {
namespace {

// Every buffer of the game, as made once at start-up. Target: under 5 ms.
void BM_SynthesiseAll(benchmark::State& state) {
  for (auto _ : state) {
    SoundBank bank = SoundBank::synthesise();
    benchmark::DoNotOptimize(bank);
  }
}
BENCHMARK(BM_SynthesiseAll)->Unit(benchmark::kMillisecond);

// An output that starts and then leaves the mixer alone, so a play does all
// its work without a device.
class SilentOutput final : public AudioOutput {
 public:
  std::string start(VoiceMixer&) override { return {}; }
};

// One live play: pick the variant, take the next voice, hand the buffer over.
void BM_Play(benchmark::State& state) {
  Sound sound(std::make_unique<SilentOutput>(), 1);
  for (auto _ : state) sound.play(SoundKind::carve, 0.85f);
}
BENCHMARK(BM_Play);

// One 512-sample block with all ten voices sounding.
void BM_MixTenVoices(benchmark::State& state) {
  const SoundBank bank = SoundBank::synthesise();
  const auto& jingle = bank.variants(SoundKind::solved)[0];
  VoiceMixer mixer;
  std::array<float, 512> block{};
  for (auto _ : state) {
    if (!mixer.voice(0).playing()) {
      for (int v = 0; v < VoiceMixer::kVoices; ++v) mixer.play(v, jingle, 0.5f);
    }
    mixer.render(block);
    benchmark::DoNotOptimize(block.data());
  }
}
BENCHMARK(BM_MixTenVoices);

}  // namespace
}  // namespace sorvel
