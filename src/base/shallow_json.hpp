#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

#include "base/result.hpp"

namespace sorvel {

// One of our own small JSON files: a single object nested no deeper than
// `maxDepth` (a flat object is 1). The depth is checked before anything is
// parsed, so a hostile file costs no more than its own size; `tooDeep` is the
// reason given for one that nests further.
Result<nlohmann::json> readShallowObject(std::string_view text, int maxDepth, std::string_view tooDeep);

}  // namespace sorvel
