#pragma once

#include <string>

namespace sorvel {

// Why a picture or film cannot be written to `output`, a path given on the
// command line; empty when it can. Checked before any work is done, so a
// mistyped path costs nothing: the path must name a file (not be empty or end
// in a slash), its folder must exist, and whatever already stands there must
// be a regular file to replace (never a device, a link or a folder).
std::string refusalToWrite(const std::string& output);

}  // namespace sorvel
