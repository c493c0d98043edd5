#include "base/setting_text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace sorvel {

namespace {

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

double leadingNumber(std::string_view text) {
  const std::string clean = trimmed(text);
  double value = 0;
  const char* begin = clean.data();
  const auto result = std::from_chars(begin, begin + clean.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0;
  return value;
}

bool meansYes(std::string_view text) {
  std::string word = trimmed(text);
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return word == "yes" || word == "true" || leadingNumber(word) != 0;
}

}  // namespace sorvel
