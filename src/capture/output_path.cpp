#include "capture/output_path.hpp"

#include <filesystem>
#include <system_error>

#include "base/atomic_file.hpp"

namespace sorvel {
namespace fs = std::filesystem;

Result<void> canWriteTo(const std::string& output) {
  if (output.empty()) return Reason{"the output path is empty; give the name of a file to write"};
  const fs::path path(output);
  if (!path.has_filename()) return Reason{output + " names a folder; give the name of a file to write"};
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    return Reason{"there is no folder " + folder.string() + " to write " + output + " into"};
  }
  return canReplace(path);
}

}  // namespace sorvel
