#include "ui/pango_measure.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/pango_handles.hpp"

namespace sorvel::ui {

namespace {


struct LayoutKey {
  std::string text;
  Font font;
  float wrapWidth = 0;
  friend bool operator==(const LayoutKey&, const LayoutKey&) = default;
};

struct LayoutKeyHash {
  std::size_t operator()(const LayoutKey& k) const {
    std::size_t h = std::hash<std::string_view>{}(k.text);
    const auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    mix(static_cast<std::size_t>(k.font.family));
    mix(static_cast<std::size_t>(k.font.weight));
    mix(std::hash<float>{}(k.font.size));
    mix(std::hash<float>{}(k.wrapWidth));
    return h;
  }
};

struct CachedLayout {
  GObjectPtr<PangoLayout> layout;
  PangoRectangle logical{};
  std::uint64_t lastUse = 0;
};

// Enough for every text of a few screens; past it the least recently used
// half goes.
constexpr std::size_t kCacheLimit = 512;

// Wider than any screen, and still a whole number of Pango units in an int.
constexpr float kUnbounded = 1e6f;

}  // namespace

struct PangoMeasure::Impl {
  InterfaceFonts fonts;
  GObjectPtr<PangoContext> context;
  PangoFontDescriptionPtr description{pango_font_description_new()};
  std::unordered_map<LayoutKey, CachedLayout, LayoutKeyHash> cache;
  std::uint64_t uses = 0;

  explicit Impl(InterfaceFonts f) : fonts(std::move(f)) {
    // The thread's shared font map: faces loaded once for every context.
    context.reset(pango_font_map_create_context(pango_cairo_font_map_get_default()));
    // Greyscale edges, since the interface is blended over the scene rather
    // than shown on a known background; unhinted metrics and unrounded
    // positions, so that sizes in points do not depend on the pixel scale.
    const CairoFontOptionsPtr options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context.get(), options.get());
    pango_context_set_round_glyph_positions(context.get(), FALSE);
    pango_context_set_language(context.get(), pango_language_from_string("es"));
    pango_context_set_base_dir(context.get(), PANGO_DIRECTION_LTR);
  }

  const CachedLayout& layout(const std::string& text, const Font& font, float wrapWidth) {
    // No width, or one too wide to matter (an unbounded layout may pass
    // infinity), lays the text out on one line.
    const bool wraps = wrapWidth > 0 && wrapWidth < kUnbounded;
    LayoutKey key{text, font, wraps ? wrapWidth : 0};
    auto found = cache.find(key);
    if (found == cache.end()) {
      if (cache.size() >= kCacheLimit) evictOldest();
      CachedLayout made;
      made.layout.reset(pango_layout_new(context.get()));
      PangoLayout* l = made.layout.get();
      pango_font_description_set_family(description.get(), fonts.of(font.family).c_str());
      pango_font_description_set_weight(description.get(), static_cast<PangoWeight>(font.weight));
      pango_font_description_set_absolute_size(description.get(), double(font.size) * PANGO_SCALE);
      pango_layout_set_font_description(l, description.get());
      if (key.wrapWidth > 0) {
        // Rounded up, so that a text given exactly its own measured width
        // as its wrap width stays on one line.
        pango_layout_set_width(l, static_cast<int>(std::ceil(double(key.wrapWidth) * PANGO_SCALE)));
        pango_layout_set_wrap(l, PANGO_WRAP_WORD_CHAR);
      }
      if (font.family == Family::serif) {
        // Vollkorn's default figures are old-style: a 1 reads as a small
        // capital I, a 0 as an o. Counts and times must read as numbers.
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_font_features_new("lnum"));
        pango_layout_set_attributes(l, attributes);
        pango_attr_list_unref(attributes);
      }
      pango_layout_set_text(l, text.data(), static_cast<int>(text.size()));
      pango_layout_get_extents(l, nullptr, &made.logical);
      found = cache.emplace(std::move(key), std::move(made)).first;
    }
    found->second.lastUse = ++uses;
    return found->second;
  }

  void evictOldest() {
    std::vector<std::uint64_t> ages;
    ages.reserve(cache.size());
    for (const auto& [key, entry] : cache) ages.push_back(entry.lastUse);
    auto middle = ages.begin() + static_cast<std::ptrdiff_t>(ages.size() / 2);
    std::nth_element(ages.begin(), middle, ages.end());
    std::erase_if(cache, [cutoff = *middle](const auto& item) { return item.second.lastUse <= cutoff; });
  }
};

PangoMeasure::PangoMeasure(InterfaceFonts fonts) : impl_(std::make_unique<Impl>(std::move(fonts))) {
  for (const Family family : {Family::sans, Family::serif}) {
    for (const Weight weight : {Weight::regular, Weight::semibold}) measure("Ág", Font{family, 15, weight}, 0);
  }
  impl_->cache.clear();
}

PangoMeasure::~PangoMeasure() = default;

Size PangoMeasure::measure(const std::string& text, const Font& font, float wrapWidth) const {
  const PangoRectangle& logical = impl_->layout(text, font, wrapWidth).logical;
  return {float(logical.width) / PANGO_SCALE, float(logical.height) / PANGO_SCALE};
}

void PangoMeasure::show(cairo_t* cr, const TextCommand& text) const {
  const CachedLayout& cached = impl_->layout(text.text, text.font, text.wrapWidth);
  const Colour& c = text.colour;
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
  cairo_move_to(cr, text.origin.x - double(cached.logical.x) / PANGO_SCALE,
                text.origin.y - double(cached.logical.y) / PANGO_SCALE);
  pango_cairo_show_layout(cr, cached.layout.get());
}

}  // namespace sorvel::ui
