#!/usr/bin/env bash
# Runs every fuzz target for a while and fails on any finding:
#   fuzz/run.sh [seconds per target, default 60] [build dir, default build/fuzz]
#               [target...]
# Build first: cmake --workflow --preset fuzz. The long run, some hours:
#   FUZZ_JOBS=2 FUZZ_RUNS=10000000 fuzz/run.sh 18000
# FUZZ_RUNS stops a target once it has run that many inputs, before its time
# is up; FUZZ_JOBS runs that many processes of each target at once, one per
# core, which share those runs between them. New inputs go to a working
# corpus in the build dir, seeded from fuzz/corpus/<target>; a finding is
# written to <build dir>/findings/. Copy it into fuzz/corpus/<target> once
# fixed: the corpus replay test keeps it.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-60}
# Absolute, since fuzz_check works in a directory of its own.
build=$(realpath -m "${2:-build/fuzz}")
targets=("${@:3}")
[ "${#targets[@]}" -gt 0 ] || targets=(check profile regedit status wildcard)
# FUZZ_JOBS processes share each target's working corpus, each reloading
# what the others found every 10 s (every second, libFuzzer's default, reads
# the whole directory that often); alone, a process has nothing to reload.
jobs=${FUZZ_JOBS:-1}
reload=0
[ "$jobs" -eq 1 ] || reload=10
limit=()
[ -z "${FUZZ_RUNS:-}" ] || limit=(-runs=$(((FUZZ_RUNS + jobs - 1) / jobs)))
# The targets write a file or two for every input; a memory file system
# spares the disk and nearly doubles the rate.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
# A target that fails or is interrupted leaves its scratch directory
# behind; all of them go with this one.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillspur-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
# Allocation stacks in a report cost a tenth of the rate; replay a finding
# without this to see them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}
status=0
for target in "${targets[@]}"; do
  program=$build/fuzz/fuzz_$target
  work=$build/corpus/$target
  findings=$build/findings
  mkdir -p "$work" "$findings"
  start=$(date +%s)
  pids=() logs=()
  for ((job = 1; job <= jobs; job++)); do
    log=$build/fuzz_$target.log
    [ "$jobs" -eq 1 ] || log=$build/fuzz_$target-$job.log
    logs+=("$log")
    "$program" -max_total_time="$seconds" "${limit[@]}" -timeout=20 \
      -reload="$reload" -max_len=1024 -print_final_stats=1 \
      -artifact_prefix="$findings/$target-" "$work" \
      "$PWD/fuzz/corpus/$target" >"$log" 2>&1 &
    pids+=($!)
  done
  codes=()
  for pid in "${pids[@]}"; do
    wait "$pid"
    codes+=($?)
  done
  elapsed=$(($(date +%s) - start))
  [ "$elapsed" -gt 0 ] || elapsed=1
  runs=0
  for log in "${logs[@]}"; do
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    runs=$((runs + ${done_runs:-0}))
  done
  echo "$target: $runs runs in $elapsed s ($((runs * 60 / elapsed)) a minute)"
  for ((job = 0; job < jobs; job++)); do
    [ "${codes[job]}" -ne 0 ] || continue
    echo "$target: FINDING (exit ${codes[job]}), see ${logs[job]}"
    grep -E 'invariant broken|ERROR: |SUMMARY|Test unit written' \
      "${logs[job]}" | head -n 10
    status=1
  done
done
exit "$status"
