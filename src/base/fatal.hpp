#pragma once

#include <string_view>

namespace sorvel {

// Ends the program after a failure it cannot go on from (a chapter that does
// not load, a GPU context that cannot be made). The message should name the
// file or option at fault and what is wrong with it; the source location is
// added so a report can be traced back. (The builtins rather than
// std::source_location: clang 14, which builds the fuzzers, cannot use
// libstdc++'s.)
[[noreturn]] void fatal(std::string_view message, const char* file = __builtin_FILE(),
                        unsigned line = __builtin_LINE());

}  // namespace sorvel
