#pragma once

// Text measured and drawn by one and the same Pango layout code, so that what
// the layout allots a text is exactly the room its glyphs take when painted.
// Text is laid out in points, independent of the window's pixel scale: glyph
// positions are neither hinted nor rounded, and the painter scales the
// finished layout, so a line wraps the same way on every screen.

#include <memory>
#include <string>

#include "ui/draw_list.hpp"
#include "ui/fonts.hpp"

// Cairo's context, declared as cairo.h does, so that users of this header
// need no Cairo headers of their own.
typedef struct _cairo cairo_t;

namespace sorvel::ui {

// Keeps its Pango context and recent layouts between calls: not for use from
// more than one thread.
class PangoMeasure final : public TextMeasure {
 public:
  // Loads each face once, so that the first frame does not pay for it.
  explicit PangoMeasure(InterfaceFonts fonts = interfaceFonts());
  ~PangoMeasure() override;
  PangoMeasure(const PangoMeasure&) = delete;
  PangoMeasure& operator=(const PangoMeasure&) = delete;

  Size measure(const std::string& text, const Font& font, float wrapWidth) const override;

  // Draws `text` with its box's top-left corner at its origin, through the
  // transformation `cr` has (points to pixels).
  void show(cairo_t* cr, const TextCommand& text) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sorvel::ui
