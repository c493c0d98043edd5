#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/result.hpp"

namespace sorvel {

// What may stand at the target before it is replaced.
enum class Replace {
  anything,
  // Only a new path or an existing regular file: for paths a user names, so
  // that a device node, a symbolic link or a folder is never swapped for our
  // file (as root, "/dev/full" would be).
  onlyRegularFile,
};

// Replaces `target` with `contents` so that a crash or power cut at any moment
// leaves either the old file or the new one: the bytes go to a temporary file
// beside it (named ".NAME.XXXXXX"), are synced, renamed over the target, and
// the folder is synced. Creates the target's folder when missing. A
// failure's reason names the path, for the caller to report.
Result<void> writeFileAtomically(const std::filesystem::path& target, std::string_view contents,
                                 Replace replace = Replace::anything);

// Whether `target` may be replaced under Replace::onlyRegularFile: only a new
// path or a regular file may.
Result<void> canReplace(const std::filesystem::path& target);

// Removes the temporary files that writes of `target` left behind when their
// process died mid-write: only files of that naming, at least `minimumAge`
// old, and not held by a writer that is still alive. Returns how many went.
int removeStaleTemporaries(const std::filesystem::path& target, std::chrono::seconds minimumAge);

}  // namespace sorvel
