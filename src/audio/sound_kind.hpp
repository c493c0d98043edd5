#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sorvel {

// Every sound the game makes, in a fixed order that also indexes the sound bank.
enum class SoundKind : std::uint8_t { carve, mark, unmark, error, tick, solved, whoosh };

inline constexpr std::size_t kSoundKindCount = 7;

inline constexpr std::array<SoundKind, kSoundKindCount> kAllSoundKinds{
    SoundKind::carve, SoundKind::mark,   SoundKind::unmark, SoundKind::error,
    SoundKind::tick,  SoundKind::solved, SoundKind::whoosh};

constexpr std::string_view soundKindName(SoundKind kind) {
  switch (kind) {
    case SoundKind::carve: return "carve";
    case SoundKind::mark: return "mark";
    case SoundKind::unmark: return "unmark";
    case SoundKind::error: return "error";
    case SoundKind::tick: return "tick";
    case SoundKind::solved: return "solved";
    case SoundKind::whoosh: return "whoosh";
  }
  return "unknown";
}

}  // namespace sorvel
