#pragma once

#include <string_view>

namespace sorvel {

// How text reads as a number or a yes/no, wherever a player may type one: in
// the settings file and on the command line alike, so "-sorvelReset NO"
// means no in both.

// Leading spaces and trailing junk are tolerated; no number at all, or one
// that is not finite, reads as 0.
double leadingNumber(std::string_view text);

// "yes" and "true" in any case, or any number but 0.
bool meansYes(std::string_view text);

}  // namespace sorvel
