# What every window session shares; sourced inside xvfb-run (see
# window_test.sh) with the game's executable in $sorvel.
scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  if [ -n "${wm:-}" ]; then kill "$wm" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
export SORVEL_DATA_DIR="$scratch/data" XDG_STATE_HOME="$scratch/state"
export LIBGL_ALWAYS_SOFTWARE=1
settings="$SORVEL_DATA_DIR/settings.json"
block=barquita  # slot 1 of the shipped chapter

fail() {
  echo "FAIL: $*"
  echo "--- stderr"; cat "$scratch/err" 2>/dev/null || true
  echo "--- settings"; cat "$settings" 2>/dev/null || true
  exit 1
}

# A window manager, as every desktop has: fullscreen, focus and the window's
# place are its business on X11.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1

# Starts the game and waits for its window, by the class desktops know it by.
start() {
  "$sorvel" "$@" >"$scratch/out" 2>"$scratch/err" &
  pid=$!
  window=$(timeout 60 xdotool search --sync --classname '^sorvel$' | head -n 1) || fail "no window appeared"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  # A few frames on llvmpipe before the first input.
  sleep 3
}

# Waits until `condition` (a command) holds; on llvmpipe a frame, and so the
# answer to a click, can take seconds, more on a busy machine.
wait_for() {
  local condition=$1 what=$2
  for _ in $(seq 60); do
    if eval "$condition"; then return 0; fi
    sleep 0.5
  done
  fail "$what"
}

# Waits for the game to end; its exit status is left in $ended.
finish() {
  ended=0
  timeout 60 tail --pid="$pid" -f /dev/null || fail "the game did not end"
  wait "$pid" || ended=$?
  pid=
}

quit() {
  xdotool key --clearmodifiers ctrl+q
  finish
  [ "$ended" -eq 0 ] || fail "Ctrl+Q ended with status $ended"
}

# A saved value of $block: state, mistakes or time.
value() {
  { grep -o "\"sorvel\.$1\.$block\": *[^,}]*" "$settings" 2>/dev/null || true; } | sed 's/.*: *//; s/"//g'
}

click_at() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep 0.5
  xdotool click 1
}
