// sorvel-icon FOLDER NAME SIZE...: draws the game's icon, a block of wood with
// a clue painted on it, at each SIZE and writes it to
// FOLDER/<SIZE>x<SIZE>/NAME.png, then once more as vectors to
// FOLDER/scalable/NAME.svg. Every size is drawn from the vectors, with its
// corners put on whole pixels and its details chosen for that size, so that
// the small ones stay crisp rather than being a blurred copy of the large one.
// The scalable one is the largest size's drawing, every detail in.

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.hpp"

namespace fs = std::filesystem;

namespace {

struct Point {
  double x = 0;
  double y = 0;
};

struct Colour {
  double r = 0;
  double g = 0;
  double b = 0;
};

constexpr Colour hex(unsigned rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// The cube shader's two woods as the lit block shows them, one shade per face
// for light from the upper left; the ink its clues are painted in.
constexpr Colour kTop = hex(0xE8C593);
constexpr Colour kLeft = hex(0xC9955B);
constexpr Colour kRight = hex(0x9A663A);
constexpr Colour kGrain = hex(0x7A4E2A);
constexpr Colour kOutline = hex(0x4A311D);
constexpr Colour kInk = hex(0x2B241F);

void setColour(cairo_t* cr, Colour c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void polygon(cairo_t* cr, std::initializer_list<Point> points) {
  bool first = true;
  for (const Point p : points) {
    first ? cairo_move_to(cr, p.x, p.y) : cairo_line_to(cr, p.x, p.y);
    first = false;
  }
  cairo_close_path(cr);
}

// A closed polygon whose corners are rounded off, each `radius` along its two
// edges.
void roundedPolygon(cairo_t* cr, const std::vector<Point>& points, double radius) {
  const size_t n = points.size();
  auto toward = [radius](Point from, Point to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double t = std::min(0.5, radius / std::hypot(dx, dy));
    return Point{from.x + dx * t, from.y + dy * t};
  };
  for (size_t i = 0; i < n; ++i) {
    const Point corner = points[i];
    const Point in = toward(corner, points[(i + n - 1) % n]);
    const Point out = toward(corner, points[(i + 1) % n]);
    i == 0 ? cairo_move_to(cr, in.x, in.y) : cairo_line_to(cr, in.x, in.y);
    // A cubic through the corner's pull, close to a circular arc.
    constexpr double k = 0.55;
    cairo_curve_to(cr, in.x + (corner.x - in.x) * k, in.y + (corner.y - in.y) * k,
                   out.x + (corner.x - out.x) * k, out.y + (corner.y - out.y) * k, out.x, out.y);
  }
  cairo_close_path(cr);
}

// Maps the unit square onto the parallelogram with corner `origin` and sides
// `across` and `down`, so what is drawn there lies on that face of the block.
void onFace(cairo_t* cr, Point origin, Point across, Point down) {
  cairo_matrix_t face;
  cairo_matrix_init(&face, across.x, across.y, down.x, down.y, origin.x, origin.y);
  cairo_transform(cr, &face);
}

// The digit 3 in the unit square, as a brush would paint it.
void paintThree(cairo_t* cr, double weight) {
  cairo_set_line_width(cr, weight);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_new_path(cr);
  cairo_arc(cr, 0.5, 0.375, 0.135, -2.5, 1.5708);
  cairo_arc(cr, 0.5, 0.655, 0.145, -1.5708, 2.5);
  setColour(cr, kInk);
  cairo_stroke(cr);
}

void drawIcon(cairo_t* cr, int size) {
  const double n = size;
  // Half the block's width, a whole number so its side edges fall on pixel
  // edges; the top face drops half that at each side (2:1, whose diagonals
  // step evenly over the pixels), the sides stand a little taller.
  const double a = std::floor(n * 0.45);
  const double b = a / 2;
  const double h = std::round(a * 1.1);
  const double cx = n / 2;
  const double top = std::round((n - (2 * b + h)) / 2);

  const Point t{cx, top}, l{cx - a, top + b}, r{cx + a, top + b}, c{cx, top + 2 * b};
  const Point lb{cx - a, top + b + h}, rb{cx + a, top + b + h}, bottom{cx, top + 2 * b + h};

  const double round = std::max(1.0, n / 20);
  roundedPolygon(cr, {t, r, rb, bottom, lb, l}, round);
  cairo_clip(cr);

  polygon(cr, {t, r, c, l});
  setColour(cr, kTop);
  cairo_fill(cr);
  polygon(cr, {l, c, bottom, lb});
  setColour(cr, kLeft);
  cairo_fill(cr);
  polygon(cr, {c, r, rb, bottom});
  setColour(cr, kRight);
  cairo_fill(cr);

  // Grain where there are pixels enough for it: gently bowed lines running
  // along each side face.
  if (size >= 64) {
    cairo_save(cr);
    cairo_set_line_width(cr, std::max(1.0, n / 128));
    setColour(cr, kGrain, 0.28);
    for (const double along : {0.22, 0.47, 0.71, 0.88}) {
      const double bow = 0.03 * (along < 0.5 ? 1 : -1);
      for (const auto& [origin, across] : {std::pair{l, Point{a, b}}, std::pair{c, Point{a, -b}}}) {
        const Point from{origin.x, origin.y + h * along};
        const Point to{origin.x + across.x, origin.y + across.y + h * along};
        cairo_move_to(cr, from.x, from.y);
        cairo_curve_to(cr, from.x + across.x * 0.35, from.y + across.y * 0.35 + h * bow,
                       from.x + across.x * 0.7, from.y + across.y * 0.7 - h * bow, to.x, to.y);
      }
    }
    cairo_stroke(cr);
    cairo_restore(cr);
  }

  // The bevel catching the light along the top face's front edges.
  if (size >= 32) {
    cairo_set_line_width(cr, std::max(1.0, n / 64));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, l.x, l.y);
    cairo_line_to(cr, c.x, c.y);
    cairo_line_to(cr, r.x, r.y);
    cairo_set_source_rgba(cr, 1, 0.96, 0.88, 0.55);
    cairo_stroke(cr);
  }

  // A clue painted on the left face, as the game paints them on the block.
  // Below 32 pixels it would be a smudge.
  if (size >= 32) {
    cairo_save(cr);
    onFace(cr, l, Point{a, b}, Point{0, h});
    paintThree(cr, size >= 48 ? 0.1 : 0.13);
    cairo_restore(cr);
  }

  // A dark rim inside the outline, so the block stands out on light menus and
  // dark ones alike; drawn inside the clip, it keeps the side edges sharp.
  const double rim = size >= 64 ? n / 64 : 1;
  roundedPolygon(cr, {t, r, rb, bottom, lb, l}, round);
  cairo_set_line_width(cr, 2 * rim);
  setColour(cr, kOutline);
  cairo_stroke(cr);
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// The icon at `size` as PNG bytes with its transparency, or nothing when
// Cairo could not make it.
std::string iconPng(int size) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  drawIcon(cr, size);
  cairo_destroy(cr);
  std::string bytes;
  if (cairo_surface_write_to_png_stream(surface, appendBytes, &bytes) != CAIRO_STATUS_SUCCESS) bytes.clear();
  cairo_surface_destroy(surface);
  return bytes;
}

// The icon as an SVG document of kScalableSize pixels a side, or nothing
// when Cairo could not make it.
constexpr int kScalableSize = 256;

std::string iconSvg() {
  std::string bytes;
  cairo_surface_t* surface = cairo_svg_surface_create_for_stream(appendBytes, &bytes, kScalableSize, kScalableSize);
  // Pixels, not Cairo's default points: the theme's scalable icons are laid
  // out on a pixel grid, and a 256pt document would open a third larger.
  cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  cairo_t* cr = cairo_create(surface);
  drawIcon(cr, kScalableSize);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) bytes.clear();
  cairo_surface_destroy(surface);
  return bytes;
}

// The name becomes part of a path: a single plain file name, nothing that
// would climb out of or wander through FOLDER.
bool plainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

int usage() {
  std::fprintf(stderr, "usage: sorvel-icon FOLDER NAME SIZE...\n"
                       "  writes FOLDER/<SIZE>x<SIZE>/NAME.png for each SIZE (16 to 1024)\n"
                       "  and FOLDER/scalable/NAME.svg\n");
  return 2;
}

bool write(const fs::path& file, const std::string& bytes) {
  const sorvel::Result<void> written = sorvel::writeFileAtomically(file, bytes);
  if (!written) std::fprintf(stderr, "sorvel-icon: %s\n", written.why().c_str());
  return static_cast<bool>(written);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() < 3) return usage();
  const fs::path folder(args[0]);
  const std::string_view name = args[1];
  if (!plainName(name)) {
    std::fprintf(stderr, "sorvel-icon: the icon's name '%.*s' is not a plain file name\n",
                 static_cast<int>(name.size()), name.data());
    return 2;
  }
  for (const std::string_view text : std::vector(args.begin() + 2, args.end())) {
    int size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 16 || size > 1024) return usage();
    const std::string dimensions = std::to_string(size) + "x" + std::to_string(size);
    const std::string png = iconPng(size);
    if (png.empty()) {
      std::fprintf(stderr, "sorvel-icon: Cairo could not make the %s icon\n", dimensions.c_str());
      return 1;
    }
    if (!write(folder / dimensions / (std::string(name) + ".png"), png)) return 1;
  }
  const std::string svg = iconSvg();
  if (svg.empty()) {
    std::fprintf(stderr, "sorvel-icon: Cairo could not make the scalable icon\n");
    return 1;
  }
  return write(folder / "scalable" / (std::string(name) + ".svg"), svg) ? 0 : 1;
}
