#!/usr/bin/env bash
# Fuzzes every target from its kept corpus, one target after the other:
#   scripts/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]
# PELLARO_FUZZ_RUNS=N also ends a target after N executions.
# After each run the corpus is minimised (libFuzzer's merge) and written back to
# tests/fuzz/corpus/<target>/; an input that crashes, hangs or runs out of
# memory is kept in tests/fuzz/regressions/<target>/, which the unit suite
# replays. Prints executions and coverage per target; fails when any crashed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
runs=${PELLARO_FUZZ_RUNS:--1}
build=$root/build/linux-fuzz
jobs=${PELLARO_JOBS:-2}

if [ ! -f "$build/build.ninja" ]; then
  cmake --preset linux-fuzz >/dev/null || { echo "configuring the fuzz build failed"; exit 1; }
fi
cmake --build --preset linux-fuzz -j "$jobs" >/dev/null || { echo "building the fuzz targets failed"; exit 1; }
list=$build/tests/fuzz/fuzz_targets.txt

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# "#123 DONE cov: 45 ft: 67 corp: ..." (or the last progress line after a crash)
coverage_of() { grep -E '^#[0-9]+.*cov: [0-9]+ ft: [0-9]+' "$1" | tail -1 | sed -E 's/.*cov: ([0-9]+) ft: ([0-9]+).*/\1 \2/'; }

printf '%-26s %12s %9s %7s %7s %13s %s\n' target executions exec/s cov ft corpus result > "$scratch/table"
crashed=0
while read -r name binary; do
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  corpus=$root/tests/fuzz/corpus/$name
  regressions=$root/tests/fuzz/regressions/$name
  work=$scratch/$name/found; merged=$scratch/$name/merged; artifacts=$scratch/$name/artifacts
  mkdir -p "$corpus" "$work" "$merged" "$artifacts"
  log=$root/build/fuzz-$name.log
  before=$(find "$corpus" -type f | wc -l)
  echo "=== $name: ${seconds}s$([ "$runs" -ge 0 ] && echo ", at most $runs executions")"
  inputs=("$corpus")
  [ -d "$regressions" ] && inputs+=("$regressions")
  started=$(date +%s)
  "$binary" -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$artifacts/" "$work" "${inputs[@]}" >"$log" 2>&1
  rc=$?
  elapsed=$(( $(date +%s) - started ))
  execs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -1)
  rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -1)
  read -r cov ft <<<"$(coverage_of "$log")"

  # Minimise the old corpus together with what this run found, then keep that:
  # one input per new edge (hit counts left out keep the kept corpus small).
  "$binary" -merge=1 -use_counters=0 -rss_limit_mb=2048 -timeout=10 "$merged" "$corpus" "$work" >"$log.merge" 2>&1 &&
    [ -n "$(ls -A "$merged")" ] && { find "$corpus" -type f -delete; cp "$merged"/* "$corpus"/; }
  after=$(find "$corpus" -type f | wc -l)

  result=ok
  for artifact in "$artifacts"/*; do
    [ -e "$artifact" ] || continue
    case $(basename "$artifact") in crash-*|timeout-*|oom-*|leak-*) ;; *) continue ;; esac
    mkdir -p "$regressions"
    cp "$artifact" "$regressions/"
    result="FAILED: kept $(basename "$artifact") in tests/fuzz/regressions/$name/"
    crashed=1
  done
  if [ "$result" = ok ] && [ $rc -ne 0 ]; then result="FAILED (exit $rc, see $log)"; crashed=1; fi
  printf '%-26s %12s %9s %7s %7s %13s %s\n' "$name" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
    "$before→$after" "$result (${elapsed}s)" | tee -a "$scratch/table"
done <"$list"

echo
cat "$scratch/table"
exit $crashed
