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
  # Without a display (the environment of a player over SSH: no driver
  # forced) the game says so in one line, names what works without one and
  # saves nothing; a reset asked for still happens first.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  headless() {
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SORVEL_DATA_DIR="$scratch/data" \
      XDG_STATE_HOME="$scratch/state" timeout 60 "$sorvel" "$@" >"$scratch/out" 2>"$scratch/err" || status=$?
    if [ "$status" -ne 1 ] || ! grep -q "cannot open the game window" "$scratch/err" ||
       ! grep -q -- "--still and --film need no window" "$scratch/err"; then
      echo "FAIL: without a display ($*): status $status, stderr:"; cat "$scratch/err"; exit 1
    fi
  }
  headless
  [ ! -e "$scratch/data/settings.json" ] || { echo "FAIL: without a display, progress was written"; exit 1; }
  mkdir -p "$scratch/data"
  echo '{"sorvel.launched": true}' >"$scratch/data/settings.json"
  headless --reset
  grep -q "saved progress removed" "$scratch/out" && [ ! -e "$scratch/data/settings.json" ] ||
    { echo "FAIL: without a display, --reset did not remove the progress"; cat "$scratch/out"; exit 1; }
  echo "ok: no display is one clear line and exit status 1, after the reset asked for"
fi

exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" bash "$here/$session" "$sorvel"
