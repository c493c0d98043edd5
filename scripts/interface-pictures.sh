#!/usr/bin/env bash
# Draws the pictures of the game's screens shown in the README (docs/*.png)
# with the still and its interface. Run after a build; pass the sorvel
# executable to use another build than build/test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sorvel="${1:-$root/build/test/src/app/sorvel}"
out="$root/docs"
mkdir -p "$out"
# A data folder of its own: the stills never touch it, but nothing should
# depend on that.
export SORVEL_DATA_DIR="$(mktemp -d)"
trap 'rm -rf "$SORVEL_DATA_DIR"' EXIT
shot() {
  local name=$1
  shift
  "$sorvel" --still "$out/$name.png" --ui --size 960x640 "$@" >/dev/null
  echo "$out/$name.png"
}
shot table
shot guide --demo guide:0:2
shot play --demo play:3:6:5
shot tutorial --demo tutorial
shot solved --demo solved:1 --wait 6
shot settings --demo settings
shot shelf --demo chapter:2
shot english --lang en --demo settings
