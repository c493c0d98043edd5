#!/usr/bin/env bash
# What desktops and software centres read about the game, checked with their
# own validators and against each other: the AppStream data names the desktop
# entry that exists, the program it starts, the version CMake builds and
# pictures that are in docs/.
#
#   check_metadata.sh SOURCE-DIR APP-ID VERSION
set -euo pipefail
source="$1" app_id="$2" version="$3"
fail() { echo "check_metadata: $*" >&2; exit 1; }

metainfo="$source/packaging/$app_id.metainfo.xml"
entry="$source/packaging/$app_id.desktop"
[ -f "$metainfo" ] || fail "no $metainfo"
[ -f "$entry" ] || fail "no $entry"

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"

field() { xmllint --xpath "$1" "$metainfo"; }
[ "$(field 'string(/component/id)')" = "$app_id" ] || fail "$metainfo is not the component $app_id"
launchable="$(field 'string(/component/launchable[@type="desktop-id"])')"
[ "$launchable" = "$(basename "$entry")" ] || fail "the launchable '$launchable' is not $(basename "$entry")"
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
binary="$(field 'string(/component/provides/binary)')"
[ "$binary" = "$exec_name" ] || fail "the provided binary '$binary' is not what the entry starts ('$exec_name')"

# A release of CMake's version must be listed, and none after it: a version
# raised without its release would show the old one as the newest.
newest="$(field '/component/releases/release/@version' | grep -o 'version="[^"]*"' | cut -d'"' -f2 | sort -V | tail -n 1)"
[ "$newest" = "$version" ] || fail "the newest release listed is '$newest', but CMake builds $version"

# Each screenshot is published from docs/ under the same name.
pictures="$(field '/component/screenshots/screenshot/image/text()')"
[ -n "$pictures" ] || fail "no screenshots"
while read -r url; do
  [ -f "$source/docs/$(basename "$url")" ] || fail "the screenshot $url is not a picture in docs/"
done <<<"$pictures"
echo "check_metadata: $app_id $version: metadata valid and consistent"
