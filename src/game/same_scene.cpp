#include <cstring>
#include <vector>

#include "game/gpu_records.hpp"

namespace sorvel {
namespace {

// The records are plain numbers laid out without padding (see the static
// asserts beside them), so their bytes are their values.
template <typename T>
bool sameRecords(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

bool sameScene(const Frame& a, const Frame& b) {
  Uniforms ua = a.uniforms, ub = b.uniforms;
  ua.params.x = ub.params.x = 0;
  if (std::memcmp(&ua, &ub, sizeof(Uniforms)) != 0 || a.shadowCenter != b.shadowCenter ||
      a.shadowRadius != b.shadowRadius || !sameRecords(a.cubes, b.cubes) || a.objects.size() != b.objects.size()) {
    return false;
  }
  for (std::size_t g = 0; g < a.objects.size(); ++g) {
    const ObjectGroup& ga = a.objects[g];
    const ObjectGroup& gb = b.objects[g];
    if (ga.mesh.id != gb.mesh.id || ga.texture.has_value() != gb.texture.has_value() ||
        (ga.texture && ga.texture->id != gb.texture->id) || !sameRecords(ga.insts, gb.insts)) {
      return false;
    }
  }
  return true;
}

}  // namespace sorvel
