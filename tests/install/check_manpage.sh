#!/usr/bin/env bash
# The manual page as man shows it agrees with the program: every option
# `sorvel --help` prints has its entry, the version is the program's, every
# SORVEL_ or XDG_ variable the code reads is described, and groff has nothing
# to say about the page.
#
#   check_manpage.sh SORVEL MAN-PAGE SOURCE-DIR
set -euo pipefail
sorvel="$1" page="$2" source="$3"
fail() { echo "check_manpage: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8 MANWIDTH=80
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

man -P cat -l "$page" >"$scratch/page" 2>"$scratch/errors" || fail "man cannot show $page: $(cat "$scratch/errors")"
man --warnings -P cat -l "$page" 2>"$scratch/warnings" >/dev/null
[ ! -s "$scratch/warnings" ] || fail "groff warns about $page: $(cat "$scratch/warnings")"
# The entries' headings, as man sets them: "--still PATH, -sorvelStill PATH".
sed 's/^ *//' "$scratch/page" >"$scratch/lines"

"$sorvel" --help >"$scratch/help" || fail "sorvel --help failed"
# Its lines "  --still PATH    render one ...": the option and what it takes.
sed -n 's/^  \(-[^ ]*\)\( [^ ][^ ]*\)\?  .*/\1\2/p' "$scratch/help" >"$scratch/options"
grep -qx -- '--help' "$scratch/options" && grep -qx -- '--version' "$scratch/options" ||
  fail "could not read the options from sorvel --help: $(cat "$scratch/help")"
regex() { sed 's/[][\.*^$|+?(){}]/\\&/g' <<<"$1"; }
while read -r option; do
  pattern="$(regex "$option")"
  grep -qE "(^|, )$pattern(,|$)" "$scratch/lines" || fail "'$option' from sorvel --help has no entry in the page"
done <"$scratch/options"

version="$("$sorvel" --version)"
grep -qE "^$(regex "$version") " "$scratch/lines" || fail "the page's footer does not name '$version'"

# The variables: string literals in src/ but the shaders' own macros, which
# are written into GLSL, not read from the environment.
sed -n '/^ENVIRONMENT$/,/^[A-Z][A-Z ]*$/p' "$scratch/page" | sed -n '2,$p' >"$scratch/environment"
variables="$(grep -rhoE '"(SORVEL|XDG)_[A-Z_]+"' "$source/src" --include='*.cpp' --include='*.hpp' |
  sort -u | tr -d '"')"
shaders="$(grep -rhoE 'define(Float)?\(text, "SORVEL_[A-Z_]+"' "$source/src" | grep -oE 'SORVEL_[A-Z_]+' | sort -u)"
for variable in $(comm -23 <(echo "$variables") <(echo "$shaders")); do
  grep -qx "$variable" <(sed 's/^ *//' "$scratch/environment") ||
    fail "the code reads \$$variable, which the page's ENVIRONMENT does not describe"
done
echo "check_manpage: $(wc -l <"$scratch/options") options and $(comm -23 <(echo "$variables") <(echo "$shaders") | wc -l) variables in the page"
