#pragma once

#include <string_view>

namespace sorvel {

// Says why the program stops, after a failure it cannot go on from (a chapter
// that does not load): the message should name the file or option at fault
// and what is wrong with it; where it stopped is added so a report can be
// traced back. The caller then returns its failing status. (The builtins
// rather than std::source_location: clang 14, which builds the fuzzers,
// cannot use libstdc++'s.)
void sayStop(std::string_view message, const char* file = __builtin_FILE(), unsigned line = __builtin_LINE());

// sayStop, then ends the program with status 1, for a fault deep in code that
// has no way to hand it back (a GL error caught by a debug check).
[[noreturn]] void fatal(std::string_view message, const char* file = __builtin_FILE(),
                        unsigned line = __builtin_LINE());

}  // namespace sorvel
