#!/usr/bin/env bash
# Runs every fuzz target for a while and fails on any finding:
#   fuzz/run.sh [seconds per target, default 60] [build dir, default build/fuzz]
#               [target...]
# Build first: cmake --workflow --preset fuzz. The long run, some hours:
#   FUZZ_RUNS=10000000 fuzz/run.sh 18000
# FUZZ_RUNS stops a target once it has run that many inputs, before its time
# is up. New inputs go to a working corpus in the build dir, seeded from
# fuzz/corpus/<target>; a finding is written to <build dir>/findings/. Copy
# it into fuzz/corpus/<target> once fixed: the corpus replay test keeps it.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-60}
# Absolute, since fuzz_check works in a directory of its own.
build=$(realpath -m "${2:-build/fuzz}")
targets=("${@:3}")
[ "${#targets[@]}" -gt 0 ] || targets=(check profile regedit wildcard)
limit=()
[ -z "${FUZZ_RUNS:-}" ] || limit=(-runs="$FUZZ_RUNS")
# The targets write a file or two for every input; a memory file system
# spares the disk and nearly doubles the rate.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
# Allocation stacks in a report cost a tenth of the rate; replay a finding
# without this to see them. One process alone has no corpus to reload.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}
status=0
for target in "${targets[@]}"; do
  program=$build/fuzz/fuzz_$target
  work=$build/corpus/$target
  findings=$build/findings
  mkdir -p "$work" "$findings"
  log=$build/fuzz_$target.log
  start=$(date +%s)
  "$program" -max_total_time="$seconds" "${limit[@]}" -timeout=20 -reload=0 \
    -max_len=1024 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$work" "$PWD/fuzz/corpus/$target" \
    >"$log" 2>&1
  code=$?
  elapsed=$(($(date +%s) - start))
  [ "$elapsed" -gt 0 ] || elapsed=1
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: ${runs:-?} runs in $elapsed s ($((${runs:-0} * 60 / elapsed)) a minute)"
  if [ "$code" -ne 0 ]; then
    echo "$target: FINDING (exit $code), see $log"
    grep -E 'invariant broken|ERROR: |SUMMARY|Test unit written' "$log" | head -n 10
    status=1
  fi
done
exit "$status"
