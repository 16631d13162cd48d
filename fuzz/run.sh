#!/usr/bin/env bash
# Runs every fuzz target for a while and fails on any finding:
#   fuzz/run.sh [seconds per target, default 60] [build dir, default build/fuzz]
#               [target...]
# Build first: cmake --workflow --preset fuzz. The long run, some hours:
#   fuzz/run.sh 10800
# New inputs go to a working corpus in the build dir, seeded from
# fuzz/corpus/<target>; a finding is written to <build dir>/findings/. Copy
# it into fuzz/corpus/<target> once fixed: the corpus replay test keeps it.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-60}
# Absolute, since fuzz_check works in a directory of its own.
build=$(realpath -m "${2:-build/fuzz}")
targets=("${@:3}")
[ "${#targets[@]}" -gt 0 ] || targets=(check profile regedit wildcard)
status=0
for target in "${targets[@]}"; do
  program=$build/fuzz/fuzz_$target
  work=$build/corpus/$target
  findings=$build/findings
  mkdir -p "$work" "$findings"
  log=$build/fuzz_$target.log
  "$program" -max_total_time="$seconds" -timeout=20 -max_len=1024 \
    -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$work" "$PWD/fuzz/corpus/$target" \
    >"$log" 2>&1
  code=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: ${runs:-?} runs in $seconds s ($((${runs:-0} * 60 / seconds)) a minute)"
  if [ "$code" -ne 0 ]; then
    echo "$target: FINDING (exit $code), see $log"
    grep -E 'invariant broken|ERROR: |SUMMARY|Test unit written' "$log" | head -n 10
    status=1
  fi
done
exit "$status"
