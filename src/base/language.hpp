#pragma once

// The language of every text a player reads. Spanish is the game's own: its
// texts are written in Spanish in the code, and the English ones come from a
// gettext catalogue keyed by them. The language is the process's, as gettext's
// is: one game, one player, one language at a time.

#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace sorvel {

enum class Language { spanish, english };

// "es" or "en": the codes of the puzzle files' name maps, the settings file and --lang.
std::string_view languageCode(Language language);
std::optional<Language> languageFromCode(std::string_view code);

// Where the English catalogue lives: the install prefix's share/locale beside
// the executable, else the build tree's. Nothing when neither holds it.
std::optional<std::filesystem::path> catalogueDir();

// Makes gettext read the catalogue under `dir` (folder/en/LC_MESSAGES/sorvel.mo).
// Call once, early, before other threads start: it sets the process's
// message locale and $LANGUAGE. Fails, saying why, when the catalogue cannot
// be read; the game then stays in Spanish.
std::optional<std::string> openCatalogue(const std::filesystem::path& dir);
bool catalogueOpen();

// Chooses the language texts are given in from now on. English without an
// open catalogue gives the Spanish texts.
void useLanguage(Language language);
Language currentLanguage();

// `spanish` in the current language.
std::string tr(const char* spanish);
// The form for `n` of a text with a singular and a plural.
std::string trn(const char* one, const char* many, long n);
// Marks a text for the catalogue where it is defined, to be given through
// tr() where it is shown.
constexpr const char* translatable(const char* spanish) { return spanish; }
// The entry of a file's name map for the current language, else the Spanish
// one, else `fallback`.
std::string nameIn(const std::map<std::string, std::string>& names, const std::string& fallback);
// `pattern` with each "{0}", "{1}"… replaced by that value. A translation
// keeps the numbered places, in whatever order its sentence needs them.
std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace sorvel
