#!/usr/bin/env bash
# The game's window as a player meets it, on a virtual display (Xvfb) with
# Mesa's software renderer: open a block, carve a cube with a click, quit and
# find the progress where it was left; also fullscreen, the remembered window
# and the message without a display.
#
# Usage: window_test.sh SORVEL_EXECUTABLE [SESSION]
# SESSION is a script beside this one, window_session.sh unless given.
set -euo pipefail
sorvel=$1
session=${2:-window_session.sh}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ "$session" = window_session.sh ]; then
  # Without a display the game says so in one line, names what works without
  # one and saves nothing.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  status=0
  DISPLAY= WAYLAND_DISPLAY= SDL_VIDEODRIVER=x11 SORVEL_DATA_DIR="$scratch/data" XDG_STATE_HOME="$scratch/state" \
    "$sorvel" >"$scratch/out" 2>"$scratch/err" || status=$?
  if [ "$status" -ne 1 ] || ! grep -q "cannot open the game window" "$scratch/err" ||
     ! grep -q -- "--still and --film need no window" "$scratch/err" || [ -e "$scratch/data/settings.json" ]; then
    echo "FAIL: without a display: status $status, stderr:"; cat "$scratch/err"; exit 1
  fi
  echo "ok: no display is one clear line and exit status 1"
fi

exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" bash "$here/$session" "$sorvel"
