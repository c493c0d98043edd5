#include "ui/fonts.hpp"

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <memory>

#include "ui/free_with.hpp"

namespace sorvel::ui {

namespace {

using PatternPtr = std::unique_ptr<FcPattern, FreeWith<FcPatternDestroy>>;

PatternPtr familyPattern(const std::string& family) {
  PatternPtr pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  return pattern;
}

// The family fontconfig picks for a generic name such as "serif", as the
// desktop has it configured.
std::string bestFamily(const std::string& generic) {
  PatternPtr pattern = familyPattern(generic);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* family = nullptr;
  if (match && FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch) {
    return reinterpret_cast<const char*>(family);
  }
  // No font at all: Pango still resolves the generic name, to boxes.
  return generic;
}

struct Shortfall {
  int count = 0;
  std::string missing, instead;
};

std::string resolveOne(const std::string& wanted, const std::string& generic, Shortfall& shortfall) {
  if (fontInstalled(wanted)) return wanted;
  std::string used = bestFamily(generic);
  const char* join = shortfall.count++ ? " and " : "";
  shortfall.missing += join + wanted;
  shortfall.instead += join + used;
  return used;
}

}  // namespace

bool fontInstalled(const std::string& family) {
  const PatternPtr pattern = familyPattern(family);
  const std::unique_ptr<FcObjectSet, FreeWith<FcObjectSetDestroy>> fields(FcObjectSetBuild(FC_FAMILY, nullptr));
  const std::unique_ptr<FcFontSet, FreeWith<FcFontSetDestroy>> fonts(FcFontList(nullptr, pattern.get(), fields.get()));
  return fonts && fonts->nfont > 0;
}

InterfaceFonts resolveFonts(const std::string& wantedSans, const std::string& wantedSerif) {
  Shortfall shortfall;
  InterfaceFonts fonts;
  fonts.sans = resolveOne(wantedSans, "sans-serif", shortfall);
  fonts.serif = resolveOne(wantedSerif, "serif", shortfall);
  if (shortfall.count > 0) {
    std::fprintf(stderr, "sorvel: the %s %s %s not installed; using %s instead\n",
                 shortfall.count > 1 ? "fonts" : "font", shortfall.missing.c_str(),
                 shortfall.count > 1 ? "are" : "is", shortfall.instead.c_str());
  }
  return fonts;
}

const InterfaceFonts& interfaceFonts() {
  static const InterfaceFonts fonts = resolveFonts("Inter", "Vollkorn");
  return fonts;
}

}  // namespace sorvel::ui
