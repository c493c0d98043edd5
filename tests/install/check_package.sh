#!/usr/bin/env bash
# Makes the Debian package from a built tree with the tree's own CPack
# settings, checks what it declares and holds, unpacks it into a scratch
# root (no root needed) and plays the game from there; then lintian must find
# no error in it.
#
#   check_package.sh BUILD-DIR VERSION
set -euo pipefail
build="$(cd "$1" && pwd)" version="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1 ||
  fail "cpack failed: $(tail -n 20 "$scratch/cpack.log")"
deb="$scratch/cpack/sorvel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$scratch/cpack")"

# What it declares. The libraries come from dpkg-shlibdeps, which says
# nothing when it cannot run: SDL's absence would show it.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Priority)" = optional ] || fail "Priority is '$(field Priority)'"
depends="$(field Depends)"
for package in fonts-inter fonts-vollkorn fonts-urw-base35 libgl1 libegl1 libsdl2-2.0-0 libepoxy0 libcairo2 libstdc++6; do
  grep -qE "(^|, )${package//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
grep -qx ffmpeg <<<"$(field Recommends)" || fail "Recommends is '$(field Recommends)', not ffmpeg"
[ "$(field Description | sed -n '2,$p' | wc -l)" -ge 3 ] || fail "the long Description is missing"

# What it holds: everything under /usr, the program among the games.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$scratch/files"
! grep -v '^usr/' "$scratch/files" || fail "files outside /usr"
for file in usr/games/sorvel usr/share/sorvel/puzzles/chapter.json usr/share/applications/org.sorvel.Sorvel.desktop \
  usr/share/metainfo/org.sorvel.Sorvel.metainfo.xml usr/share/icons/hicolor/scalable/apps/org.sorvel.Sorvel.svg \
  usr/share/icons/hicolor/48x48/apps/org.sorvel.Sorvel.png usr/share/man/man6/sorvel.6.gz \
  usr/share/doc/sorvel/copyright usr/share/doc/sorvel/changelog.gz usr/share/locale/en/LC_MESSAGES/sorvel.mo; do
  grep -qx "$file" "$scratch/files" || fail "the package lacks /$file"
done
! grep -q '^usr/bin/' "$scratch/files" || fail "the package has /usr/bin: $(grep '^usr/bin/' "$scratch/files")"

dpkg -x "$deb" "$scratch/root"
game="$scratch/root/usr/games/sorvel"
# Stripped: no symbol table, no debugging sections.
! readelf -S "$game" | grep -qE '\.(symtab|debug_info)' || fail "/usr/games/sorvel is not stripped"

# The unpacked game, run from a folder of its own with nothing pointing it at
# resources and the player's folders in the scratch, plays from
# /usr/share/sorvel. The sanitizers' runtime is never preloaded: the package
# is built from an ordinary tree.
mkdir -p "$scratch/elsewhere"
cd "$scratch/elsewhere"
run() {
  env -u SORVEL_RESOURCES -u LD_PRELOAD HOME="$scratch/home" SORVEL_DATA_DIR="$scratch/data" \
    XDG_DATA_HOME="$scratch/xdg-data" XDG_STATE_HOME="$scratch/xdg-state" LIBGL_ALWAYS_SOFTWARE=1 "$game" "$@" 2>&1
}
[ "$(run --version)" = "sorvel $version" ] || fail "the unpacked game says '$(run --version)', not 'sorvel $version'"
output="$(run --still out.png --size 64x40)" || fail "the unpacked game could not take a still: $output"
grep -qx 'Imagen: out.png' <<<"$output" || fail "no picture reported: $output"
header="$(od -An -tx1 -N24 out.png | tr -d ' \n')"
[ "$header" = "$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' 64 40)" ] ||
  fail "out.png is not a 64x40 PNG (header $header)"
# Cut to one puzzle, the unpacked chapter shows whether it was the one read.
puzzles="$scratch/root/usr/share/sorvel/puzzles"
one="$(cd "$puzzles" && ls | grep -vx chapter.json | head -n 1)"
printf '{"id": "unpacked", "name": {"es": "Desempaquetado"}, "puzzles": ["%s"]}\n' "${one%.json}" >"$puzzles/chapter.json"
output="$(run --still one.png --size 64x40 --demo play:1)" || fail "the game failed on the unpacked chapter: $output"
grep -q 'the chapter has 1)' <<<"$output" || fail "the game did not read /usr/share/sorvel/puzzles/chapter.json: $output"
# The English catalogue is read from /usr/share/locale: spoilt there, the game
# names that file (and stays in Spanish) rather than finding another.
catalogue="$scratch/root/usr/share/locale/en/LC_MESSAGES/sorvel.mo"
output="$(run --still en.png --size 64x40 --ui --lang en)" || fail "the game failed in English: $output"
! grep -q 'English' <<<"$output" || fail "the unpacked catalogue was not read: $output"
echo "not a catalogue" >"$catalogue"
output="$(run --still en.png --size 64x40 --lang en)" || fail "a spoilt catalogue stopped the game: $output"
grep -qF "$catalogue" <<<"$output" || fail "the game did not name the spoilt catalogue it read: $output"

# Lintian's errors fail (status 1); its warnings and notes are shown. Any
# other status is lintian's own failure, which must not pass for a clean bill.
status=0
lintian --display-info --fail-on error "$deb" >"$scratch/lintian" 2>&1 || status=$?
cat "$scratch/lintian"
[ "$status" -ne 1 ] || fail "lintian finds errors in the package"
[ "$status" -eq 0 ] || fail "lintian could not check the package (status $status)"
echo "check_package: $(basename "$deb"), $(wc -l <"$scratch/files") entries, played from its own files"
