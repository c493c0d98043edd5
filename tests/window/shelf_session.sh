#!/usr/bin/env bash
# Runs inside xvfb-run (see window_test.sh): the chapter shelf on the table,
# moved along by keys and by a click on its chevron, a closed chapter's block
# refusing to open, and the chapter last shown coming back at the next start.
set -euo pipefail
sorvel=$1
source "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"

mkdir -p "$SORVEL_DATA_DIR"
echo '{"sorvel.launched": true}' >"$settings"
shown() { tr -d ' \t\n' <"$settings" 2>/dev/null | grep -o '"sorvel.chapter":"[a-z]*"' | sed 's/.*:"//; s/"//'; }

start
# In reading order the gear comes first, then the chevron to the next
# chapter (the one to the previous is faint on the first chapter: no button).
xdotool key --clearmodifiers Tab Tab Return
wait_for '[ "$(shown)" = bosque ]' "Tab, Tab and Enter did not bring chapter 2 onto the table"
echo "ok: the keys moved the table to chapter 2"
# The chapter is saved as the camera sets off; let it land before aiming.
sleep 3

# Chapter 2 is closed: a click on its middle block opens nothing. (A block
# left saves its time, so Escape after the click tells.)
eval "$(xdotool getwindowgeometry --shell "$window")"
click_at $((WIDTH / 2)) $((HEIGHT / 2))
sleep 3
xdotool key --clearmodifiers Escape
sleep 2
! grep -q '"sorvel.time.' "$settings" || fail "a closed chapter's block opened"
echo "ok: the closed chapter's block stayed shut"

# The chevron back stands left of the chapter's title, under "Sorvel".
click_at 43 102
wait_for '[ "$(shown)" = costa ]' "a click on the chevron did not bring chapter 1 back"
echo "ok: the chevron brought chapter 1 back"
sleep 3
# The same click on an open chapter's block opens it (so the one above
# proves something), and Escape brings the table back.
click_at $((WIDTH / 2)) $((HEIGHT / 2))
sleep 3
xdotool key --clearmodifiers Escape
wait_for 'grep -q "\"sorvel.time." "$settings"' "the same click did not open chapter 1's block"
sleep 1
xdotool key --clearmodifiers Tab Tab Return
wait_for '[ "$(shown)" = bosque ]' "the keys did not move the table again"
quit

# The next start shows chapter 2 again.
start
import -window "$window" "$scratch/again.png"
quit
[ "$(shown)" = bosque ] || fail "the chapter last shown was not kept"
grep -q "chapters with" "$scratch/out" || fail "the start did not say what it loaded"
echo "ok: the next start came back to chapter 2"
