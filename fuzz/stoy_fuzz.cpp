// Toy meshes come from files beside the game; a damaged or hostile one must be
// refused with a reason, never read past its end or handed to the GPU as
// something it cannot draw.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.hpp"
#include "meshes/mesh_data.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<MeshData> read = Meshes::parseStoy(std::as_bytes(std::span(data, size)));
  if (!read) {
    fuzz::require(!read.why().empty(), "a refused mesh says why");
    return 0;
  }
  // The renderer uploads what was accepted as it is.
  const MeshData& mesh = *read;
  fuzz::require(mesh.stride == Meshes::kObjectStride, "a toy mesh has the object stride");
  fuzz::require(!mesh.vertices.empty() && mesh.vertices.size() % Meshes::kObjectStride == 0,
                "a toy mesh holds whole vertices");
  fuzz::require(!mesh.indices.empty() && mesh.indices.size() % 3 == 0, "a toy mesh holds whole triangles");
  const std::size_t vertexCount = mesh.vertexCount();
  fuzz::require(vertexCount <= Meshes::kMaxStoyVertices && mesh.indices.size() / 3 <= Meshes::kMaxStoyTriangles,
                "an accepted mesh keeps within a toy's limits");
  for (const std::uint32_t index : mesh.indices) {
    fuzz::require(index < vertexCount, "every index of an accepted mesh names one of its vertices");
  }
  for (const float value : mesh.vertices) fuzz::require(std::isfinite(value), "vertices are finite");
  return 0;
}
