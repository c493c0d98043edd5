#include "manpage/manpage.hpp"

#include <cctype>
#include <set>

namespace sorvel::manpage {

std::string roffText(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (const char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = false;
    switch (c) {
      case '\\':
        out += "\\e";
        break;
      case '-':
        out += "\\-";
        break;
      case '\n':
        // One paragraph per entry: a break would start a line of its own.
        out += ' ';
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

// "render one still picture" -> "Render one still picture."
std::string sentence(std::string_view help) {
  std::string text(help);
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (!text.empty() && text.back() != '.') text += '.';
  return roffText(text);
}

std::string bold(std::string_view text) { return "\\fB" + roffText(text) + "\\fR"; }
std::string italic(std::string_view text) { return "\\fI" + roffText(text) + "\\fR"; }

}  // namespace

std::string optionEntries(std::span<const LaunchOption> options) {
  std::string out;
  for (const LaunchOption& option : options) {
    // The short spelling always takes a value; a switch reads it as yes or no.
    const std::string value = option.argument.empty() ? italic("YES") : italic(option.argument);
    std::string gnu = bold(option.longName);
    if (!option.argument.empty()) gnu += " " + italic(option.argument);
    out += ".TP\n" + gnu + ", " + bold("-" + std::string(option.name)) + " " + value + "\n";
    out += sentence(option.help) + "\n";
  }
  out += ".TP\n" + bold("-h") + ", " + bold("--help") + "\n" + sentence("show the options and exit") + "\n";
  out += ".TP\n" + bold("--version") + "\n" + sentence("show the version and exit") + "\n";
  return out;
}

Result<std::string> fillPage(std::string_view page, const std::map<std::string, std::string>& fields) {
  std::string out;
  std::set<std::string> used;
  size_t at = 0;
  while (at < page.size()) {
    const size_t open = page.find('@', at);
    if (open == std::string_view::npos) break;
    const size_t close = page.find('@', open + 1);
    const std::string_view name =
        close == std::string_view::npos ? std::string_view() : page.substr(open + 1, close - open - 1);
    const bool marker = !name.empty() && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == std::string_view::npos;
    if (!marker) {
      // An '@' of the text itself, such as in an address.
      out += page.substr(at, open + 1 - at);
      at = open + 1;
      continue;
    }
    const auto field = fields.find(std::string(name));
    if (field == fields.end()) return Reason{"the page has a marker @" + std::string(name) + "@ that nothing fills"};
    if (!used.insert(field->first).second) return Reason{"the page has the marker @" + field->first + "@ twice"};
    out += page.substr(at, open - at);
    out += field->second;
    at = close + 1;
  }
  if (at < page.size()) out += page.substr(at);
  for (const auto& [name, value] : fields) {
    if (!used.contains(name)) return Reason{"the page has no marker @" + name + "@ for it"};
  }
  return out;
}

}  // namespace sorvel::manpage
