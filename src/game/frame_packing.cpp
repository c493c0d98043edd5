#include "game/gpu_records.hpp"

namespace sorvel {

namespace {
constexpr std::size_t kBlockAlign = 256;
std::size_t alignUp(std::size_t offset) { return (offset + kBlockAlign - 1) / kBlockAlign * kBlockAlign; }
}  // namespace

FramePacking packFrame(const Frame& frame) {
  FramePacking packing;
  std::size_t end = packing.cubes + frame.cubes.size() * sizeof(CubeInst);
  packing.groups.reserve(frame.objects.size());
  for (const ObjectGroup& group : frame.objects) {
    const std::size_t start = alignUp(end);
    packing.groups.push_back(start);
    end = start + group.insts.size() * sizeof(ObjInst);
  }
  packing.end = end;
  return packing;
}

}  // namespace sorvel
