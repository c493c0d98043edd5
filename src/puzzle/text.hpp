#pragma once

#include <cstddef>
#include <string_view>

namespace sorvel {

// Puzzle texts count characters, not bytes: a UTF-8 sequence is one character.
inline bool startsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

inline std::size_t countCharacters(std::string_view text) {
  std::size_t count = 0;
  for (char byte : text) count += startsCharacter(byte) ? 1 : 0;
  return count;
}

}  // namespace sorvel
