#pragma once

#include <cairo.h>

#include <memory>

#include "ui/free_with.hpp"

namespace sorvel {

using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, FreeWith<cairo_surface_destroy>>;
using CairoPtr = std::unique_ptr<cairo_t, FreeWith<cairo_destroy>>;
using CairoFontOptionsPtr = std::unique_ptr<cairo_font_options_t, FreeWith<cairo_font_options_destroy>>;

}  // namespace sorvel
