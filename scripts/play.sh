#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Arguments go to the
# game (see `scripts/play.sh --help`).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup-deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release \
  -DSORVEL_BUILD_TESTS=OFF -DSORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target sorvel -j"$(nproc)"
exec "$root/build/release/src/app/sorvel" "$@"
