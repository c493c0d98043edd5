#pragma once

// The interface's two faces, found through fontconfig. Resolving them once at
// start-up, before the window opens, also warms fontconfig's cache: cold, it
// takes seconds, and the first text drawn would otherwise stall a frame.

#include <string>

#include "ui/draw_list.hpp"

namespace sorvel::ui {

// Family names as Pango takes them.
struct InterfaceFonts {
  std::string sans;
  std::string serif;
  const std::string& of(Family family) const { return family == Family::serif ? serif : sans; }
};

// Whether fontconfig knows a face of this family (case as fontconfig
// compares: ignored).
bool fontInstalled(const std::string& family);

// The wanted families where they are installed; otherwise whatever the
// system's sans or serif is, with one line on stderr naming what is missing
// and what is used instead.
InterfaceFonts resolveFonts(const std::string& wantedSans, const std::string& wantedSerif);

// Inter and Vollkorn, resolved on the first call and kept for the run.
const InterfaceFonts& interfaceFonts();

}  // namespace sorvel::ui
