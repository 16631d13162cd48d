#!/bin/sh
# Usage: compare.sh DIR COMMAND...
# Runs COMMAND (inidump, with its emulator if any) over every DIR/corpus/*.ini
# and compares the output with DIR/expected/<name>.txt. With
# QS_UPDATE_BASELINE=1 it writes the baselines instead (take them from the
# Windows build under Wine, which is our reference).
dir=$(cd "$1" && pwd)
shift
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
cd "$dir/corpus" || exit 1
for ini in *.ini; do
  name=${ini%.ini}
  # A path with a directory part: Windows looks for a bare name in its own
  # directory. Output goes to a file, not a pipe: Wine's helper processes
  # may keep a pipe open. Text-mode CRs of the Windows build are dropped.
  if ! "$@" ".\\$ini" >"$out/$name.raw" 2>&1; then
    echo "FAIL $ini: inidump failed"; cat "$out/$name.raw"; status=1; continue
  fi
  tr -d '\r' <"$out/$name.raw" >"$out/$name.txt"
  if [ "${QS_UPDATE_BASELINE:-}" = 1 ]; then
    cp "$out/$name.txt" "$dir/expected/$name.txt"
  elif ! cmp -s "$dir/expected/$name.txt" "$out/$name.txt"; then
    echo "FAIL $ini differs from expected/$name.txt:"
    diff "$dir/expected/$name.txt" "$out/$name.txt"
    status=1
  fi
done
[ $status = 0 ] && echo "all corpus files match"
exit $status
