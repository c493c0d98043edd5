// sorvel-manpage TEMPLATE OUTPUT VERSION: writes the manual page sorvel(6)
// from its hand-written TEMPLATE, with the options from the same table that
// `sorvel --help` prints, so the two never disagree.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/launch_options.hpp"
#include "base/atomic_file.hpp"
#include "base/small_file.hpp"
#include "manpage/manpage.hpp"

namespace {

// Far beyond any page: what is larger is not the template.
constexpr std::uintmax_t kMaxTemplate = 256 * 1024;

int fail(const std::string& why) {
  std::fprintf(stderr, "sorvel-manpage: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sorvel;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() != 3 || args[2].empty()) {
    std::fprintf(stderr, "usage: sorvel-manpage TEMPLATE OUTPUT VERSION\n");
    return 2;
  }
  const std::string templateFile(args[0]);
  const SmallFile page = readSmallFile(templateFile, kMaxTemplate);
  switch (page.status) {
    case SmallFile::Status::read:
      break;
    case SmallFile::Status::missing:
      return fail(templateFile + ": no such file");
    case SmallFile::Status::notRegular:
      return fail(templateFile + ": not a regular file");
    case SmallFile::Status::tooLarge:
      return fail(templateFile + ": larger than " + std::to_string(kMaxTemplate) + " bytes");
    case SmallFile::Status::unreadable:
      return fail(templateFile + ": " + page.reason);
  }
  const Result<std::string> filled = manpage::fillPage(
      page.text, {{"OPTIONS", manpage::optionEntries(kLaunchOptions)}, {"VERSION", manpage::roffText(args[2])}});
  if (!filled) return fail(templateFile + ": " + filled.why());
  const Result<void> written = writeFileAtomically(std::string(args[1]), *filled);
  if (!written) return fail(written.why());
  return 0;
}
