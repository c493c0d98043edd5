#pragma once

#include <string>

#include "base/result.hpp"

namespace sorvel {

// Whether a picture or film can be written to `output`, a path given on the
// command line, and why not. Checked before any work is done, so a mistyped
// path costs nothing: the path must name a file (not be empty or end in a
// slash), its folder must exist, and whatever already stands there must be a
// regular file to replace (never a device, a link or a folder).
Result<void> canWriteTo(const std::string& output);

}  // namespace sorvel
