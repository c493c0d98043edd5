#!/usr/bin/env bash
# Installs a built tree into a scratch prefix, moves the prefix elsewhere (as a
# package does between building and unpacking), and checks that a desktop
# could list the game and that the installed game plays from its own files.
#
#   check_install.sh BUILD-DIR SOURCE-DIR APP-ID ICON-SIZE...
set -euo pipefail
# The sanitizer run preloads its runtime into every program it starts; only
# the game is built for it, and the shell and tools here would die in its leak
# check. Start again without it, keeping it for the game.
if [ -n "${LD_PRELOAD-}" ]; then
  exec env -u LD_PRELOAD SORVEL_GAME_PRELOAD="$LD_PRELOAD" bash "${BASH_SOURCE[0]}" "$@"
fi
build="$(cd "$1" && pwd)" source="$(cd "$2" && pwd)" app_id="$3"
shift 3
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check_install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/staged" >/dev/null
mv "$scratch/staged" "$scratch/prefix"
prefix="$scratch/prefix"
cd "$scratch"

# Exactly these files: the figure sources and anything beside the executable
# (where the game would look first) must stay out.
{
  echo bin/sorvel
  echo "share/applications/$app_id.desktop"
  for n in "$@"; do echo "share/icons/hicolor/${n}x${n}/apps/$app_id.png"; done
  echo "share/icons/hicolor/scalable/apps/$app_id.svg"
  echo "share/metainfo/$app_id.metainfo.xml"
  echo share/man/man6/sorvel.6.gz
  echo share/doc/sorvel/copyright
  echo share/doc/sorvel/changelog.gz
  echo share/locale/en/LC_MESSAGES/sorvel.mo
  (cd "$source/resources" && find puzzles toys chapters -type f \( -name '*.json' -o -name '*.mesh' -o -name '*.png' \) |
    sed 's|^|share/sorvel/|')
} | sort >expected
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) >installed
diff -u expected installed || fail "the installed files differ from the list above"
for folder in puzzles toys chapters; do
  diff -r "$source/resources/$folder" "$prefix/share/sorvel/$folder" >/dev/null ||
    fail "share/sorvel/$folder differs from resources/$folder"
done

entry="$prefix/share/applications/$app_id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
icon_name="$(sed -n 's/^Icon=//p' "$entry")"
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name names no installed program"
[ "$icon_name" = "$app_id" ] || fail "Icon=$icon_name is not the game's id $app_id"
# The window's class is what a desktop matches the running window to its
# entry by; the game sets it to its program name.
grep -qx 'StartupWMClass=sorvel' "$entry" || fail "$entry lost StartupWMClass=sorvel"

# PNG signature, then the IHDR chunk: width, height, bit depth, colour type
# (6: with alpha, so the corners can be transparent).
for n in "$@"; do
  icon="$prefix/share/icons/hicolor/${n}x${n}/apps/$icon_name.png"
  [ -f "$icon" ] || fail "Icon=$icon_name has no ${n}x${n} picture"
  header="$(od -An -tx1 -N26 "$icon" | tr -d ' \n')"
  want="$(printf '89504e470d0a1a0a0000000d49484452%08x%08x0806' "$n" "$n")"
  [ "$header" = "$want" ] || fail "$icon is not an 8-bit RGBA ${n}x${n} PNG (header $header)"
done

# The scalable icon: a well-formed SVG, square, in pixels, and all vectors. A
# drawing Cairo could not express as SVG would come out as an embedded
# picture, blurred at any size but one.
svg="$prefix/share/icons/hicolor/scalable/apps/$icon_name.svg"
xmllint --noout "$svg" || fail "$svg is not well-formed XML"
grep -q '<svg [^>]*width="256px" height="256px" viewBox="0 0 256 256"' "$svg" ||
  fail "$svg is not a 256-pixel square: $(grep -m1 -o '<svg [^>]*>' "$svg")"
grep -q '<path ' "$svg" || fail "$svg draws nothing"
! grep -q '<image' "$svg" || fail "$svg holds a raster picture instead of vectors"

# The installed game, with nothing pointing it at a resource folder, must play
# from share/sorvel. Its chapter is cut to one puzzle there, so a game that
# fell back to the source tree's ten would be caught.
still() {
  env -u SORVEL_RESOURCES -u XDG_DATA_HOME HOME="$scratch/home" SORVEL_DATA_DIR="$scratch/data" \
    LD_PRELOAD="${SORVEL_GAME_PRELOAD-}" "$prefix/bin/sorvel" --still "$scratch/still.png" --size 16x10 "$@"
}
output="$(still)" || fail "the installed game could not take a still: $output"
grep -q '^Imagen: ' <<<"$output" || fail "no picture reported: $output"
chapter="$prefix/share/sorvel/puzzles/chapter.json"
one="$(cd "$prefix/share/sorvel/puzzles" && ls | grep -vx chapter.json | head -n 1)"
printf '{"id": "installed", "name": {"es": "Instalado"}, "puzzles": ["%s"]}\n' "${one%.json}" >"$chapter"
output="$(still --demo play:1)" || fail "the installed game failed on its own chapter: $output"
grep -q 'the chapter has 1)' <<<"$output" ||
  fail "the installed game did not read share/sorvel/puzzles/chapter.json: $output"
echo "check_install: $(wc -l <installed) files installed and checked"
