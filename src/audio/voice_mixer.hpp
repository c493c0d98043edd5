#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sorvel {

// Ten independent voices, each playing one mono buffer at its own gain,
// summed under a master gain.
//
// Two threads use it. The game thread starts and stops voices; the audio
// device's thread calls render. The audio thread must never allocate or wait
// on the game thread, so each voice hands its latest command over through a
// sequence-locked mailbox: the writer never blocks, and the reader that
// catches a write in progress simply picks the command up on its next block.
// A newer command for the same voice replaces an unread older one, which is
// what stopping a voice before reusing it means anyway.
//
// The samples handed to play must stay alive and unchanged while the voice
// may still read them (the sound bank lives as long as the mixer's owner).
class VoiceMixer {
 public:
  static constexpr int kVoices = 10;
  static constexpr float kMasterGain = 0.9f;

  // Game thread. Cuts whatever the voice plays and starts `samples` from
  // their beginning at `gain`.
  void play(int voice, std::span<const float> samples, float gain);
  // Game thread. Silences the voice.
  void stop(int voice) { play(voice, {}, 0.0f); }

  // Audio thread. Mixes the next block of every voice into `out` (which it
  // overwrites), limited to [-1, 1] so a pile-up of loud sounds clips rather
  // than wrapping around in the device's integer conversion.
  void render(std::span<float> out);

  // What a voice is doing, as seen by the rendering thread. Only the thread
  // that calls render may ask.
  struct VoiceState {
    const float* samples = nullptr;
    std::size_t length = 0;
    std::size_t position = 0;
    float gain = 0.0f;
    bool playing() const { return position < length; }
  };
  const VoiceState& voice(int index) const { return voices_[static_cast<std::size_t>(index)]; }

 private:
  struct Mailbox {
    std::atomic<std::uint32_t> sequence{0};  // odd while a command is being written
    std::atomic<const float*> samples{nullptr};
    std::atomic<std::size_t> length{0};
    std::atomic<float> gain{0.0f};
  };
  static_assert(std::atomic<const float*>::is_always_lock_free);
  static_assert(std::atomic<std::size_t>::is_always_lock_free);
  static_assert(std::atomic<float>::is_always_lock_free);

  void collect(std::size_t voice);

  std::array<Mailbox, kVoices> mailboxes_;
  // Audio-thread side.
  std::array<VoiceState, kVoices> voices_{};
  std::array<std::uint32_t, kVoices> seen_{};
};

}  // namespace sorvel
