#!/usr/bin/env bash
# Runs inside xvfb-run (see window_test.sh): what a new player met in the
# first minutes, where it lives in the window.
set -euo pipefail
sorvel=$1
source "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"

# The window's client area on the screen, as "X Y".
place() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  echo "$X $Y"
}

# 1. The window comes back where it was left, launch after launch, not a
#    title bar lower each time.
places=()
for launch in 1 2 3; do
  start --demo home
  places+=("$(place)")
  quit
done
read -r x0 y0 <<<"${places[0]}"
for p in "${places[@]}"; do
  read -r x y <<<"$p"
  [ $((x - x0)) -le 2 ] && [ $((x0 - x)) -le 2 ] && [ $((y - y0)) -le 2 ] && [ $((y0 - y)) -le 2 ] ||
    fail "the window's place over three launches: ${places[*]}"
done
echo "ok: three launches put the window at the same place (${places[*]})"

# 2. A quick modifier+click uses the tool the modifier chose, even when the
#    key is let go before a slow frame reads the click. Drawn at full size,
#    a frame on llvmpipe takes far longer than the whole gesture.
export SORVEL_SCENE_SCALE=1
count() { local s; s=$(value state); s=${s//[!$1]/}; echo "${#s}"; }
mistakes() { local m; m=$(value mistakes); echo "${m:-0}"; }
# Marked cubes that are not mistakes.
marks() { echo $(($(count 1) - $(mistakes))); }
quick() {  # modifier, x, y: press the key, click 40 ms later, let go 40 ms after
  xdotool mousemove --window "$window" "$2" "$3"
  sleep 0.5
  xdotool keydown "$1" sleep 0.04 click 1 sleep 0.04 keyup "$1"
}
start --demo "tap:1"
# Carving: shift marks the cube, and again unmarks it.
for try in 1 2 3 4 5; do
  quick shift 470 400
  wait_for '[ "$(marks)" = 1 ]' "shift+click $try did not mark"
  [ "$(count 2)" = 0 ] && [ "$(mistakes)" = 0 ] || fail "shift+click $try carved (state '$(value state)')"
  quick shift 470 400
  wait_for '[ "$(marks)" = 0 ]' "shift+click $try did not take its mark back"
done
# Marking (Space): shift carves, each time a cube of another column.
xdotool key space
sleep 1
for x in 400 540 690 770 860; do
  carved=$(count 2) missed=$(mistakes)
  quick shift "$x" 395
  wait_for '[ "$(count 2)" != "$carved" ] || [ "$(mistakes)" != "$missed" ]' \
    "shift+click at $x did not carve"
  [ "$(marks)" = 0 ] || fail "shift+click at $x marked (state '$(value state)')"
done
quit
echo "ok: quick shift+clicks mark and unmark while carving, and carve while marking, five times each"
