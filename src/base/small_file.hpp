#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace sorvel {

// A file of our own (saved progress, the window's place) read whole, or why
// it was not. Only a regular file is read, and never more than the caller's
// limit, whatever its size claims: a symbolic link to /dev/zero would
// otherwise read until memory runs out, and a FIFO would hang the start.
struct SmallFile {
  enum class Status { read, missing, notRegular, tooLarge, unreadable };
  Status status = Status::missing;
  std::string text;         // the bytes, when read
  std::uintmax_t size = 0;  // for tooLarge: the size found (at least limit + 1)
  std::string reason;       // for unreadable: the system's words
};

SmallFile readSmallFile(const std::filesystem::path& file, std::uintmax_t maxBytes);

}  // namespace sorvel
