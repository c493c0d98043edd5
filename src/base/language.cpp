#include "base/language.hpp"

#include <libintl.h>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <system_error>

#include "base/resources.hpp"

namespace sorvel {
namespace fs = std::filesystem;

namespace {

constexpr const char* kDomain = "sorvel";

std::atomic<Language> current{Language::spanish};
std::atomic<bool> opened{false};

bool english() { return opened.load() && current.load() == Language::english; }

bool holdsCatalogue(const fs::path& dir) {
  std::error_code error;
  return fs::is_regular_file(dir / "en" / "LC_MESSAGES" / "sorvel.mo", error);
}

}  // namespace

std::string_view languageCode(Language language) { return language == Language::english ? "en" : "es"; }

std::optional<Language> languageFromCode(std::string_view code) {
  if (code == "es") return Language::spanish;
  if (code == "en") return Language::english;
  return std::nullopt;
}

std::optional<fs::path> catalogueDir() {
  const fs::path exeDir = executableDir();
  for (const fs::path& candidate : {exeDir.parent_path() / "share" / "locale", fs::path(SORVEL_BUILD_LOCALE)}) {
    if (!candidate.empty() && holdsCatalogue(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> openCatalogue(const fs::path& dir) {
  opened = false;
  // gettext picks the catalogue by the message locale and, ahead of it,
  // $LANGUAGE; it ignores $LANGUAGE only in the plain "C" locale. C.UTF-8
  // ships with every Debian system and changes nothing else the game prints.
  if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr && std::setlocale(LC_MESSAGES, "C.utf8") == nullptr) {
    return "the C.UTF-8 locale is missing, and gettext needs it to give English";
  }
  setenv("LANGUAGE", "en", 1);
  if (bindtextdomain(kDomain, dir.c_str()) == nullptr || bind_textdomain_codeset(kDomain, "UTF-8") == nullptr) {
    return "gettext could not use " + dir.string();
  }
  // Every catalogue has a header under the empty text: without it, nothing
  // was read and every English text would silently be Spanish.
  if (std::string_view(dgettext(kDomain, "")).empty()) {
    return "no English catalogue could be read from " + (dir / "en" / "LC_MESSAGES" / "sorvel.mo").string();
  }
  opened = true;
  return std::nullopt;
}

bool catalogueOpen() { return opened.load(); }

void useLanguage(Language language) { current = language; }

Language currentLanguage() { return current.load(); }

std::string tr(const char* spanish) { return english() ? dgettext(kDomain, spanish) : spanish; }

std::string trn(const char* one, const char* many, long n) {
  if (english()) return dngettext(kDomain, one, many, static_cast<unsigned long>(n));
  return n == 1 ? one : many;
}

std::string nameIn(const std::map<std::string, std::string>& names, const std::string& fallback) {
  for (const std::string_view code : {languageCode(currentLanguage()), std::string_view("es")}) {
    if (const auto found = names.find(std::string(code)); found != names.end()) return found->second;
  }
  return fallback;
}

std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(pattern.size() + 16);
  for (std::size_t i = 0; i < pattern.size();) {
    // "{N}" with one digit naming a value given; anything else is text.
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' && pattern[i + 1] >= '0' &&
        pattern[i + 1] <= '9' && static_cast<std::size_t>(pattern[i + 1] - '0') < values.size()) {
      out += values.begin()[pattern[i + 1] - '0'];
      i += 3;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

}  // namespace sorvel
