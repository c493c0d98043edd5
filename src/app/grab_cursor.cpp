#include "app/grab_cursor.hpp"

#include <SDL.h>

#include <cmath>
#include <numbers>

#include "ui/cairo_handles.hpp"
#include "ui/free_with.hpp"

namespace sorvel {

namespace {

constexpr int kSize = 32;

// A fist seen from the back: four knuckles over a rounded palm, the thumb
// folded across its lower left.
void drawFist(cairo_t* cr) {
  constexpr double pi = std::numbers::pi;
  cairo_new_path(cr);
  for (int k = 0; k < 4; ++k) {
    const double x = 9.5 + 4.6 * k;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, 11.5, 2.6, pi, 2 * pi);
    cairo_line_to(cr, x + 2.6, 15);
    cairo_line_to(cr, x - 2.6, 15);
    cairo_close_path(cr);
  }
  cairo_new_sub_path(cr);
  cairo_move_to(cr, 6.9, 14);
  cairo_line_to(cr, 26.9, 14);
  cairo_curve_to(cr, 27.5, 20, 25.5, 26, 19, 27);
  cairo_line_to(cr, 12, 27);
  cairo_curve_to(cr, 8, 26, 6, 22, 5.5, 18.5);
  cairo_line_to(cr, 4.2, 16.5);
  cairo_curve_to(cr, 3.6, 15, 5.2, 13.8, 6.9, 14);
  cairo_close_path(cr);
}

void paintFist(cairo_surface_t* surface) {
  const CairoPtr context(cairo_create(surface));
  cairo_t* cr = context.get();
  drawFist(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.3);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  // The knuckles' creases.
  for (int k = 1; k < 4; ++k) {
    const double x = 9.5 + 4.6 * k - 2.3;
    cairo_move_to(cr, x, 12);
    cairo_line_to(cr, x, 17);
  }
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

SdlCursor paintedCursor() {
  const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  paintFist(surface.get());
  cairo_surface_flush(surface.get());
  // Cairo's ARGB32 is premultiplied, native-endian 32-bit pixels; on the
  // little-endian machines we run on that is BGRA in memory.
  const std::unique_ptr<SDL_Surface, FreeWith<SDL_FreeSurface>> image(SDL_CreateRGBSurfaceWithFormatFrom(
      cairo_image_surface_get_data(surface.get()), kSize, kSize, 32, cairo_image_surface_get_stride(surface.get()),
      SDL_PIXELFORMAT_ARGB8888));
  if (!image) return nullptr;
  return SdlCursor(SDL_CreateColorCursor(image.get(), kSize / 2, kSize / 2));
}

}  // namespace

void SdlCursorFree::operator()(SDL_Cursor* cursor) const noexcept { SDL_FreeCursor(cursor); }

SdlCursor makeGrabCursor() {
  SdlCursor cursor = paintedCursor();
  if (!cursor) cursor.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_SIZEALL));
  return cursor;
}

}  // namespace sorvel
