#!/usr/bin/env bash
# Measures the game in its window as a player feels it, on a virtual display
# (Xvfb with openbox) at 1360x880, the largest block of the chapter in play:
# the first frame with a cold and a warm shader cache, the CPU and frames
# drawn while nothing moves, the pointer-to-screen time of an orbit drag, the
# pictures a second during a drag, and the game's own statistics lines.
#
# Usage: scripts/measure-window.sh [SORVEL_EXECUTABLE]
# (build/test/src/app/sorvel by default; scripts/test.sh builds it). Nothing
# here fails on a number: it prints them, for the notes and the README.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
sorvel=$(realpath "${1:-$here/../build/test/src/app/sorvel}")
[ -x "$sorvel" ] || { echo "measure-window: no game at $sorvel (run scripts/test.sh first)" >&2; exit 1; }

if [ -z "${SORVEL_MEASURE_INSIDE:-}" ]; then
  SORVEL_MEASURE_INSIDE=1 exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" bash "$0" "$sorvel"
fi

scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  if [ -n "${wm:-}" ]; then kill "$wm" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
export SORVEL_DATA_DIR="$scratch/data" XDG_STATE_HOME="$scratch/state" SORVEL_STATS=1
export MESA_SHADER_CACHE_DIR="$scratch/shader-cache" LIBGL_ALWAYS_SOFTWARE=1
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1
probe() { python3 "$here/window_probe.py" "$@"; }

start() {
  "$sorvel" "$@" 2>"$scratch/err" >/dev/null &
  pid=$!
  window=$(timeout 60 xdotool search --sync --classname '^sorvel$' | head -n 1)
  xdotool windowsize --sync "$window" 1360 880
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The middle of the window, where the block stands.
  region="$((X + 480)) $((Y + 290)) 400 300"
}
quit() {
  xdotool key --clearmodifiers ctrl+q
  timeout 60 tail --pid="$pid" -f /dev/null
  pid=
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }

for cache in cold warm; do
  start --demo tap:9
  sleep 3
  quit
  echo "first frame, $cache shader cache: $(grep -o 'first frame shown [0-9]* ms' "$scratch/err")"
done

start --demo tap:9
# The camera's flight to the block, then its full picture.
sleep 3
probe settle $region >/dev/null
ticks=$(cpu_ticks)
sleep 10
echo "at rest for 10 s: $(awk -v t="$(($(cpu_ticks) - ticks))" -v hz="$(getconf CLK_TCK)" \
  'BEGIN {printf "%.1f", 100 * t / hz / 10}') % of a core"
probe latency $region 15
probe drag $region 4
probe settle $region
sleep 3
quit
echo "the game's own statistics:"
grep '^sorvel: ' "$scratch/err" | sed 's/^/  /'
