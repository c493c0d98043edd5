#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "app/launch_options.hpp"
#include "base/result.hpp"

namespace sorvel::manpage {

// `text` as roff prints it: backslashes and hyphens literal (a plain '-' may
// be set as a hyphen and broken across lines, which no one can type back),
// and a line that would start with '.' or '\'' kept from reading as a request.
std::string roffText(std::string_view text);

// The OPTIONS section's entries: each launch option in both its spellings
// with its help, then --help and --version, which the parser knows without
// the table.
std::string optionEntries(std::span<const LaunchOption> options);

// The page: `page` with each @NAME@ replaced by fields[NAME]. Refused, naming
// it, for a marker no field fills, a field the page has no marker for, or a
// marker met twice, so that a renamed marker cannot leave the options out of
// the page, nor a mention in a comment put them into it.
Result<std::string> fillPage(std::string_view page, const std::map<std::string, std::string>& fields);

}  // namespace sorvel::manpage
