#pragma once

namespace sorvel {

// A unique_ptr deleter that hands the object to the C library's own free
// function: std::unique_ptr<FcPattern, FreeWith<FcPatternDestroy>>.
template <auto Free>
struct FreeWith {
  template <typename T>
  void operator()(T* object) const noexcept {
    Free(object);
  }
};

}  // namespace sorvel
