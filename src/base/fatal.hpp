#pragma once

#include <source_location>
#include <string_view>

namespace sorvel {

// Ends the program after a failure it cannot go on from (a chapter that does
// not load, a GPU context that cannot be made). The message should name the
// file or option at fault and what is wrong with it; the source location is
// added so a report can be traced back.
[[noreturn]] void fatal(std::string_view message,
                        std::source_location where = std::source_location::current());

}  // namespace sorvel
