#!/usr/bin/env bash
# A chapter made from a voxel file plays: tried with --chapter, then from the
# player's own chapters folder, where it joins the shelf after the game's
# chapters; a broken one there is left off with a line naming its file.
#
#   vox_chapter_test.sh SORVEL-AUTHOR SORVEL VOX-FILE
set -euo pipefail
author="$1" sorvel="$2" vox="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SORVEL_DATA_DIR="$work/data"
fail() { echo "vox_chapter_test: $*" >&2; exit 1; }

"$author" --vox "$vox" "$work/taburete" >"$work/author.txt" || fail "the author tool refused $vox: $(cat "$work/author.txt")"
grep -q "sorvel --chapter $work/taburete" "$work/author.txt" || fail "the author tool did not say how to play it"

# The shelf holds the game's chapters; the tried one comes after them and is
# shown first, so its one block is block 0 of the table and of chapter 6.
still() { "$sorvel" --still "$work/still.png" --size 240x150 --wait 1 "$@" 2>&1; }
shipped="$(find "$SORVEL_RESOURCES/chapters" -mindepth 1 -maxdepth 1 -type d | wc -l)"
mine=$((shipped + 2))
out="$(still --chapter "$work/taburete" --demo solved:0)" || fail "the tried chapter did not play: $out"
! grep -q "ignored" <<<"$out" || fail "the tried chapter's block was not on the table: $out"
out="$(still --chapter "$work/taburete" --demo "chapter:$mine:solved:0")" || fail "$out"
! grep -q "ignored" <<<"$out" || fail "the tried chapter is not chapter $mine: $out"

# Not tried, it is not on the shelf; copied into the player's folder, it is.
out="$(still --demo "chapter:$mine:solved:0")"
grep -q "there is no chapter $mine" <<<"$out" || fail "a chapter appeared from nowhere: $out"
mkdir -p "$SORVEL_DATA_DIR/chapters"
cp -r "$work/taburete" "$SORVEL_DATA_DIR/chapters/mio"
out="$(still --demo "chapter:$mine:solved:0")" || fail "$out"
! grep -q "ignored" <<<"$out" || fail "the player's chapter is not on the shelf: $out"

# A broken chapter beside it is left off, naming the file; the good one stays.
cp -r "$work/taburete" "$SORVEL_DATA_DIR/chapters/roto"
echo '{"id": ' >"$SORVEL_DATA_DIR/chapters/roto/puzzles/chapter.json"
out="$(still --demo "chapter:$mine:solved:0")" || fail "a broken chapter of the player's stopped the still: $out"
grep -q "chapters/roto/puzzles/chapter.json: JSON" <<<"$out" || fail "the broken chapter was not named: $out"
! grep -q "ignored" <<<"$out" || fail "the good chapter went with the broken one: $out"
echo "vox_chapter_test: ok"
