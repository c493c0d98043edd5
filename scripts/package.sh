#!/usr/bin/env bash
# Builds the Debian package from a clean Release tree (build/package), checks
# it with lintian, and prints where it is and how large. Lintian's errors
# fail the script; its warnings and notes are printed (README, "The Debian
# package", says why each one stays).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/package"
jobs="$(nproc)"
"$root/scripts/setup-deps.sh"

echo "== Release build in $build"
rm -rf "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_BUILD_TESTS=OFF -DSORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"

echo "== package"
(cd "$build" && cpack -G DEB)
debs=("$build"/sorvel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package: expected one .deb in $build" >&2; exit 1; }
deb="${debs[0]}"

echo "== lintian"
status=0
lintian --display-info --fail-on error "$deb" || status=$?
if [ "$status" -ne 0 ]; then
  echo "package: lintian $([ "$status" -eq 1 ] && echo "finds errors" || echo "could not run (status $status)")" >&2
  exit 1
fi

echo "== $deb ($(du -h "$deb" | cut -f1), $(stat -c %s "$deb") bytes)"
