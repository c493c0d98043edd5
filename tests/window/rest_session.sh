#!/usr/bin/env bash
# Runs inside xvfb-run (see window_test.sh): a window at rest draws nothing
# but its one whole picture, and that picture is the still's of the same
# moment.
set -euo pipefail
sorvel=$1
source "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
export SORVEL_STATS=1

# A block in play, the pointer in the screen's corner, off the window, so
# nothing is lit under it.
xdotool mousemove 1599 999
start --demo "tap:1"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ $((X + WIDTH)) -lt 1599 ] || [ $((Y + HEIGHT)) -lt 999 ] || fail "the window covers the pointer's corner"
# The flight to the block ends within a second or two; the rest is rest.
sleep 8
import -window "$window" "$scratch/window.png"
quit
rest=$(grep -o 'at rest: [0-9.]* s, [0-9]* frames drawn' "$scratch/err") || fail "no statistics line for the rest"
read -r seconds drawn < <(sed 's/at rest: \([0-9.]*\) s, \([0-9]*\) frames drawn/\1 \2/' <<<"$rest")
awk -v s="$seconds" 'BEGIN { exit !(s >= 5) }' || fail "only $seconds s at rest ($rest)"
[ "$drawn" -le 1 ] || fail "$drawn frames drawn in $seconds s at rest ($rest)"
echo "ok: $drawn frame drawn in $seconds s at rest"

# The same moment as a still: same block, same size, the interface over it.
"$sorvel" --still "$scratch/still.png" --size "${WIDTH}x${HEIGHT}" --demo "tap:1" --ui >/dev/null 2>&1 ||
  fail "the still could not be made"
# compare prints the mean difference (of 1) and counts the pixels off by more
# than a tenth; both as the reference stills allow.
mean=$(compare -metric MAE "$scratch/window.png" "$scratch/still.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/') || true
glaring=$(compare -metric AE -fuzz 10% "$scratch/window.png" "$scratch/still.png" null: 2>&1) || true
awk -v m="$mean" -v g="$glaring" -v n=$((WIDTH * HEIGHT)) 'BEGIN { exit !(m + 0 < 0.5 / 255 && g + 0 < 0.002 * n) }' ||
  fail "the picture at rest is not the still: mean difference $mean, $glaring pixels glaringly off"
echo "ok: the picture at rest is the still's (mean difference $mean, $glaring pixels off by a tenth)"
