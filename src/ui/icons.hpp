#pragma once

// The interface's icons, drawn as vector paths of our own on a 24-unit grid
// that is scaled to the icon's box. The line icons take their thickness from
// the command's weight, so they sit beside text of that weight; the filled
// ones keep the same corners and margins, so the set reads as one.

#include "ui/draw_list.hpp"

// Cairo's context, declared as cairo.h does.
typedef struct _cairo cairo_t;

namespace sorvel::ui {

// Draws the icon centred in its rect (the shorter side sets its size) in its
// colour, through the transformation `cr` has. Nothing falls outside the rect.
void drawIcon(cairo_t* cr, const IconCommand& icon);

}  // namespace sorvel::ui
