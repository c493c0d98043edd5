#!/usr/bin/env bash
# Runs inside xvfb-run (see window_test.sh). The tutorial played from the
# first launch to its solved figure with the keys alone, as a player without
# a mouse would: which cube the cursor is on is learnt the way such a player
# learns it, by marking it and reading what changed (here, in the saved
# progress). Also: undo and redo of a carve, and the table's highlight.
set -euo pipefail
sorvel=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/session_lib.sh"
block=banco  # the tutorial, slot 0
solution=$(grep -o '"solution": *"[01]*"' "$here/../../resources/puzzles/$block.json" | grep -o '[01]*"$' | tr -d '"')
[ -n "$solution" ] || fail "cannot read the tutorial's solution"
cells=${#solution}
keys_pressed=0
probe_keys=0  # the test's own looks at the cursor, which a player makes with the eyes

press() {
  xdotool key --clearmodifiers "$@"
  keys_pressed=$((keys_pressed + $#))
  sleep 0.3
}

# The saved state of the tutorial, all solid before the first action.
state() {
  local s
  s=$(value state)
  [ -n "$s" ] || s=$(printf '0%.0s' $(seq "$cells"))
  echo "$s"
}

first_difference() {
  local a=$1 b=$2 i
  for ((i = 0; i < ${#a}; i++)); do
    [ "${a:i:1}" = "${b:i:1}" ] || { echo "$i"; return; }
  done
  echo -1
}

# The cell under the cursor, into $cell: marked with the other tool, read
# off the saved state, then unmarked again. (Not in a subshell: a failure
# must end the session.)
probe() {
  local before after
  before=$(state)
  probe_keys=$((probe_keys + 2))
  press shift+Return
  wait_for '[ "$(state)" != "$before" ]' "Shift+Enter changed nothing (state $before)"
  after=$(state)
  cell=$(first_difference "$before" "$after")
  press shift+Return
  wait_for '[ "$(state)" = "$before" ]' "a second Shift+Enter did not take the mark off"
}

solved() { tr -d ' \t\n' <"$settings" 2>/dev/null | grep -q "\"sorvel.solved\":\[[^]]*\"$block\""; }

# 1. First launch: the tutorial block opens under its card. Enter answers
#    "Empezar", then the guide's "Vale".
start
press Return
sleep 1
press Return
sleep 1
press d  # the cursor shows where the middle of the view is

# 2. Walk the block's surface, carving each surplus cube the cursor meets.
walk=(d d s a a s d d w w Right d s a Page_Up a a w d d Left s s a Right)
step=0
undone=false
for ((round = 0; round < 120; round++)); do
  solved && break
  probe
  [ "$cell" -ge 0 ] || fail "the mark landed nowhere"
  if [ "${solution:cell:1}" = 0 ] && [ "$(state | cut -c$((cell + 1)))" != 2 ]; then
    before=$(state)
    press Return
    wait_for '[ "$(state | cut -c$((cell + 1)))" = 2 ] || solved' "Enter did not carve cell $cell"
    if ! $undone && ! solved; then
      # Undo and redo leave the saved state as it was before and after.
      carved=$(state)
      press ctrl+z
      wait_for '[ "$(state)" = "$before" ]' "Ctrl+Z did not bring cell $cell back ($(state))"
      press ctrl+shift+z
      wait_for '[ "$(state)" = "$carved" ]' "Ctrl+Shift+Z did not carve cell $cell again ($(state))"
      undone=true
      echo "ok: Ctrl+Z and Ctrl+Shift+Z take a carve back and make it again, saved each time"
    fi
    continue  # the cursor now stands on what was behind the cube
  fi
  press "${walk[step % ${#walk[@]}]}"
  step=$((step + 1))
done
wait_for solved "the tutorial was not solved by the keys ($(state), solution $solution)"
[ "$(value mistakes)" = 0 ] || fail "$(value mistakes) mistakes made by a careful keyboard player"
$undone || fail "the undo was never tried"
echo "ok: the tutorial solved with the keyboard alone: $((keys_pressed - probe_keys - 2)) keys on its way" \
  "(undo and redo left out), $round cubes looked at"

# 3. The table: Escape goes home, the arrows move the highlight, Enter opens
#    the highlighted block (which, left again, saves its state).
sleep 3
press Escape
sleep 2
press Right
press Right
press Return
sleep 2
press Escape
wait_for 'grep -o "\"sorvel\.state\.[a-z]*\"" "$settings" | grep -qv "\"sorvel.state.$block\""' \
  "Enter on the table's highlight opened no other block"
echo "ok: the table's highlight opens a block with Enter"

# 4. The settings by keyboard: F2 opens them with "Hecho" focused; Tab walks
#    round to "Pantalla completa" (sound, volume - and +, four sizes, reduced
#    motion, marks, then it) and Enter switches it. The window fills the
#    screen, the preference is saved, and F11 takes both back.
pref() { tr -d ' \t\n' <"$settings" 2>/dev/null | grep -o "\"sorvel.prefs.$1\":[a-z0-9]*" | sed 's/.*://'; }
press F2
sleep 1
for _ in $(seq 10); do press Tab; done
press Return
wait_for 'eval "$(xdotool getwindowgeometry --shell "$window")"; [ "$WIDTH" -eq 1600 ] && [ "$HEIGHT" -eq 1000 ]' \
  "the settings' fullscreen switch gave a window of ${WIDTH:-?}x${HEIGHT:-?}"
wait_for '[ "$(pref fullscreen)" = true ]' "the fullscreen preference was not saved ($(pref fullscreen))"
press Escape
sleep 1
press F11
wait_for '[ "$(pref fullscreen)" = false ]' "F11 did not take the preference back ($(pref fullscreen))"
echo "ok: the settings card works by keyboard: Tab to its switch, Enter, and the preference is kept"

# 5. Two Tabs past "Pantalla completa" stand "Español" and "English": Enter on
#    English switches the game's language, and the choice is saved.
language() { tr -d ' \t\n' <"$settings" 2>/dev/null | grep -o '"sorvel.prefs.language":"[a-z]*"' | sed 's/.*:"//; s/"//'; }
press F2
sleep 1
for _ in $(seq 12); do press Tab; done
press Return
wait_for '[ "$(language)" = en ]' "Enter on English did not save the language ($(language))"
press Escape
echo "ok: the language is chosen by keyboard in the settings and saved"
quit
echo "ok: the keyboard session ended cleanly"
