#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang into build/fuzz and runs
# each for SECONDS (default 20), two at a time.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Each target starts from a copy of its committed corpus kept in
# build/fuzz/corpus/<target>, so what it learns carries over to the next run
# without touching fuzz/corpus; the inputs in fuzz/regressions/<target> are
# run first. Exits non-zero if any target crashed, timed out or ran out of
# memory, naming the input that did it: save that into
# fuzz/regressions/<target>/ under a name that says what it broke.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
"$root/scripts/setup-deps.sh"

seconds="${1:-20}"
shift || true

echo "fuzz: building in $build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_FUZZ=ON \
  -DSORVEL_BUILD_TESTS=OFF -DSORVEL_BUILD_BENCH=OFF >/dev/null

# The targets, each with the longest input worth trying and its dictionary,
# as fuzz/CMakeLists.txt lists them.
declare -A max_len dictionary
all=()
while IFS=$'\t' read -r name length dict; do
  all+=("$name")
  max_len[$name]="$length"
  dictionary[$name]="$dict"
done <"$build/fuzz/targets.tsv"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for t in "${targets[@]}"; do
  if [ -z "${max_len[$t]:-}" ]; then
    echo "fuzz: unknown target '$t' (known: ${all[*]})" >&2
    exit 1
  fi
done

cmake --build "$build" -j"$(nproc)" --target "${targets[@]/%/_fuzz}" >/dev/null

run_one() {
  local t="$1" corpus="$build/corpus/$1" crashes="$build/crashes/$1"
  mkdir -p "$corpus" "$crashes"
  for seed in "$root/fuzz/corpus/$t/"*; do
    [ -e "$corpus/$(basename "$seed")" ] || cp "$seed" "$corpus/"
  done
  # The first folder is the one libFuzzer adds to; the regressions only seed.
  local seeds=("$corpus")
  [ -d "$root/fuzz/regressions/$t" ] && seeds+=("$root/fuzz/regressions/$t")
  UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/${t}_fuzz" "${seeds[@]}" \
    -max_total_time="$seconds" -max_len="${max_len[$t]}" -dict="${dictionary[$t]}" \
    -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$crashes/" \
    >"$build/$t.log" 2>&1
}

declare -A status
started=$SECONDS
running=()
for t in "${targets[@]}"; do
  rm -f "$build/crashes/$t/"* 2>/dev/null || true
  run_one "$t" &
  running+=("$!:$t")
  if [ ${#running[@]} -ge 2 ]; then
    entry="${running[0]}"
    running=("${running[@]:1}")
    if wait "${entry%%:*}"; then status[${entry#*:}]=0; else status[${entry#*:}]=$?; fi
  fi
done
for entry in "${running[@]}"; do
  if wait "${entry%%:*}"; then status[${entry#*:}]=0; else status[${entry#*:}]=$?; fi
done

failed=0
printf '%-9s %10s %7s %7s  %s\n' target execs cov ft crashes
for t in "${targets[@]}"; do
  log="$build/$t.log"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  # The last progress line holds the coverage: "#N DONE cov: C ft: F corp: ...".
  last="$(grep -E '^#[0-9]+' "$log" | tail -1 || true)"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
  found=("$build/crashes/$t/"*)
  [ -e "${found[0]}" ] || found=()
  printf '%-9s %10s %7s %7s  %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${#found[@]}"
  if [ "${status[$t]}" -ne 0 ] || [ ${#found[@]} -gt 0 ]; then
    failed=1
    echo "fuzz: $t failed (status ${status[$t]}); log: $log" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz: broken|terminate called|.*runtime error)' "$log" | head -5 >&2 || true
    for f in "${found[@]}"; do echo "fuzz: $t input: $f" >&2; done
  fi
done
echo "fuzz: ${#targets[@]} targets in $((SECONDS - started)) s"
exit "$failed"
