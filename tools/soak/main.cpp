// sorvel-soak [--ticks N] [--seed S] [--resources DIR] [--frame-every K]
//             [--tolerance-mb M] [--quiet]
// Plays the chapter's largest block (and now and then the others) for N ticks
// of random play through the calls the window makes, checking the game's
// invariants after every step and its resident memory as it goes. Prints what
// it did; on the first broken invariant prints what broke, the tick, the seed
// and the steps before it, and exits with status 1.

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "soak/soak.hpp"

namespace {

template <typename T>
bool parse(std::string_view text, T& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int usage(const std::string& why) {
  std::cerr << "sorvel-soak: " << why << "\n"
            << "usage: sorvel-soak [--ticks N] [--seed S] [--resources DIR] [--frame-every K] "
               "[--tolerance-mb M] [--quiet]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  sorvel::soak::Options options;
  options.log = &std::cerr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quiet") {
      options.log = nullptr;
      continue;
    }
    if (i + 1 >= argc) return usage("unknown option or missing value: " + std::string(arg));
    const std::string_view value = argv[++i];
    bool ok = true;
    if (arg == "--ticks") {
      ok = parse(value, options.ticks);
    } else if (arg == "--seed") {
      ok = parse(value, options.seed);
    } else if (arg == "--resources") {
      options.resources = std::string(value);
    } else if (arg == "--frame-every") {
      ok = parse(value, options.frameEvery) && options.frameEvery > 0;
    } else if (arg == "--tolerance-mb") {
      std::int64_t mb = 0;
      ok = parse(value, mb) && mb > 0 && mb <= (1 << 20);
      options.toleranceKiB = mb * 1024;
    } else {
      return usage("unknown option " + std::string(arg));
    }
    if (!ok) return usage("bad value for " + std::string(arg) + ": " + std::string(value));
  }

  const auto started = std::chrono::steady_clock::now();
  sorvel::soak::Report report;
  try {
    report = sorvel::soak::run(options);
  } catch (const sorvel::soak::Failure& failure) {
    std::cerr << "sorvel-soak: FAILED at tick " << failure.tick << " (seed " << options.seed << "): " << failure.what()
              << "\n";
    if (!failure.recent.empty()) std::cerr << "the steps before it:\n";
    for (const auto& step : failure.recent) std::cerr << "  " << step << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "sorvel-soak: " << e.what() << "\n";
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  std::cout << "soak: " << options.ticks << " ticks on \"" << report.block << "\", seed " << options.seed << ", "
            << seconds << " s\n";
  std::cout << "solves " << report.solves;
  const char* separator = " (";
  for (const auto& [id, count] : report.solvesByBlock) {
    std::cout << separator << id << " " << count;
    separator = ", ";
  }
  std::cout << (report.solvesByBlock.empty() ? "" : ")") << ", restarts " << report.restarts << ", most chips "
            << report.mostChips << "\n";
  std::cout << "steps:";
  separator = " ";
  for (const auto& [name, count] : report.actions) {
    std::cout << separator << name << " " << count;
    separator = ", ";
  }
  std::cout << "\n";
  const auto& m = report.memory;
  std::cout << "resident KiB: start " << m.startKiB << ", warm-up plateau " << m.plateauKiB << ", end " << m.endKiB
            << ", peak " << m.peakKiB
            << (m.judged ? "" : " (not judged under AddressSanitizer: its quarantine holds freed memory)") << "\n";
  if (!m.samples.empty()) {
    std::cout << "resident KiB by tick:";
    const size_t stride = std::max<size_t>(m.samples.size() / 10, 1);
    for (size_t i = stride - 1; i < m.samples.size(); i += stride) {
      std::cout << " " << m.samples[i].first << ":" << m.samples[i].second;
    }
    std::cout << "\n";
  }
  std::cout << "invariants held\n";
  return 0;
}
