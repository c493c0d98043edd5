#pragma once

#include <pango/pangocairo.h>

#include <memory>

#include "ui/cairo_handles.hpp"
#include "ui/free_with.hpp"

namespace sorvel {

using PangoFontDescriptionPtr = std::unique_ptr<PangoFontDescription, FreeWith<pango_font_description_free>>;
// Font maps, contexts, layouts and fonts: GObjects, let go by reference count.
template <typename T>
using GObjectPtr = std::unique_ptr<T, FreeWith<g_object_unref>>;

}  // namespace sorvel
