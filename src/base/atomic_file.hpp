#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sorvel {

// Replaces `target` with `contents` so that a crash or power cut at any moment
// leaves either the old file or the new one: the bytes go to a temporary file
// beside it, are synced, renamed over the target, and the folder is synced.
// Creates the target's folder when missing. Returns an empty string on
// success, else what went wrong (with the path), for the caller to report.
std::string writeFileAtomically(const std::filesystem::path& target, std::string_view contents);

}  // namespace sorvel
