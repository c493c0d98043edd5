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

// sayStop, then aborts, as a failed assertion does: for the debug builds'
// checks of what must never happen (a GL error after a pass), which no
// caller could recover from.
[[noreturn]] void failedCheck(std::string_view message, const char* file = __builtin_FILE(),
                              unsigned line = __builtin_LINE());

}  // namespace sorvel
