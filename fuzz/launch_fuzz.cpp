// The command line as a player or a script types it. The input is the
// arguments after the program name, each ended by a '\0'.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/launch_options.hpp"
#include "app/launch_request.hpp"
#include "fuzz_support.hpp"

using namespace sorvel;

namespace {

const LaunchOption* known(std::string_view name) {
  for (const LaunchOption& option : kLaunchOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string_view> args;
  std::string_view rest = fuzz::text(data, size);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\0');
    args.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }

  const Result<CommandLine> line = parseCommandLine(args);
  if (!line) {
    fuzz::require(!line.why().empty(), "a refused command line says why");
    return 0;
  }
  switch (line->action) {
    case CommandLine::Action::help:
    case CommandLine::Action::version:
      fuzz::require(line->options.empty(), "help and version carry nothing else");
      break;
    case CommandLine::Action::run:
      for (const auto& entry : line->options) {
        fuzz::require(known(entry.first) != nullptr, "only launch options are read");
      }
      // Whatever was typed, reading it into a request must not fail.
      (void)readLaunchRequest(line->options, [](const char*) -> const char* { return nullptr; });
      break;
  }
  return 0;
}
