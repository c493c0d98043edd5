// Feeds saved inputs to a fuzz target without libFuzzer, so the ordinary test
// suite (and its sanitizer pass) keeps every crash the fuzzers ever found
// mended, and the seed corpus still accepted by the code it was taken for.
//
// Usage: <replay> FOLDER...  Every plain file of each folder is run once, in
// name order. A missing folder is skipped (a target that never crashed has no
// regressions), but finding no file at all fails: the paths must be wrong.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path folder = argv[i];
    std::error_code error;
    if (!fs::is_directory(folder, error)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file() && !entry.path().filename().string().starts_with(".")) {
        files.push_back(entry.path());
      }
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "replay: no inputs found in the folders given\n");
    return 1;
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
      std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
      return 1;
    }
    // Named before it runs, so a crash points at its input.
    std::printf("replay: %s\n", file.c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replay: %zu inputs\n", files.size());
  return 0;
}
