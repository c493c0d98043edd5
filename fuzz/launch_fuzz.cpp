// The command line as a player or a script types it. The input is the
// arguments after the program name, each ended by a '\0'.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/launch_options.hpp"
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

  const CommandLine line = parseCommandLine(args);
  switch (line.action) {
    case CommandLine::Action::fail:
      fuzz::require(!line.error.empty(), "a refused command line says why");
      break;
    case CommandLine::Action::help:
    case CommandLine::Action::version:
      fuzz::require(line.error.empty() && line.arguments.empty(), "help and version carry nothing else");
      break;
    case CommandLine::Action::run:
      fuzz::require(line.error.empty(), "an accepted command line carries no error");
      // Anything else would reach the settings store as a stray setting.
      for (const auto& entry : line.arguments) {
        fuzz::require(known(entry.first) != nullptr, "only launch options reach the argument layer");
      }
      break;
  }
  return 0;
}
