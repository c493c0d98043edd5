// Pictures are read from files (the toys' colour maps), so the bytes reach
// readPng the same way: through a file, here one kept in memory and rewritten
// for every input.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "image/png_io.hpp"

using namespace sorvel;


// The largest picture the game reads needs kMaxPngPixels * 4 bytes; a single
// allocation well beyond that can only come from a header or chunk claiming
// more than the file holds. Under AddressSanitizer (the fuzzer, and the
// replay in the sanitizer pass) it stops the run instead of costing seconds
// and gigabytes.
static_assert(kMaxPngPixels * 4 >> 20 == 1024, "keep the limit below in step with kMaxPngPixels");
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=1088"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = fuzz::memoryFile();
  fuzz::rewrite(path, data, size);
  const Result<RgbaImage> read = readPng(path);
  if (!read) {
    fuzz::require(!read.why().empty(), "a picture that was not read says why");
    return 0;
  }
  const RgbaImage& image = *read;
  fuzz::require(image.width > 0 && image.height > 0, "a picture has pixels");
  const std::uint64_t pixels = std::uint64_t(image.width) * std::uint64_t(image.height);
  fuzz::require(pixels <= kMaxPngPixels, "no picture over the pixel limit is read");
  fuzz::require(image.pixels.size() == pixels * 4, "a picture holds four bytes for each of its pixels");
  return 0;
}
