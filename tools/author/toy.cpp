#include "author/toy.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <unordered_map>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "image/png_io.hpp"

namespace sorvel::authoring {

namespace {

using Vec = glm::dvec3;

constexpr int kSamplesPerUnit = 4;
// Half-width of the smoothing kernel, in cubes. Below one half, so a flat
// face between figure and surplus stays exactly on its cell boundary and a
// one-cube mast keeps its full width; the corners round off by about this much.
constexpr double kSoft = 0.45;
constexpr int kSwatch = 8;  // pixels per palette swatch: mip levels 0-3 stay pure

double smoothStep(double t) {
  if (t <= -kSoft) return 0;
  if (t >= kSoft) return 1;
  const double u = (t + kSoft) / (2 * kSoft);
  return u * u * (3 - 2 * u);
}

double smoothStepSlope(double t) {
  if (t <= -kSoft || t >= kSoft) return 0;
  const double u = (t + kSoft) / (2 * kSoft);
  return 6 * u * (1 - u) / (2 * kSoft);
}

// The figure's cubes blurred by a smooth separable kernel: 1 deep inside, 0
// far outside, one half on flat faces. Its one-half level set is the toy.
// Blurring each colour's cubes on their own says how much of each paint a
// point carries; where two shares are equal runs the border between them.
class Field {
 public:
  Field(const Figure& figure, const std::vector<char>& letters)
      : figure_(figure), swatchOf_(figure.cells.size(), -1), swatches_(static_cast<int>(letters.size())) {
    for (size_t i = 0; i < figure.cells.size(); ++i) {
      if (!figure.isFigure(static_cast<int>(i))) continue;
      swatchOf_[i] = static_cast<int>(std::find(letters.begin(), letters.end(), figure.cells[i]) - letters.begin());
    }
  }

  // Value minus one half, and gradient.
  std::pair<double, Vec> at(const Vec& p) const {
    double value = 0;
    Vec gradient(0);
    forNearCubes(p, [&](int, const Vec& g, const Vec& d) {
      value += g.x * g.y * g.z;
      gradient += Vec(d.x * g.y * g.z, g.x * d.y * g.z, g.x * g.y * d.z);
    });
    return {value - 0.5, gradient};
  }

  // The blur of each colour's cubes alone, by swatch.
  std::vector<double> shares(const Vec& p) const {
    std::vector<double> out(static_cast<size_t>(swatches_), 0.0);
    forNearCubes(p, [&](int cell, const Vec& g, const Vec&) {
      out[static_cast<size_t>(swatchOf_[static_cast<size_t>(cell)])] += g.x * g.y * g.z;
    });
    return out;
  }

  // The colour with the largest share; ties go to the earlier letter so the
  // files come out the same on every run.
  int paint(const Vec& p) const {
    const std::vector<double> s = shares(p);
    return static_cast<int>(std::max_element(s.begin(), s.end()) - s.begin());
  }

 private:
  template <typename Visit>
  void forNearCubes(const Vec& p, Visit visit) const {
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
      lo[a] = static_cast<int>(std::floor(p[a] - 1 - kSoft));
      hi[a] = static_cast<int>(std::floor(p[a] + kSoft));
    }
    lo[0] = std::max(lo[0], 0), hi[0] = std::min(hi[0], figure_.X - 1);
    lo[1] = std::max(lo[1], 0), hi[1] = std::min(hi[1], figure_.Y - 1);
    lo[2] = std::max(lo[2], 0), hi[2] = std::min(hi[2], figure_.Z - 1);
    for (int y = lo[1]; y <= hi[1]; ++y) {
      for (int z = lo[2]; z <= hi[2]; ++z) {
        for (int x = lo[0]; x <= hi[0]; ++x) {
          const int cell = figure_.index(x, y, z);
          if (!figure_.isFigure(cell)) continue;
          const Vec v(x, y, z);
          Vec g, d;
          for (int a = 0; a < 3; ++a) {
            g[a] = smoothStep(p[a] - v[a]) - smoothStep(p[a] - v[a] - 1);
            d[a] = smoothStepSlope(p[a] - v[a]) - smoothStepSlope(p[a] - v[a] - 1);
          }
          visit(cell, g, d);
        }
      }
    }
  }

  const Figure& figure_;
  std::vector<int> swatchOf_;  // by cell; -1 for surplus
  int swatches_;
};

struct Surface {
  std::vector<Vec> points;
  std::vector<Vec> normals;
  std::vector<std::array<std::uint32_t, 3>> triangles;
};

// Surface nets: one vertex per sample cube the surface crosses, one quad per
// sample edge it crosses. Samples sit half a step off the cell boundaries, so
// no sample ever lies exactly on the surface.
Surface extract(const Figure& figure, const Field& field) {
  const int n[3] = {(figure.X + 2) * kSamplesPerUnit, (figure.Y + 2) * kSamplesPerUnit,
                    (figure.Z + 2) * kSamplesPerUnit};
  const auto position = [](int i, int j, int k) {
    return Vec(i + 0.5, j + 0.5, k + 0.5) / double(kSamplesPerUnit) - Vec(1);
  };
  const auto sample = [&](int i, int j, int k) { return (static_cast<size_t>(j) * n[2] + k) * n[0] + i; };
  std::vector<double> values(static_cast<size_t>(n[0]) * n[1] * n[2]);
  for (int j = 0; j < n[1]; ++j) {
    for (int k = 0; k < n[2]; ++k) {
      for (int i = 0; i < n[0]; ++i) values[sample(i, j, k)] = field.at(position(i, j, k)).first;
    }
  }

  Surface surface;
  std::vector<std::int32_t> vertexOf(values.size(), -1);  // by the sample cube's lowest corner
  for (int j = 0; j + 1 < n[1]; ++j) {
    for (int k = 0; k + 1 < n[2]; ++k) {
      for (int i = 0; i + 1 < n[0]; ++i) {
        Vec sum(0);
        int crossings = 0;
        for (int corner = 0; corner < 8; ++corner) {
          const int ci = i + (corner & 1), cj = j + ((corner >> 1) & 1), ck = k + ((corner >> 2) & 1);
          const double a = values[sample(ci, cj, ck)];
          for (int axis = 0; axis < 3; ++axis) {
            const int step[3] = {axis == 0, axis == 1, axis == 2};
            if ((corner >> axis) & 1) continue;  // each edge once, from its lower end
            const double b = values[sample(ci + step[0], cj + step[1], ck + step[2])];
            if ((a > 0) == (b > 0)) continue;
            const double t = a / (a - b);
            sum += glm::mix(position(ci, cj, ck), position(ci + step[0], cj + step[1], ck + step[2]), t);
            ++crossings;
          }
        }
        if (crossings == 0) continue;
        vertexOf[sample(i, j, k)] = static_cast<std::int32_t>(surface.points.size());
        surface.points.push_back(sum / double(crossings));
      }
    }
  }

  for (int j = 1; j + 1 < n[1]; ++j) {
    for (int k = 1; k + 1 < n[2]; ++k) {
      for (int i = 1; i + 1 < n[0]; ++i) {
        const bool inside = values[sample(i, j, k)] > 0;
        for (int axis = 0; axis < 3; ++axis) {
          const int step[3] = {axis == 0, axis == 1, axis == 2};
          if (inside == (values[sample(i + step[0], j + step[1], k + step[2])] > 0)) continue;
          // The four sample cubes around this edge, going round it.
          const int u = (axis + 1) % 3, w = (axis + 2) % 3;
          std::uint32_t quad[4];
          const int around[4][2] = {{-1, -1}, {0, -1}, {0, 0}, {-1, 0}};
          for (int c = 0; c < 4; ++c) {
            int at[3] = {i, j, k};
            at[u] += around[c][0];
            at[w] += around[c][1];
            quad[c] = static_cast<std::uint32_t>(vertexOf[sample(at[0], at[1], at[2])]);
          }
          surface.triangles.push_back({quad[0], quad[1], quad[2]});
          surface.triangles.push_back({quad[0], quad[2], quad[3]});
        }
      }
    }
  }

  // Pull each vertex onto the level set, then take its normal from the field.
  for (Vec& p : surface.points) {
    for (int step = 0; step < 3; ++step) {
      const auto [value, gradient] = field.at(p);
      const double length2 = glm::dot(gradient, gradient);
      if (length2 < 1e-12) break;
      Vec move = gradient * (value / length2);
      const double limit = 0.5 / kSamplesPerUnit;
      if (glm::length(move) > limit) move *= limit / glm::length(move);
      p -= move;
    }
    const Vec gradient = field.at(p).second;
    surface.normals.push_back(glm::length(gradient) > 1e-12 ? -glm::normalize(gradient) : Vec(0, 1, 0));
  }
  return surface;
}

// The surface cut along the borders between paints, each piece wearing one
// colour. Giving each sample triangle a single colour would leave a border
// that zigzags along the sample grid; cutting the triangles where the two
// paints' shares are equal lets it follow the smooth line the blur draws.
struct Painted {
  std::vector<Vec> points;
  std::vector<Vec> normals;
  std::vector<std::array<std::uint32_t, 3>> triangles;  // same turning as the sample triangle they cut
  std::vector<int> swatches;  // by triangle
};

Painted paint(const Surface& surface, const Field& field) {
  Painted out{.points = surface.points, .normals = surface.normals, .triangles = {}, .swatches = {}};
  std::vector<int> label;
  label.reserve(surface.points.size());
  for (const Vec& p : surface.points) label.push_back(field.paint(p));

  const auto addPoint = [&](const Vec& p, const Vec& fallbackNormal) {
    const Vec gradient = field.at(p).second;
    out.points.push_back(p);
    out.normals.push_back(glm::length(gradient) > 1e-12 ? -glm::normalize(gradient) : fallbackNormal);
    return static_cast<std::uint32_t>(out.points.size() - 1);
  };

  // Where a sample edge between two paints crosses their border. Found from
  // the lower-numbered end, so both triangles sharing the edge get the very
  // same point and no crack opens between them.
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> cuts;
  const auto cut = [&](std::uint32_t a, std::uint32_t b) {
    if (a > b) std::swap(a, b);
    const auto found = cuts.find({a, b});
    if (found != cuts.end()) return found->second;
    const size_t from = static_cast<size_t>(label[a]), to = static_cast<size_t>(label[b]);
    const Vec pa = surface.points[a], pb = surface.points[b];
    double lo = 0, hi = 1;  // the share of `from` leads at lo and trails at hi
    for (int step = 0; step < 24; ++step) {
      const double mid = 0.5 * (lo + hi);
      const std::vector<double> s = field.shares(glm::mix(pa, pb, mid));
      (s[from] >= s[to] ? lo : hi) = mid;
    }
    const double t = 0.5 * (lo + hi);
    const Vec fallback = glm::normalize(glm::mix(surface.normals[a], surface.normals[b], t));
    const std::uint32_t point = addPoint(glm::mix(pa, pb, t), fallback);
    cuts.emplace(std::make_pair(a, b), point);
    return point;
  };
  const auto emit = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c, int swatch) {
    out.triangles.push_back({a, b, c});
    out.swatches.push_back(swatch);
  };

  for (const auto& t : surface.triangles) {
    const int l0 = label[t[0]], l1 = label[t[1]], l2 = label[t[2]];
    if (l0 == l1 && l1 == l2) {
      emit(t[0], t[1], t[2], l0);
    } else if (l0 != l1 && l1 != l2 && l0 != l2) {
      // Three paints meet inside: each corner keeps the part up to the cuts
      // on its two edges and a point in the middle.
      const std::uint32_t m01 = cut(t[0], t[1]), m12 = cut(t[1], t[2]), m20 = cut(t[2], t[0]);
      const Vec middle = (out.points[m01] + out.points[m12] + out.points[m20]) / 3.0;
      const std::uint32_t c = addPoint(middle, glm::normalize(out.normals[m01] + out.normals[m12] + out.normals[m20]));
      emit(t[0], m01, c, l0), emit(t[0], c, m20, l0);
      emit(t[1], m12, c, l1), emit(t[1], c, m01, l1);
      emit(t[2], m20, c, l2), emit(t[2], c, m12, l2);
    } else {
      // Two paints: turn the triangle so that its odd corner comes first.
      std::array<std::uint32_t, 3> r = t;
      if (l1 != l0 && l1 != l2) r = {t[1], t[2], t[0]};
      if (l2 != l0 && l2 != l1) r = {t[2], t[0], t[1]};
      const std::uint32_t m01 = cut(r[0], r[1]), m02 = cut(r[0], r[2]);
      const int odd = label[r[0]], rest = label[r[1]];
      emit(r[0], m01, m02, odd);
      emit(m01, r[1], r[2], rest);
      emit(m01, r[2], m02, rest);
    }
  }
  return out;
}

}  // namespace

MeshData buildToy(const Figure& figure) {
  std::vector<char> letters;
  for (const auto& entry : figure.palette) letters.push_back(entry.first);
  const Field field(figure, letters);
  Painted surface = paint(extract(figure, field), field);

  // Stand the toy on the plinth: its lowest point at y = 0, nothing outside
  // the block's box.
  double lowest = 1e30;
  for (const Vec& p : surface.points) lowest = std::min(lowest, p.y);
  for (Vec& p : surface.points) {
    p.y -= lowest;
    p = glm::clamp(p, Vec(0), Vec(figure.X, figure.Y, figure.Z));
    // Decide winding on the positions the file will hold, not finer ones.
    p = Vec(glm::vec3(p));
  }

  MeshData mesh{.stride = Meshes::kObjectStride};
  std::unordered_map<std::uint64_t, std::uint32_t> outIndex;  // (point, swatch) -> output vertex
  for (size_t i = 0; i < surface.triangles.size(); ++i) {
    auto triangle = surface.triangles[i];
    const Vec& a = surface.points[triangle[0]];
    const Vec face = glm::cross(surface.points[triangle[1]] - a, surface.points[triangle[2]] - a);
    const Vec normalSum = surface.normals[triangle[0]] + surface.normals[triangle[1]] + surface.normals[triangle[2]];
    // Slivers squeezed flat by the pull onto the surface, or cut off by a
    // border passing next to a corner, show nothing and have no trustworthy
    // facing.
    if (glm::length(face) <= 1e-5 || std::abs(glm::dot(glm::normalize(face), glm::normalize(normalSum))) < 1e-3) {
      continue;
    }
    if (glm::dot(face, normalSum) < 0) std::swap(triangle[1], triangle[2]);
    const int colour = surface.swatches[i];
    for (std::uint32_t v : triangle) {
      const std::uint64_t key = std::uint64_t(v) * 64 + static_cast<std::uint64_t>(colour);
      auto [found, added] = outIndex.emplace(key, static_cast<std::uint32_t>(mesh.vertexCount()));
      if (added) {
        const Vec& p = surface.points[v];
        const Vec& nrm = surface.normals[v];
        const float u = (static_cast<float>(colour) + 0.5f) / static_cast<float>(letters.size());
        for (double value : {p.x, p.y, p.z, nrm.x, nrm.y, nrm.z}) mesh.vertices.push_back(static_cast<float>(value));
        mesh.vertices.push_back(u);
        mesh.vertices.push_back(0.5f);
      }
      mesh.indices.push_back(found->second);
    }
  }
  return mesh;
}

std::string palettePng(const Figure& figure) {
  RgbaImage image{.width = kSwatch * static_cast<int>(figure.palette.size()), .height = kSwatch, .pixels = {}};
  image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
  int column = 0;
  for (const auto& [letter, colour] : figure.palette) {
    for (int y = 0; y < kSwatch; ++y) {
      for (int x = 0; x < kSwatch; ++x) {
        std::uint8_t* pixel = &image.pixels[(static_cast<size_t>(y) * image.width + column * kSwatch + x) * 4];
        pixel[0] = static_cast<std::uint8_t>(colour >> 16);
        pixel[1] = static_cast<std::uint8_t>(colour >> 8);
        pixel[2] = static_cast<std::uint8_t>(colour);
        pixel[3] = 0xFF;
      }
    }
    ++column;
  }
  Result<std::string> png = encodePng(image.pixels, image.width, image.height, {.colourFallbacks = false, .stored = true});
  if (!png) throw std::runtime_error(figure.id + ": cannot encode its palette: " + png.why());
  return std::move(*png);
}

}  // namespace sorvel::authoring
