#!/usr/bin/env bash
# Runs inside xvfb-run (see window_test.sh).
set -euo pipefail
sorvel=$1
source "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"

# 1. Open a block (its camera already in place), carve the cube in the middle
#    of the view with a click.
start --demo "tap:1"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -ge 900 ] && [ "$HEIGHT" -ge 640 ] || fail "window of ${WIDTH}x${HEIGHT}"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT / 2))
sleep 0.5
xdotool click 1
wait_for '[[ "$(value state)" == *[12]* ]]' "the click carved nothing (state '$(value state)')"
state=$(value state)
echo "ok: a click on the block carves a cube and the settings file holds it"

# 2. Quit with Ctrl+Q while still in play: the time since the carve is kept.
before=$(value time)
sleep 3
xdotool key --clearmodifiers ctrl+q
finish
[ "$ended" -eq 0 ] || fail "Ctrl+Q ended with status $ended"
after=$(value time)
awk -v a="$after" -v b="$before" 'BEGIN { exit !(a > b) }' ||
  fail "play time after quitting is $after, before it was $before"
[ "$(value state)" = "$state" ] || fail "the carve was not kept"
echo "ok: Ctrl+Q exits 0 and the play time since the last carve is saved ($before s -> $after s)"

# 3. A second start finds the carved cube; Escape leaves the block, F11 goes
#    fullscreen, and the window is closed by an interrupt, which still saves.
start --demo "tap:1"
xdotool key Escape
sleep 1
xdotool key F11
wait_for 'eval "$(xdotool getwindowgeometry --shell "$window")"; [ "$WIDTH" -eq 1600 ] && [ "$HEIGHT" -eq 1000 ]' \
  "F11 gave a window of ${WIDTH}x${HEIGHT}"
xdotool key F11
sleep 2
kill -TERM "$pid"
finish
[ "$ended" -ne 0 ] || fail "an interrupt ended the game as if it had been quit"
[ "$(value state)" = "$state" ] || fail "the second start lost the carved cube"
echo "ok: progress survives a restart; F11 fills the screen; an interrupt ends the game"

# 4. The window comes back where and as big as it was left.
[ -f "$XDG_STATE_HOME/sorvel/window.json" ] || fail "no window state was written"
start --demo "play:1:0:0"
xdotool windowsize --sync "$window" 1000 700
sleep 2
xdotool key --clearmodifiers ctrl+q
finish
start --demo "play:1:0:0"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 1000 ] && [ "$HEIGHT" -eq 700 ] || fail "the window came back at ${WIDTH}x${HEIGHT}, not 1000x700"
xdotool key --clearmodifiers ctrl+q
finish
echo "ok: the window's size is remembered"

# 4b. Started maximised, the window still remembers its normal size, and the
#     state it ends in: maximised, then fullscreen after F11.
state_file="$XDG_STATE_HOME/sorvel/window.json"
echo '{"x": 40, "y": 30, "width": 1000, "height": 700, "maximised": true, "fullscreen": false}' >"$state_file"
start --demo "play:1:0:0"
xdotool key --clearmodifiers ctrl+q
finish
grep -q "not remembered" "$scratch/err" && fail "the state of a window started maximised was not saved"
grep -q '"maximised": true' "$state_file" && grep -q '"width": 1000' "$state_file" ||
  fail "started maximised, it saved $(cat "$state_file")"
start --demo "play:1:0:0"
xdotool key F11
wait_for 'eval "$(xdotool getwindowgeometry --shell "$window")"; [ "$WIDTH" -eq 1600 ]' "F11 did not fill the screen"
xdotool key --clearmodifiers ctrl+q
finish
grep -q '"fullscreen": true' "$state_file" && grep -q '"width": 1000' "$state_file" ||
  fail "left fullscreen, it saved $(cat "$state_file")"
echo "ok: a window started maximised keeps its normal size and saves the state it ends in"

# 5. The interface over the scene, clicked where it is laid out in a window of
#    this size: "Marcar" switches the tool and a click then marks; the back
#    chevron leaves the block; a solved block's "Siguiente" opens the next.
export SORVEL_DATA_DIR="$scratch/data2"
settings="$SORVEL_DATA_DIR/settings.json"
start --demo "tap:1"
eval "$(xdotool getwindowgeometry --shell "$window")"
click_at $((WIDTH / 2 + 66)) $((HEIGHT - 46))
click_at $((WIDTH / 2)) $((HEIGHT / 2))
wait_for '[[ "$(value state)" == *[12]* ]]' "the click after Marcar did nothing"
[[ "$(value state)" == *1* ]] && [ "$(value mistakes)" = 0 ] ||
  fail "after Marcar a click did not mark (state '$(value state)', mistakes $(value mistakes))"
marked_at=$(value time)
click_at 43 41
# Going to the table saves the block's time once more; in play it would
# only be saved again on the next action.
wait_for '[ "$(value time)" != "$marked_at" ]' "the back chevron did nothing"
at_home=$(value time)
sleep 2
xdotool key --clearmodifiers ctrl+q
finish
[ "$(value time)" = "$at_home" ] || fail "the back chevron left the block in play"
echo "ok: Marcar marks, the back chevron goes to the table"

start --demo "solved:1"
xdotool key --clearmodifiers ctrl+q
finish
start --demo "tap:1"  # opened again, a solved block shows its card at once
eval "$(xdotool getwindowgeometry --shell "$window")"
click_at $((WIDTH / 2 + 98)) $((HEIGHT - 77))
xdotool key --clearmodifiers ctrl+q
finish
grep -q '"sorvel.time.ancla"' "$settings" || fail "Siguiente did not open the next block"
echo "ok: Siguiente on a solved block opens the next one"

# 6. Two games on one progress file (a double click on the launcher): each
#    acts on a cube of its own block; after both quit, both actions are kept,
#    whichever saved last.
export SORVEL_DATA_DIR="$scratch/data3"
settings="$SORVEL_DATA_DIR/settings.json"
carved_in() { [[ "$({ grep -o "\"sorvel\.state\.$1\": *[^,}]*" "$settings" 2>/dev/null || true; })" == *[12]* ]]; }
"$sorvel" --demo "tap:1" >"$scratch/out" 2>"$scratch/err" &
first=$!
first_window=$(timeout 60 xdotool search --sync --all --pid "$first" --classname '^sorvel$' | head -n 1) ||
  fail "the first game's window did not appear"
sleep 3
eval "$(xdotool getwindowgeometry --shell "$first_window")"
xdotool windowactivate --sync "$first_window" 2>/dev/null || true
xdotool mousemove --window "$first_window" $((WIDTH / 2)) $((HEIGHT / 2)) sleep 0.5 click 1
wait_for 'carved_in barquita' "the first game's click carved nothing"
"$sorvel" --demo "tap:2" >"$scratch/out2" 2>"$scratch/err2" &
pid=$!
window=$(timeout 60 xdotool search --sync --all --pid "$pid" --classname '^sorvel$' | head -n 1) ||
  fail "the second game's window did not appear"
sleep 3
xdotool windowactivate --sync "$window" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT / 2)) sleep 0.5 click 1
wait_for 'carved_in ancla' "the second game's click carved nothing"
quit
# The first game quits last, saving its play time over the file.
pid=$first
window=$first_window
xdotool windowactivate --sync "$window" 2>/dev/null || true
sleep 1
quit
carved_in barquita && carved_in ancla || fail "a game's carve was lost when the other saved"
echo "ok: two games on one progress file keep each other's carves"
