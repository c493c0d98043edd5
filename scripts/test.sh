#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the whole
# suite, then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz target for 20 seconds, then each
# benchmark once (to prove it runs; the targets are read from a full run, see
# README).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/setup-deps.sh"

echo "== build and test"
cmake -S "$root" -B "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/test" -j"$jobs"
ctest --test-dir "$root/build/test" --output-on-failure -j"$jobs"

# The window tests drive a virtual display and a window manager through the
# shell; the preloaded sanitizer would check all of those too. The whole film
# takes minutes without a GPU and many more under the sanitizers; its parts
# (sequence, sound track, pipeline, encoder, every failure) run here all the
# same.
echo "== the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (but the window tests and the whole film)"
cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DSORVEL_SANITIZE=ON \
  -DSORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build/sanitize" -j"$jobs"
# Mesa unloads its driver at exit, before the leak check, which then cannot
# name the driver's own leftovers; preloaded (after the sanitizer runtime,
# which must come first), it stays. Outside libraries' leaks are suppressed by
# name in tests/lsan.supp.
preload="$(gcc -print-file-name=libasan.so)"
for driver in /usr/lib/*/dri/swrast_dri.so; do
  [ -e "$driver" ] && preload="$preload $driver"
done
LD_PRELOAD="$preload" LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build/sanitize" --output-on-failure -j"$jobs" --label-exclude window \
  --exclude-regex '^Film\.TheWholeFilm'

echo "== fuzzing (20 seconds a target, two at a time)"
"$root/scripts/fuzz.sh" 20

echo "== benchmarks (one short pass each)"
for bench in "$root"/build/test/bench/bench_*; do
  [ -x "$bench" ] || continue
  "$bench" --benchmark_min_time=0.01 >/dev/null
  echo "ran $(basename "$bench")"
done

echo "== all tests passed"
