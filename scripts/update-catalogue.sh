#!/usr/bin/env bash
# Gathers every text the player reads from the sources into po/sorvel.pot and
# merges it into po/en.po, where new texts wait, untranslated, for their
# English. With --check it writes nothing and fails, naming the text, when the
# catalogue is behind the sources, a text lacks its English, or a translation
# loses one of its numbered places ({0}, {1}…). The test suite runs --check.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
check=false
[ "${1-}" = --check ] && check=true

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# Texts are given through tr() and trn(), or marked where they are defined
# with translatable(); the sources are read as UTF-8, as they are written.
find src -name '*.cpp' -o -name '*.hpp' | LC_ALL=C sort |
  xgettext --files-from=- --language=C++ --from-code=UTF-8 --keyword= --keyword=tr --keyword=trn:1,2 \
    --keyword=translatable --package-name=sorvel --msgid-bugs-address=sorvel --add-location=file --no-wrap \
    --sort-by-file --output="$scratch/sorvel.pot"
# A date that changes at every run would make every run a change to commit.
sed -i '/^"POT-Creation-Date: /d' "$scratch/sorvel.pot"

if ! $check; then
  cp "$scratch/sorvel.pot" po/sorvel.pot
  msgmerge --quiet --update --backup=none --no-fuzzy-matching --no-wrap po/en.po po/sorvel.pot
  sed -i '/^"POT-Creation-Date: /d' po/en.po
  echo "po/sorvel.pot and po/en.po are up to date with the sources; translate what msgfmt counts as untranslated:"
  msgfmt --statistics --output-file=/dev/null po/en.po
  exit 0
fi

fail() { echo "catalogue: $*" >&2; exit 1; }
cmp -s "$scratch/sorvel.pot" po/sorvel.pot || fail "po/sorvel.pot is behind the sources: run scripts/update-catalogue.sh"
# Every text of the sources translated, none fuzzy.
msgcmp po/en.po "$scratch/sorvel.pot" || fail "po/en.po lacks the English of the texts above"
msgfmt --check --output-file=/dev/null po/en.po || fail "msgfmt refuses po/en.po"
# Each translation keeps the numbered places of its Spanish, and is not the
# Spanish copied over.
msgattrib --no-obsolete --no-wrap po/en.po | awk '
  function places(text,   seen, out, d) {
    split("", seen)
    while (match(text, /\{[0-9]\}/)) { seen[substr(text, RSTART, RLENGTH)] = 1; text = substr(text, RSTART + RLENGTH) }
    out = ""
    for (d = 0; d <= 9; d++) if (("{" d "}") in seen) out = out "{" d "}"
    return out
  }
  function entry() {
    if (id == "" ) return
    for (k = 0; k < strs; k++) {
      if (places(str[k]) != places(id)) { print "catalogue: \"" str[k] "\" does not keep the places of \"" id "\""; bad = 1 }
      if (str[k] == id) { print "catalogue: \"" id "\" is the Spanish copied, not English"; bad = 1 }
    }
  }
  /^msgid /        { entry(); id = substr($0, 8, length($0) - 8); strs = 0; next }
  /^msgstr(\[[0-9]\])? / { s = $0; sub(/^msgstr(\[[0-9]\])? "/, "", s); sub(/"$/, "", s); str[strs++] = s; next }
  END { entry(); exit bad }' || fail "po/en.po has the faults above"
echo "catalogue: $(($(grep -c '^msgid ' po/sorvel.pot) - 1)) texts, every one in English"
