#pragma once

#include <string_view>

namespace sorvel {

// Whether JSON text nests no deeper than `maxDepth` containers (a lone object
// is depth 1). Walks the text without building anything and stops at the first
// container too deep, so a hostile file of a few megabytes of "[" costs
// neither the gigabyte a parsed tree would take nor a serialiser's recursion
// later. Text that is not valid JSON passes: the real parse reports it.
bool nestsWithin(std::string_view text, int maxDepth);

}  // namespace sorvel
